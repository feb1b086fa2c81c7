// UTF-8 character counting and cutting, trimming and comparison helpers.
#include "platform/Text.h"

#include "platform/Utf8Char.h"

namespace vellumo {

size_t CharLength(std::string_view utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); i += Utf8CharSize(utf8, i))
        ++n;
    return n;
}

std::string LeftChars(std::string_view utf8, size_t n) {
    size_t i = 0;
    for (size_t count = 0; i < utf8.size() && count < n; ++count)
        i += Utf8CharSize(utf8, i);
    return std::string(utf8.substr(0, i));
}

namespace {

std::string_view TrimAny(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

} // namespace

std::string TrimSpaces(std::string_view text) {
    return std::string(TrimAny(text, " "));
}

std::string_view TrimSpacesAndTabs(std::string_view text) {
    return TrimAny(text, " \t");
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string CutAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

} // namespace vellumo
