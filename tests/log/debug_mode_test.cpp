// The debug switch: only a REG_DWORD 1 turns debug mode on; without a log folder no file of the
// current folder is deleted.
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

constexpr const char* kDebugKey = "Software\\Kestrova\\Vellumo\\Debug";

class DebugModeTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        logDir_ = Home() / "Log";
        test::fs::create_directories(logDir_);
        modMain::LogPath = logDir_.string() + "/";
        test::WriteFile(logDir_ / "Log.txt", "old log");
    }

    test::fs::path logDir_;
};

TEST_F(DebugModeTest, AnythingButDwordOneLeavesNoTrace) {
    const std::pair<const char*, void (*)()> cases[] = {
        {"missing", [] {}},
        {"DWORD 0",
         [] {
             EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kDebugKey, "On", 0), "Success");
         }},
        {"DWORD 2",
         [] {
             EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kDebugKey, "On", 2), "Success");
         }},
        {"DWORD -1",
         [] {
             EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kDebugKey, "On", -1), "Success");
         }},
        {"text 1",
         [] {
             EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kDebugKey, "On", "1"),
                       "Success");
         }},
    };
    for (const auto& [name, set] : cases) {
        SCOPED_TRACE(name);
        set();
        modDebug::gblnDebugMode = true; // the switch decides, not what the flag held before
        modDebug::InitializeDebugging();
        EXPECT_FALSE(modDebug::gblnDebugMode);
        EXPECT_TRUE(ui_.boxes.empty());
        EXPECT_EQ(std::distance(test::fs::directory_iterator(logDir_), {}), 1) << "Log.txt only";
    }
}

TEST_F(DebugModeTest, WithoutLogFolderNoFileOfTheCurrentFolderIsDeleted) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kDebugKey, "On", 1), "Success");
    test::WriteFile(Home() / "Log.txt", "someone else's file");
    const test::fs::path previous = test::fs::current_path();
    test::fs::current_path(Home());
    modMain::LogPath.clear();

    modDebug::InitializeDebugging();
    test::fs::current_path(previous);

    EXPECT_TRUE(modDebug::gblnDebugMode);
    EXPECT_EQ(test::ReadFile(Home() / "Log.txt"), "someone else's file");
    // Both log lines fail visibly, around the notice.
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[0].text.rfind("Error in Sub LogMsg, Err Num: 76", 0), 0u);
    EXPECT_EQ(ui_.boxes[1].icon, ui::MsgIcon::Information);
    EXPECT_EQ(ui_.boxes[2].text.rfind("Error in Sub LogMsg, Err Num: 76", 0), 0u);
}

} // namespace
} // namespace vellumo
