// The start-up sequence in process with the test seams: a data-access version below 2.5 ends the
// run before the window, and a missing scripting runtime is reported and logged.
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

#include <algorithm>

namespace vellumo {
namespace {

using test::fs::path;

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF";
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

class StartupInProcessTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        modMain::SetProgramFolderForTesting(app_.string());
    }

    static void DebugModeOn() {
        EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, "Software\\Kestrova\\Vellumo\\Debug",
                                           "On", 1),
                  "Success");
    }

    [[nodiscard]] static std::vector<std::string> Report() {
        return CrLfLines(modMain::gstrDiagnosticReport);
    }

    // The log's messages without their time stamps.
    [[nodiscard]] static std::vector<std::string> LogMessages() {
        std::vector<std::string> messages;
        for (const std::string& line : CrLfLines(test::ReadFile(modLog::gstrLogFile)))
            messages.push_back(line.substr(10));
        return messages;
    }

    path app_;
};

TEST_F(StartupInProcessTest, OldDataAccessVersionEndsTheRunWithoutAWindow) {
    DebugModeOn();
    modMain::SetDataAccessVersionProbeForTesting([] { return std::string("2.1"); });

    modMain::Main();

    EXPECT_EQ(windows_.WindowsShown(), 0);
    EXPECT_EQ(ui_.MousePointer(), ui::kPointerHourglass) << "the pointer stays an hourglass";
    const std::vector<std::string> report = Report();
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), "MDAC: 2.1");

    const std::vector<std::string> log = LogMessages();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"MDAC Version = 2.1", "MDAC installed: 2.1",
                                        "MDAC Missing Or Out Of Date"}));
    EXPECT_FALSE(Contains(log, "Scripting Runtime not present."));
    EXPECT_FALSE(Contains(log, "AppPath = " + modMain::AppPath));
    EXPECT_TRUE(reportedErrors_.empty());
}

TEST_F(StartupInProcessTest, MissingScriptingRuntimeIsReportedAndLoggedBeforeThePaths) {
    DebugModeOn();
    modMain::SetScriptingRuntimeProbeForTesting([] { return false; });

    modMain::Main();

    EXPECT_EQ(windows_.WindowsShown(), 1);
    EXPECT_TRUE(Contains(Report(), "ScriptingRuntimePresent: False"));
    const std::vector<std::string> log = LogMessages();
    const auto missing = std::find(log.begin(), log.end(), "Scripting Runtime not present.");
    ASSERT_NE(missing, log.end());
    ASSERT_NE(missing + 1, log.end());
    EXPECT_EQ(*(missing + 1), "AppPath = " + modMain::AppPath);
}

} // namespace
} // namespace vellumo
