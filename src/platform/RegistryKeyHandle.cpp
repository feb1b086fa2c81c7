// A registry key held open for one operation. Portable: over the registry functions of either
// platform.
#include "platform/RegistryKeyHandle.h"

#include <utility>

namespace vellumo::regapi {

KeyHandle::~KeyHandle() {
    CloseHeld();
}

void KeyHandle::CloseHeld() {
    // A key that will not close is not something its holder could act on while letting it go.
    if (IsOpen())
        static_cast<void>(Close());
}

KeyHandle::KeyHandle(KeyHandle&& other) noexcept : key_(std::exchange(other.key_, 0)) {}

KeyHandle& KeyHandle::operator=(KeyHandle&& other) noexcept {
    if (this != &other) {
        CloseHeld();
        key_ = std::exchange(other.key_, 0);
    }
    return *this;
}

long KeyHandle::Open(RegKey root, const std::string& subKey, uint32_t access) {
    CloseHeld();
    return OpenKey(root, subKey, access, key_);
}

long KeyHandle::Create(RegKey root, const std::string& subKey, uint32_t access) {
    CloseHeld();
    return CreateKey(root, subKey, access, key_);
}

long KeyHandle::Close() {
    return CloseKey(std::exchange(key_, 0));
}

} // namespace vellumo::regapi
