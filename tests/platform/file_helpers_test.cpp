// File and path helpers on real files: normal, hidden, special and read-only files, folders,
// wildcards, drive-style paths, file sizes, and the documents folders from the XDG settings.
#include "platform/FolderListing.h"
#include "platform/modAPIFilesAndPaths.h"
#include "platform/modFileA.h"
#include "platform/modShellFolders.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vellumo {
namespace {

using test::IsolatedTest;
using test::WriteFile;
namespace fs = std::filesystem;

class FileHelpersTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        dir_ = Home() / "files";
        fs::create_directories(dir_);
    }
    std::string At(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(FileHelpersTest, FileExistsOnlyForNormalFiles) {
    WriteFile(At("plain.txt"), "x");
    WriteFile(At(".hidden"), "x");
    fs::create_directories(At("folder"));
    fs::create_directories(At(".config"));
    WriteFile(At(".config/inside.txt"), "x");
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);
    fs::create_symlink(At("plain.txt"), At("link.txt"));
    WriteFile(At("readonly.txt"), "x");
    fs::permissions(At("readonly.txt"), fs::perms(0444));

    using modFileA::FileExists;
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(FileExists(At("plain.txt")));
    EXPECT_TRUE(FileExists(At("link.txt")));
    EXPECT_TRUE(FileExists(At("readonly.txt")));
    EXPECT_TRUE(FileExists(At(".config/inside.txt"))); // only the name itself counts as hidden
    EXPECT_FALSE(FileExists(At(".hidden")));
    EXPECT_FALSE(FileExists(At("folder")));
    EXPECT_FALSE(FileExists(At("folder/")));
    EXPECT_FALSE(FileExists(At("pipe")));
    EXPECT_FALSE(FileExists("/dev/null"));
    EXPECT_FALSE(FileExists(At("missing.txt")));
    EXPECT_FALSE(FileExists("Q:\\nothing\\file.txt"));
    EXPECT_FALSE(FileExists(At("plain.txt") + std::string(1, '\0') + "x")); // not cut at the NUL
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(FileHelpersTest, FileExistsMatchesWildcardsAgainstNormalFilesOnly) {
    WriteFile(At("report.log"), "x");
    WriteFile(At("noext"), "x");
    WriteFile(At(".secret.txt"), "x");
    fs::create_directories(At("dir.txt"));

    using modFileA::FileExists;
    EXPECT_TRUE(FileExists(At("*.log")));
    EXPECT_TRUE(FileExists(At("report.???")));
    EXPECT_TRUE(FileExists(At("r*t.l*")));
    EXPECT_TRUE(FileExists(At("noext.*"))); // a final ".*" also matches no extension
    EXPECT_FALSE(FileExists(At("*.txt")));  // only a hidden file and a folder match
    EXPECT_FALSE(FileExists(At("report.??")));
    EXPECT_FALSE(FileExists(At("missing/*.log")));
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST(WildcardTest, StarsBacktrackAndAFinalDotStarAlsoMatchesNoExtension) {
    using modFileA::detail::MatchesWildcard;
    EXPECT_TRUE(MatchesWildcard("a*b*c", "axxbyybc")); // the first "b" is not the one
    EXPECT_TRUE(MatchesWildcard("*", ""));
    EXPECT_TRUE(MatchesWildcard("*.*", "README"));
    EXPECT_TRUE(MatchesWildcard("notes.*", "notes"));
    EXPECT_FALSE(MatchesWildcard("notes.*", "notesx"));
    EXPECT_FALSE(MatchesWildcard("a?", "a"));        // "?" takes exactly one character
    EXPECT_FALSE(MatchesWildcard("*.LOG", "x.log")); // names are case-sensitive here
}

TEST_F(FileHelpersTest, DirExistsWithOrWithoutTrailingSeparator) {
    fs::create_directories(At(".cache"));
    WriteFile(At("file"), "x");
    using modFileA::DirExists;
    EXPECT_TRUE(DirExists(dir_.string()));
    EXPECT_TRUE(DirExists(dir_.string() + "/"));
    EXPECT_TRUE(DirExists(At(".cache"))); // hidden folders are folders
    EXPECT_FALSE(DirExists(At("file")));
    EXPECT_FALSE(DirExists(At("missing")));
    EXPECT_FALSE(DirExists("Q:\\"));
    EXPECT_TRUE(ui_.boxes.empty());
    // A name too long for the file system is an error, not a missing folder.
    EXPECT_FALSE(DirExists(At(std::string(5000, 'n'))));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "DirExists");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 52. Bad file name or number");
}

TEST_F(FileHelpersTest, KillFileDeletesMatchingNormalFilesAndAlwaysSucceeds) {
    for (const char* name : {"a.tmp", "b.tmp", "keep.txt", ".c.tmp"})
        WriteFile(At(name), "x");
    fs::create_directories(At("d.tmp"));
    EXPECT_TRUE(modFileA::KillFile(At("*.tmp")));
    EXPECT_FALSE(fs::exists(At("a.tmp")));
    EXPECT_FALSE(fs::exists(At("b.tmp")));
    EXPECT_TRUE(fs::exists(At("keep.txt")));
    EXPECT_TRUE(fs::exists(At(".c.tmp")));
    EXPECT_TRUE(fs::exists(At("d.tmp")));

    EXPECT_TRUE(modFileA::KillFile(At("keep.txt")));
    EXPECT_FALSE(fs::exists(At("keep.txt")));
    EXPECT_TRUE(modFileA::KillFile(At("keep.txt")));
    EXPECT_TRUE(modFileA::KillFile(At("missing/folder/x")));
    EXPECT_TRUE(modFileA::KillFile(""));
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(FileHelpersTest, DriveFromPathByTheTextRule) {
    using modAPIFilesAndPaths::DriveFromPath;
    EXPECT_EQ(DriveFromPath("D:\\Data\\notes.db"), "D:");
    EXPECT_EQ(DriveFromPath("D:notes.db"), "D:");
    EXPECT_EQ(DriveFromPath("x:y:\\z"), "x:y:"); // the first ":\" wins over the first ":"
    EXPECT_EQ(DriveFromPath("\\\\server\\share\\file"), "");
    EXPECT_EQ(DriveFromPath("/home/user/notes.db"), "");
    EXPECT_EQ(DriveFromPath(""), "");
}

TEST_F(FileHelpersTest, GetFileSizeNeedsAFileOpenForWriting) {
    using modAPIFilesAndPaths::GetFileSize;
    WriteFile(At("five"), "12345");
    WriteFile(At("empty"), "");
    EXPECT_EQ(GetFileSize(At("five")), 5);
    EXPECT_EQ(GetFileSize(At("empty")), 0);
    EXPECT_EQ(GetFileSize(At("missing")), -1);
    EXPECT_EQ(GetFileSize(dir_.string()), -1);
    const int32_t handle = modAPIFilesAndPaths::GetFileHandle(At("five"));
    EXPECT_GE(handle, 3);
    modAPIFilesAndPaths::CloseFileHandle(handle);
    EXPECT_EQ(modAPIFilesAndPaths::GetFileHandle(At("missing")), -1);
    // Sizes of 2 GiB and more come out whole (a sparse file takes no room).
    WriteFile(At("large"), "");
    test::fs::resize_file(At("large"), int64_t{3} << 30);
    EXPECT_EQ(GetFileSize(At("large")), int64_t{3} << 30);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(FileHelpersTest, GetFileSizeOfAReadOnlyFileIsMinusOneForAnOrdinaryUser) {
    WriteFile(At("readonly"), "12345");
    fs::permissions(At("readonly"), fs::perms(0444));
    fs::permissions(Home(), fs::perms(0755));
    fs::permissions(dir_, fs::perms(0755));
    // The size is read in a child that has dropped root's rights, as a user's run would.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(3);
        }
        const int64_t size = modAPIFilesAndPaths::GetFileSize(At("readonly"));
        const bool exists = modFileA::FileExists(At("readonly"));
        _exit(size == -1 && exists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ---- Special folders ----

TEST_F(FileHelpersTest, MyDocumentsComesFromUserDirsThenTheVariableThenTheDefault) {
    using modShellFolders::GetMyDocumentsPath;
    EXPECT_EQ(GetMyDocumentsPath(0), Documents().string()); // XDG_DOCUMENTS_DIR of the fixture
    setenv("XDG_DOCUMENTS_DIR", (Documents().string() + "/").c_str(), 1);
    EXPECT_EQ(GetMyDocumentsPath(0), Documents().string()); // without the trailing separator
    setenv("XDG_DOCUMENTS_DIR", "relative/docs", 1);
    EXPECT_EQ(GetMyDocumentsPath(0), (Home() / "Documents").string());
    unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(GetMyDocumentsPath(0), (Home() / "Documents").string());

    WriteFile(ConfigHome() / "user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                               "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                               "XDG_DOCUMENTS_DIR=\"$HOME/My\\\"Docs\"\n");
    setenv("XDG_DOCUMENTS_DIR", "/elsewhere", 1);
    EXPECT_EQ(GetMyDocumentsPath(0), (Home() / "My\"Docs").string());
    WriteFile(ConfigHome() / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    EXPECT_EQ(GetMyDocumentsPath(0), "/srv/docs");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(FileHelpersTest, CommonDocumentsIsTheDataHome) {
    using modShellFolders::GetCommonDocumentsPath;
    EXPECT_EQ(GetCommonDocumentsPath(0), DataHome().string());
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(GetCommonDocumentsPath(0), (Home() / ".local" / "share").string());
    int32_t unknown = 0x7777;
    int32_t flags = 0;
    EXPECT_EQ(modShellFolders::GetSpecialFolderPath(unknown, flags, 0), "");
    EXPECT_EQ(modShellFolders::TrimAtNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(modShellFolders::TrimAtNull("abc"), "abc");
}

} // namespace
} // namespace vellumo
