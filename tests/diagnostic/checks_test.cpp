// The data-access check: the version's leading number, the 2.5 minimum and the lines it writes
// when the component is old or cannot be created.
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/RuntimeError.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class ChecksTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        test::fs::create_directories(Home() / "Log");
        modMain::LogPath = (Home() / "Log").string() + "/";
        modDebug::gblnDebugMode = true;
    }

    static void ProbeVersion(std::string text) {
        modMain::SetDataAccessVersionProbeForTesting([text] { return text; });
    }
    static void ProbeFails() {
        modMain::SetDataAccessVersionProbeForTesting(
            []() -> std::string { throw RuntimeError(429); });
    }

    // The log's messages without their time stamps ("hh:mm:ss" and two spaces).
    [[nodiscard]] static std::vector<std::string> LogMessages() {
        std::vector<std::string> messages;
        for (const std::string& line : Lines(test::ReadFile(modLog::gstrLogFile)))
            messages.push_back(line.substr(10));
        return messages;
    }
};

TEST_F(ChecksTest, VersionIsTheLeadingNumberOfTheComponentText) {
    const std::pair<const char*, double> cases[] = {
        {"2.81.1117.0", 2.81}, {"2.8", 2.8}, {"3.40.1", 3.4}, {"", 0}, {"version 3", 0}};
    for (const auto& [text, expected] : cases) {
        ProbeVersion(text);
        EXPECT_DOUBLE_EQ(modMain::GetMDACVersion(), expected) << text;
    }
    ProbeFails();
    EXPECT_EQ(modMain::GetMDACVersion(), 0.0);
}

TEST_F(ChecksTest, VersionTwoPointFiveIsTheMinimum) {
    ProbeVersion("2.5");
    EXPECT_TRUE(modMain::CheckMDAC());
    ProbeVersion("2.1");
    EXPECT_FALSE(modMain::CheckMDAC());
    ProbeFails();
    EXPECT_FALSE(modMain::CheckMDAC());

    EXPECT_EQ(Lines(modMain::gstrDiagnosticReport),
              (std::vector<std::string>{"MDAC: 2.5", "MDAC: 2.1", "MDAC: 0"}));
    EXPECT_EQ(LogMessages(),
              (std::vector<std::string>{
                  "MDAC Version = 2.5", "MDAC installed: 2.5",                                //
                  "MDAC Version = 2.1", "MDAC installed: 2.1", "MDAC Missing Or Out Of Date", //
                  "MDAC Version =", "MDAC installed: 0", "MDAC Missing Or Out Of Date"}));
    EXPECT_TRUE(ui_.boxes.empty()) << "nothing is shown to the user";
}

} // namespace
} // namespace vellumo
