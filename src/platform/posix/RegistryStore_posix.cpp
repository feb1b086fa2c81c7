// The Linux registry store's connection: path resolution, creation with mode 0600, validation
// that never alters a file it does not recognise, the statement cache and write transactions.
#include "platform/posix/RegistryStore.h"

#include "platform/RegistryApi.h"
#include "platform/posix/RegistryStoreSchema.h"
#include "platform/posix/UserFolders.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo::regapi::detail {
namespace {

// The product and this program may write at once; a writer waits this long for the lock.
constexpr int kBusyTimeoutMs = 30000;
// A test and operations knob: the environment variable VELLUMO_REGISTRY_BUSY_TIMEOUT_MS, a whole
// number of milliseconds from 0 to kLongestKnobMs, replaces the wait when the store is opened
// (tests of a store locked by another process need not wait 30 seconds). Anything else keeps
// kBusyTimeoutMs.
constexpr const char* kBusyTimeoutVariable = "VELLUMO_REGISTRY_BUSY_TIMEOUT_MS";
// No statement of the store takes more than milliseconds on a store of any real size; one that
// runs this long (a file built to make it run for ever) is stopped. Time spent waiting for
// another process's lock is the busy timeout's, not the statement's. The knob
// VELLUMO_REGISTRY_STATEMENT_TIMEOUT_MS replaces it as the busy timeout's knob does.
constexpr int kStatementTimeoutMs = 5000;
constexpr const char* kStatementTimeoutVariable = "VELLUMO_REGISTRY_STATEMENT_TIMEOUT_MS";
constexpr long kLongestKnobMs = 600000;
// The deadline is looked at every this many virtual-machine instructions (well under a
// millisecond of work).
constexpr int kInstructionsBetweenDeadlineChecks = 1000;
// The busy handler's sleeps, as SQLite's own: short at first, then 100 ms at a time.
constexpr std::array<int, 12> kBusyDelaysMs = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
constexpr mode_t kStoreFileMode = 0600;

constexpr const char* kStoreFolder = "/kestrova";
constexpr const char* kStoreFile = "/registry.db";

// A time knob's value in milliseconds, or `fallback` when the variable is unset or invalid.
int KnobMs(const char* variable, int fallback) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > kLongestKnobMs)
        return fallback;
    return static_cast<int>(value);
}

int BusyTimeoutMs() {
    return KnobMs(kBusyTimeoutVariable, kBusyTimeoutMs);
}

bool IsCorruption(int rc) {
    const int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// What marks a store: the application id, the layout version, the number of schema entries and
// the pages in the file (0 for a file SQLite has never written, after any hot journal was rolled
// back), read in one statement so that they come from one moment of a store another process may
// be laying out. The SQLite result code on failure.
struct StoreMarks {
    int64_t applicationId = 0;
    int64_t schemaVersion = 0;
    int64_t schemaEntries = 0;
    int64_t pages = 0;
};

int ReadMarks(sqlite3* db, StoreMarks& marks) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(
        db,
        "SELECT application_id, user_version, (SELECT count(*) FROM sqlite_master), page_count "
        "FROM pragma_application_id, pragma_user_version, pragma_page_count",
        -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            marks.applicationId = sqlite3_column_int64(stmt, 0);
            marks.schemaVersion = sqlite3_column_int64(stmt, 1);
            marks.schemaEntries = sqlite3_column_int64(stmt, 2);
            marks.pages = sqlite3_column_int64(stmt, 3);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    return rc;
}

// Whether an error's cause is a permission: the OS error behind an open or read.
bool IsPermission(sqlite3* db, int rc) {
    const int primary = rc & 0xFF;
    if (primary == SQLITE_PERM || primary == SQLITE_AUTH)
        return true;
    const int error = db != nullptr ? sqlite3_system_errno(db) : 0;
    return (primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_READONLY) &&
           (error == EACCES || error == EPERM || error == EROFS);
}

// Runs a statement that must compile against our tables; its SQLite result code.
int ProbeStatement(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    return rc;
}

} // namespace

