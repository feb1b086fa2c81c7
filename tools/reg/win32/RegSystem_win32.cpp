// vellumo-reg's system texts on Windows: the ANSI code page of the registry's A functions and of
// the command line.
#include "RegSystem.h"

#include "platform/CodePage.h"

#include <windows.h>

namespace vellumo::regtool {
namespace {

// Converts each NUL-separated part on its own, so that NUL characters pass unchanged whatever
// the conversion does with them.
template <typename Convert> std::string ByParts(std::string_view text, Convert convert) {
    std::string result;
    for (;;) {
        const size_t nul = text.find('\0');
        result += convert(text.substr(0, nul));
        if (nul == std::string_view::npos)
            return result;
        result += '\0';
        text.remove_prefix(nul + 1);
    }
}

} // namespace

std::string SystemTextToUtf8(std::string_view text) {
    return ByParts(text, [](std::string_view part) { return FromAnsi(part); });
}

std::string Utf8ToSystemText(std::string_view utf8) {
    return ByParts(utf8, [](std::string_view part) { return ToAnsi(part); });
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace vellumo::regtool
