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

// Deletes the key `name` below `parent` with everything under it; an empty name empties `parent`
// itself (its subkeys and its values). Each level is opened through its parent's handle, so a
// deep tree costs one lookup per key, not one walk from the root per key.
inline void DeleteTree(regapi::RegKey parent, const std::string& name) {
    {
        regapi::KeyHandle key;
        if (key.Open(parent, name, regapi::KEY_ALL_ACCESS) != regapi::kSuccess)
            return;
        std::vector<std::string> subKeys;
        for (uint32_t i = 0;; ++i) {
            std::string subKey;
            if (regapi::EnumKey(key.Get(), i, subKey, kCleanupNameBuffer) != regapi::kSuccess)
                break;
            subKeys.push_back(subKey.c_str());
        }
        if (name.empty()) {
            for (const auto& value : ValueNamesOf(key.Get())) {
                // A value another one replaced in the meantime is simply gone already.
                static_cast<void>(regapi::DeleteValue(key.Get(), value));
            }
        }
        for (const auto& subKey : subKeys)
            DeleteTree(key.Get(), subKey);
    } // closed before the key itself goes
    if (!name.empty() && regapi::DeleteKey(parent, name) != regapi::kSuccess)
        std::abort();
}

} // namespace vellumo::fuzz
