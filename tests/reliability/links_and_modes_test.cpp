// Files and folders the program keeps for the user on Linux: the write test's file, the log and
// the option files are never written through a link (their names are predictable), what the
// program makes is the user's alone whatever the umask, and a folder at the file-system root
// serves as the user's only when it is.
#include "diagnostic/frmMain.h"
#include "platform/PrivateFolder.h"
#include "settings/SettingsTestSupport.h"

#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo {
namespace {

using Strings = std::vector<std::string>;

// What an attacker may leave where the program will write: a link to the user's file, a link to
// where a new file would appear, a second name of the user's file, a pipe nobody reads.
enum class Planted { kLinkToFile, kDanglingLink, kHardLink, kPipe };
constexpr Planted kPlanted[] = {Planted::kLinkToFile, Planted::kDanglingLink, Planted::kHardLink,
                                Planted::kPipe};

class LinksAndModesTest : public test::SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        victim_ = Home() / "victim.txt";
        test::WriteFile(victim_, "the user's own file");
        dangling_ = Home() / "appears-here.txt";
    }

    void Plant(Planted what, const test::fs::path& at) const {
        switch (what) {
        case Planted::kLinkToFile:
            test::fs::create_symlink(victim_, at);
            break;
        case Planted::kDanglingLink:
            test::fs::create_symlink(dangling_, at);
            break;
        case Planted::kHardLink:
            test::fs::create_hard_link(victim_, at);
            break;
        case Planted::kPipe:
            ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
            break;
        }
    }
    void ExpectUntouched() const {
        EXPECT_EQ(test::ReadFile(victim_), "the user's own file");
        EXPECT_FALSE(test::fs::exists(dangling_));
    }
    static mode_t Mode(const test::fs::path& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    test::fs::path victim_;
    test::fs::path dangling_;
};

TEST_F(LinksAndModesTest, TheWriteTestNeverWritesThroughWhatItFindsAtItsName) {
    for (const Planted what : kPlanted) {
        // The names of this second and the next few, as an attacker who knows the clock would.
        const std::time_t now = std::time(nullptr);
        std::vector<test::fs::path> names;
        for (std::time_t t = now; t < now + 5; ++t) {
            std::tm tm{};
            localtime_r(&t, &tm);
            char name[32];
            std::strftime(name, sizeof name, "Test_%y%m%d%H%M%S.txt", &tm);
            names.push_back(data_ / name);
            Plant(what, names.back());
        }
        modMain::gstrDiagnosticReport.clear();
        frmMain form;
        bool created = true;
        form.CanCreateFileInFolder(modMain::DataPath, created);
        EXPECT_FALSE(created) << static_cast<int>(what);
        EXPECT_EQ(test::CrLfLines(modMain::gstrDiagnosticReport),
                  (Strings{"Err.Number: 75, Err.Description = Path/File access error"}));
        ExpectUntouched();
        for (const test::fs::path& name : names)
            test::fs::remove(name);
    }
}

TEST_F(LinksAndModesTest, TheLogNeverWritesThroughWhatItFindsAtItsName) {
    // A new run on 5 March 2027 (the run's file name and clock start anew).
    const auto newRun = [] {
        modLog::ResetState();
        std::tm day{};
        day.tm_year = 2027 - 1900;
        day.tm_mon = 2;
        day.tm_mday = 5;
        modLog::SetClockForTesting([day] { return day; });
    };
    const test::fs::path log = data_ / "Log" / "20270305.log";
    for (const Planted what : kPlanted) {
        Plant(what, log);
        newRun();
        ui_.boxes.clear();
        modLog::LogMsg("Paths initialized");
        ASSERT_EQ(ui_.boxes.size(), 1u) << static_cast<int>(what);
        EXPECT_EQ(ui_.boxes[0].text, "Error in Sub LogMsg, Err Num: 75, Err Desc: Path/File access "
                                     "error");
        ExpectUntouched();
        test::fs::remove(log);
    }
    // The user's own log of the day is appended to, its mode kept.
    test::WriteFile(log, "09:00:00  earlier\r\n");
    test::fs::permissions(log, test::fs::perms(0640));
    newRun();
    modLog::LogMsg("later");
    EXPECT_EQ(test::ReadFile(log), "09:00:00  earlier\r\n00:00:00  later\r\n");
    EXPECT_EQ(Mode(log), 0640u);
}

TEST_F(LinksAndModesTest, WhatTheProgramMakesIsTheUsersAloneWhateverTheUmask) {
    const mode_t previous = umask(0);
    modMain::InitializePaths();
    const test::fs::path data = DataHome() / "Vellumo Data";
    ASSERT_EQ(modMain::DataPath, FolderOf(data));
    for (const char* folder : {"", "Backup", "Config", "Export", "Log"})
        EXPECT_EQ(Mode(data / folder), 0700u) << folder;

    EnableDebugLog();
    modLog::LogMsg("a line");
    EXPECT_FALSE(modOptions::Config_Read(true, false)); // missing: written with the defaults
    frmMain form;
    bool created = false;
    form.CanCreateFileInFolder(modMain::DataPath, created);
    umask(previous);
    ASSERT_TRUE(created);
    std::vector<test::fs::path> files = {modLog::gstrLogFile, data / "Config" / "options.ini"};
    for (const auto& entry : test::fs::directory_iterator(data))
        if (entry.path().filename().string().starts_with("Test_"))
            files.push_back(entry.path());
    ASSERT_EQ(files.size(), 3u);
    for (const test::fs::path& file : files)
        EXPECT_EQ(Mode(file), 0600u) << file;
}

TEST(PrivateFolderTest, AFolderIsTheUsersOwnOnlyWhenNoOneElseMayWriteOrReplaceIt) {
    test::TempDir temp;
    const test::fs::path own = temp.Path() / "own";
    ASSERT_EQ(MakePrivateFolder(own.string()), 0);
    EXPECT_TRUE(FolderIsTheUsersOwn(own.string()));
    EXPECT_TRUE(FolderIsTheUsersOwn(own.string() + "/"));
    EXPECT_EQ(MakePrivateFolder(own.string()), 0) << "an existing folder is no failure";

    const struct {
        const char* name;
        mode_t mode;
    } writable[] = {{"group", 0770}, {"everyone", 0777}, {"sticky", 01777}};
    for (const auto& folder : writable) {
        const test::fs::path path = temp.Path() / folder.name;
        ASSERT_EQ(MakePrivateFolder(path.string()), 0);
        ASSERT_EQ(chmod(path.c_str(), folder.mode), 0);
        EXPECT_FALSE(FolderIsTheUsersOwn(path.string())) << folder.name;
    }
    test::fs::create_directory_symlink(own, temp.Path() / "link");
    EXPECT_FALSE(FolderIsTheUsersOwn((temp.Path() / "link").string()));
    test::WriteFile(temp.Path() / "file", "x");
    EXPECT_FALSE(FolderIsTheUsersOwn((temp.Path() / "file").string()));
    EXPECT_EQ(MakePrivateFolder((temp.Path() / "file").string()), EEXIST);
    EXPECT_FALSE(FolderIsTheUsersOwn((temp.Path() / "missing").string()));

    // Another user's folder: root gives one to "nobody"; anyone else finds root's.
    test::fs::path others = "/usr";
    if (test::RunningAsRoot()) {
        others = temp.Path() / "nobodys";
        ASSERT_EQ(MakePrivateFolder(others.string()), 0);
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(chown(others.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    EXPECT_FALSE(FolderIsTheUsersOwn(others.string()));
}

} // namespace
} // namespace vellumo
