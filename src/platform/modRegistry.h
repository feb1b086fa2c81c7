// One-call registry access: read or write one text or one 32-bit value. Missing keys and values
// are not errors: the getters return their default, the setters a status text.
#pragma once

#include <cstdint>
#include <string>

namespace vellumo {

// Predefined root keys, as signed 32-bit values.
inline constexpr int32_t HKEY_CLASSES_ROOT = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002u);
inline constexpr int32_t HKEY_USERS = static_cast<int32_t>(0x80000003u);
inline constexpr int32_t HKEY_CURRENT_CONFIG = static_cast<int32_t>(0x80000005u);

// Registry value types.
enum eValueType : int32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_MULTI_SZ = 7,
};

namespace modRegistry {

// The REG_SZ text cut at its first NUL, or sDefault (missing key or value, another type).
[[nodiscard]] std::string GetRegString(int32_t hKey, const std::string& strPath,
                                       const std::string& strValue, const std::string& sDefault);
// Writes a REG_SZ without terminating NUL. "Success" or "No! Key to Delete Or Key Not Found".
std::string SaveRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                          const std::string& strData);
// The REG_DWORD value, or lDefault.
[[nodiscard]] int32_t GetRegLong(int32_t hKey, const std::string& strPath,
                                 const std::string& strValue, int32_t lDefault);
// Writes a REG_DWORD. "Success" or "No! Failed to save Value".
std::string SaveRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                        int32_t lData);

} // namespace modRegistry
} // namespace vellumo
