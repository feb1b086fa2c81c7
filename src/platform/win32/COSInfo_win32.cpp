// COSInfo on Windows: kernel32, user32, advapi32 and ole32 by their ANSI names, with the
// record layouts and buffer sizes the class has always used.
#include "platform/COSInfo.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "ui/UiService.h"

#include <windows.h>

#include <objbase.h>

#include <cstring>
#include <utility>

// <windows.h> maps the name to the A or W entry point; the member keeps its name.
#undef SetComputerName

namespace vellumo {
namespace {

// OSBuild keeps the build number's low 15 bits.
constexpr int32_t kBuildMask = 0x7FFF;
// Buffer sizes in characters.
constexpr DWORD kNameBuffer = 100;
constexpr UINT kFolderBuffer = 260;
constexpr DWORD kTempBuffer = 255;
constexpr int kLanguageBuffer = 100;
// The version record's size field before the call: the ANSI OSVERSIONINFO.
constexpr DWORD kVersionRecordSize = 148;
// LOCALE_SENGLANGUAGE: the language's English name.
constexpr LCTYPE kEnglishLanguageName = 0x1001;
// GetTempFileName with this unique number forms the name without creating or checking a file.
constexpr UINT kTempFileUnique = 1;
// The Let halves announce the change to other programs without writing the user profile.
constexpr UINT kSendIniChange = SPIF_SENDWININICHANGE;

template <typename R, typename Body> R Guarded(std::string_view member, R failure, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        ui::ShowErrorBox(member, CurrentRuntimeError());
        return failure;
    }
}

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

// A Boolean setting widened with its sign (True = -1), with a 32-bit 0 as the third argument.
void SetSystemParameter(UINT action, int32_t value) {
    INT unused = 0;
    SystemParametersInfoA(action, static_cast<UINT>(value), &unused, kSendIniChange);
}

std::string Text(const char* buffer, size_t size) {
    return std::string(buffer, size);
}

} // namespace

bool COSInfo::Beep() const {
    return Guarded("Beep", false, [] { return SystemParameter(SPI_GETBEEP) != 0; });
}

void COSInfo::SetBeep(bool fValue) {
    Guarded("Beep", 0, [fValue] {
        SetSystemParameter(SPI_SETBEEP, fValue ? -1 : 0);
        return 0;
    });
}

std::string COSInfo::ComputerName() const {
    return Guarded("ComputerName", std::string(), [] {
        char buffer[kNameBuffer] = {};
        DWORD size = kNameBuffer;
        GetComputerNameA(buffer, &size);
        return TrimNulls(FromAnsi(Text(buffer, sizeof buffer)));
    });
}

void COSInfo::SetComputerName(const std::string& strValue) {
    Guarded("ComputerName", 0, [&] {
        SetComputerNameA(ToAnsi(strValue).c_str());
        return 0;
    });
}

std::string COSInfo::CurrentHardwareProfile() const {
    return Guarded("CurrentHardwareProfile", std::string(), [] {
        HW_PROFILE_INFOA profile;
        std::memset(&profile, 0, sizeof profile);
        GetCurrentHwProfileA(&profile);
        return TrimNulls(FromAnsi(Text(profile.szHwProfileName, sizeof profile.szHwProfileName)));
    });
}

std::string COSInfo::GUID() const {
    return Guarded("GUID", std::string(), [] {
        ::GUID guid{};
        if (FAILED(CoCreateGuid(&guid)))
            throw RuntimeError(err::kInvalidProcedureCall);
        std::array<uint8_t, 16> bytes{};
        static_assert(sizeof guid == bytes.size());
        std::memcpy(bytes.data(), &guid, bytes.size());
        return osinfo::GuidTextFromBytes(bytes);
    });
}

std::string COSInfo::Language() const {
    return Guarded("Language", std::string(), [] {
        std::string buffer(kLanguageBuffer, ' ');
        GetLocaleInfoA(GetUserDefaultLCID(), kEnglishLanguageName, buffer.data(), kLanguageBuffer);
        return TrimNulls(FromAnsi(buffer));
    });
}

