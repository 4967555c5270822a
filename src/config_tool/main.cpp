// vantrel_config: the agency's settings and routes, written and checked by the program's own
// rules (tool_command.h gives the command line).
#include <iostream>
#include <string>
#include <vector>

#include "config_tool/tool_command.h"
#include "config_tool/tool_run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = ParseToolCommand(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::cerr << "vantrel_config: " << *problem << "\n";
        return kToolBadInput;
    }
    return RunTool(std::get<ToolCommand>(parsed), std::cout, std::cerr);
}