long StatusFromSqlite(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return kSuccess;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
        return kBadDatabase;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return kAccessDenied;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return kBusy;
    case SQLITE_NOMEM:
        return kOutOfMemory;
    case SQLITE_FULL:
        return kDiskFull;
    default:
        return kIoFailed;
    }
}

Store& Store::Instance() {
    static Store store;
    return store;
}

Store::~Store() {
    if (pid_ == getpid())
        Close();
}

std::string Store::ResolvePath() {
    const std::string base = posix::XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
    if (base.empty())
        return {};
    return (base == "/" ? std::string() : base) + kStoreFolder + kStoreFile;
}

std::string Store::Problem() {
    return problem_;
}

void Store::Close() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
    if (db_ != nullptr)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    path_.clear();
    stale_ = false;
}

// After fork the parent's connection must not be used or closed by the child: it is dropped.
void Store::Abandon() {
    statements_.clear();
    db_ = nullptr;
    path_.clear();
    stale_ = false;
    pid_ = getpid();
}

void Store::SetProblem(std::string problem) {
    problem_ = std::move(problem);
    if (problem_.empty() || !announced_.insert(problem_).second)
        return;
    std::fprintf(stderr, "vellumo: %s\n", problem_.c_str());
    std::fflush(stderr);
    if (observer_)
        observer_(problem_);
}

long Store::Report(const std::string& path, std::string_view reason) {
    SetProblem("The registry store \"" + path + "\" " + std::string(reason) +
               "; it was left untouched.");
    return kBadDatabase;
}

long Store::Acquire(OpenMode mode) {
    const std::string path = ResolvePath();
    if (pid_ != getpid())
        Abandon();
    if (db_ != nullptr && !stale_ && path == path_ && !locked_.contains(path) &&
        !slow_.contains(path)) {
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
            return kSuccess;
    }
    Close();
    if (path.empty()) {
        SetProblem("The registry store has no place: neither HOME nor XDG_CONFIG_HOME is set.");
        return mode == OpenMode::Existing ? kFileNotFound : kAccessDenied;
    }
    // One busy timeout per run at most: a store that stayed locked once is not waited for again;
    // nor is one whose statements ran out of time.
    if (locked_.contains(path))
        return kBusy;
    if (slow_.contains(path))
        return kIoFailed;
    const long status = Open(path, mode);
    // In Create mode a missing store comes back only when the file vanished while it was being
    // opened (another process deleted it): the second try creates it anew.
    if (status == kFileNotFound && mode == OpenMode::Create)
        return Open(path, mode);
    return status;
}

long Store::Open(const std::string& path, OpenMode mode) {
    struct stat st {};
    // The store itself is never a link: a link could point the writes at any file of the user's.
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == EACCES)
            return Deny(path, "cannot be reached");
        if (errno != ENOENT)
            return Report(path, std::string("cannot be reached (") + std::strerror(errno) + ")");
        if (mode == OpenMode::Existing)
            return kFileNotFound;
        const std::string folder = path.substr(0, path.find_last_of('/'));
        if (!posix::CreatePrivateFolders(folder)) {
            SetProblem("The folder \"" + folder + "\" of the registry store cannot be created (" +
                       std::strerror(errno) + ").");
            return kAccessDenied;
        }
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            kStoreFileMode);
        if (fd < 0 && errno != EEXIST) {
            SetProblem("The registry store \"" + path + "\" cannot be created (" +
                       std::strerror(errno) + ").");
            return kAccessDenied;
        }
        if (fd >= 0)
            close(fd);
        if (lstat(path.c_str(), &st) != 0)
            return Report(path, std::string("cannot be reached (") + std::strerror(errno) + ")");
    }
    if (S_ISLNK(st.st_mode))
        return Report(path, "is a symbolic link; the store is never used through a link");
    if (!S_ISREG(st.st_mode))
        return Report(path, "is not a regular file");
    if (const auto damaged = damaged_.find(IdentityOf(st)); damaged != damaged_.end()) {
        problem_ = damaged->second;
        return kBadDatabase;
    }
    // SQLite says only "unable to open database file" when the user may not read it.
    if (const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC); fd >= 0)
        close(fd);
    else if (errno == EACCES || errno == EPERM)
        return Deny(path, "cannot be read");

    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        const bool denied = IsPermission(db, rc);
        sqlite3_close_v2(db);
        // Deleted between the look above and the open: a missing store, not a damaged one.
        if (stat(path.c_str(), &st) != 0 && errno == ENOENT)
            return kFileNotFound;
        if (denied)
            return Deny(path, "cannot be opened");
        return Report(path, "cannot be opened (" + reason + ")");
    }
    sqlite3_extended_result_codes(db, 1);
    Guard(db);
    // Until the file has proved sound, closing the connection must not copy the write-ahead log
    // into it.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const long status = Validate(db, mode);
    if (status != kSuccess) {
        sqlite3_close_v2(db);
        return status;
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    db_ = db;
    path_ = path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    pid_ = getpid();
    ++generation_;
    problem_.clear();
    return kSuccess;
}

