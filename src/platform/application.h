// The application object: exactly one exists, built by static initialisation; the process
// entry hands control to its start-up routine and ends when that returns.
#pragma once

namespace platform {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Does all the work of the process. Returns false to end the process at once
    // (no message loop is run afterwards).
    virtual bool InitInstance() = 0;

    // The application object the process entry starts, or none.
    static Application* Current();
};

}  // namespace platform
