// The registry store's layout and the exact-schema check: a file with any object of its own (a
// view or trigger named like the store's tables, an index over an expression) could make the
// store's statements run SQL the file brings.
#include "platform/posix/RegistryStoreSchema.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace vellumo::regapi::detail {

// keys: one row per key below a root; the roots themselves have no row: a key directly below
// a root has the root's predefined (negative) value as parent. fold is the name in upper case,
// the form names compare in. AUTOINCREMENT keeps ids of deleted keys from being reused, so a
// stale handle cannot reach a newer key.
// vals: one row per value; seq gives creation order and survives overwriting.
const char* const kStoreLayout = R"sql(
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
static_assert(kApplicationId == 1448232263, "kStoreLayout repeats the application id");

namespace {

// One object of the schema as sqlite_master lists it; the statement text with its runs of
// white space made single spaces, so that only the statement itself counts.
using SchemaObject = std::tuple<std::string, std::string, std::string, std::string>;

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text != nullptr ? text : "";
}

std::string OneSpaced(const std::string& sql) {
    std::string out;
    bool space = false;
    for (const char c : sql) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
            space = true;
            continue;
        }
        if (space && !out.empty())
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// The objects of the database's schema in a fixed order; the SQLite result code.
int ReadSchema(sqlite3* db, std::vector<SchemaObject>& objects) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db,
                                "SELECT type, name, tbl_name, sql FROM sqlite_master "
                                "ORDER BY type, name",
                                -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        objects.emplace_back(ColumnText(stmt, 0), ColumnText(stmt, 1), ColumnText(stmt, 2),
                             OneSpaced(ColumnText(stmt, 3)));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The schema objects a store holds: exactly those that laying it out makes (the two tables, the
// indexes of their UNIQUE constraints and SQLite's AUTOINCREMENT table), read from a layout made
// in memory so that the two can never disagree.
const std::vector<SchemaObject>& OurSchema() {
    static const std::vector<SchemaObject> objects = [] {
        std::vector<SchemaObject> laidOut;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) ==
                SQLITE_OK &&
            sqlite3_exec(db, kStoreLayout, nullptr, nullptr, nullptr) == SQLITE_OK)
            (void)ReadSchema(db, laidOut);
        sqlite3_close_v2(db);
        return laidOut;
    }();
    return objects;
}

// What a file's schema holds that the store's does not, or lacks, for the refusal; empty when it
// is exactly the store's. Objects the store has no such thing as are named first.
std::string SchemaDifference(const std::vector<SchemaObject>& found) {
    const std::vector<SchemaObject>& ours = OurSchema();
    const auto describe = [](const SchemaObject& object) {
        return std::get<0>(object) + " \"" + std::get<1>(object) + "\"";
    };
    const auto sameKind = [](const SchemaObject& a, const SchemaObject& b) {
        return std::get<0>(a) == std::get<0>(b) && std::get<1>(a) == std::get<1>(b);
    };
    for (const SchemaObject& object : found)
        if (std::none_of(ours.begin(), ours.end(),
                         [&](const SchemaObject& own) { return sameKind(own, object); }))
            return "it holds " + describe(object);
    for (const SchemaObject& object : found)
        if (std::find(ours.begin(), ours.end(), object) == ours.end())
            return "its " + describe(object) + " is not the store's";
    for (const SchemaObject& object : ours)
        if (std::find(found.begin(), found.end(), object) == found.end())
            return "it lacks " + describe(object);
    return {};
}

} // namespace

int CompareWithStoreSchema(sqlite3* db, std::string& difference) {
    std::vector<SchemaObject> found;
    const int rc = ReadSchema(db, found);
    difference = rc == SQLITE_OK ? SchemaDifference(found) : std::string();
    return rc;
}

} // namespace vellumo::regapi::detail
