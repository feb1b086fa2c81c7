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

long ReadValue(regapi::RegKey key, const std::string& name, StoredValue& value) {
    uint32_t size = 0;
    if (const long s = regapi::QueryValue(key, name, &value.type, nullptr, &size);
        s != regapi::kSuccess)
        return s;
    // Another process may make the value larger between the two calls; the second then says
    // how large, and is asked again while the value keeps growing.
    for (;;) {
        value.data.assign(size, '\0');
        uint32_t stored = size;
        const long s = regapi::QueryValue(key, name, &value.type,
                                          reinterpret_cast<uint8_t*>(value.data.data()), &stored);
        if (s == regapi::kMoreData && stored > size) {
            size = stored;
            continue;
        }
        if (s != regapi::kSuccess)
            return s;
        value.data.resize(stored);
        return regapi::kSuccess;
    }
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

long DeleteTree(regapi::RegKey root, const std::string& path, uint32_t view) {
    const uint32_t access = regapi::KEY_ALL_ACCESS | view;
    // One entry per level on the way down: the open key and its name below the level above.
    // The first level is the key's parent, held only to delete the key through it.
    struct Level {
        regapi::KeyHandle key;
        std::string name;
    };
    std::vector<Level> levels;
    const size_t slash = path.rfind('\\');
    const std::string parentPath =
        slash == std::string::npos ? std::string() : path.substr(0, slash);
    // The delete does not depend on the parent handle's rights: reading is enough.
    regapi::KeyHandle parent;
    if (const long s = parent.Open(root, parentPath, regapi::KEY_READ | view);
        s != regapi::kSuccess)
        return s;
    {
        regapi::KeyHandle top;
        std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        if (const long s = top.Open(parent.Get(), name, access); s != regapi::kSuccess)
            return s;
        levels.push_back(Level{std::move(top), std::move(name)});
    }
    while (!levels.empty()) {
        std::string name;
        // Always the first subkey: the ones before it are gone by the time it is asked for.
        const long s = SubkeyAt(levels.back().key.Get(), 0, name);
        if (s == regapi::kSuccess) {
            regapi::KeyHandle child;
            if (const long o = child.Open(levels.back().key.Get(), name, access);
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
        const regapi::RegKey above = levels.empty() ? parent.Get() : levels.back().key.Get();
        if (const long d = regapi::DeleteKey(above, own); d != regapi::kSuccess)
            return d;
    }
    return regapi::kSuccess;
}

} // namespace vellumo::regtool
