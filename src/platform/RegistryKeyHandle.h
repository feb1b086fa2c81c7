// A registry key held open for one operation: opened or created through the registry functions
// and closed on every way out of the scope that holds it.
#pragma once

#include "platform/RegistryApi.h"

#include <cstdint>
#include <string>

namespace vellumo::regapi {

// Owns at most one key from OpenKey or CreateKey and closes it when it goes. Move-only: a moved-
// from handle holds nothing. Like the functions it calls, it is for the program's one thread.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle();
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    KeyHandle(KeyHandle&& other) noexcept;
    KeyHandle& operator=(KeyHandle&& other) noexcept;

    // OpenKey and CreateKey into this handle, after closing whatever it held. The call's status;
    // on failure the handle holds nothing (Get() is 0, which every registry function refuses as
    // kInvalidHandle).
    [[nodiscard]] long Open(RegKey root, const std::string& subKey, uint32_t access);
    [[nodiscard]] long Create(RegKey root, const std::string& subKey, uint32_t access);

    // Closes the key now and gives CloseKey's status: kInvalidHandle when nothing was held, as
    // closing a handle of 0 does.
    [[nodiscard]] long Close();

    // The handle to pass to the registry functions; 0 when nothing is held.
    [[nodiscard]] RegKey Get() const { return key_; }
    [[nodiscard]] bool IsOpen() const { return key_ != 0; }

private:
    void CloseHeld();

    RegKey key_ = 0;
};

} // namespace vellumo::regapi
