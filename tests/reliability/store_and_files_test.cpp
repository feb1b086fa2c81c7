// The real program against a registry store that another process keeps locked, a store file that
// is not a database, a data folder replaced by a file, and files that vanish between the check
// that finds them and the use that needs them (made exact with strace's fault injection: the
// check sees the file, the later open or check does not). Each ends with the program's usual
// handling of that failure or a clear error, and no committed setting is lost.
#include "integration/settings_support.h"

#include <sqlite3.h>

#include <regex>

namespace vellumo {
namespace {

using test::Strings;
namespace fs = std::filesystem;

constexpr const char* kBusyTimeoutVariable = "VELLUMO_REGISTRY_BUSY_TIMEOUT_MS";

class FaultRun : public test::SettingsRunTest {
protected:
    [[nodiscard]] fs::path StoreFile() const { return ConfigHome() / "kestrova" / "registry.db"; }

    static test::ProcessResult Reg(const Strings& args,
                                   const std::map<std::string, std::string>& env = {}) {
        Strings argv = {test::BuiltProgram("vellumo-reg")};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunProcess(argv, env);
    }
    static void AddDword(const std::string& subKey, const std::string& name,
                         const std::string& data) {
        const test::ProcessResult r =
            Reg({"add", test::kRegRoot + subKey, "/v", name, "/t", "REG_DWORD", "/d", data, "/f"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    test::ProcessResult RunWith(const std::map<std::string, std::string>& env) {
        std::map<std::string, std::string> all = {{"LC_ALL", "C.UTF-8"}};
        all.insert(env.begin(), env.end());
        return test::RunProcess({Program()}, all);
    }
    // The environment of a run under strace: LeakSanitizer cannot work under ptrace, so a
    // sanitizer build checks leaks everywhere but there.
    static std::map<std::string, std::string> TracedEnvironment() {
        const char* asan = std::getenv("ASAN_OPTIONS");
        return {{"LC_ALL", "C.UTF-8"},
                {"ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":detect_leaks=0"}};
    }
    // The program under strace, with the system calls on `path` failing as `injection` says
    // (strace's -e inject syntax, for example "openat:error=ENOENT:when=1").
    test::ProcessResult RunInjected(const fs::path& path, const std::string& calls,
                                    const std::string& injection) {
        const Strings argv = {"strace",
                              "-f",
                              "-qq",
                              "-o",
                              "/dev/null",
                              "-P",
                              path.string(),
                              "-e",
                              "trace=" + calls,
                              "-e",
                              "inject=" + injection,
                              Program()};
        return test::RunProcess(argv, TracedEnvironment());
    }
    // How often the program makes the calls on `path` in a run without faults.
    int CountCalls(const fs::path& path, const std::string& calls) {
        const fs::path trace = Home() / "trace.txt";
        const test::ProcessResult r =
            test::RunProcess({"strace", "-f", "-qq", "-o", trace.string(), "-P", path.string(),
                              "-e", "trace=" + calls, Program()},
                             TracedEnvironment());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string text = test::ReadFile(trace);
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    static bool HaveStrace() {
        return test::RunProcess({"strace", "-qq", "-o", "/dev/null", "true"}).exitCode == 0;
    }
    std::string Log() const {
        std::string log;
        for (const auto& entry : fs::directory_iterator(data_ / "Log"))
            log += test::ReadFile(entry.path());
        return log;
    }
};

#define STRACE_OR_SKIP()                                                                           \
    if (!HaveStrace())                                                                             \
    GTEST_SKIP() << "strace is not installed (scripts/install-deps.sh installs it)"

// ---- A store locked by another process ----

// Holds the store's write lock (a writer in the middle of a long transaction) until destroyed.
class StoreLock {
public:
    explicit StoreLock(const fs::path& store) {
        EXPECT_EQ(sqlite3_open_v2(store.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~StoreLock() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    sqlite3* db_ = nullptr;
};

TEST_F(FaultRun, StoreLockedLongerThanTheBusyTimeoutLosesNoCommittedSetting) {
    test::WriteFile(config_ / "options.ini", "FontName_Tree,Tahoma\r\n\r\n");
    AddDword("\\Options", "OptViewBars", "7");
    const std::map<std::string, std::string> shortWait = {{kBusyTimeoutVariable, "50"}};
    {
        StoreLock lock(StoreFile());
        // Readers do not wait for the writer: the committed value reads back.
        const test::ProcessResult query =
            Reg({"query", test::kRegRoot + "\\Options", "/v", "OptViewBars"}, shortWait);
        EXPECT_EQ(query.exitCode, 0) << query.err;
        EXPECT_NE(query.out.find("0x7"), std::string::npos) << query.out;
        // A writer gives up after the busy timeout and says why.
        const test::ProcessResult add = Reg({"add", test::kRegRoot + "\\Options", "/v",
                                             "OptViewBars", "/t", "REG_DWORD", "/d", "9", "/f"},
                                            shortWait);
        EXPECT_EQ(add.exitCode, 1);
        const std::string locked =
            "vellumo: The registry store \"" + StoreFile().string() +
            "\" stayed locked by another program longer than 50 ms; it is not "
            "used for the rest of this run.\n";
        EXPECT_EQ(add.err, locked + "ERROR: The requested resource is in use.\n");

        // The migration cannot write: the run goes on with the file's settings in memory, and the
        // marker stays unset so that the next run migrates again.
        const test::ProcessResult r = RunWith(shortWait);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, locked) << "said once, however many writes failed";
        EXPECT_EQ(SettingsLines(r.out),
                  (Strings{"Initializing settings in registry",
                           "File exists: " + Folder(config_) + "options.ini"}));
    }
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "<missing>");
    EXPECT_EQ(Query("\\Options", "OptViewBars"), "0x7");

    const test::ProcessResult r = RunWith(shortWait);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");

    // Locked again on a later run: the settings are read as they are.
    StoreLock lock(StoreFile());
    const test::ProcessResult later = RunWith(shortWait);
    ASSERT_EQ(later.exitCode, 0) << later.err;
    EXPECT_EQ(SettingsLines(later.out), (Strings{"Settings are already saved in registry"}));
}

TEST_F(FaultRun, BusyTimeoutOfZeroGivesUpAtOnce) {
    AddDword("\\Debug", "On", "0");
    StoreLock lock(StoreFile());
    const test::ProcessResult r =
        Reg({"add", test::kRegRoot + "\\Debug", "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"},
            {{kBusyTimeoutVariable, "0"}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vellumo: The registry store \"" + StoreFile().string() +
                         "\" stayed locked by another program longer than 0 ms; it is not used "
                         "for the rest of this run.\n"
                         "ERROR: The requested resource is in use.\n");
}

// ---- A store file that is not a database ----

TEST_F(FaultRun, StoreThatIsNotADatabaseIsReportedLeftAloneAndTheRunCompletes) {
    fs::create_directories(StoreFile().parent_path());
    const std::string garbage = "these are the user's notes, not a registry store\n";
    test::WriteFile(StoreFile(), garbage);
    test::WriteFile(config_ / "options.ini", "FontName_Tree,Tahoma\r\n\r\n");

    for (int run = 0; run < 2; ++run) {
        const test::ProcessResult r = Run();
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "vellumo: The registry store \"" + StoreFile().string() +
                             "\" is not a valid registry store (file is not a database); it was "
                             "left untouched.\n");
        EXPECT_EQ(SettingsLines(r.out),
                  (Strings{"Initializing settings in registry",
                           "File exists: " + Folder(config_) + "options.ini"}));
        EXPECT_EQ(WindowLines(r.out),
                  (Strings{"", "Can create file in DataPath: " + Folder(data_)}));
    }
    EXPECT_EQ(test::ReadFile(StoreFile()), garbage);
    EXPECT_EQ(fs::directory_iterator(StoreFile().parent_path())->path(), StoreFile())
        << "no side file was made";
    const test::ProcessResult query = Reg({"query", test::kRegRoot});
    EXPECT_EQ(query.exitCode, 1);
    EXPECT_NE(query.err.find("ERROR: The configuration registry database is corrupt."),
              std::string::npos);
}

// ---- A data folder replaced by a file ----

TEST_F(FaultRun, DataFolderReplacedByAFileIsReportedAndTheSettingsStay) {
    // A first run migrates the settings; then the data folder becomes a file.
    test::WriteFile(config_ / "options.ini", "FontName_Tree,Tahoma\r\n\r\n");
    test::ProcessResult r = RunAsNobody();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    fs::remove_all(data_);
    test::WriteFile(data_, "a file where the data folder was");
    const bool rootFolderExisted = fs::exists("/Vellumo Data");

    // As an unprivileged user the fallback at the file-system root cannot be made either (and
    // one that exists is not that user's), so DataPath stays empty. The settings read from the
    // store then set the DataPath setting back to the stored folder, which the write test finds
    // to be no folder.
    r = RunAsNobody();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\r\nDataPath: \r\n"), std::string::npos) << r.out;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Settings are already saved in registry"}));
    EXPECT_EQ(WindowLines(r.out), (Strings{"", "Folder doesn't exist: " + Folder(data_),
                                           "Cannot create file in DataPath: " + Folder(data_)}));
    if (!rootFolderExisted) {
        EXPECT_FALSE(fs::exists("/Vellumo Data"));
    }
    EXPECT_EQ(test::ReadFile(data_), "a file where the data folder was");
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options", "DataPath"), Folder(data_)) << "the setting is kept as it was";
}

// ---- Files that vanish between two checks ----

TEST_F(FaultRun, RecentFileVanishingBetweenItsChecksIsReportedAsMissing) {
    STRACE_OR_SKIP();
    const fs::path recent = Home() / "recent.txt";
    test::WriteFile(recent, "x");
    test::WriteFile(config_ / "mru.ini",
                    "MaxCount,6\r\nCount,1\r\nFile1," + recent.string() + "\r\n\r\n");
    ASSERT_EQ(Run().exitCode, 0); // migrates the list into the registry

    // The list's load, the file to open and its label each look at the file.
    const int looks = CountCalls(recent, "%%stat");
    ASSERT_GE(looks, 3);
    // Gone for the label's look only: the one case the "(doesn't exist)" label is for.
    test::ProcessResult r =
        RunInjected(recent, "%%stat", "%%stat:error=ENOENT:when=" + std::to_string(looks));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(WindowLines(r.out), (Strings{"FileToOpen (doesn't exist): " + recent.string(),
                                           "Can create file in DataPath: " + Folder(data_)}));
    // Gone after the list was loaded: no file to open.
    r = RunInjected(recent, "%%stat", "%%stat:error=ENOENT:when=2+");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(WindowLines(r.out), (Strings{"", "Can create file in DataPath: " + Folder(data_)}));
    EXPECT_EQ(Query("\\Files", "File1"), recent.string()) << "the stored list is not changed";
}

TEST_F(FaultRun, OptionsIniVanishingBeforeItIsOpenedEndsTheReadQuietly) {
    STRACE_OR_SKIP();
    const fs::path options = config_ / "options.ini";
    test::WriteFile(options, "FontName_Tree,Tahoma\r\n\r\n");
    AddDword("\\Debug", "On", "1");

    // Both existence tests see the file; the open finds it gone.
    const test::ProcessResult r = RunInjected(options, "openat", "openat:error=ENOENT");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_NE(Log().find("  Error in Config_Read: 53. File not found. Error line: 140\r\n"),
              std::string::npos)
        << Log();
    // Nothing was read, so no setting is written; the marker is set as for an unreadable file.
    EXPECT_FALSE(KeyExists("\\Options\\Fonts\\Tree"));
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    EXPECT_EQ(test::ReadFile(options), "FontName_Tree,Tahoma\r\n\r\n");
}

} // namespace
} // namespace vellumo
