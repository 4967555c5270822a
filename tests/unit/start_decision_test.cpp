#include "app/start_decision.h"

#include <gtest/gtest.h>

namespace {

StartDecision Decide(const std::string& rater, const std::string& arguments, const std::string& programName = "VANTREL",
                     const std::string& programFolder = "C:\\APPS\\VT") {
    return DecideStart({programName, programFolder, arguments, rater});
}

const char kAutoDetect[] = "Error - AUTO DETECT must be turned off in version 2.0";

}  // namespace

TEST(ProgramFolder, RemovesTheProgramFileFromTheUpperCasedPath) {
    EXPECT_EQ(ProgramFolder("C:\\Apps\\Vantrel\\Vantrel.exe", "VANTREL"), "C:\\APPS\\VANTREL");
    EXPECT_EQ(ProgramFolder("c:\\vantrel.exe\\x\\vantrel.exe", "VANTREL"), "C:\\X");  // every occurrence
}

TEST(SwitchCut, DropsTheSlashTheCharacterBeforeItAndTheRest) {
    EXPECT_EQ(SwitchCut("C:\\EXPORT\\Q1.TXT /X"), "C:\\EXPORT\\Q1.TXT");
    EXPECT_EQ(SwitchCut("C:\\EXPORT\\Q1.TXT/X"), "C:\\EXPORT\\Q1.TX");
    EXPECT_EQ(SwitchCut("/A B"), "");
    EXPECT_EQ(SwitchCut("A  /B /C"), "A");
    EXPECT_EQ(SwitchCut("PLAIN \t"), "PLAIN");
}

TEST(DecideStart, NoArgumentsOpensTheMainWindowQuietly) {
    const StartDecision d = Decide("FSC", "   ");
    EXPECT_EQ(d.commandText, "");
    EXPECT_EQ(d.rater.Code(), "");
    EXPECT_EQ(d.logLines, std::vector<std::string>{"Command line parameters = "});
    EXPECT_TRUE(d.messages.empty());
}

TEST(DecideStart, RaterRulesDeriveTheExportFilePath) {
    struct Case {
        const char* rater;
        const char* arguments;
        const char* programName;
        const char* programFolder;
        const char* path;
    };
    const Case cases[] = {
        {"FSC", "c:\\export\\q1.txt /x", "VANTREL", "C:\\VT", "C:\\EXPORT\\Q1.TXT /X"},  // cut only at the end
        {"AAR", "c:\\a.txt  ", "VANTREL", "C:\\VT", "C:\\A.TXT"},
        {"QUO", "c:\\q.txt", "VANTREL", "C:\\VT", "C:\\Q.TXT"},
        {"ITC", "C:\\EXPORT\\Q1.TXT /X", "VANTREL", "C:\\VT", "C:\\EXPORT\\Q1.TXT"},
        {"ITC", "C:\\EXPORT\\Q1.TXT/X", "VANTREL", "C:\\VT", "C:\\EXPORT\\Q1.TX"},
        {"MC", "C:\\M.TXT /Q", "VANTREL", "C:\\VT", "C:\\M.TXT"},
        {"QP", "/X", "VANTREL", "C:\\VT", ""},
        {"CCI", "\"\\CCI\\OUT.TXT\" /A", "VANTREL", "D:\\APPS\\VANTREL", "D:\\CCI\\OUT.TXT"},
        {"CCI", "\"\\CCI\\OUT.TXT\"", "VANTREL", "D:\\APPS\\VANTREL", "\"\\CCI\\OUT.TXT\""},
        {"CCI", "\"\\CCI\\OUT.TXT\" /A", "VANTREL", "D:", "C:\\CCI\\OUT.TXT"},  // short folder: drive C:
        {"QQ", "quote.txt", "VANTREL", "C:\\QQ", "C:\\QQ\\QUOTE.TXT"},
        {"QQ", "quote.txt /s", "DAREDE", "C:\\QQ", "c:\\Program Files\\TOVE\\QUOTE.TXT"},
        {"QQ", "quote.txt", "MYDAREDE2", "C:\\QQ", "c:\\Program Files\\TOVE\\QUOTE.TXT"},
    };
    for (const Case& c : cases) {
        const StartDecision d = Decide(c.rater, c.arguments, c.programName, c.programFolder);
        EXPECT_EQ(d.rater.Code(), c.rater) << c.arguments;
        EXPECT_EQ(d.exportFilePath, c.path) << c.rater << " " << c.arguments;
        EXPECT_EQ(d.logLines.back(), std::string("Comparative Rater FORCE = ") + c.rater);
        EXPECT_TRUE(d.messages.empty());
    }
}

