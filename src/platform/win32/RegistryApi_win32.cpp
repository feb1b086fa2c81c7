// The registry functions on Windows: advapi32's ANSI registry calls, one to one, with the
// predefined roots taken as signed 32-bit values (sign-extended, or in their unsigned form).
#include "platform/RegistryApi.h"

#include "platform/CodePage.h"
#include "platform/RegistryConstants.h"

#include <windows.h>

#include <vector>

// <windows.h> maps the name to the A or W entry point; the program's function keeps its name.
#undef ExpandEnvironmentStrings

namespace vellumo::regapi {
namespace {

// The predefined roots in their unsigned form, as callers may hand them over.
constexpr int64_t kFirstPredefined = static_cast<uint32_t>(kFirstPredefinedKey);
constexpr int64_t kLastPredefined = static_cast<uint32_t>(kLastPredefinedKey);
constexpr int64_t kTwoTo32 = 0x100000000LL;

HKEY ToHkey(RegKey key) {
    if (key >= kFirstPredefined && key <= kLastPredefined)
        key -= kTwoTo32;
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(key));
}

RegKey FromHkey(HKEY key) {
    return static_cast<RegKey>(reinterpret_cast<intptr_t>(key));
}

} // namespace

long OpenKey(RegKey root, const std::string& subKey, uint32_t access, RegKey& result) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExA(ToHkey(root), subKey.c_str(), 0, access, &opened);
    result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
    return status;
}

long CreateKey(RegKey root, const std::string& subKey, uint32_t access, RegKey& result) {
    HKEY created = nullptr;
    const LSTATUS status = RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, nullptr, 0, access,
                                           nullptr, &created, nullptr);
    result = status == ERROR_SUCCESS ? FromHkey(created) : 0;
    return status;
}

long CloseKey(RegKey key) {
    return RegCloseKey(ToHkey(key));
}

long QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                uint32_t* size) {
    DWORD foundType = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    const LSTATUS status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &foundType, data,
                                            size != nullptr ? &bytes : nullptr);
    if (type != nullptr)
        *type = foundType;
    if (size != nullptr)
        *size = bytes;
    return status;
}

long SetValue(RegKey key, const std::string& name, uint32_t type, const uint8_t* data,
              uint32_t size) {
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

long DeleteKey(RegKey root, const std::string& subKey) {
    return RegDeleteKeyA(ToHkey(root), subKey.c_str());
}

long DeleteValue(RegKey key, const std::string& name) {
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

long EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& nameLength) {
    std::vector<char> buffer(nameLength > 0 ? nameLength : 1, '\0');
    DWORD length = nameLength;
    const LSTATUS status = RegEnumValueA(ToHkey(key), index, buffer.data(), &length, nullptr,
                                         nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        name.assign(buffer.data(), length);
        nameLength = length;
    }
    return status;
}

long EnumKey(RegKey key, uint32_t index, std::string& name, uint32_t bufferLength) {
    std::vector<char> buffer(bufferLength > 0 ? bufferLength : 1, '\0');
    const LSTATUS status = RegEnumKeyA(ToHkey(key), index, buffer.data(), bufferLength);
    if (status == ERROR_SUCCESS)
        name.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    return status;
}

long QueryInfoKey(RegKey key, uint32_t* subKeyCount, uint32_t* valueCount,
                  uint32_t* maxValueNameLength) {
    DWORD subKeys = 0;
    DWORD values = 0;
    DWORD longestName = 0;
    const LSTATUS status =
        RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                         &values, &longestName, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        if (subKeyCount != nullptr)
            *subKeyCount = subKeys;
        if (valueCount != nullptr)
            *valueCount = values;
        if (maxValueNameLength != nullptr)
            *maxValueNameLength = longestName;
    }
    return status;
}

uint32_t ExpandEnvironmentStrings(const std::string& source, char* destination, uint32_t size) {
    return ExpandEnvironmentStringsA(source.c_str(), destination, size);
}

std::string ExecutableName() {
    std::vector<char> path(MAX_PATH, '\0');
    DWORD length = 0;
    // A path longer than the buffer is cut and the call returns the buffer's size: try larger.
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
               path.size() &&
           path.size() < 32768)
        path.resize(path.size() * 2);
    std::string name(path.data(), length);
    name = name.substr(name.find_last_of("\\/") + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return FromAnsi(name);
}

std::string StoreProblem() {
    return {};
}

std::string StorePath() {
    return {};
}

// The Windows registry has no store file of its own to report on.
void SetStoreProblemObserver(std::function<void(const std::string&)> /*observer*/) {}

} // namespace vellumo::regapi
