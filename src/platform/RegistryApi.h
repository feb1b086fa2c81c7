// The registry at the level of the operating system's ANSI registry functions, which both
// registry layers (modRegistry, cRegistry), COSInfo and vellumo-reg build on. Windows: advapi32
// itself. Linux: the per-user SQLite store ${XDG_CONFIG_HOME:-~/.config}/kestrova/registry.db
// with the same semantics (names case-insensitive and case-preserving, typed raw values, values
// in creation order, subkeys in case-insensitive alphabetical order, a key with subkeys cannot
// be deleted). Names and text data are in the system code page; lengths count code-page bytes.
// Functions return a Win32 status code (0 success) and never throw.
//
// One thread: the program runs on one thread, and these functions (with everything built on them:
// modRegistry, cRegistry, KeyHandle) are for that thread only; they hold no locks. On Linux,
// other processes using the same store at the same time (the product, vellumo-reg) are safe:
// SQLite's file locking orders their writes.
//
// Linux store details (docs/registry-store.md): the store's path is resolved from the
// environment at every call, so a changed HOME or XDG_CONFIG_HOME takes effect at once. Reads
// of a store that does not exist yet behave as an empty registry and create nothing; the first
// CreateKey or SetValue creates it (mode 0600). A file that is not a valid store is never
// changed, replaced or deleted: every call returns kBadDatabase and StoreProblem() says why. On a
// full disk even reading may be impossible (the write-ahead log needs room for its shared-memory
// file): such calls return kDiskFull and StoreProblem() says so.
// Handles belong to the store they were opened in; a handle from before a change of store (or
// from a parent process) is kInvalidHandle. The predefined roots are valid in every store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vellumo::regapi {

// A root key (one of the predefined signed 32-bit values) or a handle from Open/Create.
using RegKey = int64_t;

inline constexpr long kSuccess = 0;           // ERROR_SUCCESS
inline constexpr long kFileNotFound = 2;      // ERROR_FILE_NOT_FOUND: missing key or value
inline constexpr long kAccessDenied = 5;      // ERROR_ACCESS_DENIED (also: key has subkeys)
inline constexpr long kInvalidHandle = 6;     // ERROR_INVALID_HANDLE
inline constexpr long kOutOfMemory = 14;      // ERROR_OUTOFMEMORY
inline constexpr long kInvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr long kDiskFull = 112;        // ERROR_DISK_FULL
inline constexpr long kBadPathname = 161;     // ERROR_BAD_PATHNAME: key path begins with "\"
inline constexpr long kBusy = 170;            // ERROR_BUSY: the store stayed locked too long
inline constexpr long kMoreData = 234;        // ERROR_MORE_DATA: buffer too small
inline constexpr long kNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS
inline constexpr long kBadDatabase = 1009;    // ERROR_BADDB: store corrupt or unreadable
inline constexpr long kIoFailed = 1016;       // ERROR_REGISTRY_IO_FAILED
inline constexpr long kKeyDeleted = 1018;     // ERROR_KEY_DELETED: the handle's key is gone

inline constexpr uint32_t KEY_QUERY_VALUE = 0x1;
inline constexpr uint32_t KEY_SET_VALUE = 0x2;
inline constexpr uint32_t KEY_CREATE_SUB_KEY = 0x4;
inline constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x8;
inline constexpr uint32_t KEY_ALL_ACCESS_0x3F = 0x3F;
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t KEY_WRITE = 0x20006;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
// What RegOpenKeyA and RegCreateKeyA ask for: every right the caller may have.
inline constexpr uint32_t MAXIMUM_ALLOWED = 0x02000000;

// The longest key name (one level of a path), in characters.
inline constexpr uint32_t kMaxKeyNameLength = 255;
// The deepest key: levels below its root. Deeper paths are kInvalidParameter.
inline constexpr uint32_t kMaxKeyDepth = 512;
// The longest value name, in characters. SetValue refuses longer ones (kInvalidParameter).
inline constexpr uint32_t kMaxValueNameLength = 16383;

