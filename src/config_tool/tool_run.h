// What the configuration tool does for one command, with its findings and listings on `out`
// and a refusal of bad input on `err`.
#pragma once

#include <ostream>

#include "config_tool/tool_command.h"

// Exit statuses: sound (or written), not sound (nothing written), bad input.
constexpr int kToolSound = 0;
constexpr int kToolNotSound = 1;
constexpr int kToolBadInput = 2;

int RunTool(const ToolCommand& command, std::ostream& out, std::ostream& err);
