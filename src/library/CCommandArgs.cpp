// CCommandArgs: parsing a command-line text into key and value pairs and looking them up.
#include "library/CCommandArgs.h"

#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "ui/UiService.h"

#include <limits>

namespace vellumo {
namespace {

constexpr size_t kMaxPairs = std::numeric_limits<int16_t>::max(); // Count is 16-bit

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first occurrence of `needle` at or after `from`, ignoring the case of ASCII letters.
size_t FindIgnoreCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty() || needle.size() > text.size())
        return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && LowerAscii(text[i + k]) == LowerAscii(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string CCommandArgs::Item(int32_t position) const {
    try {
        if (position > 0 && position <= Count())
            return table_[static_cast<size_t>(position)].second;
        return {};
    } catch (...) {
        ui::ShowErrorBox("Item", CurrentRuntimeError());
        return {};
    }
}

std::string CCommandArgs::Item(std::string_view key) const {
    try {
        for (size_t i = 1; i < table_.size(); ++i) {
            if (EqualsIgnoreCase(table_[i].first, key))
                return table_[i].second;
        }
        return {};
    } catch (...) {
        ui::ShowErrorBox("Item", CurrentRuntimeError());
        return {};
    }
}

std::string CCommandArgs::Key(int16_t intIndex) const {
    if (intIndex < 0 || intIndex > Count())
        throw RuntimeError(err::kSubscriptOutOfRange);
    return table_[static_cast<size_t>(intIndex)].first;
}

std::string CCommandArgs::Value(int16_t intIndex) const {
    if (intIndex < 0 || intIndex > Count())
        throw RuntimeError(err::kSubscriptOutOfRange);
    return table_[static_cast<size_t>(intIndex)].second;
}

void CCommandArgs::Parse() {
    try {
        if (delim_.empty() || testString_.empty())
            return;
        table_.assign(1, {});
        size_t from = 0;
        for (;;) {
            const size_t start = FindIgnoreCase(testString_, delim_, from);
            if (start == std::string::npos)
                break;
            const size_t next = FindIgnoreCase(testString_, delim_, start + 1);
            if (next == std::string::npos) {
                AddPair(testString_.substr(start));
                break;
            }
            AddPair(testString_.substr(start, next - start));
            from = next;
        }
    } catch (...) {
        ui::ShowErrorBox("Parse", CurrentRuntimeError());
    }
}

// The key runs from after the delimiter to the first space (a space is appended, so there is
// one), the value is the rest.
void CCommandArgs::AddPair(std::string segment) {
    if (table_.size() - 1 >= kMaxPairs)
        throw RuntimeError(err::kOverflow);
    const size_t delimLength = delim_.size();
    segment += ' ';
    const size_t space = segment.find(' ', delimLength);
    if (space == std::string::npos)
        throw RuntimeError(err::kInvalidProcedureCall); // the segment is shorter than the delimiter
    std::string key =
        TrimSpaces(std::string_view(segment).substr(delimLength, space - delimLength + 1));
    std::string value = TrimSpaces(std::string_view(segment).substr(space + 1));
    if (value.empty())
        value = key;
    table_.emplace_back(std::move(key), std::move(value));
}

} // namespace vellumo
