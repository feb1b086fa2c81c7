// The operating-system calls behind COSInfo, one small primitive per fact, implemented once per
// platform (posix/COSInfo_posix.cpp, win32/COSInfo_win32.cpp). Internal to COSInfo, whose portable
// part adds the error boxes, the cutting at the first NUL and the arithmetic on the results.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vellumo::osinfo::detail {

// Texts come back in the program's text form, as the system filled its buffer: possibly with a
// NUL and whatever followed it. A call the system fails leaves its buffer as it was made (the
// empty text or blanks) and its numbers 0: those failures are not reported. Only failures
// nothing could be made of throw RuntimeError (GUID).

// The version record's numbers (Linux: the kernel release's three numbers; platform 2, the NT
// family, what callers expect of a modern system).
struct VersionNumbers {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;
};
[[nodiscard]] VersionNumbers Version();
// The service-pack text (Linux: PRETTY_NAME of os-release; "" without the file).
[[nodiscard]] std::string ServicePackText();

// System-wide switches and the screen saver's time-out as 32-bit integers. Linux has none that
// the program may read or change: 0, and the setters do nothing. The setters announce the change
// to other programs without writing the user profile.
[[nodiscard]] int32_t BeepSwitch();
void SetBeepSwitch(int32_t value);
[[nodiscard]] int32_t ScreenSaverSwitch();
void SetScreenSaverSwitch(int32_t value);
[[nodiscard]] int32_t ScreenSaverSeconds();
void SetScreenSaverSeconds(int32_t seconds);

// The machine's name; renaming takes effect at the next system start (Linux: does nothing).
[[nodiscard]] std::string ComputerNameText();
void RenameComputer(const std::string& name);
[[nodiscard]] std::string HardwareProfileName();
// A new GUID record in memory order (Linux: a random, version 4 GUID).
[[nodiscard]] std::array<uint8_t, 16> NewGuid();
// The English name of the user's language.
[[nodiscard]] std::string LanguageName();
[[nodiscard]] std::string SystemFolder();
[[nodiscard]] std::string WindowsFolder();
// The temporary folder with its trailing separator.
[[nodiscard]] std::string TempFolder();
// The name the system forms in the temporary folder for the prefix and the unique number; no
// file is created or checked.
[[nodiscard]] std::string TempFileName(const std::string& prefix, uint32_t unique);
// The login name of the user the program runs as.
[[nodiscard]] std::string LoginName();

} // namespace vellumo::osinfo::detail
