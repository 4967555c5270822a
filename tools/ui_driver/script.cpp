#include "script.h"

namespace ui_driver {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits off the next blank-separated token; rest gets what follows after exactly one blank.
std::string NextToken(const std::string& s, std::string& rest) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    size_t j = i;
    while (j < s.size() && !IsBlank(s[j])) ++j;
    std::string tok = s.substr(i, j - i);
    rest = j < s.size() ? s.substr(j + 1) : std::string();
    return tok;
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Undoes the escapes "\n", "\r", "\t" and "\\"; any other backslash stays as it is.
std::string Unescape(const std::string& s) {
    static const std::string kEscaped = "nrt\\";
    static const std::string kMeant = "\n\r\t\\";
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        size_t which = s[i] == '\\' && i + 1 < s.size() ? kEscaped.find(s[i + 1]) : std::string::npos;
        if (which == std::string::npos) {
            out += s[i];
        } else {
            out += kMeant[which];
            ++i;
        }
    }
    return out;
}

// Accepts an optional sign and decimal digits, or 0x-prefixed hex, up to 0xFFFFFFFF.
bool ParseInt(const std::string& s, long long& value) {
    if (s.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (s[i] == '-' || s[i] == '+') {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFll) return false;
    }
    value = neg ? -v : v;
    return true;
}

int NormalizeId(long long id) {
    if (id == 0xFFFF || id == 0xFFFFFFFFll) return -1;
    return static_cast<int>(id);
}

}  // namespace

bool ParseScript(const std::string& data, std::vector<Rule>& rules, std::string& error) {
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= data.size()) {
        size_t nl = data.find('\n', pos);
        std::string line = data.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        pos = nl == std::string::npos ? data.size() + 1 : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1 && line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        std::string trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::string rest;
        std::string word = NextToken(line, rest);
        auto fail = [&](const std::string& what) {
            error = "script line " + std::to_string(lineNo) + ": " + what;
            return false;
        };
        if (word == "window" || word == "return") {
            Rule rule;
            rule.line = lineNo;
            rule.onReturn = word == "return";
            std::string caption = rest;
            size_t bar = caption.rfind('|');
            long long id = 0;
            if (bar != std::string::npos && ParseInt(TrimBlanks(caption.substr(bar + 1)), id)) {
                rule.hasId = true;
                rule.id = NormalizeId(id);
                caption.erase(bar);
            }
            rule.caption = Unescape(caption);
            rules.push_back(rule);
            continue;
        }
        if (rules.empty()) return fail("action before the first 'window' line");
        Action a;
        a.line = lineNo;
        a.source = trimmed;
        std::string after;
        long long n = 0;
        auto needId = [&](std::string& remainder) {
            std::string tok = NextToken(rest, remainder);
            if (!ParseInt(tok, n)) return false;
            a.id = NormalizeId(n);
            return true;
        };
        if (word == "dump" || word == "dumpmenu" || word == "close") {
            if (!TrimBlanks(rest).empty()) return fail("'" + word + "' takes no argument");
            a.op = word == "dump" ? Op::kDump : word == "dumpmenu" ? Op::kDumpMenu : Op::kClose;
        } else if (word == "click" || word == "command" || word == "syscommand") {
            if (!needId(after) || !TrimBlanks(after).empty()) return fail("'" + word + "' needs one numeric id");
            a.op = word == "click" ? Op::kClick : word == "command" ? Op::kCommand : Op::kSysCommand;
            a.number = n;
        } else if (word == "settext") {
            if (!needId(after)) return fail("'settext' needs a numeric id");
            a.op = Op::kSetText;
            a.text = Unescape(after);
        } else if (word == "select" || word == "check") {
            if (!needId(after)) return fail("'" + word + "' needs a numeric id");
            std::string tail;
            std::string tok = NextToken(after, tail);
            if (!ParseInt(tok, a.number) || !TrimBlanks(tail).empty() || a.number < 0)
                return fail("'" + word + "' needs a non-negative number after the id");
            if (word == "check" && a.number > 2) return fail("'check' state must be 0, 1 or 2");
            a.op = word == "select" ? Op::kSelect : Op::kCheck;
        } else if (word == "key" || word == "sleep") {
            std::string tail;
            std::string tok = NextToken(rest, tail);
            if (!ParseInt(tok, a.number) || !TrimBlanks(tail).empty() || a.number < 0)
                return fail("'" + word + "' needs one non-negative number");
            if (word == "key" && (a.number < 1 || a.number > 254)) return fail("virtual-key code out of range");
            a.op = word == "key" ? Op::kKey : Op::kSleep;
        } else if (word == "mark") {
            a.op = Op::kMark;
            a.text = Unescape(rest);
        } else {
            return fail("unknown action '" + word + "'");
        }
        rules.back().actions.push_back(a);
    }
    return true;
}

}  // namespace ui_driver
