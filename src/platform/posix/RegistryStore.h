// The Linux registry store's connection: finding, creating, validating and caching the per-user
// SQLite database, cached statements and write transactions. Internal to the posix registry.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace vellumo::regapi::detail {

// Whether a call may bring the store into being.
enum class OpenMode {
    Existing, // reads and deletions: a missing store is kFileNotFound and nothing is created
    Create,   // key creation and value writes: a missing store is created
};

// The Win32 status that stands for an SQLite result code.
[[nodiscard]] long StatusFromSqlite(int rc);

// The process-wide connection. Reopened whenever the resolved path, the file behind it (device
// and inode) or the process (after fork) changes. For the program's one thread: it holds no lock
// of its own; other processes are kept in order by SQLite's locking of the file.
class Store {
public:
    static Store& Instance();

    // kSuccess with Db() usable; kFileNotFound when the store does not exist and mode is
    // Existing; kBadDatabase (Problem() says why) or another status otherwise.
    [[nodiscard]] long Acquire(OpenMode mode);
    [[nodiscard]] sqlite3* Db() const { return db_; }
    // Changes on every (re)open: handles to keys carry it.
    [[nodiscard]] uint64_t Generation() const { return generation_; }
    // A prepared statement owned by the cache (reset before it is handed out); null on failure.
    [[nodiscard]] sqlite3_stmt* Prepare(const char* sql);
    // Records an SQLite failure of an operation as the store's problem and returns its status.
    // A damaged file is given up for the rest of the process; so is a store that stayed locked
    // longer than the busy timeout.
    long Fail(int rc);

    // The names below one key, in enumeration order, read once and kept while nothing in the
    // store changes, so that enumerating by index is linear overall. kSuccess with *names set,
    // or the store's status.
    enum class NameList { Values, Subkeys };
    [[nodiscard]] long Names(NameList list, int64_t keyId, const std::vector<std::string>** names);

    [[nodiscard]] std::string Problem();
    [[nodiscard]] static std::string ResolvePath();
    void SetProblemObserver(std::function<void(const std::string&)> observer) {
        observer_ = std::move(observer);
    }

private:
    Store() = default;
    ~Store();
    void Close();
    void Abandon();
    long Open(const std::string& path, OpenMode mode);
    // Sets a new connection's defences: no trusted schema, defensive mode, the busy handler and
    // the deadline of every statement.
    void Guard(sqlite3* db);
    static int StatementStarts(unsigned event, void* self, void* statement, void* sql);
    static int PastDeadline(void* self);
    static int WaitWhileBusy(void* self, int attempt);
    long Validate(sqlite3* db, OpenMode mode);
    long Report(const std::string& path, std::string_view reason);
    long FailOn(const std::string& path, sqlite3* db, int rc);
    long LayOut(sqlite3* db, const std::string& path);
    long CheckIntegrity(sqlite3* db, const std::string& path);
    // Says the user may not use the store and returns kAccessDenied.
    long Deny(const std::string& path, std::string_view what);
    // Gives up the file behind `path` for the rest of the process: it is damaged.
    long GiveUpDamaged(const std::string& path, sqlite3* db, std::string_view reason);
    // A number that changes whenever any connection, this one included, has changed the store.
    [[nodiscard]] long ChangeCount(std::pair<int64_t, int64_t>& count);
    // Records why the store cannot be used and says it once per process (standard error and
    // the observer).
    void SetProblem(std::string problem);

    sqlite3* db_ = nullptr;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool stale_ = false; // the connection was given up: close it at the next call
    pid_t pid_ = 0;
    uint64_t generation_ = 0;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
    std::string problem_;
    std::set<std::string, std::less<>> announced_;
    std::function<void(const std::string&)> observer_;
    // Files found damaged, with the problem said about them: never opened again by this process,
    // so nothing is ever written to them. A file is known by its device, inode, size and
    // modification time, so that a file restored or replaced in its place (which may reuse the
    // inode number) is looked at anew.
    struct FileIdentity {
        dev_t device;
        ino_t inode;
        off_t size;
        int64_t modifiedNs;
        auto operator<=>(const FileIdentity&) const = default;
    };
    static FileIdentity IdentityOf(const struct stat& st);
    std::map<FileIdentity, std::string> damaged_;
    // Stores that stayed locked longer than the busy timeout: not waited for again in this run.
    std::set<std::string, std::less<>> locked_;
    // Stores whose statement ran past its deadline: not used again in this run.
    std::set<std::string, std::less<>> slow_;
    int busyTimeoutMs_ = 0;
    int statementTimeoutMs_ = 0;
    std::chrono::steady_clock::time_point busySince_;
    std::chrono::steady_clock::time_point statementStart_;

    struct CachedNames {
        uint64_t generation = 0;
        NameList list = NameList::Values;
        int64_t keyId = 0;
        std::pair<int64_t, int64_t> changeCount;
        std::vector<std::string> names;
    };
    CachedNames cachedNames_;
};

// A cached statement in use: binds, steps, reads columns, and resets itself when it goes.
class Query {
public:
    Query(Store& store, const char* sql) : stmt_(store.Prepare(sql)) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    [[nodiscard]] bool Valid() const { return stmt_ != nullptr; }
    Query& Bind(int index, int64_t value);
    Query& Bind(int index, std::string_view text);
    Query& BindBlob(int index, const uint8_t* data, uint32_t size);
    // SQLITE_ROW, SQLITE_DONE or an error code (SQLITE_MISUSE when the statement is invalid).
    int Step();
    [[nodiscard]] int64_t Int(int column) const;
    [[nodiscard]] std::string Text(int column) const;
    [[nodiscard]] std::string_view Blob(int column) const;

private:
    sqlite3_stmt* stmt_;
};

// One write transaction (BEGIN IMMEDIATE, so that concurrent writers queue on the busy timeout
// instead of failing); rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Store& store) : store_(store) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    [[nodiscard]] long Begin();
    [[nodiscard]] long Commit();

private:
    // Runs one statement of the transaction's own; its status, the store's problem on failure.
    [[nodiscard]] long Execute(const char* sql);

    Store& store_;
    bool open_ = false;
};

} // namespace vellumo::regapi::detail
