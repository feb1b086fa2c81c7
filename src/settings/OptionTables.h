// The two option-file tables ("options.ini", "auxiliary.ini"): keys in file order, the setting
// variable each key names, and the value forms written to and read from the files.
#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vellumo::modOptions::detail {

// Text, size, flag (16-bit -1/0), 32-bit number or colour.
using OptionTarget = std::variant<std::string*, Currency*, int16_t*, int32_t*>;

struct OptionEntry {
    std::string_view key;
    OptionTarget target;
    // Non-zero: a value below 1 read from the file becomes this (FormatDate, FormatTime).
    int32_t lowerBoundReplacement = 0;
};

// 49 entries in options.ini order.
[[nodiscard]] std::span<const OptionEntry> ConfigTable();
// 7 entries in auxiliary.ini order.
[[nodiscard]] std::span<const OptionEntry> AuxTable();

[[nodiscard]] inline bool IsText(const OptionEntry& entry) {
    return std::holds_alternative<std::string*>(entry.target);
}

// The value as written after "key,": texts as they are, flags and numbers in signed decimal,
// sizes in their shortest form with the user's decimal separator. A value that the reader could
// not give back unquoted (a comma or line break inside, spaces at either end) is written in
// double quotes, unless it holds a double quote itself.
[[nodiscard]] std::string WrittenValue(const OptionEntry& entry);

// Stores a field read from the file: texts as read; sizes, numbers and colours converted (throws
// RuntimeError 13 Type mismatch or 6 Overflow, leaving the variable as it was); flags as True (-1)
// when the number is not 0, an empty field as False.
void StoreValue(const OptionEntry& entry, const std::string& field);
// The lower-bound rule: a stored value below 1 becomes the entry's replacement (if it has one).
void ApplyLowerBound(const OptionEntry& entry);

} // namespace vellumo::modOptions::detail
