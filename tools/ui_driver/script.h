// The driver's script (README.md, "Script"): rules, each a `window <caption>[|<id>]` or
// `return <caption>[|<id>]` line followed by its actions. Pure standard C++, no Win32, so it is
// built and unit-tested natively as well.
//
// Text (captions and text arguments) is kept as the script's bytes with the escapes \n, \r, \t
// and \\ undone; the driver converts it from the --utf8 or ANSI code page where it meets a
// window. Control ids are kept the way the driver reads them from a window: 0xFFFF and
// 0xFFFFFFFF (the "no id" static) read as -1.
#pragma once

#include <string>
#include <vector>

namespace ui_driver {

enum class Op {
    kDump,
    kDumpMenu,
    kClick,
    kCommand,
    kSysCommand,
    kSetText,
    kSelect,
    kCheck,
    kKey,
    kSleep,
    kMark,
    kClose
};

struct Action {
    Op op;
    int id = 0;            // click, settext, select, check: the control
    long long number = 0;  // command and syscommand id, select index, check state, key code, sleep ms
    std::string text;      // settext, mark
    int line = 0;          // 1-based line in the script
    std::string source;    // the line without surrounding blanks, for ERROR records
};

struct Rule {
    std::string caption;
    bool onReturn = false;  // a "return" rule: for a handled window that comes back
    bool hasId = false;     // the window must have a control with `id`
    int id = 0;
    bool used = false;  // set by the driver once the rule has matched a window
    int line = 0;
    std::vector<Action> actions;
};

// Reads the rules of script file `data` (a UTF-8 BOM and CR before LF are allowed) into `rules`,
// empty on entry, in script order. On the first bad line returns false with `error`
// "script line <n>: <what>".
bool ParseScript(const std::string& data, std::vector<Rule>& rules, std::string& error);

}  // namespace ui_driver
