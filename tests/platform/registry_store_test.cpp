// The Linux registry store: where it lives and with which mode, Win32 call semantics of the
// registry functions over it, and the store under stress: concurrent writers, a writer killed
// mid-run, corrupt and foreign files (reported, never replaced).
#include "platform/RegistryApi.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vellumo {
namespace {

using test::IsolatedTest;
using test::ReadFile;
using test::RunProcess;
using test::WriteFile;

constexpr const char* kKey = "Software\\Kestrova\\StoreTest";
constexpr const char* kWriterVariable = "VELLUMO_STORE_WRITER";
constexpr int kValuesPerWriter = 2000;

std::string DwordBytes(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

// ---- The writer child: this program started again with VELLUMO_STORE_WRITER set ----

// "pair:<prefix>": writes kValuesPerWriter DWORD values <prefix>-<i> = i into kKey, each in its
// own call; exits 1 if any write failed. "endless": writes values N<i> of 1 KiB until killed,
// printing i on standard output after each write has returned.
[[noreturn]] void RunWriter(const std::string& mode) {
    regapi::RegKey key = 0;
    if (regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key) != regapi::kSuccess)
        _exit(2);
    if (mode.rfind("pair:", 0) == 0) {
        const std::string prefix = mode.substr(5);
        int failures = 0;
        for (int i = 0; i < kValuesPerWriter; ++i) {
            const std::string data = DwordBytes(static_cast<uint32_t>(i));
            if (regapi::SetValue(key, prefix + "-" + std::to_string(i), REG_DWORD,
                                 reinterpret_cast<const uint8_t*>(data.data()),
                                 4) != regapi::kSuccess)
                ++failures;
        }
        _exit(failures == 0 ? 0 : 1);
    }
    for (int i = 0;; ++i) {
        const std::string data(1024, static_cast<char>('A' + i % 26));
        if (regapi::SetValue(key, "N" + std::to_string(i), REG_BINARY,
                             reinterpret_cast<const uint8_t*>(data.data()),
                             static_cast<uint32_t>(data.size())) != regapi::kSuccess)
            _exit(1);
        const std::string line = std::to_string(i) + "\n";
        if (write(STDOUT_FILENO, line.data(), line.size()) < 0)
            _exit(1);
    }
}

[[maybe_unused]] const bool kIsWriter = [] {
    if (const char* mode = std::getenv(kWriterVariable))
        RunWriter(mode);
    return false;
}();

// Starts this program as a writer; its standard output is readable from *out when given.
pid_t StartWriter(const std::string& mode, int* out = nullptr) {
    int pipeFds[2] = {-1, -1};
    if (out != nullptr && pipe(pipeFds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (out != nullptr) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
        }
        setenv(kWriterVariable, mode.c_str(), 1);
        execl("/proc/self/exe", "writer", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (out != nullptr) {
        close(pipeFds[1]);
        *out = pipeFds[0];
    }
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class RegistryStoreTest : public IsolatedTest {
protected:
    [[nodiscard]] std::filesystem::path StoreFile() const {
        return ConfigHome() / "kestrova" / "registry.db";
    }

    regapi::RegKey Create(const std::string& path, uint32_t access = regapi::KEY_ALL_ACCESS) {
        regapi::RegKey key = 0;
        EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, path, access, key), regapi::kSuccess);
        return key;
    }
    long Set(regapi::RegKey key, const std::string& name, uint32_t type, const std::string& data) {
        return regapi::SetValue(key, name, type, reinterpret_cast<const uint8_t*>(data.data()),
                                static_cast<uint32_t>(data.size()));
    }
    // The files of the store's folder, to show nothing was added, replaced or removed.
    std::vector<std::string> StoreFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(StoreFile().parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ---- Place, mode, environment ----

TEST_F(RegistryStoreTest, ReadsCreateNothingAndTheFirstWriteCreatesAPrivateStore) {
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "X", "dflt"), "dflt");
    regapi::RegKey root = 0;
    EXPECT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, "", regapi::KEY_READ, root), regapi::kSuccess);
    std::string name;
    uint32_t length = 100;
    EXPECT_EQ(regapi::EnumValue(root, 0, name, length), regapi::kNoMoreItems);
    EXPECT_EQ(regapi::CloseKey(root), regapi::kSuccess);
    EXPECT_FALSE(std::filesystem::exists(ConfigHome() / "kestrova"));

    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 1), "Success");
    ASSERT_TRUE(std::filesystem::exists(StoreFile()));
    struct stat st {};
    ASSERT_EQ(stat(StoreFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(StoreFile().parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(regapi::StorePath(), StoreFile().string());
}

TEST_F(RegistryStoreTest, FollowsTheEnvironmentAtEveryCall) {
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Where", "first"), "Success");
    regapi::RegKey key = Create(kKey);
    test::TempDir other;
    setenv("XDG_CONFIG_HOME", other.Path().c_str(), 1);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Where", "dflt"), "dflt");
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Where", "second"), "Success");
    EXPECT_TRUE(std::filesystem::exists(other.Path() / "kestrova" / "registry.db"));
    // A handle from the other store is no longer valid.
    EXPECT_EQ(Set(key, "Where", REG_SZ, "x"), regapi::kInvalidHandle);
    // A relative XDG_CONFIG_HOME is ignored: HOME/.config is used.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Where", "dflt"), "first");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Where", "dflt"), "first");
    setenv("XDG_CONFIG_HOME", other.Path().c_str(), 1);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Where", "dflt"), "second");
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
}

// ---- Call semantics ----

TEST_F(RegistryStoreTest, QueryReportsSizesAndTerminatesTextsLikeTheAnsiCall) {
    regapi::RegKey key = Create(kKey);
    ASSERT_EQ(Set(key, "Text", REG_SZ, "abc"), regapi::kSuccess);
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(regapi::QueryValue(key, "text", &type, nullptr, &size), regapi::kSuccess);
    EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
    EXPECT_EQ(size, 3u);
    uint8_t small[2] = {};
    size = sizeof small;
    EXPECT_EQ(regapi::QueryValue(key, "Text", &type, small, &size), regapi::kMoreData);
    EXPECT_EQ(size, 3u);
    uint8_t roomy[8];
    std::memset(roomy, 'x', sizeof roomy);
    size = sizeof roomy;
    EXPECT_EQ(regapi::QueryValue(key, "Text", &type, roomy, &size), regapi::kSuccess);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(roomy), 5), std::string("abc\0x", 5));
    // Binary data gets no terminator.
    ASSERT_EQ(Set(key, "Bin", REG_BINARY, "ab"), regapi::kSuccess);
    std::memset(roomy, 'x', sizeof roomy);
    size = sizeof roomy;
    EXPECT_EQ(regapi::QueryValue(key, "Bin", &type, roomy, &size), regapi::kSuccess);
    EXPECT_EQ(roomy[2], 'x');
    EXPECT_EQ(regapi::QueryValue(key, "Bin", &type, roomy, nullptr), regapi::kInvalidParameter);
    EXPECT_EQ(regapi::QueryValue(key, "Missing", &type, nullptr, &size), regapi::kFileNotFound);
    // An empty value is stored as zero bytes, not as nothing.
    ASSERT_EQ(regapi::SetValue(key, "Empty", REG_BINARY, nullptr, 0), regapi::kSuccess);
    EXPECT_EQ(regapi::QueryValue(key, "Empty", &type, nullptr, &size), regapi::kSuccess);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
}

