// Code-page conversion on Linux through iconv and the locale's character set (LC_CTYPE).
#include "platform/CodePage.h"

#include "platform/Utf8Char.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>

namespace vellumo {
namespace {

bool LocaleIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset == nullptr || std::strcmp(codeset, "UTF-8") == 0 ||
           std::strcmp(codeset, "utf8") == 0;
}

// Converts with iconv; an unconvertible input unit is replaced and skipped: skipUnit bytes, or
// with skipUnit 0 one UTF-8 character (a malformed byte on its own).
std::string Convert(std::string_view in, const char* to, const char* from,
                    std::string_view replacement, size_t skipUnit) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size());
    char buffer[4096];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out.append(replacement);
            const size_t unit =
                skipUnit != 0 ? skipUnit : Utf8CharSize(in, static_cast<size_t>(src - in.data()));
            const size_t skip = std::min(unit, srcLeft);
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string ToAnsi(std::string_view utf8) {
    if (LocaleIsUtf8())
        return std::string(utf8);
    return Convert(utf8, nl_langinfo(CODESET), "UTF-8", "?", 0);
}

std::string FromAnsi(std::string_view ansi) {
    if (LocaleIsUtf8())
        return std::string(ansi);
    return Convert(ansi, "UTF-8", nl_langinfo(CODESET), "\xEF\xBF\xBD", 1);
}

std::string PathToSystem(std::string_view path) {
    return std::string(path);
}

std::string PathFromSystem(std::string_view systemPath) {
    return std::string(systemPath);
}

} // namespace vellumo
