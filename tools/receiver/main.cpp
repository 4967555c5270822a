// vantrel_receiver: a stand-in for the customer's server, to see the whole road of an
// import on one machine. It takes Vantrel's quote post, keeps it in a SQLite file, and
// serves the start page that Vantrel then opens. See UsageText for the flags.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <iostream>
#include <optional>
#include <thread>

#include "command_line.h"
#include "import_store.h"
#include "receiver_server.h"
#include "tls_context.h"

int main(int argc, char** argv) {
    using namespace receiver;
    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "vantrel_receiver: " << parsed.error << "\n\n" << UsageText();
        return 2;
    }
    const ReceiverOptions& options = parsed.options;
    if (options.showHelp) {
        std::cout << UsageText();
        return 0;
    }

    // SIGINT and SIGTERM are taken by one thread with sigwait, blocked everywhere else
    // (before any thread starts, so the server's threads inherit the mask). Stopping the
    // server is then ordinary code, not something a signal handler may not do.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        // The certificate is checked and the port taken before the database file is opened,
        // so a receiver that cannot start leaves no new file behind.
        std::optional<TlsContext> tls;
        if (options.Https()) {
            tls.emplace(options.certificateFile, options.keyFile);
        }
        ReceiverServer server(std::cout, ServerLimits(), tls ? &*tls : nullptr);
        const int port = server.Bind(options.address, options.Port());
        if (port < 0) {
            std::cerr << "vantrel_receiver: cannot listen on " << options.address << ":" << options.Port()
                      << " (taken, not an address of this machine, or a port below 1024 without root)\n";
            return 1;
        }
        ImportStore store(options.databasePath);
        std::cout << "vantrel_receiver: listening on " << (options.Https() ? "https" : "http") << "://"
                  << options.address << ":" << port << "/, storing in " << options.databasePath << std::endl;

        std::atomic<bool> serveEnded{false};
        std::thread signalWaiter([&] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            if (!serveEnded) {
                std::cout << "vantrel_receiver: " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ", stopping"
                          << std::endl;
                server.Stop();
            }
        });
        const bool served = server.Serve(store);
        // When serving ended by itself the waiter is still in sigwait: wake it.
        serveEnded = true;
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();

        store.Close();
        std::cout << "vantrel_receiver: stopped, " << options.databasePath << " closed" << std::endl;
        return served ? 0 : 1;
    } catch (const TlsError& error) {
        std::cerr << "vantrel_receiver: " << error.what() << "\n";
        return 1;
    } catch (const StoreError& error) {
        std::cerr << "vantrel_receiver: " << error.what() << "\n";
        return 1;
    }
}
