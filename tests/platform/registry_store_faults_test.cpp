// The Linux registry store against faults from outside: a damaged page, a store locked by another
// process, files that are not ours (empty or not), a store the user may not read, the registry's
// depth and name limits, and enumeration that stays right while others write.
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

#include <atomic>
#include <cstdlib>
#include <sqlite3.h>

namespace vellumo {
namespace {

using test::IsolatedTest;
using test::ReadFile;
using test::WriteFile;

constexpr const char* kKey = "Software\\Kestrova\\FaultTest";

class RegistryStoreFaultTest : public IsolatedTest {
protected:
    void TearDown() override {
        test::UnsetEnv("VELLUMO_REGISTRY_BUSY_TIMEOUT_MS");
        test::UnsetEnv("VELLUMO_REGISTRY_STATEMENT_TIMEOUT_MS");
        IsolatedTest::TearDown();
    }
    [[nodiscard]] std::filesystem::path StoreFile() const {
        return ConfigHome() / "kestrova" / "registry.db";
    }
    long Set(regapi::RegKey key, const std::string& name, const std::string& data) {
        return regapi::SetValue(key, name, REG_SZ, reinterpret_cast<const uint8_t*>(data.data()),
                                static_cast<uint32_t>(data.size()));
    }
    // A read in another store closes the cached connection (and checkpoints its log into the
    // file), so the next call opens this test's store anew.
    void Reopen() {
        test::TempDir elsewhere;
        test::SetEnv("XDG_CONFIG_HOME", elsewhere.Path().string());
        (void)modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", 0);
        test::SetEnv("XDG_CONFIG_HOME", ConfigHome().string());
    }
    // Makes an SQLite file at the store's place with `sql` run in it.
    void MakeDatabase(const char* sql) {
        std::filesystem::create_directories(StoreFile().parent_path());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(StoreFile().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    // A store whose one key holds 3,000 values (about 50 pages), closed.
    void FillStore() {
        regapi::RegKey key = 0;
        ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
                  regapi::kSuccess);
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(Set(key, "V" + std::to_string(i), std::string(40, 'v')), regapi::kSuccess);
        (void)regapi::CloseKey(key);
        Reopen();
    }
    // Every call a user of the store makes, expected to answer `status`.
    void ExpectEveryCallAnswers(long status) {
        regapi::RegKey key = 0;
        EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key), status);
        EXPECT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_READ, key), status);
        std::string name;
        uint32_t length = 100;
        EXPECT_EQ(regapi::EnumValue(HKEY_CURRENT_USER, 0, name, length), status);
        EXPECT_EQ(regapi::EnumKey(HKEY_CURRENT_USER, 0, name, 256), status);
        const std::string data = "z";
        EXPECT_EQ(regapi::SetValue(HKEY_CURRENT_USER, "Y", REG_SZ,
                                   reinterpret_cast<const uint8_t*>(data.data()), 1),
                  status);
        EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "V0", "dflt"), "dflt");
    }
};

// ---- Damage ----

TEST_F(RegistryStoreFaultTest, ADamagedPageIsRefusedAtOpenAndTheFileIsNeverWrittenAgain) {
    FillStore();
    // One page in the middle of the file overwritten, as a bad sector or a stray write would.
    std::string bytes = ReadFile(StoreFile());
    ASSERT_GT(bytes.size(), 16u * 4096u);
    for (size_t i = 8 * 4096; i < 9 * 4096; ++i)
        bytes[i] = static_cast<char>(0xA5);
    WriteFile(StoreFile(), bytes);

    ExpectEveryCallAnswers(regapi::kBadDatabase);
    EXPECT_NE(regapi::StoreProblem().find(StoreFile().string()), std::string::npos);
    EXPECT_NE(regapi::StoreProblem().find("corrupt"), std::string::npos) << regapi::StoreProblem();
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"),
              "No! Key to Delete Or Key Not Found");

    // The tool says so and exits 1, whether it reads, lists or writes.
    const std::string tool = test::BuiltProgram("vellumo-reg");
    const std::string keyName = std::string("HKCU\\") + kKey;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{tool, "query", keyName, "/s"},
                                               {tool, "add", keyName, "/v", "X", "/d", "y", "/f"},
                                               {tool, "delete", keyName, "/va", "/f"}}) {
        const auto result = test::RunProcess(args);
        EXPECT_EQ(result.exitCode, 1) << args[1] << result.out << result.err;
        EXPECT_NE(result.err.find("ERROR: The configuration registry database is corrupt."),
                  std::string::npos)
            << result.err;
    }
    EXPECT_EQ(ReadFile(StoreFile()), bytes);
    EXPECT_FALSE(std::filesystem::exists(StoreFile().string() + "-wal") &&
                 std::filesystem::file_size(StoreFile().string() + "-wal") > 0);
}

