#include "script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui_driver {
namespace {

std::vector<Rule> Parsed(const std::string& script) {
    std::vector<Rule> rules;
    std::string error;
    EXPECT_TRUE(ParseScript(script, rules, error)) << error;
    EXPECT_EQ(error, "");
    return rules;
}

std::string ParseError(const std::string& script) {
    std::vector<Rule> rules;
    std::string error;
    EXPECT_FALSE(ParseScript(script, rules, error)) << script;
    return error;
}

// The one action of a script holding a window line and `line`.
Action OnlyAction(const std::string& line) {
    std::vector<Rule> rules = Parsed("window W\n" + line + "\n");
    EXPECT_EQ(rules.size(), 1u);
    if (rules.size() != 1 || rules[0].actions.size() != 1) {
        ADD_FAILURE() << "'" << line << "' did not give exactly one action";
        return Action{};
    }
    return rules[0].actions[0];
}

TEST(ScriptRules, WindowAndReturnLinesStartRulesThatCollectTheActionsAfterThem) {
    std::vector<Rule> rules = Parsed(
        "window Vantrel Options|1100\n"
        "dump\n"
        "key 27\n"
        "\n"
        "return Vantrel\n"
        "command 40001\n"
        "window Vantrel\n");
    ASSERT_EQ(rules.size(), 3u);

    EXPECT_EQ(rules[0].caption, "Vantrel Options");
    EXPECT_FALSE(rules[0].onReturn);
    EXPECT_TRUE(rules[0].hasId);
    EXPECT_EQ(rules[0].id, 1100);
    EXPECT_EQ(rules[0].line, 1);
    ASSERT_EQ(rules[0].actions.size(), 2u);
    EXPECT_EQ(rules[0].actions[0].op, Op::kDump);
    EXPECT_EQ(rules[0].actions[1].op, Op::kKey);

    EXPECT_EQ(rules[1].caption, "Vantrel");
    EXPECT_TRUE(rules[1].onReturn);
    EXPECT_FALSE(rules[1].hasId);
    EXPECT_EQ(rules[1].line, 5);
    ASSERT_EQ(rules[1].actions.size(), 1u);
    EXPECT_EQ(rules[1].actions[0].number, 40001);

    EXPECT_EQ(rules[2].line, 7);
    EXPECT_TRUE(rules[2].actions.empty());
    for (const Rule& rule : rules) EXPECT_FALSE(rule.used);
}

TEST(ScriptRules, ReturnRuleMayComeFirst) {
    std::vector<Rule> rules = Parsed("return Main|1000\nclick 1\n");
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_TRUE(rules[0].onReturn);
    EXPECT_EQ(rules[0].id, 1000);
    EXPECT_EQ(rules[0].actions.size(), 1u);
}

TEST(ScriptRules, CaptionIsTheRestOfTheLineAndATrailingNumberAfterTheLastBarIsTheControlId) {
    struct Case {
        const char* line;
        const char* caption;
        bool hasId;
        int id;
    };
    const Case cases[] = {
        {"window Open", "Open", false, 0},
        {"window  two  spaces ", " two  spaces ", false, 0},  // only the one space after the keyword goes
        {"window", "", false, 0},
        {"window ", "", false, 0},
        {"window a|b", "a|b", false, 0},
        {"window a|", "a|", false, 0},
        {"window a|12|b", "a|12|b", false, 0},
        {"window a|b|12", "a|b", true, 12},
        {"window Setup | 0x44C ", "Setup ", true, 0x44C},
        {"window |7", "", true, 7},
        {"window x|-1", "x", true, -1},
        {"window x|0xFFFF", "x", true, -1},
        {"window x|65535", "x", true, -1},
        {"window x|0xFFFFFFFF", "x", true, -1},
        {"window x|0x100000000", "x|0x100000000", false, 0},
        {"window tab\\there\\\\\\n", "tab\there\\\n", false, 0},
        {"window \\q stays", "\\q stays", false, 0},
        {"window\tTabbed", "Tabbed", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<Rule> rules = Parsed(c.line);
        ASSERT_EQ(rules.size(), 1u);
        EXPECT_EQ(rules[0].caption, c.caption);
        EXPECT_EQ(rules[0].hasId, c.hasId);
        EXPECT_EQ(rules[0].id, c.id);
    }
}

TEST(ScriptActions, EachActionKeepsItsKindIdNumberAndText) {
    struct Case {
        const char* line;
        Op op;
        int id;
        long long number;
        const char* text;
    };
    const Case cases[] = {
        {"dump", Op::kDump, 0, 0, ""},
        {"dumpmenu", Op::kDumpMenu, 0, 0, ""},
        {"close", Op::kClose, 0, 0, ""},
        {"close  ", Op::kClose, 0, 0, ""},
        {"click 1", Op::kClick, 1, 1, ""},
        {"click 0xFFFF", Op::kClick, -1, 0xFFFF, ""},
        {"command 40001", Op::kCommand, 40001, 40001, ""},
        {"command 0xFFFF", Op::kCommand, -1, 0xFFFF, ""},
        {"syscommand 61536", Op::kSysCommand, 61536, 61536, ""},
        {"syscommand 0xF060", Op::kSysCommand, 0xF060, 0xF060, ""},
        {"settext 1001 C:\\\\x y\\tz", Op::kSetText, 1001, 0, "C:\\x y\tz"},
        {"settext 1001  lead", Op::kSetText, 1001, 0, " lead"},
        {"settext 1001 ", Op::kSetText, 1001, 0, ""},
        {"settext 1001", Op::kSetText, 1001, 0, ""},
        {"settext -1 static", Op::kSetText, -1, 0, "static"},
        {"select 1002 3", Op::kSelect, 1002, 3, ""},
        {"select 1002 0x10", Op::kSelect, 1002, 16, ""},
        {"check 1003 0", Op::kCheck, 1003, 0, ""},
        {"check 1003 2", Op::kCheck, 1003, 2, ""},
        {"key 27", Op::kKey, 0, 27, ""},
        {"key 1", Op::kKey, 0, 1, ""},
        {"key 254", Op::kKey, 0, 254, ""},
        {"key +13", Op::kKey, 0, 13, ""},
        {"sleep 0", Op::kSleep, 0, 0, ""},
        {"sleep 1500", Op::kSleep, 0, 1500, ""},
        {"mark shot 1", Op::kMark, 0, 0, "shot 1"},
        {"mark  two\\nlines ", Op::kMark, 0, 0, " two\nlines "},
        {"mark", Op::kMark, 0, 0, ""},
        {"mark a\\r\\nb\\", Op::kMark, 0, 0, "a\r\nb\\"},
        {"\tclick\t5", Op::kClick, 5, 5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Action a = OnlyAction(c.line);
        EXPECT_EQ(a.op, c.op);
        EXPECT_EQ(a.id, c.id);
        EXPECT_EQ(a.number, c.number);
        EXPECT_EQ(a.text, c.text);
        EXPECT_EQ(a.line, 2);
    }
}

TEST(ScriptActions, SourceIsTheLineWithoutSurroundingBlanks) {
    EXPECT_EQ(OnlyAction("  click 7\t").source, "click 7");
    EXPECT_EQ(OnlyAction("mark  a b  ").source, "mark  a b");
}

TEST(ScriptLines, CommentsBlankLinesBomAndCarriageReturnsAreSkipped) {
    std::vector<Rule> rules = Parsed(
        "\xEF\xBB\xBFwindow First\r\n"
        "# a comment\r\n"
        "   # an indented comment\r\n"
        " \t \r\n"
        "\r\n"
        "mark done\r\n"
        "click 2");  // no line end after the last line
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].caption, "First");
    ASSERT_EQ(rules[0].actions.size(), 2u);
    EXPECT_EQ(rules[0].actions[0].text, "done");
    EXPECT_EQ(rules[0].actions[0].line, 6);
    EXPECT_EQ(rules[0].actions[1].id, 2);
    EXPECT_EQ(rules[0].actions[1].line, 7);
}

TEST(ScriptLines, EmptyScriptHasNoRules) {
    EXPECT_TRUE(Parsed("").empty());
    EXPECT_TRUE(Parsed("# nothing\n\n").empty());
}

TEST(ScriptLines, ByteOrderMarkCountsOnlyAtTheStart) {
    EXPECT_EQ(ParseError("window A\n\xEF\xBB\xBF"
                         "dump\n"),
              "script line 2: unknown action '\xEF\xBB\xBF"
              "dump'");
}

TEST(ScriptLines, OnlyOneCarriageReturnBeforeTheLineEndIsDropped) {
    EXPECT_EQ(OnlyAction("mark x\r\r").text, "x\r");
}

TEST(ScriptErrors, EachBadLineIsNamedWithItsNumberAndWhatIsWrong) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"dump\n", "script line 1: action before the first 'window' line"},
        {"# c\n\nmark x\nwindow A\n", "script line 3: action before the first 'window' line"},
        {"window A\ndump now\n", "script line 2: 'dump' takes no argument"},
        {"window A\ndumpmenu 1\n", "script line 2: 'dumpmenu' takes no argument"},
        {"window A\nclose x\n", "script line 2: 'close' takes no argument"},
        {"window A\nclick\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick ok\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick 1 2\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick 0x\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick 12a\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick 0xG\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick -\n", "script line 2: 'click' needs one numeric id"},
        {"window A\nclick 4294967296\n", "script line 2: 'click' needs one numeric id"},
        {"window A\ncommand\n", "script line 2: 'command' needs one numeric id"},
        {"window A\nsyscommand close\n", "script line 2: 'syscommand' needs one numeric id"},
        {"window A\nsettext\n", "script line 2: 'settext' needs a numeric id"},
        {"window A\nsettext name x\n", "script line 2: 'settext' needs a numeric id"},
        {"window A\nselect 1002\n", "script line 2: 'select' needs a non-negative number after the id"},
        {"window A\nselect 1002 -1\n", "script line 2: 'select' needs a non-negative number after the id"},
        {"window A\nselect 1002 1 2\n", "script line 2: 'select' needs a non-negative number after the id"},
        {"window A\nselect x 1\n", "script line 2: 'select' needs a numeric id"},
        {"window A\ncheck 1003\n", "script line 2: 'check' needs a non-negative number after the id"},
        {"window A\ncheck 1003 3\n", "script line 2: 'check' state must be 0, 1 or 2"},
        {"window A\nkey\n", "script line 2: 'key' needs one non-negative number"},
        {"window A\nkey -27\n", "script line 2: 'key' needs one non-negative number"},
        {"window A\nkey 27 13\n", "script line 2: 'key' needs one non-negative number"},
        {"window A\nkey 0\n", "script line 2: virtual-key code out of range"},
        {"window A\nkey 255\n", "script line 2: virtual-key code out of range"},
        {"window A\nsleep\n", "script line 2: 'sleep' needs one non-negative number"},
        {"window A\nsleep -5\n", "script line 2: 'sleep' needs one non-negative number"},
        {"window A\nsleep 1s\n", "script line 2: 'sleep' needs one non-negative number"},
        {"window A\nDump\n", "script line 2: unknown action 'Dump'"},
        {"window A\nwait 5\n", "script line 2: unknown action 'wait'"},
        {"window A\nWindow B\n", "script line 2: unknown action 'Window'"},
        {"window A\r\n\r\n# c\r\n  bogus  \r\nmark never reached\n", "script line 4: unknown action 'bogus'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(ParseError(c.script), c.error);
    }
}

TEST(ScriptErrors, ParsingStopsAtTheFirstBadLine) {
    std::vector<Rule> rules;
    std::string error;
    EXPECT_FALSE(ParseScript("window A\nkey 0\nkey 300\n", rules, error));
    EXPECT_EQ(error, "script line 2: virtual-key code out of range");
}

}  // namespace
}  // namespace ui_driver
