#include "platform/shell.h"

#include "platform/fake/state.h"

namespace platform {

long long ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                    int showCommand) {
    fake::Platform().shellRequests.push_back({file, parameters, directory, showCommand});
    fake::Platform().events.push_back(fake::Event::Shell(file));
    return fake::Platform().shellResult;
}

}  // namespace platform
