// The start-up sequence: report order and line ends, stage order, the error handler's rules,
// the defaults and the text routines that prepare the user name.
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "platform/RuntimeError.h"
#include "settings/modOptions.h"
#include "support/TestEnvironment.h"

#include <sstream>

namespace vellumo {
namespace {

using test::IsolatedTest;

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF at the end of the report";
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Label(const std::string& line) {
    const size_t colon = line.find(": ");
    return colon == std::string::npos ? line : line.substr(0, colon + 2);
}

class MainTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        modMain::SetProgramFolderForTesting((Home() / "app").string());
        test::fs::create_directories(Home() / "app");
        modMain::SetStageHookForTesting([this](const std::string& stage) {
            stages_.push_back(stage);
            if (stage == failAt_)
                throw RuntimeError(failNumber_);
        });
    }

    std::vector<std::string> stages_;
    std::string failAt_;
    int32_t failNumber_ = err::kInvalidProcedureCall;
};

TEST_F(MainTest, ReportHoldsEveryLineInOrderWithCrLf) {
    modMain::Main();
    ASSERT_EQ(windows_.WindowsShown(), 1);
    const std::vector<std::string> lines = SplitCrLf(modMain::gstrDiagnosticReport);
    ASSERT_GE(lines.size(), 16u);
    const std::vector<std::string> head = {
        "OS: ",       "WindowsUserName: ", "AppPath: ", "MyDocsPath: ", "CommonDocsPath: ",
        "DataPath: ", "AutoBackupPath: ",  "DbPath: ",  "ConfigPath: ", "LogPath: "};
    for (size_t i = 0; i < head.size(); ++i)
        EXPECT_EQ(Label(lines[i]), head[i]) << "line " << i;
    EXPECT_EQ(lines[1], "WindowsUserName: " + modMain::WindowsUserName);
    EXPECT_EQ(lines[2], "AppPath: " + modMain::AppPath);
    EXPECT_EQ(lines[9], "LogPath: " + modMain::LogPath);
    EXPECT_EQ(lines[10], "Master file doesn't exist: " + modMain::DbPath);
    EXPECT_EQ(lines[11], "Initializing settings in registry");

    // The "MDAC: " line comes right before the scripting-runtime line, the window's lines last.
    size_t mdac = 0, scripting = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("MDAC: ", 0) == 0)
            mdac = i;
        if (lines[i].rfind("ScriptingRuntimePresent: ", 0) == 0)
            scripting = i;
    }
    EXPECT_EQ(scripting, mdac + 1);
    EXPECT_EQ(lines[scripting], "ScriptingRuntimePresent: True");
    EXPECT_EQ(Label(lines.back()), "Can create file in DataPath: ");
    EXPECT_TRUE(reportedErrors_.empty());
}

TEST_F(MainTest, OsLineJoinsVersionTextAndLanguage) {
    modMain::Main();
    const std::string firstLine =
        modMain::gstrDiagnosticReport.substr(0, modMain::gstrDiagnosticReport.find("\r\n"));
    EXPECT_EQ(firstLine.rfind("OS: " + modMain::gstrOSVersion + " ", 0), 0u) << firstLine;
    // major.minor.build, a blank, the additional text
    std::istringstream version(modMain::gstrOSVersion);
    int major = -1, minor = -1, build = -1;
    char dot1 = 0, dot2 = 0;
    version >> major >> dot1 >> minor >> dot2 >> build;
    EXPECT_GE(major, 0);
    EXPECT_EQ(dot1, '.');
    EXPECT_EQ(dot2, '.');
    EXPECT_GE(build, 0);
}

TEST_F(MainTest, StagesRunInTheirFixedOrder) {
    modMain::Main();
    const std::vector<std::string> expected = {"InitializeDefaults",
                                               "InitializePaths",
                                               "InitializeDebugging",
                                               "CheckDatabase",
                                               "Settings_Read_FromRegistry",
                                               "CheckExtraFiles",
                                               "CheckMDAC",
                                               "InitializeCommonControls",
                                               "IsScriptingRuntimePresent",
                                               "LogPaths",
                                               "ShowDiagnosticWindow"};
    EXPECT_EQ(stages_, expected);
}

TEST_F(MainTest, HourglassIsSetFirstAndEndedByTheFirstActivation) {
    modMain::Main();
    ASSERT_GE(ui_.pointerHistory.size(), 2u);
    EXPECT_EQ(ui_.pointerHistory.front(), 11);
    EXPECT_EQ(ui_.pointerHistory.back(), 0);
}

TEST_F(MainTest, ErrorBeforeCommonControlsReportsProgressOneAndShowsNoWindow) {
    failAt_ = "CheckDatabase";
    modMain::Main();
    ASSERT_EQ(reportedErrors_.size(), 1u);
    const ReportedError& e = reportedErrors_[0];
    EXPECT_EQ(e.number, err::kInvalidProcedureCall);
    EXPECT_EQ(e.description, "Invalid procedure call or argument");
    EXPECT_EQ(e.module, "modMain");
    EXPECT_EQ(e.procedure, "Main");
    EXPECT_EQ(e.extra, "DebugLineNum = 1");
    EXPECT_EQ(windows_.WindowsShown(), 0);
    // The sequence ended where the error happened: the hourglass stays.
    EXPECT_EQ(ui_.MousePointer(), 11);
    EXPECT_EQ(stages_.back(), "CheckDatabase");
}

