// vellumo-reg's system texts on Linux: the store and the command line hold UTF-8 as given.
#include "RegSystem.h"

#include <sys/stat.h>

namespace vellumo::regtool {

std::string SystemTextToUtf8(std::string_view text) {
    return std::string(text);
}

std::string Utf8ToSystemText(std::string_view utf8) {
    return std::string(utf8);
}

bool PathExists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0; // a link counts, wherever it leads
}

} // namespace vellumo::regtool
