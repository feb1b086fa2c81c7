// Empties the registry store between fuzz inputs: every key below a root, and the root's own
// values. A key whose subkeys are gone must go, so a failure to delete one aborts the run.
#pragma once

#include "platform/RegistryApi.h"
#include "platform/RegistryKeyHandle.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vellumo::fuzz {

// Long enough for any name a fuzz input can give a key or value.
inline constexpr uint32_t kCleanupNameBuffer = 1024;

inline std::vector<std::string> ValueNamesOf(regapi::RegKey key) {
    std::vector<std::string> names;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t length = kCleanupNameBuffer;
        if (regapi::EnumValue(key, i, name, length) != regapi::kSuccess)
            break;
        names.push_back(name.substr(0, length));
    }
    return names;
}

// Deletes the key at `path` below `root` with everything under it; an empty path empties the
// root itself (its subkeys and its values).
inline void DeleteTree(regapi::RegKey root, const std::string& path) {
    std::vector<std::string> subKeys;
    {
        regapi::KeyHandle key;
        if (key.Open(root, path, regapi::KEY_ALL_ACCESS) != regapi::kSuccess)
            return;
        for (uint32_t i = 0;; ++i) {
            std::string name;
            if (regapi::EnumKey(key.Get(), i, name, kCleanupNameBuffer) != regapi::kSuccess)
                break;
            subKeys.push_back(name.c_str());
        }
        if (path.empty()) {
            for (const auto& name : ValueNamesOf(key.Get())) {
                // A value another one replaced in the meantime is simply gone already.
                static_cast<void>(regapi::DeleteValue(key.Get(), name));
            }
        }
    }
    for (const auto& sub : subKeys)
        DeleteTree(root, path.empty() ? sub : path + "\\" + sub);
    if (!path.empty() && regapi::DeleteKey(root, path) != regapi::kSuccess)
        std::abort();
}

} // namespace vellumo::fuzz
