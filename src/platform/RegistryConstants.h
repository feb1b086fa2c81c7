// The registry's predefined root keys and value types, numbered as the operating system numbers
// them: the one place the program, the store and vellumo-reg take them from.
//
// <windows.h> defines these same names as macros. A file that needs both includes this header
// before <windows.h> and, after it, uses only the names below that the system does not define
// (kFirstPredefinedKey, kLastPredefinedKey) or the numbers through a local constant.
#pragma once

#include <cstdint>

namespace vellumo {

// Predefined root keys, as signed 32-bit values (the handles' unsigned form names the same key).
inline constexpr int32_t HKEY_CLASSES_ROOT = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002u);
inline constexpr int32_t HKEY_USERS = static_cast<int32_t>(0x80000003u);
inline constexpr int32_t HKEY_PERFORMANCE_DATA = static_cast<int32_t>(0x80000004u);
inline constexpr int32_t HKEY_CURRENT_CONFIG = static_cast<int32_t>(0x80000005u);
inline constexpr int32_t HKEY_DYN_DATA = static_cast<int32_t>(0x80000006u);

// The predefined roots are exactly the values from the first to the last of these.
inline constexpr int32_t kFirstPredefinedKey = HKEY_CLASSES_ROOT;
inline constexpr int32_t kLastPredefinedKey = HKEY_DYN_DATA;

// Registry value types.
enum eValueType : int32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_RESOURCE_LIST = 8,
    REG_FULL_RESOURCE_DESCRIPTOR = 9,
    REG_RESOURCE_REQUIREMENTS_LIST = 10,
    REG_QWORD = 11,
};

} // namespace vellumo
