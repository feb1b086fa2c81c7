// CCommandArgs: parsing a command-line text into key and value pairs and looking them up.
#include "library/CCommandArgs.h"

#include "library/CaseFolding.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/UiService.h"
#include "platform/Utf8Char.h"

#include <limits>

namespace vellumo {
namespace {

constexpr size_t kMaxPairs = std::numeric_limits<int16_t>::max(); // Count is 16-bit

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
            if (detail::EqualsFolded(table_[i].first, key))
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
            const auto start = detail::FindFolded(testString_, delim_, from);
            if (!start)
                break;
            // The next switch may begin at the delimiter's second character.
            const auto next = detail::FindFolded(
                testString_, delim_, start->position + Utf8CharSize(testString_, start->position));
            if (!next) {
                AddPair(testString_.substr(start->position), start->length);
                break;
            }
            AddPair(testString_.substr(start->position, next->position - start->position),
                    start->length);
            from = next->position;
        }
    } catch (...) {
        ui::ShowErrorBox("Parse", CurrentRuntimeError());
    }
}

// The key runs from after the delimiter (its first `delimLength` bytes) to the first space (a
// space is appended, so there is one), the value is the rest.
void CCommandArgs::AddPair(std::string segment, size_t delimLength) {
    if (table_.size() - 1 >= kMaxPairs)
        throw RuntimeError(err::kOverflow);
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