// ---- Files that are not ours ----

TEST_F(RegistryStoreFaultTest, AnEmptyDatabaseOfAnotherProgramIsNotAdopted) {
    // Its own layout version and no tables yet; then one without even a version.
    for (const char* sql : {"PRAGMA user_version = 7", "PRAGMA page_size = 4096; VACUUM"}) {
        std::filesystem::remove(StoreFile());
        MakeDatabase(sql);
        const std::string before = ReadFile(StoreFile());
        ASSERT_FALSE(before.empty()) << sql;
        ExpectEveryCallAnswers(regapi::kBadDatabase);
        EXPECT_NE(regapi::StoreProblem().find("another program"), std::string::npos)
            << regapi::StoreProblem();
        EXPECT_EQ(ReadFile(StoreFile()), before) << sql;
    }
}

TEST_F(RegistryStoreFaultTest, OurMarkWithoutOurTablesNamesTheFile) {
    MakeDatabase("PRAGMA application_id = 1448232263; PRAGMA user_version = 1;"
                 "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent, name);");
    const std::string before = ReadFile(StoreFile());
    ExpectEveryCallAnswers(regapi::kBadDatabase);
    EXPECT_NE(regapi::StoreProblem().find("\"" + StoreFile().string() + "\""), std::string::npos);
    EXPECT_NE(regapi::StoreProblem().find("not its tables"), std::string::npos)
        << regapi::StoreProblem();
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

TEST_F(RegistryStoreFaultTest, OurMarkWithAnyOtherSchemaObjectIsRefusedAtOnce) {
    // The mark and the right names are not enough: a statement of ours must never run SQL the
    // file brings (a view that never ends, a trigger, an index over an expression). Each is
    // added to a real store by another program.
    const std::vector<std::string> changes = {
        "DROP TABLE keys; CREATE VIEW keys AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
        "SELECT i + 1 FROM n) SELECT i AS id, -2147483647 AS parent, 'k' AS name, 'K' AS fold "
        "FROM n;",
        "CREATE TRIGGER t AFTER INSERT ON vals BEGIN DELETE FROM keys; END;",
        "CREATE INDEX i ON vals(length(data));", "CREATE TABLE notes(x);"};
    for (const std::string& change : changes) {
        std::filesystem::remove(StoreFile());
        ASSERT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"), "Success");
        Reopen();
        MakeDatabase(change.c_str());
        const std::string before = ReadFile(StoreFile());
        ExpectEveryCallAnswers(regapi::kBadDatabase);
        EXPECT_NE(regapi::StoreProblem().find("not its tables"), std::string::npos)
            << regapi::StoreProblem();
        EXPECT_EQ(ReadFile(StoreFile()), before) << change;
        // The tool, too, refuses it at once instead of running it.
        const auto result = test::RunProcess(
            {"timeout", "20", test::BuiltProgram("vellumo-reg"), "query", "HKCU\\Software", "/s"});
        EXPECT_EQ(result.exitCode, 1) << change << result.out << result.err;
        EXPECT_NE(result.err.find("not its tables"), std::string::npos) << result.err;
    }
}

TEST_F(RegistryStoreFaultTest, AStatementPastItsDeadlineEndsTheStoresUseForTheRun) {
    FillStore();
    // No statement may take any time at all: the check of the file on open is stopped.
    test::SetEnv("VELLUMO_REGISTRY_STATEMENT_TIMEOUT_MS", "0");
    Reopen();
    const std::string before = ReadFile(StoreFile());
    ExpectEveryCallAnswers(regapi::kIoFailed);
    EXPECT_NE(regapi::StoreProblem().find("ran longer than 0 ms"), std::string::npos)
        << regapi::StoreProblem();
    test::UnsetEnv("VELLUMO_REGISTRY_STATEMENT_TIMEOUT_MS");
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

TEST_F(RegistryStoreFaultTest, AStoreThatIsALinkIsNeverFollowed) {
    // A link to a file elsewhere (a store, or any file of the user's), or one that dangles: the
    // store is neither read nor written through it, and nothing is made at its target.
    const std::filesystem::path elsewhere = Home() / "elsewhere.db";
    WriteFile(elsewhere, "the user's own file");
    const std::filesystem::path dangling = Home() / "not-yet.db";
    for (const std::filesystem::path& target : {elsewhere, dangling}) {
        std::filesystem::create_directories(StoreFile().parent_path());
        std::filesystem::remove(StoreFile());
        std::filesystem::create_symlink(target, StoreFile());
        ExpectEveryCallAnswers(regapi::kBadDatabase);
        EXPECT_NE(regapi::StoreProblem().find("symbolic link"), std::string::npos)
            << regapi::StoreProblem();
        EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"),
                  "No! Key to Delete Or Key Not Found");
    }
    EXPECT_EQ(ReadFile(elsewhere), "the user's own file");
    EXPECT_FALSE(std::filesystem::exists(dangling));
    EXPECT_TRUE(std::filesystem::is_symlink(StoreFile()));
}

// ---- A store locked by another process ----

// Counts the time SQLite's busy handler sleeps while it waits for a lock. The system VFS's own
// methods keep its pAppData, so the one instance is found through a static.
class SleepCountingVfs {
public:
    SleepCountingVfs() : original_(sqlite3_vfs_find(nullptr)), vfs_(*original_) {
        instance_ = this;
        vfs_.zName = "sleep-counting";
        vfs_.xSleep = &Sleep;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~SleepCountingVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(original_, 1);
        instance_ = nullptr;
    }
    SleepCountingVfs(const SleepCountingVfs&) = delete;
    SleepCountingVfs& operator=(const SleepCountingVfs&) = delete;
    [[nodiscard]] long long Slept() const { return slept_; }

private:
    static int Sleep(sqlite3_vfs* /*vfs*/, int microseconds) {
        instance_->slept_ += microseconds;
        return instance_->original_->xSleep(instance_->original_, microseconds);
    }

    static inline SleepCountingVfs* instance_ = nullptr;
    sqlite3_vfs* original_;
    sqlite3_vfs vfs_;
    std::atomic<long long> slept_{0};
};

TEST_F(RegistryStoreFaultTest, ALockedStoreCostsOneBusyTimeoutPerRun) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 6), "Success");
    SleepCountingVfs vfs;
    test::SetEnv("VELLUMO_REGISTRY_BUSY_TIMEOUT_MS", "200");
    Reopen();
    // Another connection holds the write lock (as another process would).
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(StoreFile().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    // The first write waits the whole timeout and fails; so does every later write, at once.
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 7),
              "No! Failed to save Value");
    const long long firstWait = vfs.Slept();
    EXPECT_GE(firstWait, 150'000);
    for (int i = 0; i < 20; ++i) {
        regapi::RegKey key = 0;
        EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
                  regapi::kBusy);
        EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", -1), -1);
    }
    EXPECT_EQ(vfs.Slept(), firstWait);
    EXPECT_NE(regapi::StoreProblem().find("rest of this run"), std::string::npos)
        << regapi::StoreProblem();

    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    // The value of before is still there for the next run.
    const auto after = test::RunProcess(
        {test::BuiltProgram("vellumo-reg"), "query", std::string("HKCU\\") + kKey, "/v", "X"});
    EXPECT_NE(after.out.find("REG_DWORD    0x6"), std::string::npos) << after.out << after.err;
}