TEST_F(RegistryStoreTest, HandlesCarryTheirRightsAndNoticeDeletedKeys) {
    Create(kKey + std::string("\\Leaf"));
    regapi::RegKey reader = 0;
    ASSERT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, kKey + std::string("\\Leaf"),
                              regapi::KEY_QUERY_VALUE, reader),
              regapi::kSuccess);
    EXPECT_EQ(Set(reader, "V", REG_SZ, "x"), regapi::kAccessDenied);
    std::string name;
    EXPECT_EQ(regapi::EnumKey(reader, 0, name, 256), regapi::kAccessDenied);
    regapi::RegKey child = 0;
    EXPECT_EQ(regapi::CreateKey(reader, "Child", regapi::KEY_ALL_ACCESS, child),
              regapi::kAccessDenied);

    ASSERT_EQ(regapi::DeleteKey(HKEY_CURRENT_USER, kKey + std::string("\\Leaf")), regapi::kSuccess);
    uint32_t size = 0;
    EXPECT_EQ(regapi::QueryValue(reader, "V", nullptr, nullptr, &size), regapi::kKeyDeleted);
    EXPECT_EQ(regapi::CloseKey(reader), regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(reader), regapi::kInvalidHandle);
    EXPECT_EQ(regapi::CloseKey(0), regapi::kInvalidHandle);
    EXPECT_EQ(regapi::CloseKey(HKEY_CURRENT_USER), regapi::kSuccess);
    // Roots given as unsigned 32-bit values are the same roots; other values are no handles.
    regapi::RegKey viaUnsigned = 0;
    EXPECT_EQ(regapi::OpenKey(0x80000001LL, kKey, regapi::KEY_READ, viaUnsigned), regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(viaUnsigned), regapi::kSuccess);
    EXPECT_EQ(regapi::OpenKey(0x80000004LL, "", regapi::KEY_READ, viaUnsigned),
              regapi::kInvalidHandle);
}

