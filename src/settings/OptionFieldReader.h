// The field reader of the key-comma-value files ("options.ini", "auxiliary.ini", "mru.ini"): the
// field rules of the files the product writes, kept apart from file handling so any byte stream
// can drive it.
#pragma once

#include <streambuf>
#include <string>

namespace vellumo::settings {

// Reads fields from a byte stream:
// - a field ends at a comma or at a line end (CR LF, a lone CR or a lone LF), which is consumed;
// - leading spaces are skipped; an unquoted field loses its trailing spaces;
// - a field that starts with a double quote runs to the closing quote (commas and line ends
//   included); whatever follows the closing quote up to the next delimiter is dropped; a quote
//   that is never closed runs to the end of the data;
// - a blank line yields one empty field.
// Fields are returned as the raw bytes of the file (code page); the caller converts them.
// A field is at most kLongestField bytes; the stream is read once, front to back.
class OptionFieldReader {
public:
    // The longest field: every value these files hold (a folder, a font name, a number) is far
    // shorter; the longest path Windows knows is 32,767 characters, at most two bytes each in a
    // code page. Anything longer is a damaged file, whose reading ends there (a field of hundreds
    // of megabytes would otherwise be copied into the registry and read by every later run).
    static constexpr size_t kLongestField = 64 * 1024;

    explicit OptionFieldReader(std::streambuf& input) : in_(input) {}

    // True when no byte is left.
    [[nodiscard]] bool AtEnd() const;
    // The next field. Throws RuntimeError 62 (Input past end of file) when no byte is left, and 7
    // (Out of memory, as reading a field longer than a string may be) when the field runs past
    // kLongestField bytes; the reading stops there, the rest of the file unread.
    [[nodiscard]] std::string ReadField();

private:
    // Consumes one delimiter at the current position, if there is one.
    void SkipDelimiter();

    std::streambuf& in_;
};

} // namespace vellumo::settings
