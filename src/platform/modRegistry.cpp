// One-call registry access over the registry functions: one text or one 32-bit value per call.
// Portable: the same steps run over advapi32 on Windows and over the store on Linux.
#include "platform/modRegistry.h"

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"

#include <cstring>

namespace vellumo::modRegistry {
namespace {

constexpr const char* kSaved = "Success";
constexpr const char* kStringNotSaved = "No! Key to Delete Or Key Not Found";
constexpr const char* kLongNotSaved = "No! Failed to save Value";
constexpr uint32_t kDwordSize = 4;

// The classic RegOpenKeyA and RegCreateKeyA ask for every right the caller may have.
constexpr uint32_t kOpenAccess = regapi::MAXIMUM_ALLOWED;

} // namespace

std::string GetRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                         const std::string& sDefault) {
    std::string result = sDefault;
    regapi::RegKey key = 0;
    regapi::OpenKey(hKey, ToAnsi(strPath), kOpenAccess, key);
    const std::string name = ToAnsi(strValue);
    uint32_t type = 0;
    uint32_t size = 0;
    // The first query learns type and size; the second reads into a buffer of that many spaces.
    regapi::QueryValue(key, name, &type, nullptr, &size);
    if (type == REG_SZ) {
        std::string buffer(size, ' ');
        if (regapi::QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(buffer.data()),
                               &size) == regapi::kSuccess)
            result = FromAnsi(CutAtNul(buffer));
    }
    regapi::CloseKey(key);
    return result;
}

std::string SaveRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                          const std::string& strData) {
    regapi::RegKey key = 0;
    regapi::CreateKey(hKey, ToAnsi(strPath), kOpenAccess, key);
    // The text without a terminating NUL: its size is its length in the code page. The result
    // of the write itself is not looked at.
    const std::string data = ToAnsi(strData);
    regapi::SetValue(key, ToAnsi(strValue), REG_SZ, reinterpret_cast<const uint8_t*>(data.data()),
                     static_cast<uint32_t>(data.size()));
    return regapi::CloseKey(key) == regapi::kSuccess ? kSaved : kStringNotSaved;
}

int32_t GetRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                   int32_t lDefault) {
    regapi::RegKey key = 0;
    regapi::OpenKey(hKey, ToAnsi(strPath), kOpenAccess, key);
    uint8_t data[kDwordSize] = {};
    uint32_t type = 0;
    uint32_t size = kDwordSize;
    const long status = regapi::QueryValue(key, ToAnsi(strValue), &type, data, &size);
    regapi::CloseKey(key);
    if (status != regapi::kSuccess || type != REG_DWORD)
        return lDefault;
    uint32_t value = 0;
    for (int i = kDwordSize - 1; i >= 0; --i) // least significant byte first
        value = (value << 8) | data[i];
    return static_cast<int32_t>(value);
}

std::string SaveRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                        int32_t lData) {
    regapi::RegKey key = 0;
    regapi::CreateKey(hKey, ToAnsi(strPath), kOpenAccess, key);
    const auto value = static_cast<uint32_t>(lData);
    const uint8_t data[kDwordSize] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                      static_cast<uint8_t>(value >> 16),
                                      static_cast<uint8_t>(value >> 24)};
    regapi::SetValue(key, ToAnsi(strValue), REG_DWORD, data, kDwordSize);
    return regapi::CloseKey(key) == regapi::kSuccess ? kSaved : kLongNotSaved;
}

} // namespace vellumo::modRegistry
