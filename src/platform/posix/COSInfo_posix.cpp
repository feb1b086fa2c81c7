// COSInfo on Linux: kernel release, os-release, host and login names, the locale's language,
// the temporary folder and random GUIDs. Settings Linux does not have system-wide (beep, screen
// saver) read as their neutral value and are never changed.
#include "platform/COSInfo.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "ui/UiService.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sys/random.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vellumo {
namespace {

// Platform identifier of the NT family: what callers expect of a modern system.
constexpr int32_t kPlatformNt = 2;
// OSBuild keeps the build number's low 15 bits.
constexpr int32_t kBuildMask = 0x7FFF;
// Linux has no hardware profiles; the one configuration there is gets this name.
constexpr const char* kHardwareProfileName = "Default";
// System libraries and the system root stand for the system and Windows folders.
constexpr const char* kSystemDirectory = "/usr/lib";
constexpr const char* kWindowsDirectory = "/";
constexpr const char* kDefaultTempFolder = "/tmp/";
// The name GetTempFileName forms for a caller-given unique number, here always 1.
constexpr uint32_t kTempFileUnique = 1;
// The os-release locations, in the order the format prescribes; neither is ever large.
constexpr const char* kOsReleaseFiles[] = {"/etc/os-release", "/usr/lib/os-release"};
constexpr std::streamsize kOsReleaseMaxBytes = 64 * 1024;
// A host name has at most 64 bytes; the buffer leaves room for its NUL.
constexpr size_t kHostNameBuffer = 256;

template <typename R, typename Body> R Guarded(std::string_view member, R failure, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        ui::ShowErrorBox(member, CurrentRuntimeError());
        return failure;
    }
}

osinfo::KernelVersion KernelVersion() {
    utsname names{};
    if (uname(&names) != 0)
        return {};
    return osinfo::ParseKernelRelease(names.release);
}

// The temporary folder with a trailing "/": $TMPDIR when set and not empty, else /tmp/. As on
// Windows, the folder is not checked to exist.
std::string TempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir == nullptr || *tmpdir == '\0')
        return kDefaultTempFolder;
    std::string folder = FromAnsi(tmpdir);
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

bool COSInfo::Beep() const {
    return false;
}

void COSInfo::SetBeep(bool /*fValue*/) {}

std::string COSInfo::ComputerName() const {
    return Guarded("ComputerName", std::string(), [] {
        std::string buffer(kHostNameBuffer, '\0');
        // A failed call leaves the buffer empty, and so the name.
        gethostname(buffer.data(), buffer.size() - 1);
        return TrimNulls(FromAnsi(buffer));
    });
}

void COSInfo::SetComputerName(const std::string& /*strValue*/) {}

std::string COSInfo::CurrentHardwareProfile() const {
    return kHardwareProfileName;
}

std::string COSInfo::GUID() const {
    return Guarded("GUID", std::string(), [] {
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
        // A random GUID: version 4 in the top nibble of the third field, variant bits 10 in
        // the first of the final bytes, as the system's GUID generator forms them.
        bytes[7] = static_cast<uint8_t>((bytes[7] & 0x0F) | 0x40);
        bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
        return osinfo::GuidTextFromBytes(bytes);
    });
}

std::string COSInfo::Language() const {
    return Guarded("Language", std::string(), [] {
        // The locale messages are shown in: LC_ALL overrides LC_MESSAGES, which overrides LANG.
        for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value != nullptr && *value != '\0')
                return osinfo::LanguageNameFromLocale(value);
        }
        return osinfo::LanguageNameFromLocale("");
    });
}

std::string COSInfo::OSAdditional() const {
    return Guarded("OSAdditional", std::string(), [] {
        for (const char* path : kOsReleaseFiles) {
            std::ifstream file(path, std::ios::binary);
            if (!file)
                continue;
            std::string text(static_cast<size_t>(kOsReleaseMaxBytes), '\0');
            file.read(text.data(), kOsReleaseMaxBytes);
            text.resize(static_cast<size_t>(file.gcount()));
            // The file is UTF-8 by definition, the program's own text form.
            return osinfo::PrettyNameFromOsRelease(text);
        }
        return std::string();
    });
}

int32_t COSInfo::OSBuild() const {
    return Guarded("OSBuild", int32_t{0}, [] { return KernelVersion().patch & kBuildMask; });
}

int32_t COSInfo::OSMajorVersion() const {
    return Guarded("OSMajorVersion", int32_t{0}, [] { return KernelVersion().major; });
}

int32_t COSInfo::OSMinorVersion() const {
    return Guarded("OSMinorVersion", int32_t{0}, [] { return KernelVersion().minor; });
}

bool COSInfo::ScreenSaverActive() const {
    return false;
}

void COSInfo::SetScreenSaverActive(bool /*fValue*/) {}

int32_t COSInfo::ScreenSaverTimeout() const {
    return 0;
}

void COSInfo::SetScreenSaverTimeout(int32_t /*lngValue*/) {}

std::string COSInfo::SystemDirectory() const {
    return kSystemDirectory;
}

std::string COSInfo::TempFile(const std::string& strPrefix) const {
    return Guarded("TempFile", std::string(),
                   [&] { return osinfo::TempFileName(TempFolder(), strPrefix, kTempFileUnique); });
}

std::string COSInfo::TempPath() const {
    return Guarded("TempPath", std::string(), [] { return TempFolder(); });
}

std::string COSInfo::UserName() const {
    return Guarded("UserName", std::string(), [] {
        long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(static_cast<size_t>(bufferSize > 0 ? bufferSize : 16384));
        passwd entry{};
        passwd* found = nullptr;
        while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE)
            buffer.resize(buffer.size() * 2);
        if (found == nullptr || found->pw_name == nullptr)
            return std::string();
        return FromAnsi(found->pw_name);
    });
}

std::string COSInfo::WindowsDirectory() const {
    return kWindowsDirectory;
}

int32_t COSInfo::WindowsType() const {
    return kPlatformNt;
}

} // namespace vellumo
