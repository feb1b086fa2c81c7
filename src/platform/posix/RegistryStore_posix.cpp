// The Linux registry store's connection: path resolution, creation with mode 0600, validation
// that never alters a file it does not recognise, the statement cache and write transactions.
#include "platform/posix/RegistryStore.h"

#include "platform/RegistryApi.h"
#include "platform/posix/UserFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumo::regapi::detail {
namespace {

// Marks a database as this program's registry store ("VREG"); a database without it is
// someone else's file and is left alone.
constexpr int32_t kApplicationId = 0x56524547;
// Version of the tables below; a store written by a newer layout is refused, not rewritten.
constexpr int32_t kSchemaVersion = 1;
// The product and this program may write at once; a writer waits this long for the lock.
constexpr int kBusyTimeoutMs = 30000;
// A test and operations knob: the environment variable VELLUMO_REGISTRY_BUSY_TIMEOUT_MS, a whole
// number of milliseconds from 0 to kLongestBusyTimeoutMs, replaces the wait when the store is
// opened (tests of a store locked by another process need not wait 30 seconds). Anything else
// keeps kBusyTimeoutMs.
constexpr const char* kBusyTimeoutVariable = "VELLUMO_REGISTRY_BUSY_TIMEOUT_MS";
constexpr long kLongestBusyTimeoutMs = 600000;
constexpr mode_t kStoreFileMode = 0600;

constexpr const char* kStoreFolder = "/kestrova";
constexpr const char* kStoreFile = "/registry.db";

// keys: one row per key below a root; the roots themselves have no row: a key directly below
// a root has the root's predefined (negative) value as parent. fold is the name in upper case,
// the form names compare in. AUTOINCREMENT keeps ids of deleted keys from being reused, so a
// stale handle cannot reach a newer key.
// vals: one row per value; seq gives creation order and survives overwriting.
constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
    id     INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name   TEXT NOT NULL,
    fold   TEXT NOT NULL,
    UNIQUE(parent, fold));
CREATE TABLE vals(
    seq  INTEGER PRIMARY KEY AUTOINCREMENT,
    key  INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, fold));
PRAGMA application_id = 1448232263;
PRAGMA user_version = 1;
)sql";
static_assert(kApplicationId == 1448232263, "kSchema repeats the application id");

int BusyTimeoutMs() {
    const char* text = std::getenv(kBusyTimeoutVariable);
    if (text == nullptr || *text == '\0')
        return kBusyTimeoutMs;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > kLongestBusyTimeoutMs)
        return kBusyTimeoutMs;
    return static_cast<int>(value);
}

bool IsCorruption(int rc) {
    const int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// What marks a store: the application id, the layout version and the number of schema entries,
// read in one statement so that they come from one moment of a store another process may be
// laying out. The SQLite result code on failure.
struct StoreMarks {
    int64_t applicationId = 0;
    int64_t schemaVersion = 0;
    int64_t schemaEntries = 0;
};

int ReadMarks(sqlite3* db, StoreMarks& marks) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(
        db,
        "SELECT application_id, user_version, (SELECT count(*) FROM sqlite_master) "
        "FROM pragma_application_id, pragma_user_version",
        -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            marks.applicationId = sqlite3_column_int64(stmt, 0);
            marks.schemaVersion = sqlite3_column_int64(stmt, 1);
            marks.schemaEntries = sqlite3_column_int64(stmt, 2);
            rc = SQLITE_OK;
        }
    }
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
    if (db_ != nullptr && !stale_ && path == path_) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
            return kSuccess;
    }
    Close();
    if (path.empty()) {
        SetProblem("The registry store has no place: neither HOME nor XDG_CONFIG_HOME is set.");
        return mode == OpenMode::Existing ? kFileNotFound : kAccessDenied;
    }
    const long status = Open(path, mode);
    // In Create mode a missing store comes back only when the file vanished while it was being
    // opened (another process deleted it): the second try creates it anew.
    if (status == kFileNotFound && mode == OpenMode::Create)
        return Open(path, mode);
    return status;
}