TEST(DecideStart, AnUnknownRaterShowsTheAutoDetectMessage) {
    for (const char* rater : {"AUTO", "", "itc", "FSC "}) {
        const StartDecision d = Decide(rater, "C:\\Q.TXT");
        EXPECT_EQ(d.rater.Code(), "");
        EXPECT_EQ(d.exportFilePath, "");
        EXPECT_EQ(d.logLines,
                  (std::vector<std::string>{"Command line parameters = C:\\Q.TXT", "Comparative Rater = "}));
        EXPECT_EQ(d.messages, std::vector<std::string>{kAutoDetect});
    }
}

TEST(DecideStart, PauseSwitchAloneLeavesAnEmptyCommand) {
    const StartDecision d = Decide("FSC", "/pause");
    EXPECT_TRUE(d.pauseMode);
    EXPECT_EQ(d.commandText, "");
    EXPECT_EQ(d.logLines, (std::vector<std::string>{"PAUSE parameter = TRUE", "Command line parameters = "}));
    EXPECT_EQ(d.messages, std::vector<std::string>{"Pausing... Copy file  to a backup file before continuing."});
}

TEST(DecideStart, SwitchesAreFoundAnywhereInTheCommand) {
    const StartDecision d = Decide("FSC", "c:\\paused\\q.txt /pause fl");
    EXPECT_TRUE(d.pauseMode);
    // "/PAUSE" goes first, then the "PAUSE" inside the folder name; " FL" wherever it stands.
    EXPECT_EQ(d.commandText, "C:\\D\\Q.TXT ");
    EXPECT_EQ(d.exportFilePath, "C:\\D\\Q.TXT");
    EXPECT_EQ(d.messages.back(), "Pausing... Copy file C:\\D\\Q.TXT to a backup file before continuing.");
    EXPECT_EQ(Decide("FSC", "c:\\a fl\\b.txt").commandText, "C:\\A\\B.TXT");
}

TEST(DecideStart, LogFileModeImportsTheCommandAsALog) {
    const StartDecision d = Decide("FSC", "c:\\logs\\export.log.tt /pause");
    EXPECT_TRUE(d.logFileMode);
    EXPECT_EQ(d.rater.Code(), "LOG");
    EXPECT_EQ(d.exportFilePath, "C:\\LOGS\\EXPORT.LOG.TT");
    EXPECT_EQ(d.logLines, (std::vector<std::string>{"PAUSE parameter = TRUE", "Export log passed = TRUE",
                                                    "Command line parameters = C:\\LOGS\\EXPORT.LOG.TT ",
                                                    "Comparative Rater = LOG"}));
    EXPECT_EQ(d.messages, (std::vector<std::string>{
                              "You are passing a LOG file, Click OK to continue\n Cmd Line=C:\\LOGS\\EXPORT.LOG.TT "
                              "\nExe Name=VANTREL\n .TT found=18",
                              kAutoDetect,
                              "Pausing... Copy file C:\\LOGS\\EXPORT.LOG.TT to a backup file before continuing.",
                          }));
    const std::string withoutTt = Decide("QQ", "x.log").messages.front();
    EXPECT_EQ(withoutTt.substr(withoutTt.size() - 14), "\n .TT found=-1");
}
