// The folder layout: the paths the report does not show, the separator, and a folder that
// cannot be created (the progress and both paths in the error report, later paths left unset).
#include "diagnostic/modMain.h"
#include "platform/PathSeparator.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

using test::fs::path;

std::string Folder(const path& p) {
    return p.string() + kPathSeparator;
}

class PathsTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        modMain::SetProgramFolderForTesting(app_.string());
        data_ = DataHome() / "Vellumo Data";
    }

    path app_;
    path data_;
};

TEST_F(PathsTest, DefaultsExportAndCalendarFollowTheDataAndProgramFolders) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(modMain::AddBackslash(""), sep);
    EXPECT_EQ(modMain::AddBackslash("/opt/v"), "/opt/v" + sep);
    EXPECT_EQ(modMain::AddBackslash("/opt/v" + sep), "/opt/v" + sep);

    test::fs::create_directories(Documents() / "Vellumo Data" / "Config");
    modMain::InitializePaths();
    EXPECT_EQ(modMain::DefaultDataPath, Folder(data_));
    EXPECT_EQ(modMain::DefaultAutoBackupPath, Folder(data_ / "Backup"));
    EXPECT_EQ(modMain::DefaultOneClickBackupPath, Folder(data_ / "Backup"));
    EXPECT_EQ(modMain::ExportPath, Folder(data_ / "Export"));
    EXPECT_EQ(modMain::CalendarPath, Folder(app_) + "VellumoCalendar.exe");
    // The legacy per-user folder takes ConfigPath only.
    EXPECT_EQ(modMain::ConfigPath, Folder(Documents() / "Vellumo Data" / "Config"));
    EXPECT_EQ(modMain::CommonConfigPath, Folder(data_ / "Config"));
    EXPECT_TRUE(reportedErrors_.empty());
}

TEST_F(PathsTest, FolderThatCannotBeCreatedEndsTheStepsWithTheProgressInTheReport) {
    // A file where the folder belongs makes creating it fail, even for root.
    struct Case {
        const char* blocked;
        int progress;
        std::string* failing;    // assigned before the folder is created
        std::string* notReached; // the next path
    };
    const Case cases[] = {
        {"Backup", 14, &modMain::AutoBackupPath, &modMain::DefaultAutoBackupPath},
        {"Config", 17, &modMain::ConfigPath, &modMain::CommonConfigPath},
        {"Export", 23, &modMain::ExportPath, &modMain::CalendarPath},
        {"Log", 25, &modMain::LogPath, nullptr},
    };
    test::fs::create_directories(data_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocked);
        test::WriteFile(data_ / c.blocked, "a file, not a folder");
        modMain::ResetState();
        reportedErrors_.clear();

        modMain::InitializePaths();

        ASSERT_EQ(reportedErrors_.size(), 1u);
        const ReportedError& e = reportedErrors_[0];
        EXPECT_EQ(e.number, 75);
        EXPECT_EQ(e.description, "Path/File access error");
        EXPECT_EQ(e.module + "." + e.procedure, "modMain.InitializePaths");
        EXPECT_EQ(e.extra, "DebugLineNum = " + std::to_string(c.progress) +
                               ", CDP = " + Folder(DataHome()) + ", DP = " + Folder(data_));
        EXPECT_EQ(*c.failing, Folder(data_ / c.blocked));
        EXPECT_EQ(c.notReached == nullptr ? "" : *c.notReached, "");
        test::fs::remove(data_ / c.blocked);
    }
}

} // namespace
} // namespace vellumo
