// COSInfo's system calls on Windows: kernel32, user32, advapi32 and ole32 by their ANSI names,
// with the record layouts and buffer sizes the class has always used.
#include "platform/COSInfoSystem.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"

#include <windows.h>

#include <objbase.h>

#include <array>
#include <cstring>
#include <string_view>

namespace vellumo::osinfo::detail {
namespace {

// Buffer sizes in characters.
constexpr DWORD kNameBuffer = 100;
constexpr UINT kFolderBuffer = 260;
constexpr DWORD kTempBuffer = 255;
constexpr int kLanguageBuffer = 100;
// The version record's size field before the call: the ANSI OSVERSIONINFO.
constexpr DWORD kVersionRecordSize = 148;
// LOCALE_SENGLANGUAGE: the language's English name.
constexpr LCTYPE kEnglishLanguageName = 0x1001;
// The setters announce the change to other programs without writing the user profile.
constexpr UINT kSendIniChange = SPIF_SENDWININICHANGE;

// A failed call leaves the record as it was: zero, with only its size set.
OSVERSIONINFOA VersionRecord() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = kVersionRecordSize;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    GetVersionExA(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return version;
}

// A system parameter read into a 32-bit integer.
int32_t SystemParameter(UINT action) {
    INT value = 0;
    SystemParametersInfoA(action, 0, &value, 0);
    return value;
}

// A setting passed as the second argument, with a 32-bit 0 as the third; the result is ignored.
void SetSystemParameter(UINT action, int32_t value) {
    INT unused = 0;
    SystemParametersInfoA(action, static_cast<UINT>(value), &unused, kSendIniChange);
}

// A whole fixed-size buffer in the program's text form, NULs and what follows them included.
template <size_t N> std::string BufferText(const char (&buffer)[N]) {
    return FromAnsi(std::string_view(buffer, N));
}

// A name the system writes into a 100-character buffer (GetComputerNameA, GetUserNameA).
std::string NameText(BOOL(WINAPI* call)(LPSTR, LPDWORD)) {
    char buffer[kNameBuffer] = {};
    DWORD size = kNameBuffer;
    call(buffer, &size);
    return BufferText(buffer);
}

// A folder the system writes into a 260-character buffer (GetSystemDirectoryA, ...).
std::string FolderText(UINT(WINAPI* call)(LPSTR, UINT)) {
    char buffer[kFolderBuffer] = {};
    call(buffer, kFolderBuffer);
    return BufferText(buffer);
}

// The temporary folder in a buffer of 255 spaces, as GetTempPathA fills it.
std::string TempFolderAnsi() {
    std::string folder(kTempBuffer, ' ');
    GetTempPathA(kTempBuffer, folder.data());
    return folder;
}

} // namespace

VersionNumbers Version() {
    const OSVERSIONINFOA version = VersionRecord();
    return {version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
            version.dwPlatformId};
}

std::string ServicePackText() {
    const OSVERSIONINFOA version = VersionRecord();
    return BufferText(version.szCSDVersion);
}

int32_t BeepSwitch() {
    return SystemParameter(SPI_GETBEEP);
}

void SetBeepSwitch(int32_t value) {
    SetSystemParameter(SPI_SETBEEP, value);
}

int32_t ScreenSaverSwitch() {
    return SystemParameter(SPI_GETSCREENSAVEACTIVE);
}

void SetScreenSaverSwitch(int32_t value) {
    SetSystemParameter(SPI_SETSCREENSAVEACTIVE, value);
}

int32_t ScreenSaverSeconds() {
    return SystemParameter(SPI_GETSCREENSAVETIMEOUT);
}

void SetScreenSaverSeconds(int32_t seconds) {
    SetSystemParameter(SPI_SETSCREENSAVETIMEOUT, seconds);
}

std::string ComputerNameText() {
    return NameText(GetComputerNameA);
}

void RenameComputer(const std::string& name) {
    SetComputerNameA(ToAnsi(name).c_str());
}

std::string HardwareProfileName() {
    HW_PROFILE_INFOA profile;
    std::memset(&profile, 0, sizeof profile);
    GetCurrentHwProfileA(&profile);
    return BufferText(profile.szHwProfileName);
}

std::array<uint8_t, 16> NewGuid() {
    ::GUID guid{};
    if (FAILED(CoCreateGuid(&guid)))
        throw RuntimeError(err::kInvalidProcedureCall);
    std::array<uint8_t, 16> bytes{};
    static_assert(sizeof guid == bytes.size());
    std::memcpy(bytes.data(), &guid, bytes.size());
    return bytes;
}

std::string LanguageName() {
    std::string buffer(kLanguageBuffer, ' ');
    GetLocaleInfoA(GetUserDefaultLCID(), kEnglishLanguageName, buffer.data(), kLanguageBuffer);
    return FromAnsi(buffer);
}

std::string SystemFolder() {
    return FolderText(GetSystemDirectoryA);
}

std::string WindowsFolder() {
    return FolderText(GetWindowsDirectoryA);
}

std::string TempFolder() {
    return FromAnsi(TempFolderAnsi());
}

std::string TempFileName(const std::string& prefix, uint32_t unique) {
    const std::string folder = TempFolderAnsi();
    std::string name(kTempBuffer, ' ');
    GetTempFileNameA(folder.c_str(), ToAnsi(prefix).c_str(), unique, name.data());
    return FromAnsi(name);
}

std::string LoginName() {
    return NameText(GetUserNameA);
}

} // namespace vellumo::osinfo::detail
