// One-call registry access: read or write one text or one 32-bit value. Missing keys and values
// are not errors: the getters return their default, the setters a status text. For the program's
// one thread, as every registry function (RegistryApi.h).
#pragma once

#include "platform/RegistryConstants.h"

#include <cstdint>
#include <string>

namespace vellumo::modRegistry {

// The REG_SZ text cut at its first NUL, or sDefault (missing key or value, another type).
[[nodiscard]] std::string GetRegString(int32_t hKey, const std::string& strPath,
                                       const std::string& strValue, const std::string& sDefault);
// Writes a REG_SZ without terminating NUL. "Success" or "No! Key to Delete Or Key Not Found"
// (the status of closing the key: the write's own result is not looked at).
[[nodiscard]] std::string SaveRegString(int32_t hKey, const std::string& strPath,
                                        const std::string& strValue, const std::string& strData);
// The REG_DWORD value, or lDefault.
[[nodiscard]] int32_t GetRegLong(int32_t hKey, const std::string& strPath,
                                 const std::string& strValue, int32_t lDefault);
// Writes a REG_DWORD. "Success" or "No! Failed to save Value", as SaveRegString.
[[nodiscard]] std::string SaveRegLong(int32_t hKey, const std::string& strPath,
                                      const std::string& strValue, int32_t lData);

} // namespace vellumo::modRegistry