TEST_F(RegistryStoreTest, KeyPathsFollowTheRegistrysRules) {
    regapi::RegKey key = 0;
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, "\\Software\\X", regapi::KEY_ALL_ACCESS, key),
              regapi::kBadPathname);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, "Software\\\\X", regapi::KEY_ALL_ACCESS, key),
              regapi::kBadPathname);
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, "Software\\" + std::string(256, 'k'),
                                regapi::KEY_ALL_ACCESS, key),
              regapi::kInvalidParameter);
    key = Create(kKey + std::string("\\Trailing\\\\"));
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    EXPECT_EQ(
        regapi::OpenKey(HKEY_CURRENT_USER, kKey + std::string("\\TRAILING"), regapi::KEY_READ, key),
        regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    // Relative to a handle, and the handle's own key through an empty path.
    regapi::RegKey parent = Create(kKey);
    EXPECT_EQ(regapi::OpenKey(parent, "trailing", regapi::KEY_READ, key), regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    EXPECT_EQ(regapi::DeleteKey(parent, "Trailing"), regapi::kSuccess);
    EXPECT_EQ(regapi::DeleteKey(parent, "Trailing"), regapi::kFileNotFound);
    EXPECT_EQ(regapi::CloseKey(parent), regapi::kSuccess);
    EXPECT_EQ(regapi::DeleteKey(HKEY_CURRENT_USER, ""), regapi::kAccessDenied);
    EXPECT_EQ(regapi::DeleteKey(HKEY_CURRENT_USER, "Software"),
              regapi::kAccessDenied); // has subkeys
}

TEST_F(RegistryStoreTest, EnumerationReportsNamesThatDoNotFit) {
    regapi::RegKey key = Create(kKey);
    Set(key, "Seven77", REG_SZ, "");
    regapi::RegKey sub = Create(kKey + std::string("\\Sub456"));
    EXPECT_EQ(regapi::CloseKey(sub), regapi::kSuccess);
    uint32_t keys = 0, values = 0, longest = 0;
    EXPECT_EQ(regapi::QueryInfoKey(key, &keys, &values, &longest), regapi::kSuccess);
    EXPECT_EQ(keys, 1u);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(longest, 7u);
    std::string name;
    uint32_t length = 7; // no room for the terminator
    EXPECT_EQ(regapi::EnumValue(key, 0, name, length), regapi::kMoreData);
    length = 8;
    EXPECT_EQ(regapi::EnumValue(key, 0, name, length), regapi::kSuccess);
    EXPECT_EQ(name, "Seven77");
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(regapi::EnumKey(key, 0, name, 6), regapi::kMoreData);
    EXPECT_EQ(regapi::EnumKey(key, 0, name, 7), regapi::kSuccess);
    EXPECT_EQ(name, "Sub456");
    EXPECT_EQ(regapi::EnumKey(key, 1, name, 7), regapi::kNoMoreItems);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
}

// ---- Under stress ----

TEST_F(RegistryStoreTest, TwoProcessesWritingTheSameKeyAtOnceLoseNothing) {
    const pid_t first = StartWriter("pair:P");
    const pid_t second = StartWriter("pair:Q");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitExit(first), 0);
    EXPECT_EQ(WaitExit(second), 0);

    regapi::RegKey key = 0;
    ASSERT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_READ, key), regapi::kSuccess);
    uint32_t values = 0;
    ASSERT_EQ(regapi::QueryInfoKey(key, nullptr, &values, nullptr), regapi::kSuccess);
    EXPECT_EQ(values, 2u * kValuesPerWriter);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    for (const char* prefix : {"P", "Q"}) {
        for (int i = 0; i < kValuesPerWriter; ++i) {
            ASSERT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey,
                                              prefix + ("-" + std::to_string(i)), -1),
                      i)
                << prefix << i;
        }
    }
}