long Store::Validate(sqlite3* db, OpenMode mode) {
    const std::string path = sqlite3_db_filename(db, "main");
    StoreMarks marks;
    int rc = ReadMarks(db, marks);
    if (rc != SQLITE_OK) {
        if (IsCorruption(rc))
            return GiveUpDamaged(path, db,
                                 std::string("is not a valid registry store (") +
                                     sqlite3_errmsg(db) + ")");
        if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_INTERRUPT)
            return FailOn(path, db, rc);
        if (IsPermission(db, rc))
            return Deny(path, "cannot be read");
        // Even a reader needs room for the write-ahead log's shared-memory file: on a full disk
        // the store is intact but cannot be opened until there is room again.
        if ((rc & 0xFF) == SQLITE_FULL || sqlite3_system_errno(db) == ENOSPC) {
            Report(path, "cannot be opened while its disk is full");
            return kDiskFull;
        }
        return Report(path, std::string("cannot be read (") + sqlite3_errmsg(db) + ")");
    }
    if (marks.applicationId == 0 && marks.schemaEntries == 0) {
        // Only a file SQLite has never written is ours to lay out; an empty database with a
        // header is another program's, even without tables.
        if (marks.pages != 0)
            return Report(path, "is an SQLite database of another program, not a registry store");
        // A reader sees an empty registry.
        if (mode == OpenMode::Existing)
            return kFileNotFound;
        if (const long s = LayOut(db, path); s != kSuccess)
            return s;
        marks.applicationId = kApplicationId;
        marks.schemaVersion = kSchemaVersion;
    }
    if (marks.applicationId != kApplicationId)
        return Report(path, "is an SQLite database of another program, not a registry store");
    if (marks.schemaVersion > kSchemaVersion)
        return Report(path, "was written by a newer version of the program (layout " +
                                std::to_string(marks.schemaVersion) + ")");
    // Exactly our tables and indexes: any other object (a view or trigger named like ours, an
    // index on an expression) could make a statement of ours run someone else's SQL.
    std::string difference;
    if (const int schemaRc = CompareWithStoreSchema(db, difference); schemaRc != SQLITE_OK) {
        if (IsCorruption(schemaRc))
            return GiveUpDamaged(path, db,
                                 std::string("is not a valid registry store (") +
                                     sqlite3_errmsg(db) + ")");
        return FailOn(path, db, schemaRc);
    }
    if (!difference.empty())
        return Report(path,
                      "carries the registry store's mark but not its tables (" + difference + ")");
    if (ProbeStatement(db, "SELECT id, parent, name, fold FROM keys") != SQLITE_OK ||
        ProbeStatement(db, "SELECT seq, key, name, fold, type, data FROM vals") != SQLITE_OK)
        return Report(path, std::string("carries the registry store's mark but not its tables (") +
                                sqlite3_errmsg(db) + ")");
    if (const long s = CheckIntegrity(db, path); s != kSuccess)
        return s;
    // The journal mode is kept in the file; setting it again is cheap. A read-only store keeps
    // whatever mode it has.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // In WAL mode NORMAL loses no committed transaction when a process dies; only a power cut
    // can take back the last ones, as the lazily flushed Windows registry can.
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    return kSuccess;
}

