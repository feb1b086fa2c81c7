// COSInfo's system calls on Linux: kernel release, os-release, host and login names, the
// locale's language, the temporary folder and random GUIDs. Settings Linux does not have
// system-wide (beep, screen saver) read as their neutral value and are never changed.
#include "platform/COSInfoSystem.h"

#include "platform/COSInfo.h"
#include "platform/CodePage.h"
#include "platform/Environment.h"
#include "platform/RuntimeError.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <locale.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace vellumo::osinfo::detail {
namespace {

// Platform identifier of the NT family: what callers expect of a modern system.
constexpr uint32_t kPlatformNt = 2;
// Linux has no hardware profiles; the one configuration there is gets this name.
constexpr const char* kHardwareProfileName = "Default";
// System libraries and the system root stand for the system and Windows folders.
constexpr const char* kSystemDirectory = "/usr/lib";
constexpr const char* kWindowsDirectory = "/";
constexpr const char* kDefaultTempFolder = "/tmp/";
// The os-release locations, in the order the format prescribes; neither is ever large.
constexpr const char* kOsReleaseFiles[] = {"/etc/os-release", "/usr/lib/os-release"};
constexpr std::streamsize kOsReleaseMaxBytes = 64 * 1024;
// A host name has at most 64 bytes; the buffer leaves room for its NUL.
constexpr size_t kHostNameBuffer = 256;

} // namespace

VersionNumbers Version() {
    utsname names{};
    if (uname(&names) != 0)
        return {0, 0, 0, kPlatformNt};
    const KernelVersion kernel = ParseKernelRelease(names.release);
    return {static_cast<uint32_t>(kernel.major), static_cast<uint32_t>(kernel.minor),
            static_cast<uint32_t>(kernel.patch), kPlatformNt};
}

std::string ServicePackText() {
    for (const char* path : kOsReleaseFiles) {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            continue;
        std::string text(static_cast<size_t>(kOsReleaseMaxBytes), '\0');
        file.read(text.data(), kOsReleaseMaxBytes);
        text.resize(static_cast<size_t>(file.gcount()));
        // The file is UTF-8 by definition, the program's own text form.
        return PrettyNameFromOsRelease(text);
    }
    return std::string();
}

// Linux has no system-wide beep switch or screen-saver setting the program can read or change.
int32_t BeepSwitch() {
    return 0;
}

void SetBeepSwitch(int32_t /*value*/) {}

int32_t ScreenSaverSwitch() {
    return 0;
}

void SetScreenSaverSwitch(int32_t /*value*/) {}

int32_t ScreenSaverSeconds() {
    return 0;
}

void SetScreenSaverSeconds(int32_t /*seconds*/) {}

std::string ComputerNameText() {
    std::string buffer(kHostNameBuffer, '\0');
    // A failed call leaves the buffer empty, and so the name.
    gethostname(buffer.data(), buffer.size() - 1);
    return FromAnsi(buffer);
}

// Renaming a host is the administrator's business, not a diagnostic tool's.
void RenameComputer(const std::string& /*name*/) {}

std::string HardwareProfileName() {
    return kHardwareProfileName;
}

std::array<uint8_t, 16> NewGuid() {
    std::array<uint8_t, 16> bytes{};
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw RuntimeError(err::kInvalidProcedureCall);
        filled += static_cast<size_t>(n);
    }
    // A random GUID: version 4 in the top nibble of the third field, variant bits 10 in the first
    // of the final bytes, as the system's GUID generator forms them.
    bytes[7] = static_cast<uint8_t>((bytes[7] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    return bytes;
}

std::string LanguageName() {
    // The locale messages are shown in: LC_ALL overrides LC_MESSAGES, which overrides LANG. A
    // locale the environment names but the system does not have (common over SSH, where the
    // client's LANG arrives) is not in force: then the locale actually in force (usually "C",
    // English) is the user's language.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (!HasEnvironmentValue(variable))
            continue;
        const std::string name = EnvironmentValue(variable);
        if (const locale_t installed = newlocale(LC_MESSAGES_MASK, name.c_str(), locale_t{});
            installed != locale_t{}) {
            freelocale(installed);
            return LanguageNameFromLocale(name);
        }
        const char* inForce = std::setlocale(LC_MESSAGES, nullptr);
        return LanguageNameFromLocale(inForce != nullptr ? inForce : "");
    }
    return LanguageNameFromLocale("");
}

std::string SystemFolder() {
    return kSystemDirectory;
}

std::string WindowsFolder() {
    return kWindowsDirectory;
}

// $TMPDIR when set and not empty, else /tmp/. As on Windows, the folder is not checked to exist.
std::string TempFolder() {
    if (!HasEnvironmentValue("TMPDIR"))
        return kDefaultTempFolder;
    std::string folder = PathFromSystem(EnvironmentValue("TMPDIR"));
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string TempFileName(const std::string& prefix, uint32_t unique) {
    return osinfo::TempFileName(TempFolder(), prefix, unique);
}

std::string LoginName() {
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(bufferSize > 0 ? bufferSize : 16384));
    passwd entry{};
    passwd* found = nullptr;
    while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (found == nullptr || found->pw_name == nullptr)
        return std::string();
    return FromAnsi(found->pw_name);
}

} // namespace vellumo::osinfo::detail