// ---- Permissions ----

TEST_F(RegistryStoreFaultTest, AStoreTheUserMayNotReadIsAccessDenied) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 6), "Success");
    for (const auto& folder : {Home(), ConfigHome(), StoreFile().parent_path()})
        std::filesystem::permissions(folder, std::filesystem::perms(0755));
    const std::string before = ReadFile(StoreFile());
    if (!test::RunningAsRoot())
        std::filesystem::permissions(StoreFile(), std::filesystem::perms::none);
    const auto result = test::RunProcessAsNobody(
        {test::BuiltProgram("vellumo-reg"), "query", std::string("HKCU\\") + kKey});
    std::filesystem::permissions(StoreFile(), std::filesystem::perms(0600));
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("ERROR: Access is denied."), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("\"" + StoreFile().string() + "\" cannot be read: permission denied"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("corrupt"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

// ---- The registry's limits ----

TEST_F(RegistryStoreFaultTest, KeysAre512LevelsDeepAtMostAndValueNames16383Characters) {
    std::string path = "L";
    for (int i = 1; i < 512; ++i)
        path += "\\L";
    regapi::RegKey deepest = 0;
    ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, path, regapi::KEY_ALL_ACCESS, deepest),
              regapi::kSuccess);
    regapi::RegKey key = 0;
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, path + "\\L", regapi::KEY_ALL_ACCESS, key),
              regapi::kInvalidParameter);
    EXPECT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, path + "\\L", regapi::KEY_READ, key),
              regapi::kInvalidParameter);
    // Below a handle its own depth counts.
    EXPECT_EQ(regapi::CreateKey(deepest, "M", regapi::KEY_ALL_ACCESS, key),
              regapi::kInvalidParameter);
    regapi::RegKey shallow = 0;
    ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, path.substr(0, 2 * 510 - 1),
                                regapi::KEY_ALL_ACCESS, shallow),
              regapi::kSuccess);
    EXPECT_EQ(regapi::CreateKey(shallow, "A\\B", regapi::KEY_ALL_ACCESS, key), regapi::kSuccess);
    EXPECT_EQ(regapi::CreateKey(shallow, "A\\B\\C", regapi::KEY_ALL_ACCESS, key),
              regapi::kInvalidParameter);

    EXPECT_EQ(Set(deepest, std::string(regapi::kMaxValueNameLength, 'n'), "ok"), regapi::kSuccess);
    EXPECT_EQ(Set(deepest, std::string(regapi::kMaxValueNameLength + 1, 'n'), "no"),
              regapi::kInvalidParameter);
    // Characters, not bytes: 16,383 two-byte letters fit.
    std::string umlauts;
    for (uint32_t i = 0; i < regapi::kMaxValueNameLength; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(Set(deepest, umlauts, "ok"), regapi::kSuccess);
}