long Store::Open(const std::string& path, OpenMode mode) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
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
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kStoreFileMode);
        if (fd < 0 && errno != EEXIST) {
            SetProblem("The registry store \"" + path + "\" cannot be created (" +
                       std::strerror(errno) + ").");
            return kAccessDenied;
        }
        if (fd >= 0)
            close(fd);
        if (stat(path.c_str(), &st) != 0)
            return Report(path, std::string("cannot be reached (") + std::strerror(errno) + ")");
    }
    if (!S_ISREG(st.st_mode))
        return Report(path, "is not a regular file");

    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        // Deleted between the look above and the open: a missing store, not a damaged one.
        if (stat(path.c_str(), &st) != 0 && errno == ENOENT)
            return kFileNotFound;
        return Report(path, "cannot be opened (" + reason + ")");
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs());
    const long status = Validate(db, mode);
    if (status != kSuccess) {
        sqlite3_close_v2(db);
        return status;
    }
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
            return Report(path, std::string("is not a valid registry store (") +
                                    sqlite3_errmsg(db) + ")");
        if ((rc & 0xFF) == SQLITE_BUSY)
            return FailOn(path, db, rc);
        // Even a reader needs room for the write-ahead log's shared-memory file: on a full disk
        // the store is intact but cannot be opened until there is room again.
        if ((rc & 0xFF) == SQLITE_FULL || sqlite3_system_errno(db) == ENOSPC) {
            Report(path, "cannot be opened while its disk is full");
            return kDiskFull;
        }
        return Report(path, std::string("cannot be read (") + sqlite3_errmsg(db) + ")");
    }
    if (marks.applicationId == 0 && marks.schemaEntries == 0) {
        // A new, empty file: only a writer lays out the tables. A reader sees an empty registry.
        if (mode == OpenMode::Existing)
            return kFileNotFound;
        // The empty file is ours to lay out: WAL from the start spares the creation's syncs.
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            return FailOn(path, db, sqlite3_extended_errcode(db));
        // Another process may have laid them out while this one waited for the lock.
        rc = ReadMarks(db, marks);
        if (rc == SQLITE_OK && marks.applicationId == 0 && marks.schemaEntries == 0) {
            rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
            marks.applicationId = kApplicationId;
            marks.schemaVersion = kSchemaVersion;
        }
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            const long status = FailOn(path, db, rc);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return status;
        }
    }
    const int64_t applicationId = marks.applicationId;
    const int64_t schemaVersion = marks.schemaVersion;
    if (applicationId != kApplicationId)
        return Report(path, "is an SQLite database of another program, not a registry store");
    if (schemaVersion > kSchemaVersion)
        return Report(path, "was written by a newer version of the program (layout " +
                                std::to_string(schemaVersion) + ")");
    // The journal mode is kept in the file; setting it again is cheap. A read-only store keeps
    // whatever mode it has.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // In WAL mode NORMAL loses no committed transaction when a process dies; only a power cut
    // can take back the last ones, as the lazily flushed Windows registry can.
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    return kSuccess;
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
    if (IsCorruption(rc))
        stale_ = true; // closed at the next Acquire: statements may still be in use now
    return FailOn(path_, db_, rc);
}

long Store::FailOn(const std::string& path, sqlite3* db, int rc) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string store = "The registry store \"" + path + "\" ";
    switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        Report(path, "is corrupt (" + message + ")");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        SetProblem(store + "stayed locked by another program longer than " +
                   std::to_string(BusyTimeoutMs()) + " ms.");
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
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    return *this;
}

Query& Query::BindBlob(int index, const uint8_t* data, uint32_t size) {
    // A null pointer would bind NULL; an empty value is a zero-length blob.
    static const uint8_t kNoBytes = 0;
    if (stmt_ != nullptr)
        sqlite3_bind_blob(stmt_, index, data != nullptr ? data : &kNoBytes, static_cast<int>(size),
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
