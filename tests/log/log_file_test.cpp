// The daily log file: date stamp, line format, the file fixed per run, and no log folder.
#include "BuildSettings.h"
#include "diagnostic/modMain.h"
#include "log/modLog.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

void SetClock(int year, int month, int day, int hour, int minute, int second) {
    std::tm now{};
    now.tm_year = year - 1900;
    now.tm_mon = month - 1;
    now.tm_mday = day;
    now.tm_hour = hour;
    now.tm_min = minute;
    now.tm_sec = second;
    modLog::SetClockForTesting([now] { return now; });
}

class LogFileTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        logDir_ = Home() / "Log";
        test::fs::create_directories(logDir_);
        modMain::LogPath = logDir_.string() + "/";
        SetClock(2027, 3, 5, 9, 5, 31);
    }

    [[nodiscard]] std::string Log(const std::string& stamp) const {
        return test::ReadFile(logDir_ / (stamp + ".log"));
    }

    test::fs::path logDir_;
};

TEST_F(LogFileTest, DateStampIsYearMonthDayWithLeadingZeros) {
    EXPECT_EQ(modLog::GetSystemDate(), "20270305");
    SetClock(2026, 12, 17, 0, 0, 0);
    EXPECT_EQ(modLog::GetSystemDate(), "20261217");
}

TEST_F(LogFileTest, LinesAreStampedTrimmedAndAppended) {
    test::WriteFile(logDir_ / "20270305.log", "09:00:00  an earlier run\r\n");
    modLog::LogMsg("  Paths initialized  ");
    SetClock(2027, 3, 5, 23, 0, 7);
    modLog::LogMsg("");
    EXPECT_EQ(Log("20270305"),
              "09:00:00  an earlier run\r\n09:05:31  Paths initialized\r\n23:00:07  \r\n");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(LogFileTest, RunKeepsTheFileOfTheDayItStarted) {
    SetClock(2027, 3, 5, 23, 59, 59);
    modLog::LogMsg("before midnight");
    SetClock(2027, 3, 6, 0, 0, 1);
    modLog::LogMsg("after midnight");
    EXPECT_EQ(Log("20270305"), "23:59:59  before midnight\r\n00:00:01  after midnight\r\n");

    // The next run on the new day starts that day's file; a later run that day appends to it.
    for (const char* run : {"second run", "third run"}) {
        modLog::ResetState();
        SetClock(2027, 3, 6, 8, 0, 0);
        modLog::LogMsg(run);
    }
    EXPECT_EQ(Log("20270306"), "08:00:00  second run\r\n08:00:00  third run\r\n");
}

TEST_F(LogFileTest, WithoutLogFolderTheLineFailsInsteadOfLandingInTheCurrentFolder) {
    const test::fs::path previous = test::fs::current_path();
    test::fs::current_path(Home());
    modMain::LogPath.clear();
    modLog::LogMsg("nowhere to go");
    test::fs::current_path(previous);

    EXPECT_FALSE(test::fs::exists(Home() / "20270305.log"));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error in Sub LogMsg, Err Num: 76, Err Desc: Path not found");
    EXPECT_EQ(ui_.boxes[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(ui_.boxes[0].title, build::kAppTitle);
}

TEST_F(LogFileTest, LogFileThatCannotBeOpenedIsAnAccessError) {
    // A folder where the day's file should be: the line is lost with the access error.
    test::fs::create_directories(logDir_ / "20270305.log");
    modLog::LogMsg("lost");
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "Error in Sub LogMsg, Err Num: 75, Err Desc: Path/File access error");
}

} // namespace
} // namespace vellumo
