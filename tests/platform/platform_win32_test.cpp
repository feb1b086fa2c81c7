// The Win32 backend of the platform layer against the real system (Wine in the test runs):
// COSInfo's facts and setup defaults, the file helpers' attribute rules, the special folders,
// the ANSI code page, and CShellExecute's results and kept process.
#include "log/modLog.h"
#include "platform/COSInfo.h"
#include "platform/CShellExecute.h"
#include "platform/CodePage.h"
#include "platform/CommonControls.h"
#include "platform/RuntimeError.h"
#include "platform/StdioFile.h"
#include "platform/cRegistry.h"
#include "platform/modAPIFilesAndPaths.h"
#include "platform/modFileA.h"
#include "platform/modShellFolders.h"
#include "state/PathSet.h"
#include "support/TestEnvironment.h"

#include <windows.h>

#include <chrono>
#include <regex>
#include <thread>

namespace vellumo {
namespace {

using test::fs::path;

// <windows.h> makes macros of the registry's names; the program's values, spelt out.
constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
constexpr auto kText = static_cast<eValueType>(1); // REG_SZ

std::string Environment(const char* name) {
    char value[512] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

class PlatformWin32Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        dir_ = Home() / "files";
        test::fs::create_directories(dir_);
    }

    std::string File(const std::string& name, const std::string& content = "12345") const {
        test::WriteFile(dir_ / name, content);
        return (dir_ / name).string();
    }
    static void SetAttributes(const std::string& file, DWORD attributes) {
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), attributes));
    }

    COSInfo info_;
    path dir_;
};

TEST_F(PlatformWin32Test, SystemFactsComeFromTheSystem) {
    EXPECT_EQ(info_.WindowsType(), 2) << "NT family";
    EXPECT_GE(info_.OSMajorVersion(), 5);
    EXPECT_EQ(info_.OSBuild() & ~0x7FFF, 0);
    EXPECT_EQ(info_.UserName(), Environment("USERNAME"));
    EXPECT_TRUE(EqualsNoCase(info_.ComputerName(), Environment("COMPUTERNAME")))
        << info_.ComputerName();
    if (PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_ENGLISH) {
        EXPECT_EQ(info_.Language(), "English");
    }
    const std::string windows = info_.WindowsDirectory();
    const std::string system = info_.SystemDirectory();
    EXPECT_TRUE(EqualsNoCase(system, windows + "\\system32")) << system;
    EXPECT_FALSE(info_.CurrentHardwareProfile().empty());
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, TempFileIsNamedWithUniqueNumberOneAndNotCreated) {
    const std::string folder = info_.TempPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    const std::string name = info_.TempFile("Vellumo");
    EXPECT_TRUE(EqualsNoCase(name, folder + "Vel1.tmp")) << name;
    EXPECT_EQ(info_.TempFile("Vellumo"), name);
    EXPECT_FALSE(test::fs::exists(name));
}

TEST_F(PlatformWin32Test, GuidsAreNewAndWrittenWithoutPadding) {
    const std::regex shape("\\{[0-9A-F]{1,8}-[0-9A-F]{1,4}-[0-9A-F]{1,4}-[0-9A-F]{8,16}\\}");
    const std::string first = info_.GUID();
    const std::string second = info_.GUID();
    EXPECT_TRUE(std::regex_match(first, shape)) << first;
    EXPECT_TRUE(std::regex_match(second, shape)) << second;
    EXPECT_NE(first, second);
}