TEST_F(MainTest, ErrorAfterCommonControlsReportsProgressFour) {
    failAt_ = "LogPaths";
    failNumber_ = err::kOverflow;
    modMain::Main();
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].extra, "DebugLineNum = 4");
    EXPECT_EQ(reportedErrors_[0].number, err::kOverflow);
    EXPECT_EQ(modMain::gstrDiagnosticReport.find("ScriptingRuntimePresent: "), std::string::npos);
    EXPECT_EQ(windows_.WindowsShown(), 0);
}

TEST_F(MainTest, Error364IsNotReportedButStillEndsTheRun) {
    for (const char* stage : {"InitializePaths", "ShowDiagnosticWindow"}) {
        reportedErrors_.clear();
        stages_.clear();
        test::ResetAllModules();
        modMain::SetProgramFolderForTesting((Home() / "app").string());
        modMain::SetStageHookForTesting([&](const std::string& s) {
            stages_.push_back(s);
            if (s == stage)
                throw RuntimeError(err::kUnloadDuringLoad);
        });
        modMain::Main();
        EXPECT_TRUE(reportedErrors_.empty()) << stage;
        EXPECT_EQ(stages_.back(), stage);
        EXPECT_EQ(windows_.WindowsShown(), 0);
    }
}

TEST_F(MainTest, DebugModeOffWritesNoLogFile) {
    modMain::Main();
    ASSERT_FALSE(modDebug::gblnDebugMode);
    EXPECT_TRUE(test::fs::is_empty(modMain::LogPath));
}

TEST_F(MainTest, DefaultsHoldTheirTableValues) {
    modMain::InitializeDefaults();
    EXPECT_EQ(modMain::gstrStatusText, "Press F6 to create a new Branch, F8 to create a new Item");
    EXPECT_EQ(modMain::gstrProductName, "Vellumo");
    EXPECT_EQ(modMain::gstrAppTitle, "Vellumo");
    EXPECT_EQ(modMain::gstrDateFormatLong, "MMMM DD, YYYY");
    EXPECT_EQ(modMain::gstrDateFormatShort, "YYYY-MM-DD");
    EXPECT_EQ(modMain::gstrTimeFormat, "hh:mm");
    EXPECT_TRUE(modOptions::gblnMRUUseRegistry);
    EXPECT_EQ(modMain::gstrDefaultFontName, "Calibri");
    EXPECT_EQ(modMain::gcurDefaultFontSize, Currency::FromWhole(11));
    EXPECT_EQ(modMain::gstrDefaultFixedFontName, "Courier New");
    EXPECT_EQ(modMain::gintDefaultFixedFontSize, 10);
    EXPECT_EQ(modOptions::AutoStartCalendar, 0);
    EXPECT_EQ(modOptions::BackColorEdit, 16777215);
    EXPECT_EQ(modOptions::BackColorTree, 16777215);
    EXPECT_EQ(modMain::glngDefaultBackColorEdit, 16777215);
    EXPECT_EQ(modMain::glngDefaultBackColorTree, 16777215);
    EXPECT_FALSE(modMain::WindowsUserName.empty());
    EXPECT_EQ(modMain::gstrUserNameForDb,
              modDatabase::PrepareForSavingIntoDb(modMain::WindowsUserName, 50));
}

TEST(TextRoutines, FixApostrophesDoublesEveryApostrophe) {
    EXPECT_EQ(modMain::FixApostrophes(""), "");
    EXPECT_EQ(modMain::FixApostrophes("plain"), "plain");
    EXPECT_EQ(modMain::FixApostrophes("O'Neil"), "O''Neil");
    EXPECT_EQ(modMain::FixApostrophes("''"), "''''");
    EXPECT_EQ(modMain::FixApostrophes("'a'"), "''a''");
}

TEST(TextRoutines, TruncateTextCountsCharactersNotBytes) {
    EXPECT_EQ(modMain::TruncateText("abcdef", 3), "abc");
    EXPECT_EQ(modMain::TruncateText("abc", 3), "abc");
    EXPECT_EQ(modMain::TruncateText("abc", 10), "abc");
    EXPECT_EQ(modMain::TruncateText("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t"); // "été" -> "ét"
    EXPECT_EQ(modMain::TruncateText("abc", 0), "");
}

TEST(TextRoutines, PrepareForSavingIntoDbKeepsApostrophesInPairs) {
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("O'Neil", 50), "O''Neil");
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("'", 50), "''");
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("'", 1), "\"");
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("a", 50), "a");
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("", 50), "");
    // A cut through a doubled pair drops the dangling apostrophe.
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("ab'c", 3), "ab");
    const std::string name49 = std::string(49, 'x') + "'";
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb(name49, 50), std::string(49, 'x'));
    // Two apostrophes cut to an odd run of three: the result keeps them in pairs.
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("a''b", 4), "a''");
    EXPECT_EQ(modDatabase::PrepareForSavingIntoDb("''", 3), "''");
}

} // namespace
} // namespace vellumo
