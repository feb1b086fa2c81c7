// Walking and deleting a key's whole tree for vellumo-reg without recursion, so that a tree of any
// depth costs one open key and one name per level and never the call stack; reading values
// whole; and the registry's limits on key paths and names, which the tool enforces before it
// touches anything.
#pragma once

#include "platform/RegistryApi.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::regtool {

// Room for the longest key name (255 characters) in UTF-8, where a character takes up to four
// bytes, and its terminator: the enumeration's buffer counts bytes.
inline constexpr uint32_t kKeyNameBuffer = regapi::kMaxKeyNameLength * 4 + 1;

// Whether `name` can be one level of a key path: not empty, without "\" or NUL, at most 255
// characters.
[[nodiscard]] bool IsKeyNameLevel(std::string_view name);

// Whether `path` (below a root, trailing "\" already removed; empty for the root itself) is a
// key path the registry accepts: every level a key name, at most regapi::kMaxKeyDepth levels.
[[nodiscard]] bool IsKeyPath(std::string_view path);

// A value as stored: its type and its bytes.
struct StoredValue {
    uint32_t type = 0;
    std::string data;
};

// The whole stored value: kSuccess, kFileNotFound for a missing value, or why it cannot be read.
// A value that another process makes larger between the calls is asked for again.
[[nodiscard]] long ReadValue(regapi::RegKey key, const std::string& name, StoredValue& value);

// The names of the key's values in the registry's order; kSuccess, or the status of the call
// that failed (names then holds nothing).
[[nodiscard]] long ValueNames(regapi::RegKey key, std::vector<std::string>& names);

// Calls `visit` for `top` and then for every key below it, depth first, subkeys in the registry's
// order. `path` is the name printed for `top`; during a visit it is the visited key's, built by
// appending "\" and the subkey's name; it is `top`'s again on return. The walk ends at the first
// status other than kSuccess, from `visit` or from the registry, and returns it; a subkey name
// that cannot be a key name is kBadDatabase (the store is damaged). Keys are opened with
// `access`.
[[nodiscard]] long
WalkTree(regapi::RegKey top, std::string& path, uint32_t access,
         const std::function<long(regapi::RegKey key, const std::string& path)>& visit);

// Lists the names of the key's direct subkeys to `visit`, in the registry's order; the status as
// for WalkTree.
[[nodiscard]] long ForEachSubkey(regapi::RegKey key,
                                 const std::function<long(const std::string& name)>& visit);

// Deletes the key `path` below `root` and everything below it, deepest keys first (the
// registry's own delete refuses a key that has subkeys). Keys are opened with KEY_ALL_ACCESS and
// `view` (a registry view's access bit, or 0), and each is deleted through its parent's handle,
// so that the whole walk stays in that view. Stops at the first failure and returns its status;
// what was deleted before stays deleted.
[[nodiscard]] long DeleteTree(regapi::RegKey root, const std::string& path, uint32_t view);

} // namespace vellumo::regtool