TEST_F(PlatformWin32Test, SetupDefaultsAreReadOnlyFromTextValues) {
    EXPECT_EQ(info_.DefaultUserName(), "") << "no setup key";
    cRegistry reg;
    reg.SetClassKey(kCurrentUser);
    reg.SetSectionKey("Software\\Microsoft\\MS Setup (ACME)\\User Info");
    reg.SetValueType(kText);
    reg.SetValueKey("DefName");
    reg.SetValue(std::string("Jürgen"));
    reg.SetValueKey("DefCompany");
    reg.SetValue(std::string("%SystemRoot%\\Kestrova")); // stored as REG_EXPAND_SZ
    EXPECT_EQ(info_.DefaultUserName(), "Jürgen");
    EXPECT_EQ(info_.DefaultCompanyName(), "");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, SystemSettingsRoundTrip) {
    const int32_t timeout = info_.ScreenSaverTimeout();
    info_.SetScreenSaverTimeout(420);
    EXPECT_EQ(info_.ScreenSaverTimeout(), 420);
    info_.SetScreenSaverTimeout(timeout);
    const bool beep = info_.Beep();
    info_.SetBeep(!beep);
    EXPECT_EQ(info_.Beep(), !beep);
    info_.SetBeep(beep);
    InitCommonControlsUserEx(); // ignores every failure: nothing to see
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, NormalFilesAreThoseWithoutHiddenSystemOrFolderAttributes) {
    using modFileA::FileExists;
    const std::string plain = File("plain.txt");
    const std::string hidden = File("hidden.txt");
    const std::string system = File("system.txt");
    const std::string readOnly = File("readonly.txt");
    SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(system, FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(readOnly, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(FileExists(plain));
    EXPECT_FALSE(FileExists(hidden));
    EXPECT_FALSE(FileExists(system));
    EXPECT_TRUE(FileExists(readOnly));
    EXPECT_FALSE(FileExists(dir_.string()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(FileExists((dir_ / "*.txt").string()));
    EXPECT_FALSE(FileExists((dir_ / "*.doc").string()));
    EXPECT_FALSE(FileExists("Q:\\no\\such\\drive.txt"));
    EXPECT_TRUE(FileExists(File("J\xC3\xBCrgen.txt"))) << "names go through the code page";

    // Wildcards delete the normal files only.
    modFileA::KillFile((dir_ / "*.txt").string());
    EXPECT_FALSE(test::fs::exists(plain));
    EXPECT_TRUE(test::fs::exists(hidden));
    EXPECT_TRUE(test::fs::exists(system));
    EXPECT_TRUE(modFileA::KillFile((dir_ / "missing.txt").string()));
    SetAttributes(readOnly, FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, FoldersExistWithOrWithoutTrailingBackslash) {
    using modFileA::DirExists;
    EXPECT_TRUE(DirExists(dir_.string()));
    EXPECT_TRUE(DirExists(dir_.string() + "\\"));
    EXPECT_TRUE(DirExists("C:"));
    EXPECT_TRUE(DirExists("C:\\"));
    EXPECT_FALSE(DirExists(File("a.txt")));
    EXPECT_FALSE(DirExists((dir_ / "missing").string()));
    const std::string hidden = (dir_ / "hidden").string();
    test::fs::create_directories(hidden);
    SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(DirExists(hidden));
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, FileSizeNeedsReadAndWriteAccess) {
    using modAPIFilesAndPaths::GetFileSize;
    EXPECT_EQ(GetFileSize(File("five.txt")), 5);
    EXPECT_EQ(GetFileSize(File("empty.txt", "")), 0);
    // Both halves of the size: 3 GiB is not negative (a sparse file takes no room).
    const std::string large = File("large.bin", "");
    test::fs::resize_file(large, int64_t{3} << 30);
    EXPECT_EQ(GetFileSize(large), int64_t{3} << 30);
    const std::string readOnly = File("readonly.txt");
    SetAttributes(readOnly, FILE_ATTRIBUTE_READONLY);
    // Wine keeps the read-only attribute as missing write permission, which root ignores: there
    // the system itself opens the file for writing, and so does the program.
    const HANDLE writer = CreateFileA(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(GetFileSize(readOnly), -1);
    } else {
        CloseHandle(writer);
        EXPECT_EQ(GetFileSize(readOnly), 5);
    }
    SetAttributes(readOnly, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileSize((dir_ / "missing.txt").string()), -1);
    EXPECT_EQ(GetFileSize(dir_.string()), -1);

    // A file another program holds without write sharing cannot be measured either.
    const std::string held = File("held.txt");
    const HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(held), -1);
    CloseHandle(holder);
    EXPECT_EQ(GetFileSize(held), 5);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PlatformWin32Test, DocumentsFoldersAreTheShellsFolders) {
    EXPECT_EQ(modShellFolders::GetMyDocumentsPath(0), Documents().string());
    EXPECT_EQ(modShellFolders::GetCommonDocumentsPath(0), DataHome().string());
    int32_t unknown = 0x7F;
    int32_t flags = 0;
    EXPECT_EQ(modShellFolders::GetSpecialFolderPath(unknown, flags, 0), "");
}

TEST_F(PlatformWin32Test, TextsGoThroughTheActiveCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "written for code page 1252, the system's is " << GetACP();
    EXPECT_EQ(ToAnsi("J\xC3\xBCrgen \xE2\x82\xAC"), "J\xFCrgen \x80");
    EXPECT_EQ(FromAnsi("J\xFCrgen \x80"), "J\xC3\xBCrgen \xE2\x82\xAC");
    EXPECT_EQ(ToAnsi("\xE6\x97\xA5\xE6\x9C\xAC"), "??") << "characters the page lacks";
    EXPECT_EQ(ToAnsi(""), "");
}

TEST_F(PlatformWin32Test, ShellResultsAndTheKeptProcess) {
    CShellExecute shell;
    EXPECT_FALSE(shell.StillExecuting()) << "before any launch";
    EXPECT_EQ(shell.LaunchDocument(0, (dir_ / "missing.txt").string(), "", 1),
              CShellExecute::kFileNotFound);
    EXPECT_FALSE(shell.StillExecuting()) << "no process was started";
    EXPECT_EQ(shell.LaunchFolder(0, (dir_ / "missing").string(), 1), CShellExecute::kFileNotFound);
    EXPECT_EQ(shell.LaunchURL(0, File("data.vellumo-unknown-type"), 1),
              CShellExecute::kNoAssociation);

    // A started program is kept until it ends.
    ASSERT_EQ(
        shell.LaunchProgram(0, "cmd.exe", "/c exit 3", dir_.string(), CShellExecute::kShowHidden),
        CShellExecute::kAccepted);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (shell.StillExecuting() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(shell.StillExecuting());
    EXPECT_TRUE(ui_.boxes.empty());
}

// ---- Stream files ----

TEST_F(PlatformWin32Test, FileHeldByAnotherProgramIsPermissionDenied) {
    const auto failure = [](const std::string& file, StdioMode mode) {
        try {
            (void)OpenStdioFile(file, mode);
            return 0;
        } catch (const RuntimeError& e) {
            return static_cast<int>(e.Number());
        }
    };
    const std::string held = File("held.txt");
    const HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    for (const StdioMode mode : {StdioMode::kInput, StdioMode::kOutput, StdioMode::kAppend})
        EXPECT_EQ(failure(held, mode), err::kPermissionDenied) << static_cast<int>(mode);

    // The debug log held by another program: every line is lost with that error.
    modMain::LogPath = dir_.string() + "\\";
    modLog::gstrLogFile = held;
    modLog::LogMsg("lost");
    CloseHandle(handle);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error in Sub LogMsg, Err Num: 70, Err Desc: Permission denied");
    // Once released, the same file opens.
    EXPECT_EQ(failure(held, StdioMode::kAppend), 0);
}

// The system expands "%NAME%" in the program and the start-in folder of the extended launches
// (SEE_MASK_DOENVSUBST), names without regard to case.
TEST_F(PlatformWin32Test, ExtendedLaunchesExpandPercentReferencesInProgramAndFolder) {
    test::SetEnv("VELLUMO_TEST_DIR", dir_.string());
    CShellExecute shell;
    ASSERT_EQ(shell.LaunchProgram(0, "%SystemRoot%\\system32\\cmd.exe", "/c cd > here.txt",
                                  "%vellumo_test_dir%", CShellExecute::kShowHidden),
              CShellExecute::kAccepted);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (shell.StillExecuting() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(test::fs::exists(dir_ / "here.txt")) << "the start-in folder was not expanded";
    test::UnsetEnv("VELLUMO_TEST_DIR");
}

} // namespace
} // namespace vellumo
