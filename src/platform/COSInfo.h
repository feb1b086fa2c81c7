// COSInfo: facts about the operating system, the machine, the display and the user, each asked
// of the system afresh on every read. docs/linux-counterparts.md lists what each fact is on Linux.
#pragma once

#include "platform/Variant.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo {

// Every member catches its own unexpected failures (an overflow, an unrepresentable value): it
// shows the platform error box titled with the member's name ("DisplayColors", "GetWorkArea",
// ...) and returns normally with 0, False or the empty text for what it had not yet produced.
// Failures that the system reports as return values are not shown: the member returns what the
// buffer held (the empty text or 0). Nothing is logged and nothing is cached.
class COSInfo {
public:
    // The system's beep switch. Linux has no system-wide switch: False; the Let half does nothing.
    [[nodiscard]] bool Beep() const;
    void SetBeep(bool fValue);

    // The machine's name (Linux: the host name). The Let half would only take effect at the next
    // system start on Windows; on Linux it does nothing (renaming a host is the administrator's).
    [[nodiscard]] std::string ComputerName() const;
    void SetComputerName(const std::string& strValue);

    // The name of the current hardware profile (Linux, which has none: "Default").
    [[nodiscard]] std::string CurrentHardwareProfile() const;

    // The setup defaults "DefCompany" and "DefName" under HKEY_CURRENT_USER
    // "Software\Microsoft\MS Setup (ACME)\User Info", as text; the empty text when missing or of a
    // type that reads as Empty (REG_EXPAND_SZ, REG_MULTI_SZ).
    [[nodiscard]] std::string DefaultCompanyName() const;
    [[nodiscard]] std::string DefaultUserName() const;

    // 2 raised to the screen's colour depth (bits per pixel times planes); -1 for a depth of 32.
    // A depth of 31 or more other than 32 cannot be represented: error box, 0.
    [[nodiscard]] int32_t DisplayColors() const;

    // A new GUID as "{" + fields in upper-case hex without leading zeros + "}", three dashes: the
    // eight final bytes follow one another with no separator, so the text may be shorter than 38.
    [[nodiscard]] std::string GUID() const;

    // The English name of the user's language ("German"; "English" for the C/POSIX locale).
    [[nodiscard]] std::string Language() const;

    // True exactly when the screen's horizontal resolution is 120 dots per inch.
    [[nodiscard]] bool LargeFonts() const;

    // The service-pack text. Linux: the distribution's PRETTY_NAME from os-release ("Linux" when
    // the file has none, "" when there is no os-release file).
    [[nodiscard]] std::string OSAdditional() const;
    // The build number's low 15 bits (Linux: the kernel release's third number AND 0x7FFF).
    [[nodiscard]] int32_t OSBuild() const;
    // Major and minor version (Linux: the kernel release's first two numbers).
    [[nodiscard]] int32_t OSMajorVersion() const;
    [[nodiscard]] int32_t OSMinorVersion() const;

    // The screen saver's switch and time-out in seconds. Linux has no system-wide setting the
    // program can read or change: False and 0; the Let halves do nothing.
    [[nodiscard]] bool ScreenSaverActive() const;
    void SetScreenSaverActive(bool fValue);
    [[nodiscard]] int32_t ScreenSaverTimeout() const;
    void SetScreenSaverTimeout(int32_t lngValue);

    // The system folder without trailing separator (Linux: "/usr/lib").
    [[nodiscard]] std::string SystemDirectory() const;
    // TempPath + the first three characters of strPrefix + "1.tmp": the name the system forms
    // for unique number 1. The file is neither created nor checked, so every call with the same
    // prefix gives the same name.
    [[nodiscard]] std::string TempFile(const std::string& strPrefix) const;
    // The temporary folder with its trailing separator (Linux: $TMPDIR, else "/tmp/").
    [[nodiscard]] std::string TempPath() const;
    // The login name of the user the program runs as; "" when the system knows none.
    [[nodiscard]] std::string UserName() const;
    // The Windows folder (Linux: the file-system root "/").
    [[nodiscard]] std::string WindowsDirectory() const;
    // The platform: 0 Win32s, 1 the 95/98/Me family, 2 the NT family (Linux: 2, what callers
    // expect of a modern system).
    [[nodiscard]] int32_t WindowsType() const;

    // The desktop's work area in pixels: left, top, width, height, assigned in that order. A
    // value outside the 16-bit range is an overflow (error box titled "GetWorkArea"): the
    // arguments already assigned keep their new values, the others are left untouched.
    void GetWorkArea(int16_t& intLeft, int16_t& intTop, int16_t& intWidth,
                     int16_t& intHeight) const;

private:
    friend struct COSInfoTestAccess;

    // The text up to its first NUL; the whole text without one. The position is a 16-bit count,
    // so a NUL beyond character 32767 is an overflow (error box "TrimNulls", "").
    [[nodiscard]] static std::string TrimNulls(const std::string& text);
    // A registry value through the registry store: a text for REG_SZ (cut at its first NUL),
    // a byte array one element longer than the data for REG_BINARY, a 32-bit integer for
    // REG_DWORD; Empty for a missing key or value, a failed read and any other type.
    [[nodiscard]] static Variant RegistryGetKeyValue(int32_t hKeyRoot,
                                                     const std::string& strKeyName,
                                                     const std::string& strValueName);
};

// Portable pieces of COSInfo: decisions that need no operating system, tested on every build.
namespace osinfo {

struct KernelVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t patch = 0;
};

// The first three dot-separated numbers of a kernel release ("6.1.0-27-amd64" gives 6, 1, 0);
// a missing number is 0; a number too large for 32 bits stops at 2147483647.
[[nodiscard]] KernelVersion ParseKernelRelease(std::string_view release);

// PRETTY_NAME of an os-release file's text: KEY=VALUE lines, values optionally in single or
// double quotes, backslash escapes inside double quotes, "#" comments. "Linux" when the file
// has no PRETTY_NAME (the format's documented default).
[[nodiscard]] std::string PrettyNameFromOsRelease(std::string_view fileText);

// The English name of a locale's language: "de_DE.UTF-8@euro" gives "German"; "C", "POSIX"
// (with or without a character set) and the empty text give "English"; a language missing from
// the table gives its code as written ("tlh").
[[nodiscard]] std::string LanguageNameFromLocale(std::string_view localeName);

// The GUID text of a GUID record in memory order: a 32-bit, two 16-bit fields (little-endian)
// and eight bytes, each in upper-case hex without leading zeros: {1-2-3-0102...}.
[[nodiscard]] std::string GuidTextFromBytes(const std::array<uint8_t, 16>& bytes);

// The temporary file name for a folder ending with the separator: folder + the prefix's first
// three characters + the unique number in upper-case hex + ".tmp".
[[nodiscard]] std::string TempFileName(std::string_view folder, std::string_view prefix,
                                       uint32_t unique);

} // namespace osinfo
} // namespace vellumo
