// The real program where a new user or an unusual machine meets it: an account without its XDG
// folders, folders that cannot be made, a display that cannot be opened, data-access components
// that are too old and a registry store that cannot be used. Each run still gives support a
// report, and nothing is ever read or written relative to the folder it was started from.
#include "support/TestEnvironment.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vellumo {
namespace {

using test::ProcessOptions;
using test::ProcessResult;
using test::fs::path;
using Strings = std::vector<std::string>;

constexpr const char* kDebugKey = "HKCU\\Software\\Kestrova\\Vellumo\\Debug";
const Strings kXdgVariables = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR",
                               "XDG_RUNTIME_DIR", "DISPLAY",       "WAYLAND_DISPLAY"};

std::string Folder(const path& p) {
    return p.string() + "/";
}

Strings Lines(const std::string& text) {
    Strings lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool Has(const Strings& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Names and contents of the files in a folder, to see that a run left it exactly as it was.
std::map<std::string, std::string> Snapshot(const path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : test::fs::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? test::ReadFile(entry.path()) : "<folder>";
    return files;
}

test::fs::perms Mode(const path& p) {
    return test::fs::status(p).permissions() & test::fs::perms::mask;
}

// Drops to the user "nobody" in a child process of a root test run; nothing otherwise.
void BecomeNobody() {
    if (!test::RunningAsRoot())
        return;
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
        setuid(nobody->pw_uid) != 0)
        _exit(3);
}

// Another program holding the store's write lock, as the same user as the program under test
// (so that the files SQLite adds beside the store stay that user's).
class StoreLockHolder {
public:
    explicit StoreLockHolder(const path& store) {
        int ready[2];
        if (pipe(ready) != 0 || pipe(release_) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release_[1]);
            BecomeNobody();
            sqlite3* db = nullptr;
            const bool locked =
                sqlite3_open(store.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
            const char answer = locked ? '1' : '0';
            (void)!write(ready[1], &answer, 1);
            char ignored = 0;
            (void)!read(release_[0], &ignored, 1); // until the test closes its end
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            _exit(0);
        }
        close(ready[1]);
        close(release_[0]);
        char answer = 0;
        locked_ = read(ready[0], &answer, 1) == 1 && answer == '1';
        close(ready[0]);
    }
    ~StoreLockHolder() {
        close(release_[1]);
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }
    StoreLockHolder(const StoreLockHolder&) = delete;
    StoreLockHolder& operator=(const StoreLockHolder&) = delete;

    [[nodiscard]] bool Locked() const { return locked_; }

private:
    int release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool locked_ = false;
};

class FreshAccountTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"), app_ / "VellumoDiagnostic");
        // The unprivileged user reaches the program; what it may write is set up per test.
        test::fs::permissions(Home(), test::fs::perms::all);
        test::fs::permissions(app_, test::fs::perms::all);
    }

    // A folder that belongs to the user the program runs as (nobody, when the tests run as root).
    path UserFolder(const std::string& name) const {
        const path folder = Home() / name;
        test::fs::create_directories(folder);
        if (test::RunningAsRoot()) {
            const passwd* nobody = getpwnam("nobody");
            EXPECT_NE(nobody, nullptr);
            if (nobody != nullptr) {
                EXPECT_EQ(chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            }
        }
        return folder;
    }

    // A folder nobody but root may write to (when the tests run as root; otherwise one the user
    // has made read-only).
    path LockedFolder(const std::string& name) const {
        const path folder = Home() / name;
        test::fs::create_directories(folder);
        test::fs::permissions(folder,
                              test::fs::perms::owner_read | test::fs::perms::owner_exec |
                                  test::fs::perms::group_read | test::fs::perms::group_exec |
                                  test::fs::perms::others_read | test::fs::perms::others_exec);
        return folder;
    }

    // The program as the unprivileged user with only HOME (and what `env` adds): no XDG
    // variables, no display, a dot-decimal locale.
    ProcessResult Run(const path& home, std::map<std::string, std::string> env = {},
                      const path& workingFolder = {}) const {
        env["HOME"] = home.string();
        env.emplace("LC_ALL", "C.UTF-8");
        Strings unset;
        for (const std::string& name : kXdgVariables)
            if (env.find(name) == env.end())
                unset.push_back(name);
        return test::RunProcessWith({(app_ / "VellumoDiagnostic").string()},
                                    ProcessOptions{env, unset, {}, workingFolder, true});
    }

    // vellumo-reg as the same user with the same HOME.
    static ProcessResult Reg(const path& home, const Strings& arguments) {
        Strings argv = {test::BuiltProgram("vellumo-reg")};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Strings unset(kXdgVariables);
        return test::RunProcessWith(argv,
                                    ProcessOptions{{{"HOME", home.string()}}, unset, {}, {}, true});
    }

    path app_;
};

