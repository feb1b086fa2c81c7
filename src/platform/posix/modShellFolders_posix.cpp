// The special folders on Linux: the user's documents folder is the XDG documents folder (the
// user-dirs.dirs entry, else the XDG_DOCUMENTS_DIR variable, else ~/Documents) and the
// all-users documents folder is the XDG data home ($XDG_DATA_HOME, else ~/.local/share).
#include "platform/modShellFolders.h"

#include "platform/posix/UserFolders.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>

namespace vellumo::modShellFolders {
namespace {

// Folder ids with a Linux counterpart besides the two documents folders.
constexpr int32_t kCsidlDesktop = 0x00;
constexpr int32_t kCsidlAppData = 0x1A;
constexpr int32_t kCsidlLocalAppData = 0x1C;
constexpr int32_t kCsidlProfile = 0x28;

using posix::HomeFolder;

std::string BaseFolder(const char* variable, const char* fallback) {
    return posix::XdgBaseFolder(variable, fallback);
}

// The XDG data home stands for the all-users documents folder, which always exists on the
// product's home platform; programs create it (private, parents included) when it is missing, as
// on a new account. When that fails the folder is still named: the caller finds it missing.
std::string DataHome() {
    std::string folder = BaseFolder("XDG_DATA_HOME", "/.local/share");
    if (!folder.empty())
        (void)posix::CreatePrivateFolders(folder);
    return folder;
}

// The entry `key` of user-dirs.dirs: a quoted "$HOME/..." or absolute path, with "\" escapes.
std::optional<std::string> UserDirsEntry(std::string_view key) {
    const std::string config = BaseFolder("XDG_CONFIG_HOME", "/.config");
    if (config.empty())
        return std::nullopt;
    std::ifstream file(config + "/user-dirs.dirs");
    std::string line;
    std::optional<std::string> result;
    while (std::getline(file, line)) {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (!text.starts_with(key) || text.substr(key.size(), 2) != "=\"")
            continue;
        text.remove_prefix(key.size() + 2);
        const auto close = text.find_last_of('"');
        if (close == std::string_view::npos)
            continue;
        text = text.substr(0, close);
        std::string value;
        if (text.starts_with("$HOME")) {
            value = HomeFolder();
            text.remove_prefix(5);
        } else if (!text.starts_with("/")) {
            continue; // only "$HOME/..." and absolute paths are allowed
        }
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            value += text[i];
        }
        result = value; // the last entry wins, as when the file is read by the shell
    }
    return result;
}

std::string DocumentsFolder() {
    if (auto entry = UserDirsEntry("XDG_DOCUMENTS_DIR"))
        return *entry;
    if (const char* value = std::getenv("XDG_DOCUMENTS_DIR"); value != nullptr && value[0] == '/')
        return value;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/Documents";
}

std::string DesktopFolder() {
    if (auto entry = UserDirsEntry("XDG_DESKTOP_DIR"))
        return *entry;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/Desktop";
}

} // namespace

// The flags (current or default path) and the owner window have no Linux counterpart.
std::string GetSpecialFolderPath(int32_t& folderId, int32_t& /*flags*/, intptr_t /*owner*/) {
    try {
        std::string folder;
        switch (folderId) {
        case CSIDL_PERSONAL:
            folder = DocumentsFolder();
            break;
        case CSIDL_COMMON_DOCUMENTS:
            folder = DataHome();
            break;
        case kCsidlAppData:
            folder = BaseFolder("XDG_CONFIG_HOME", "/.config");
            break;
        case kCsidlLocalAppData:
            folder = BaseFolder("XDG_DATA_HOME", "/.local/share");
            break;
        case kCsidlDesktop:
            folder = DesktopFolder();
            break;
        case kCsidlProfile:
            folder = HomeFolder();
            break;
        default:
            return {};
        }
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return TrimAtNull(folder);
    } catch (...) {
        return {}; // every error is ignored
    }
}

} // namespace vellumo::modShellFolders
