// CCommandArgs: splits a command-line text into switches introduced by a delimiter, each with a
// key and a value, and looks the values up by position or by key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumo {

// Texts are UTF-8; the delimiter is found and keys are compared ignoring case by one fixed
// table (detail::FoldCase: the Latin, Greek and Cyrillic letters below U+0530), the same on
// both builds and in every locale; other characters compare exactly. Positions are 1-based;
// position 0 always holds two empty texts.
//
// Errors: Parse and Item catch their own failures, show the error box titled "Parse" or "Item"
// through ui::Ui() and return normally (Item with the empty text). Key and Value pass a
// position beyond Count to the caller as RuntimeError 9 (Subscript out of range).
class CCommandArgs {
public:
    // The number of pairs of the last Parse (0 to 32767).
    [[nodiscard]] int16_t Count() const { return static_cast<int16_t>(table_.size() - 1); }

    // The switch delimiter, one or more characters; empty until set.
    [[nodiscard]] const std::string& Delim() const { return delim_; }
    void SetDelim(std::string value) { delim_ = std::move(value); }

    // Item takes a position or a key, as two overloads: a number is always a position, a text
    // always a key (a key such as "2" is looked up as a key). By position: the value at
    // 1..Count, the empty text otherwise. By key: the value of the first pair whose key equals
    // it ignoring case, the empty text when none does.
    [[nodiscard]] std::string Item(int32_t position) const;
    [[nodiscard]] std::string Item(std::string_view key) const;

    // The key or value at a position 0..Count; beyond that RuntimeError 9 reaches the caller.
    [[nodiscard]] std::string Key(int16_t intIndex) const;
    [[nodiscard]] std::string Value(int16_t intIndex) const;

    // The text to parse; empty until set.
    [[nodiscard]] const std::string& TestString() const { return testString_; }
    void SetTestString(std::string value) { testString_ = std::move(value); }

    // Fills the table from TestString. With an empty Delim or TestString nothing happens and
    // the previous table stays. Otherwise each delimiter starts a segment that runs to the next
    // occurrence (searched from the character after the delimiter's first) or to the end; text
    // before the first delimiter is ignored. In a segment the key is the text after the
    // delimiter up to the first space, the value the rest; both are trimmed of spaces, and an
    // empty value becomes the key. A segment shorter than the delimiter (overlapping
    // delimiters, such as "---" with "--") and a 32768th pair are failures: the error box, and
    // the pairs made so far stay.
    void Parse();

private:
    // Adds the pair of a segment that starts with a delimiter of `delimLength` bytes (a match of
    // Delim, which may differ from it in case and so in length).
    void AddPair(std::string segment, size_t delimLength);

    // Position 0 is the empty pair.
    std::vector<std::pair<std::string, std::string>> table_ = {{}};
    std::string delim_;
    std::string testString_;
};

} // namespace vellumo