TEST_F(FreshAccountTest, NewAccountWithoutDataHomeGetsAWholeReport) {
    const path home = UserFolder("alice");
    ASSERT_FALSE(test::fs::exists(home / ".local"));

    const ProcessResult r = Run(home, {}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const path dataHome = home / ".local" / "share";
    const path data = dataHome / "Vellumo Data";
    const Strings lines = Lines(r.out);
    for (const std::string& line :
         Strings{"MyDocsPath: " + Folder(home / "Documents"), "CommonDocsPath: " + Folder(dataHome),
                 "DataPath: " + Folder(data), "AutoBackupPath: " + Folder(data / "Backup"),
                 "ConfigPath: " + Folder(data / "Config"), "LogPath: " + Folder(data / "Log"),
                 "Initializing settings in registry",
                 "File doesn't exist: " + Folder(data / "Config") + "options.ini"})
        EXPECT_TRUE(Has(lines, line)) << line << "\n" << r.out;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Can create file in DataPath: " + Folder(data));

    // The data home is made as programs make it: private, parents included.
    EXPECT_EQ(Mode(home / ".local"), test::fs::perms::owner_all);
    EXPECT_EQ(Mode(dataHome), test::fs::perms::owner_all);
    for (const char* sub : {"Backup", "Config", "Export", "Log"})
        EXPECT_TRUE(test::fs::is_directory(data / sub)) << sub;
    EXPECT_TRUE(test::fs::exists(home / ".config" / "kestrova" / "registry.db"));

    // The second run finds everything in place.
    const ProcessResult again = Run(home, {}, home);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(Has(Lines(again.out), "Settings are already saved in registry")) << again.out;
}

TEST_F(FreshAccountTest, AHomeWithNonAsciiCharactersWorksWhateverTheLocale) {
    // File names are bytes: they pass through unchanged under "C", under a UTF-8 locale and
    // under one the environment names but the system does not have (common over SSH).
    int run = 0;
    for (const char* locale : {"C", "C.UTF-8", "de_ZZ.UTF-8"}) {
        const path home = UserFolder("J\xC3\xBCrgen K\xC3\xB6hler " + std::to_string(run++));
        const path data = home / ".local" / "share" / "Vellumo Data";
        const ProcessResult r = Run(home, {{"LC_ALL", locale}}, home);
        ASSERT_EQ(r.exitCode, 0) << locale << "\n" << r.err;
        const Strings lines = Lines(r.out);
        for (const std::string& line :
             Strings{"DataPath: " + Folder(data), "ConfigPath: " + Folder(data / "Config"),
                     "LogPath: " + Folder(data / "Log"), "DbPath: " + (app_ / "master").string()})
            EXPECT_TRUE(Has(lines, line)) << locale << ": " << line << "\n" << r.out;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Can create file in DataPath: " + Folder(data)) << locale;
        EXPECT_FALSE(test::fs::exists("/Vellumo Data/Config")) << locale;
    }
}

TEST_F(FreshAccountTest, UnknownFoldersNeverSendFilesToTheCurrentFolder) {
    // The data home cannot be made, nor can the fallback at the file-system root be written (or,
    // when it exists, it is not this user's alone): DataPath and the later paths stay empty.
    const path home = UserFolder("bob");
    const path dataHome = LockedFolder("locked") / "share";
    const path work = UserFolder("work");
    test::WriteFile(work / "options.ini", "FontName_Tree,Stray\r\n\r\n");
    test::WriteFile(work / "auxiliary.ini", "AutoStartCalendar,-1\r\n\r\n");
    test::WriteFile(work / "mru.ini", "MaxCount,6\r\nCount,1\r\nFile1,/stray\r\n\r\n");
    test::WriteFile(work / "Log.txt", "someone else's log");
    ASSERT_EQ(
        Reg(home, {"add", kDebugKey, "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"}).exitCode, 0);
    const auto before = Snapshot(work);
    const bool rootFolderExisted = test::fs::exists("/Vellumo Data");

    const ProcessResult r = Run(home, {{"XDG_DATA_HOME", dataHome.string()}}, work);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const Strings lines = Lines(r.out);
    EXPECT_TRUE(Has(lines, "CommonDocsPath: " + Folder(dataHome))) << r.out;
    EXPECT_TRUE(Has(lines, "DataPath: ")) << r.out;
    EXPECT_TRUE(Has(lines, "AutoBackupPath: ")) << r.out;
    if (!rootFolderExisted) {
        EXPECT_FALSE(test::fs::exists("/Vellumo Data"));
    }
    EXPECT_TRUE(Has(lines, "ConfigPath: ")) << r.out;
    EXPECT_TRUE(Has(lines, "LogPath: ")) << r.out;
    EXPECT_TRUE(Has(lines, "File doesn't exist: options.ini")) << r.out;
    EXPECT_FALSE(test::fs::exists(dataHome));

    EXPECT_EQ(Snapshot(work), before) << "nothing read into the registry, nothing written";
    const ProcessResult fonts =
        Reg(home, {"query", "HKCU\\Software\\Kestrova\\Vellumo\\Options\\Fonts\\Tree"});
    EXPECT_NE(fonts.exitCode, 0) << "the stray options.ini was migrated:\n" << fonts.out;
    const ProcessResult files = Reg(home, {"query", "HKCU\\Software\\Kestrova\\Vellumo\\Files"});
    EXPECT_EQ(files.out.find("/stray"), std::string::npos) << files.out;
}

TEST_F(FreshAccountTest, DisplayThatCannotBeOpenedGivesTheReportOnStandardOutput) {
    const path built = path(test::BuiltProgram("VellumoDiagnostic")).parent_path();
    test::fs::copy_file(built / "libvellumo-gui.so", app_ / "libvellumo-gui.so");
    const path home = UserFolder("carol");
    const path runtime = UserFolder("runtime");

    const std::vector<std::map<std::string, std::string>> displays = {
        {{"DISPLAY", ":987"}},
        {{"WAYLAND_DISPLAY", "vellumo-no-compositor"}, {"XDG_RUNTIME_DIR", runtime.string()}},
        {{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY", "/nonexistent/wayland-0"}}};
    for (const auto& display : displays) {
        const ProcessResult r = Run(home, display);
        const std::string which = display.begin()->second;
        EXPECT_EQ(r.exitCode, 0) << which << "\n" << r.err;
        EXPECT_EQ(LineCount(r.err), 1u) << which << "\n" << r.err;
        EXPECT_NE(r.err.find("cannot open the display"), std::string::npos) << r.err;
        const Strings lines = Lines(r.out);
        ASSERT_FALSE(lines.empty()) << which;
        EXPECT_TRUE(lines.front().starts_with("OS: ")) << r.out;
        EXPECT_TRUE(lines.back().starts_with("Can create file in DataPath: ")) << r.out;
    }
}

TEST_F(FreshAccountTest, OldDataAccessComponentsEndTheReportAtTheirLine) {
    const path home = UserFolder("dave");
    // Beside the program, where the unprivileged user can read it.
    const path standIn = app_ / path(VELLUMO_OLD_DATA_ACCESS_LIBRARY).filename();
    test::fs::copy_file(VELLUMO_OLD_DATA_ACCESS_LIBRARY, standIn);
    std::map<std::string, std::string> env = {{"LD_PRELOAD", standIn.string()}};
    // A sanitizer runtime wants to be loaded first; the stand-in does not disturb it.
    if (const char* asan = std::getenv("ASAN_OPTIONS"))
        env["ASAN_OPTIONS"] = std::string(asan) + ":verify_asan_link_order=0";

    const ProcessResult r = Run(home, env);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const Strings lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.front().starts_with("OS: ")) << r.out;
    EXPECT_EQ(lines.back(), "MDAC: 2.1") << r.out;
    EXPECT_TRUE(Has(lines, "Initializing settings in registry")) << r.out;
}

TEST_F(FreshAccountTest, RegistryStoreThatCannotBeMadeIsSaidOnceOnStandardError) {
    const path home = UserFolder("erin");
    const path config = LockedFolder("locked-config") / "config";

    const ProcessResult r = Run(home, {{"XDG_CONFIG_HOME", config.string()}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(LineCount(r.err), 1u) << r.err;
    EXPECT_TRUE(std::regex_search(
        r.err, std::regex("^vellumo: The folder \".*/locked-config/config/kestrova\" of the "
                          "registry store cannot be created \\(.+\\)\\.\n$")))
        << r.err;
    // The report is the report of any first run.
    const Strings lines = Lines(r.out);
    EXPECT_TRUE(Has(lines, "Initializing settings in registry")) << r.out;
    EXPECT_TRUE(lines.back().starts_with("Can create file in DataPath: ")) << r.out;
}

TEST_F(FreshAccountTest, LockedRegistryStoreIsSaidOnceAndLoggedInDebugMode) {
    const path home = UserFolder("frank");
    ASSERT_EQ(
        Reg(home, {"add", kDebugKey, "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"}).exitCode, 0);
    const path store = home / ".config" / "kestrova" / "registry.db";
    ProcessResult r;
    {
        StoreLockHolder lock(store);
        ASSERT_TRUE(lock.Locked());
        r = Run(home, {{"VELLUMO_REGISTRY_BUSY_TIMEOUT_MS", "20"}});
    }

    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string problem =
        "The registry store \"" + store.string() + "\" stayed locked by another program";
    EXPECT_NE(r.err.find("vellumo: " + problem), std::string::npos) << r.err;
    // The debug notice is a message box (on standard error without a display), then the store's
    // one line.
    EXPECT_EQ(LineCount(r.err), 1u + LineCount(r.err.substr(0, r.err.find("vellumo: ")))) << r.err;
    EXPECT_TRUE(Has(Lines(r.out), "Initializing settings in registry")) << r.out;

    std::string log;
    const path logFolder = home / ".local" / "share" / "Vellumo Data" / "Log";
    for (const auto& entry : test::fs::directory_iterator(logFolder))
        log += test::ReadFile(entry.path());
    EXPECT_NE(log.find("  Registry store: " + problem), std::string::npos) << log;
}

} // namespace
} // namespace vellumo
