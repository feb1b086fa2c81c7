// Walking and deleting whole key trees with an explicit stack of open keys.
#include "RegTree.h"

#include "platform/RegistryKeyHandle.h"
#include "platform/Text.h"

#include <utility>

namespace vellumo::regtool {
namespace {

// Subkey `index` of `key`. kMoreData means a stored name longer than any key name can be, and a
// name that is not one level would open some other key: both are a damaged store.
long SubkeyAt(regapi::RegKey key, uint32_t index, std::string& name) {
    const long s = regapi::EnumKey(key, index, name, kKeyNameBuffer);
    if (s == regapi::kMoreData || (s == regapi::kSuccess && !IsKeyNameLevel(name)))
        return regapi::kBadDatabase;
    return s;
}

} // namespace

bool IsKeyNameLevel(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos &&
           CharLength(name) <= regapi::kMaxKeyNameLength;
}

bool IsKeyPath(std::string_view path) {
    size_t depth = 0;
    while (!path.empty()) {
        const auto separator = path.find('\\');
        if (!IsKeyNameLevel(path.substr(0, separator)) || ++depth > regapi::kMaxKeyDepth)
            return false;
        if (separator == std::string_view::npos)
            break;
        path.remove_prefix(separator + 1);
        if (path.empty())
            return false; // "\" at the end was removed before; one here left an empty level
    }
    return true;
}

long ValueNames(regapi::RegKey key, std::vector<std::string>& names) {
    names.clear();
    uint32_t longest = 0;
    if (const long s = regapi::QueryInfoKey(key, nullptr, nullptr, &longest); s != regapi::kSuccess)
        return s;
    for (uint32_t index = 0;;) {
        std::string name;
        uint32_t length = longest + 1;
        const long s = regapi::EnumValue(key, index, name, length);
        if (s == regapi::kNoMoreItems)
            return regapi::kSuccess;
        if (s == regapi::kMoreData) {
            // Another process added a longer name since the key was asked: ask again, and go on
            // only while the answer grows, so that a wrong answer cannot loop.
            uint32_t longer = 0;
            if (regapi::QueryInfoKey(key, nullptr, nullptr, &longer) == regapi::kSuccess &&
                longer > longest) {
                longest = longer;
                continue;
            }
        }
        if (s != regapi::kSuccess) {
            names.clear();
            return s;
        }
        names.push_back(std::move(name));
        ++index;
    }
}

long ForEachSubkey(regapi::RegKey key, const std::function<long(const std::string& name)>& visit) {
    for (uint32_t index = 0;; ++index) {
        std::string name;
        if (const long s = SubkeyAt(key, index, name); s != regapi::kSuccess)
            return s == regapi::kNoMoreItems ? regapi::kSuccess : s;
        if (const long s = visit(name); s != regapi::kSuccess)
            return s;
    }
}

long WalkTree(regapi::RegKey top, std::string& path, uint32_t access,
              const std::function<long(regapi::RegKey key, const std::string& path)>& visit) {
    // One entry per level being walked: the open key, where its enumeration stands, and the
    // length of `path` before the key's own name was appended.
    struct Level {
        regapi::KeyHandle owned; // empty for `top`, which the caller owns
        regapi::RegKey key;
        uint32_t nextSubkey;
        size_t parentPathLength;
    };
    std::vector<Level> levels;
    levels.push_back(Level{{}, top, 0, path.size()});
    if (const long s = visit(top, path); s != regapi::kSuccess)
        return s;
    while (!levels.empty()) {
        Level& level = levels.back();
        std::string name;
        const long s = SubkeyAt(level.key, level.nextSubkey, name);
        if (s == regapi::kNoMoreItems) {
            path.resize(level.parentPathLength);
            levels.pop_back();
            continue;
        }
        if (s != regapi::kSuccess)
            return s;
        ++level.nextSubkey;
        regapi::KeyHandle child;
        if (const long o = child.Open(level.key, name, access); o != regapi::kSuccess)
            return o;
        const regapi::RegKey childKey = child.Get();
        const size_t parentPathLength = path.size();
        path += '\\';
        path += name;
        levels.push_back(Level{std::move(child), childKey, 0, parentPathLength});
        if (const long v = visit(childKey, path); v != regapi::kSuccess)
            return v;
    }
    return regapi::kSuccess;
}

long DeleteTree(regapi::RegKey root, const std::string& path) {
    // One entry per level on the way down: the open key and its name below the level above
    // (the whole path below `root` for the first).
    struct Level {
        regapi::KeyHandle key;
        std::string name;
    };
    std::vector<Level> levels;
    {
        regapi::KeyHandle top;
        if (const long s = top.Open(root, path, regapi::KEY_ALL_ACCESS); s != regapi::kSuccess)
            return s;
        levels.push_back(Level{std::move(top), path});
    }
    while (!levels.empty()) {
        std::string name;
        // Always the first subkey: the ones before it are gone by the time it is asked for.
        const long s = SubkeyAt(levels.back().key.Get(), 0, name);
        if (s == regapi::kSuccess) {
            regapi::KeyHandle child;
            if (const long o = child.Open(levels.back().key.Get(), name, regapi::KEY_ALL_ACCESS);
                o != regapi::kSuccess)
                return o;
            levels.push_back(Level{std::move(child), std::move(name)});
            continue;
        }
        if (s != regapi::kNoMoreItems)
            return s;
        // No subkeys left: close the key, then delete it from the level above.
        const std::string own = std::move(levels.back().name);
        levels.pop_back();
        const regapi::RegKey parent = levels.empty() ? root : levels.back().key.Get();
        if (const long d = regapi::DeleteKey(parent, own); d != regapi::kSuccess)
            return d;
    }
    return regapi::kSuccess;
}

} // namespace vellumo::regtool
