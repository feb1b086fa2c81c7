// The registry store's layout: the statements that make its tables, its marks, and the check that
// a file's schema holds exactly those objects. Internal to the posix registry.
#pragma once

#include <cstdint>
#include <string>

#include <sqlite3.h>

namespace vellumo::regapi::detail {

// Marks a database as this program's registry store ("VREG"); a database without it is
// someone else's file and is left alone.
inline constexpr int32_t kApplicationId = 0x56524547;
// Version of the layout; a store written by a newer layout is refused, not rewritten.
inline constexpr int32_t kSchemaVersion = 1;

// The statements that lay out a new store (tables and marks), run in one transaction.
extern const char* const kStoreLayout;

// Reads the file's schema and compares it with the store's: exactly the objects kStoreLayout
// makes (the two tables, the indexes of their UNIQUE constraints and SQLite's AUTOINCREMENT
// table), each with the statement that made it (runs of white space aside). Returns the SQLite
// result code of the reading; `difference` says what differs, for the refusal, and is empty when
// the schema is exactly the store's.
[[nodiscard]] int CompareWithStoreSchema(sqlite3* db, std::string& difference);

} // namespace vellumo::regapi::detail