// Lays out the tables in a file SQLite has never written, in one rollback-journal transaction:
// an interrupted layout leaves the file empty again, never a header without tables (which would
// count as another program's). The journal mode becomes WAL afterwards.
long Store::LayOut(sqlite3* db, const std::string& path) {
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return FailOn(path, db, sqlite3_extended_errcode(db));
    // Another process may have laid them out while this one waited for the lock. (The page
    // count is no guide here: a write transaction on an empty file already counts page 1.)
    StoreMarks marks;
    int rc = ReadMarks(db, marks);
    if (rc == SQLITE_OK && marks.applicationId == 0 && marks.schemaEntries == 0)
        rc = sqlite3_exec(db, kStoreLayout, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const long status = FailOn(path, db, rc);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    }
    return kSuccess;
}

// Reads every page of the file once (the b-trees' structure, not the indexes' agreement with
// their tables), so that a damaged store is refused before anything is written to it.
long Store::CheckIntegrity(sqlite3* db, const std::string& path) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
    std::string verdict;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            verdict = text != nullptr ? text : "";
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    if (rc == SQLITE_OK && verdict == "ok")
        return kSuccess;
    if (rc == SQLITE_OK || IsCorruption(rc))
        return GiveUpDamaged(
            path, db, "is corrupt (" + (verdict.empty() ? sqlite3_errmsg(db) : verdict) + ")");
    return FailOn(path, db, rc);
}

// Trusts nothing the file brings: no function or virtual table from its schema runs with the
// program's rights, and the schema cannot be written by SQL. Every statement gets a deadline.
void Store::Guard(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    busyTimeoutMs_ = BusyTimeoutMs();
    statementTimeoutMs_ = KnobMs(kStatementTimeoutVariable, kStatementTimeoutMs);
    statementStart_ = std::chrono::steady_clock::now();
    sqlite3_busy_handler(db, &Store::WaitWhileBusy, this);
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Store::StatementStarts, this);
    sqlite3_progress_handler(db, kInstructionsBetweenDeadlineChecks, &Store::PastDeadline, this);
}

int Store::StatementStarts(unsigned /*event*/, void* self, void* /*statement*/, void* /*sql*/) {
    static_cast<Store*>(self)->statementStart_ = std::chrono::steady_clock::now();
    return 0;
}

int Store::PastDeadline(void* self) {
    const Store& store = *static_cast<Store*>(self);
    return std::chrono::steady_clock::now() - store.statementStart_ >
                   std::chrono::milliseconds(store.statementTimeoutMs_)
               ? 1
               : 0;
}

int Store::WaitWhileBusy(void* self, int attempt) {
    Store& store = *static_cast<Store*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0)
        store.busySince_ = now;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - store.busySince_).count();
    if (waited >= store.busyTimeoutMs_)
        return 0;
    const size_t step = std::min(static_cast<size_t>(attempt), kBusyDelaysMs.size() - 1);
    const int delay =
        std::min(kBusyDelaysMs[step], store.busyTimeoutMs_ - static_cast<int>(waited));
    sqlite3_sleep(delay);
    // The wait is the other process's time, not the statement's.
    store.statementStart_ = std::chrono::steady_clock::now();
    return 1;
}

Store::FileIdentity Store::IdentityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

long Store::Deny(const std::string& path, std::string_view what) {
    SetProblem("The registry store \"" + path + "\" " + std::string(what) + ": permission denied.");
    return kAccessDenied;
}

long Store::GiveUpDamaged(const std::string& path, sqlite3* db, std::string_view reason) {
    if (db != nullptr)
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const long status = Report(path, reason);
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        damaged_[IdentityOf(st)] = problem_;
    if (db == db_)
        stale_ = true; // closed at the next Acquire: statements may still be in use now
    return status;
}