TEST_F(RegistryStoreTest, AWriterKilledMidRunLeavesEveryCommittedValue) {
    // The store exists before the writer starts, so the kill hits writes, not creation.
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "Before", 1), "Success");
    int out = -1;
    const pid_t writer = StartWriter("endless", &out);
    ASSERT_GT(writer, 0);
    constexpr int kCommitsBeforeKill = 300;
    std::string pending;
    int lastReported = -1;
    char buffer[4096];
    while (lastReported < kCommitsBeforeKill) {
        const ssize_t n = read(out, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "the writer stopped early";
        pending.append(buffer, static_cast<size_t>(n));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            lastReported = std::stoi(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    kill(writer, SIGKILL);
    EXPECT_EQ(WaitExit(writer), 128 + SIGKILL);
    close(out);

    // Every value the writer reported is there, whole.
    regapi::RegKey key = 0;
    ASSERT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
              regapi::kSuccess);
    std::string data(1024, '\0');
    for (int i = 0; i <= lastReported; ++i) {
        uint32_t size = static_cast<uint32_t>(data.size());
        uint32_t type = 0;
        ASSERT_EQ(regapi::QueryValue(key, "N" + std::to_string(i), &type,
                                     reinterpret_cast<uint8_t*>(data.data()), &size),
                  regapi::kSuccess)
            << i;
        ASSERT_EQ(data, std::string(1024, static_cast<char>('A' + i % 26))) << i;
    }
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Before", 0), 1);
    EXPECT_EQ(Set(key, "After", REG_SZ, "ok"), regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "After", ""), "ok");
}

// ---- Files that are not a usable store ----

TEST_F(RegistryStoreTest, ACorruptStoreIsReportedAndLeftUntouched) {
    std::filesystem::create_directories(StoreFile().parent_path());
    std::string garbage;
    for (int i = 0; i < 512; ++i)
        garbage += "This is no database. ";
    WriteFile(StoreFile(), garbage);

    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "X", "dflt"), "dflt");
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"),
              "No! Key to Delete Or Key Not Found");
    regapi::RegKey key = 0;
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
              regapi::kBadDatabase);
    EXPECT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, "", regapi::KEY_READ, key), regapi::kBadDatabase);
    EXPECT_NE(regapi::StoreProblem().find(StoreFile().string()), std::string::npos);
    EXPECT_NE(regapi::StoreProblem().find("left untouched"), std::string::npos);

    EXPECT_EQ(ReadFile(StoreFile()), garbage);
    EXPECT_EQ(StoreFolder(), std::vector<std::string>{"registry.db"});
}