// RegOpenKeyExA / RegOpenKeyA: an existing key; an empty subKey opens the root itself. Trailing
// "\" are ignored; a path beginning with "\" or holding an empty level is kBadPathname. The
// handle carries `access`: QueryValue, EnumValue and QueryInfoKey need KEY_QUERY_VALUE,
// SetValue and DeleteValue KEY_SET_VALUE, EnumKey KEY_ENUMERATE_SUB_KEYS (else kAccessDenied).
// result is 0 on failure.
[[nodiscard]] long OpenKey(RegKey root, const std::string& subKey, uint32_t access, RegKey& result);
// RegCreateKeyExA / RegCreateKeyA: creates every missing level in one transaction.
[[nodiscard]] long CreateKey(RegKey root, const std::string& subKey, uint32_t access,
                             RegKey& result);
// RegCloseKey: kInvalidHandle for 0 and for unknown handles; roots close successfully.
[[nodiscard]] long CloseKey(RegKey key);
// RegQueryValueExA. data may be null to learn type and size; with a buffer too small the call
// returns kMoreData and sets *size to the size needed. An empty name is the default value.
// As the ANSI function does, a text type stored without a final NUL gets one appended in the
// buffer when there is room, without counting it in *size.
[[nodiscard]] long QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                              uint32_t* size);
// RegSetValueExA: stores exactly `size` bytes under `type`. Overwriting keeps the value's
// place in the enumeration and its first spelling.
[[nodiscard]] long SetValue(RegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                            uint32_t size);
// RegDeleteKeyA: refuses a key that has subkeys (kAccessDenied) and the predefined roots.
[[nodiscard]] long DeleteKey(RegKey root, const std::string& subKey);
[[nodiscard]] long DeleteValue(RegKey key, const std::string& name);
// RegEnumValueA: name of value `index` (creation order); kNoMoreItems past the end. nameLength is
// the buffer's size in characters on entry and the name's length on return; kMoreData when the
// name and its terminator do not fit.
[[nodiscard]] long EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& nameLength);
// RegEnumKeyA: name of subkey `index` (case-insensitive alphabetical); kNoMoreItems at the end;
// kMoreData when the name and its terminator do not fit in bufferLength characters.
[[nodiscard]] long EnumKey(RegKey key, uint32_t index, std::string& name, uint32_t bufferLength);
// RegQueryInfoKeyA: counts and the longest value name (characters, without terminator). Each
// pointer may be null.
[[nodiscard]] long QueryInfoKey(RegKey key, uint32_t* subKeyCount, uint32_t* valueCount,
                                uint32_t* maxValueNameLength);

// ExpandEnvironmentStringsA: replaces every "%NAME%" whose variable exists (names compare
// without regard to case) by its value and keeps the others as they are (Linux:
// ExpandEnvironmentText of platform/EnvironmentText.h, which states the rules). Returns the size
// needed in characters including the terminating NUL; writes the text and its NUL only when
// `size` is at least that.
[[nodiscard]] uint32_t ExpandEnvironmentStrings(const std::string& source, char* destination,
                                                uint32_t size);

// The program's executable name without folder and extension, the source that the registry
// class's raised errors name. Linux: the name of /proc/self/exe.
[[nodiscard]] std::string ExecutableName();

// Why the store could not be used by the last call that failed because of the store itself
// (its path and the reason), or the empty text once it opens again. Windows: always empty.
[[nodiscard]] std::string StoreProblem();
// Every distinct problem (a store that cannot be found a place, created, opened, read or
// written: not valid, locked by another program for too long, read-only, a full disk) is said
// once per process in one line on standard error, and handed to this observer (the debug log
// installs one). Windows: never called. An empty function removes the observer.
void SetStoreProblemObserver(std::function<void(const std::string& problem)> observer);
// The store's file (Linux); the empty text on Windows.
[[nodiscard]] std::string StorePath();

} // namespace vellumo::regapi