sqlite3_stmt* Store::Prepare(const char* sql) {
    if (db_ == nullptr)
        return nullptr;
    if (auto it = statements_.find(std::string_view(sql)); it != statements_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        Fail(rc);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

long Store::Fail(int rc) {
    return FailOn(path_, db_, rc);
}

long Store::FailOn(const std::string& path, sqlite3* db, int rc) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string store = "The registry store \"" + path + "\" ";
    switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        GiveUpDamaged(path, db, "is corrupt (" + message + ")");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        locked_.insert(path);
        SetProblem(store + "stayed locked by another program longer than " +
                   std::to_string(BusyTimeoutMs()) +
                   " ms; it is not used for the rest of this run.");
        break;
    case SQLITE_INTERRUPT:
        slow_.insert(path);
        SetProblem(store + "did not answer: a statement ran longer than " +
                   std::to_string(statementTimeoutMs_) +
                   " ms; it is not used for the rest of this run.");
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        SetProblem(store + "cannot be written (" + message + ").");
        break;
    case SQLITE_FULL:
        SetProblem(store + "cannot be written: the disk is full.");
        break;
    case SQLITE_NOMEM:
        SetProblem(store + "cannot be used: out of memory.");
        break;
    default:
        SetProblem(store + "failed (" + message + ").");
        break;
    }
    return StatusFromSqlite(rc);
}

long Store::ChangeCount(std::pair<int64_t, int64_t>& count) {
    // data_version moves when another connection commits; this connection's own changes are
    // counted by total_changes.
    Query q(*this, "PRAGMA data_version");
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return Fail(rc);
    count = {q.Int(0), sqlite3_total_changes64(db_)};
    return kSuccess;
}

long Store::Names(NameList list, int64_t keyId, const std::vector<std::string>** names) {
    std::pair<int64_t, int64_t> count;
    // Read before the names: a change in between makes the next call read them again.
    if (const long s = ChangeCount(count); s != kSuccess)
        return s;
    CachedNames& cache = cachedNames_;
    if (cache.generation != generation_ || cache.list != list || cache.keyId != keyId ||
        cache.changeCount != count) {
        cache.generation = 0; // invalid until filled
        cache.names.clear();
        Query q(*this, list == NameList::Values
                           ? "SELECT name FROM vals WHERE key = ?1 ORDER BY seq"
                           : "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold");
        q.Bind(1, keyId);
        int rc = SQLITE_ROW;
        while ((rc = q.Step()) == SQLITE_ROW)
            cache.names.push_back(q.Text(0));
        if (rc != SQLITE_DONE) {
            cache.names.clear();
            return Fail(rc);
        }
        cache.generation = generation_;
        cache.list = list;
        cache.keyId = keyId;
        cache.changeCount = count;
    }
    *names = &cache.names;
    return kSuccess;
}

Query::~Query() {
    if (stmt_ != nullptr) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

Query& Query::Bind(int index, int64_t value) {
    if (stmt_ != nullptr)
        sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

Query& Query::Bind(int index, std::string_view text) {
    if (stmt_ != nullptr)
        sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Query& Query::BindBlob(int index, const uint8_t* data, uint32_t size) {
    // A null pointer would bind NULL; an empty value is a zero-length blob.
    static const uint8_t kNoBytes = 0;
    if (stmt_ != nullptr)
        sqlite3_bind_blob64(stmt_, index, data != nullptr ? data : &kNoBytes, size,
                            SQLITE_TRANSIENT);
    return *this;
}

int Query::Step() {
    return stmt_ != nullptr ? sqlite3_step(stmt_) : SQLITE_MISUSE;
}

int64_t Query::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string Query::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text != nullptr
               ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
               : std::string();
}

std::string_view Query::Blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return data != nullptr
               ? std::string_view(data, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
               : std::string_view();
}

Transaction::~Transaction() {
    if (open_ && store_.Db() != nullptr)
        sqlite3_exec(store_.Db(), "ROLLBACK", nullptr, nullptr, nullptr);
}

long Transaction::Begin() {
    const long status = Execute("BEGIN IMMEDIATE");
    if (status == kSuccess)
        open_ = true;
    return status;
}

long Transaction::Commit() {
    const long status = Execute("COMMIT");
    if (status == kSuccess)
        open_ = false;
    return status;
}

long Transaction::Execute(const char* sql) {
    if (sqlite3_exec(store_.Db(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return store_.Fail(sqlite3_extended_errcode(store_.Db()));
    return kSuccess;
}

} // namespace vellumo::regapi::detail