// ---- Enumeration ----

TEST_F(RegistryStoreFaultTest, EnumerationSeesWhatThisAndOtherProcessesWriteMeanwhile) {
    regapi::RegKey key = 0;
    ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
              regapi::kSuccess);
    for (const char* name : {"A", "B", "C"})
        ASSERT_EQ(Set(key, name, "x"), regapi::kSuccess);
    const auto nameAt = [&](uint32_t index) {
        std::string name;
        uint32_t length = 100;
        const long status = regapi::EnumValue(key, index, name, length);
        return status == regapi::kSuccess ? name : "status " + std::to_string(status);
    };
    EXPECT_EQ(nameAt(0), "A");
    // This process deletes one and adds one; the list is read again.
    ASSERT_EQ(regapi::DeleteValue(key, "B"), regapi::kSuccess);
    ASSERT_EQ(Set(key, "D", "x"), regapi::kSuccess);
    EXPECT_EQ(nameAt(1), "C");
    EXPECT_EQ(nameAt(2), "D");
    // Another process adds one between two calls.
    const auto added = test::RunProcess(
        {test::BuiltProgram("vellumo-reg"), "add", std::string("HKCU\\") + kKey, "/v", "E", "/f"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(nameAt(3), "E");
    EXPECT_EQ(nameAt(4), "status " + std::to_string(regapi::kNoMoreItems));
    // Subkeys likewise, in their own order.
    regapi::RegKey sub = 0;
    ASSERT_EQ(regapi::CreateKey(key, "b", regapi::KEY_ALL_ACCESS, sub), regapi::kSuccess);
    std::string name;
    EXPECT_EQ(regapi::EnumKey(key, 0, name, 256), regapi::kSuccess);
    EXPECT_EQ(name, "b");
    ASSERT_EQ(regapi::CreateKey(key, "A", regapi::KEY_ALL_ACCESS, sub), regapi::kSuccess);
    EXPECT_EQ(regapi::EnumKey(key, 0, name, 256), regapi::kSuccess);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(nameAt(0), "A"); // values and subkeys do not share their lists
}

} // namespace
} // namespace vellumo