TEST_F(RegistryStoreTest, ADamagedStoreAndAnotherProgramsDatabaseAreNotTouched) {
    // A real store whose table pages were overwritten after it was written.
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"), "Success");
    test::TempDir elsewhere; // closes the cached connection by moving to another store
    setenv("XDG_CONFIG_HOME", elsewhere.Path().c_str(), 1);
    (void)modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "X", "");
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "X", "y"), "Success");
    setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    std::string bytes = ReadFile(StoreFile());
    ASSERT_GT(bytes.size(), 4096u);
    for (size_t i = 100; i < 4096; ++i)
        bytes[i] = static_cast<char>(0xA5);
    WriteFile(StoreFile(), bytes);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "X", "dflt"), "dflt");
    regapi::RegKey key = 0;
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
              regapi::kBadDatabase);
    EXPECT_EQ(ReadFile(StoreFile()), bytes);

    // A valid SQLite database of some other program.
    std::filesystem::remove(StoreFile());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(StoreFile().c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    const std::string foreign = ReadFile(StoreFile());
    EXPECT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS, key),
              regapi::kBadDatabase);
    EXPECT_NE(regapi::StoreProblem().find("another program"), std::string::npos);
    EXPECT_EQ(ReadFile(StoreFile()), foreign);
}

TEST_F(RegistryStoreTest, AnEmptyFileBecomesAStoreOnTheFirstWrite) {
    std::filesystem::create_directories(StoreFile().parent_path());
    WriteFile(StoreFile(), "");
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", 5), 5);
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 6), "Success");
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", 5), 6);
}

// Deletes the main database file just before SQLite opens it, once per arming: a store that
// another process deletes between the store's look at the file and the open.
class VanishingStoreVfs {
public:
    VanishingStoreVfs() : original_(sqlite3_vfs_find(nullptr)), vfs_(*original_) {
        vfs_.zName = "vanishing-store";
        vfs_.pAppData = this;
        vfs_.xOpen = &Open;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~VanishingStoreVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(original_, 1);
    }
    VanishingStoreVfs(const VanishingStoreVfs&) = delete;
    VanishingStoreVfs& operator=(const VanishingStoreVfs&) = delete;
    void Arm(const std::string& path) { path_ = path; }

private:
    static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        auto* self = static_cast<VanishingStoreVfs*>(vfs->pAppData);
        if ((flags & SQLITE_OPEN_MAIN_DB) != 0 && name != nullptr && !self->path_.empty() &&
            name == self->path_) {
            std::filesystem::remove(self->path_);
            self->path_.clear();
        }
        return self->original_->xOpen(self->original_, name, file, flags, outFlags);
    }

    sqlite3_vfs* original_;
    sqlite3_vfs vfs_;
    std::string path_;
};

TEST_F(RegistryStoreTest, AStoreDeletedWhileItIsOpenedIsMissingNotCorrupt) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 6), "Success");
    VanishingStoreVfs vfs;
    const auto reopen = [this] {
        // A read in another store closes the cached connection, so the next call opens anew.
        test::TempDir elsewhere;
        setenv("XDG_CONFIG_HOME", elsewhere.Path().c_str(), 1);
        (void)modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", 0);
        setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    };

    // A read finds an empty registry, as without a store, and reports nothing.
    reopen();
    vfs.Arm(StoreFile().string());
    regapi::RegKey key = 0;
    EXPECT_EQ(regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_READ, key),
              regapi::kFileNotFound);
    EXPECT_EQ(regapi::StoreProblem(), "");

    // A write makes a new store, as it does when there is none.
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 6), "Success");
    reopen();
    vfs.Arm(StoreFile().string());
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "X", 7), "Success");
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "X", 0), 7);
    EXPECT_EQ(regapi::StoreProblem(), "");
}

} // namespace
} // namespace vellumo
