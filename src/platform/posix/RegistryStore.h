// The Linux registry store's connection: finding, creating, validating and caching the per-user
// SQLite database, cached statements and write transactions. Internal to the posix registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include <sqlite3.h>
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
    long Fail(int rc);

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
    long Validate(sqlite3* db, OpenMode mode);
    long Report(const std::string& path, std::string_view reason);
    long FailOn(const std::string& path, sqlite3* db, int rc);
    // Records why the store cannot be used and says it once per process (standard error and
    // the observer).
    void SetProblem(std::string problem);

    sqlite3* db_ = nullptr;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool stale_ = false; // a corruption was met: reopen and revalidate at the next call
    pid_t pid_ = 0;
    uint64_t generation_ = 0;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
    std::string problem_;
    std::set<std::string, std::less<>> announced_;
    std::function<void(const std::string&)> observer_;
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
