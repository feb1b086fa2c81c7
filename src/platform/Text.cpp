// UTF-8 character counting and cutting, trimming and comparison helpers.
#include "platform/Text.h"

namespace vellumo {
namespace {

// Length in bytes of the UTF-8 sequence that starts with byte b (1 for a malformed byte).
size_t SequenceLength(unsigned char b) {
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 1;
}

size_t NextChar(std::string_view s, size_t i) {
    size_t len = SequenceLength(static_cast<unsigned char>(s[i]));
    if (i + len > s.size())
        return i + 1;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return i + 1;
    return i + len;
}

} // namespace

size_t CharLength(std::string_view utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); i = NextChar(utf8, i))
        ++n;
    return n;
}

std::string LeftChars(std::string_view utf8, size_t n) {
    size_t i = 0;
    for (size_t count = 0; i < utf8.size() && count < n; ++count)
        i = NextChar(utf8, i);
    return std::string(utf8.substr(0, i));
}

std::string TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
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
