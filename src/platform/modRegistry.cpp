// One-call registry access over the registry functions: one text or one 32-bit value per call.
// Portable: the same steps run over advapi32 on Windows and over the store on Linux.
#include "platform/modRegistry.h"

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstring>

namespace vellumo::modRegistry {
namespace {

constexpr const char* kSaved = "Success";
constexpr const char* kStringNotSaved = "No! Key to Delete Or Key Not Found";
constexpr const char* kLongNotSaved = "No! Failed to save Value";
constexpr uint32_t kDwordSize = 4;

// Keys are opened with every right the caller may have: a read-only key still opens for reading.
constexpr uint32_t kOpenAccess = regapi::MAXIMUM_ALLOWED;

} // namespace

std::string GetRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                         const std::string& sDefault) {
    std::string result = sDefault;
    regapi::KeyHandle key;
    // A key that cannot be opened is found out by the query below, which refuses the empty handle.
    static_cast<void>(key.Open(hKey, ToAnsi(strPath), kOpenAccess));
    const std::string name = ToAnsi(strValue);
    uint32_t type = 0;
    uint32_t size = 0;
    // The first query learns type and size (a failed one leaves the type 0, which is no text);
    // the second reads into a buffer of that many spaces.
    static_cast<void>(regapi::QueryValue(key.Get(), name, &type, nullptr, &size));
    if (type == REG_SZ) {
        std::string buffer(size, ' ');
        if (regapi::QueryValue(key.Get(), name, &type, reinterpret_cast<uint8_t*>(buffer.data()),
                               &size) == regapi::kSuccess)
            result = FromAnsi(CutAtNul(buffer));
    }
    return result;
}

std::string SaveRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                          const std::string& strData) {
    regapi::KeyHandle key;
    // A key that cannot be created shows in the status of closing it, which is the result.
    static_cast<void>(key.Create(hKey, ToAnsi(strPath), kOpenAccess));
    // The text without a terminating NUL: its size is its length in the code page. The result
    // of the write itself is not looked at.
    const std::string data = ToAnsi(strData);
    // A text beyond the registry's 32-bit sizes cannot be a value: it is not written, rather than
    // written cut to its size modulo 4 GiB.
    if (data.size() <= UINT32_MAX)
        static_cast<void>(regapi::SetValue(key.Get(), ToAnsi(strValue), REG_SZ,
                                           reinterpret_cast<const uint8_t*>(data.data()),
                                           static_cast<uint32_t>(data.size())));
    return key.Close() == regapi::kSuccess ? kSaved : kStringNotSaved;
}

int32_t GetRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                   int32_t lDefault) {
    regapi::KeyHandle key;
    // A key that cannot be opened is found out by the query, which refuses the empty handle.
    static_cast<void>(key.Open(hKey, ToAnsi(strPath), kOpenAccess));
    uint8_t data[kDwordSize] = {};
    uint32_t type = 0;
    uint32_t size = kDwordSize;
    if (regapi::QueryValue(key.Get(), ToAnsi(strValue), &type, data, &size) != regapi::kSuccess ||
        type != REG_DWORD)
        return lDefault;
    uint32_t value = 0;
    for (int i = kDwordSize - 1; i >= 0; --i) // least significant byte first
        value = (value << 8) | data[i];
    return static_cast<int32_t>(value);
}

std::string SaveRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                        int32_t lData) {
    regapi::KeyHandle key;
    // As in SaveRegString: only the status of closing the key is the result.
    static_cast<void>(key.Create(hKey, ToAnsi(strPath), kOpenAccess));
    const auto value = static_cast<uint32_t>(lData);
    const uint8_t data[kDwordSize] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                      static_cast<uint8_t>(value >> 16),
                                      static_cast<uint8_t>(value >> 24)};
    static_cast<void>(regapi::SetValue(key.Get(), ToAnsi(strValue), REG_DWORD, data, kDwordSize));
    return key.Close() == regapi::kSuccess ? kSaved : kLongNotSaved;
}

} // namespace vellumo::modRegistry