std::string COSInfo::OSAdditional() const {
    return Guarded("OSAdditional", std::string(), [] {
        const OSVERSIONINFOA version = VersionRecord();
        return TrimNulls(FromAnsi(Text(version.szCSDVersion, sizeof version.szCSDVersion)));
    });
}

int32_t COSInfo::OSBuild() const {
    return Guarded("OSBuild", int32_t{0},
                   [] { return static_cast<int32_t>(VersionRecord().dwBuildNumber) & kBuildMask; });
}

int32_t COSInfo::OSMajorVersion() const {
    return Guarded("OSMajorVersion", int32_t{0},
                   [] { return static_cast<int32_t>(VersionRecord().dwMajorVersion); });
}

int32_t COSInfo::OSMinorVersion() const {
    return Guarded("OSMinorVersion", int32_t{0},
                   [] { return static_cast<int32_t>(VersionRecord().dwMinorVersion); });
}

bool COSInfo::ScreenSaverActive() const {
    return Guarded("ScreenSaverActive", false,
                   [] { return SystemParameter(SPI_GETSCREENSAVEACTIVE) != 0; });
}

void COSInfo::SetScreenSaverActive(bool fValue) {
    Guarded("ScreenSaverActive", 0, [fValue] {
        SetSystemParameter(SPI_SETSCREENSAVEACTIVE, fValue ? -1 : 0);
        return 0;
    });
}

int32_t COSInfo::ScreenSaverTimeout() const {
    return Guarded("ScreenSaverTimeout", int32_t{0},
                   [] { return SystemParameter(SPI_GETSCREENSAVETIMEOUT); });
}

void COSInfo::SetScreenSaverTimeout(int32_t lngValue) {
    Guarded("ScreenSaverTimeout", 0, [lngValue] {
        SetSystemParameter(SPI_SETSCREENSAVETIMEOUT, lngValue);
        return 0;
    });
}

std::string COSInfo::SystemDirectory() const {
    return Guarded("SystemDirectory", std::string(), [] {
        char buffer[kFolderBuffer] = {};
        GetSystemDirectoryA(buffer, kFolderBuffer);
        return TrimNulls(FromAnsi(Text(buffer, sizeof buffer)));
    });
}

std::string COSInfo::TempFile(const std::string& strPrefix) const {
    return Guarded("TempFile", std::string(), [&] {
        std::string folder(kTempBuffer, ' ');
        GetTempPathA(kTempBuffer, folder.data());
        std::string name(kTempBuffer, ' ');
        GetTempFileNameA(folder.c_str(), ToAnsi(strPrefix).c_str(), kTempFileUnique, name.data());
        return TrimNulls(FromAnsi(name));
    });
}

std::string COSInfo::TempPath() const {
    return Guarded("TempPath", std::string(), [] {
        std::string folder(kTempBuffer, ' ');
        GetTempPathA(kTempBuffer, folder.data());
        return TrimNulls(FromAnsi(folder));
    });
}

std::string COSInfo::UserName() const {
    return Guarded("UserName", std::string(), [] {
        char buffer[kNameBuffer] = {};
        DWORD size = kNameBuffer;
        GetUserNameA(buffer, &size);
        return TrimNulls(FromAnsi(Text(buffer, sizeof buffer)));
    });
}

std::string COSInfo::WindowsDirectory() const {
    return Guarded("WindowsDirectory", std::string(), [] {
        char buffer[kFolderBuffer] = {};
        GetWindowsDirectoryA(buffer, kFolderBuffer);
        return TrimNulls(FromAnsi(Text(buffer, sizeof buffer)));
    });
}

int32_t COSInfo::WindowsType() const {
    return Guarded("WindowsType", int32_t{0},
                   [] { return static_cast<int32_t>(VersionRecord().dwPlatformId); });
}

} // namespace vellumo
