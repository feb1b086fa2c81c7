// The option files' field rules over a byte stream.
#include "settings/OptionFieldReader.h"

#include "platform/RuntimeError.h"

namespace vellumo::settings {
namespace {

using traits = std::streambuf::traits_type;

constexpr char kComma = ',';
constexpr char kQuote = '"';
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kSpace = ' ';

bool IsDelimiter(int c) {
    return c == kComma || c == kCr || c == kLf;
}

// Counts the bytes one field takes from the file, its spaces and quotes included, and ends the
// reading of a field longer than any real value.
class FieldBudget {
public:
    void Take() {
        if (++taken_ > OptionFieldReader::kLongestField)
            throw RuntimeError(err::kOutOfMemory);
    }

private:
    size_t taken_ = 0;
};

} // namespace

bool OptionFieldReader::AtEnd() const {
    return in_.sgetc() == traits::eof();
}

void OptionFieldReader::SkipDelimiter() {
    const int c = in_.sgetc();
    if (c == kComma || c == kLf) {
        in_.sbumpc();
    } else if (c == kCr) {
        in_.sbumpc();
        if (in_.sgetc() == kLf) // CR LF is one line end
            in_.sbumpc();
    }
}

std::string OptionFieldReader::ReadField() {
    if (AtEnd())
        throw RuntimeError(err::kInputPastEndOfFile);

    FieldBudget budget;
    int c = in_.sgetc();
    while (c == kSpace) {
        budget.Take();
        in_.sbumpc();
        c = in_.sgetc();
    }

    std::string field;
    if (c == kQuote) {
        in_.sbumpc();
        for (c = in_.sbumpc(); c != traits::eof() && c != kQuote; c = in_.sbumpc()) {
            budget.Take();
            field.push_back(traits::to_char_type(c));
        }
        // Text between the closing quote and the delimiter is not part of any field.
        for (c = in_.sgetc(); c != traits::eof() && !IsDelimiter(c); c = in_.sgetc()) {
            budget.Take();
            in_.sbumpc();
        }
        SkipDelimiter();
        return field;
    }

    for (; c != traits::eof() && !IsDelimiter(c); c = in_.sgetc()) {
        budget.Take();
        field.push_back(traits::to_char_type(c));
        in_.sbumpc();
    }
    SkipDelimiter();
    while (!field.empty() && field.back() == kSpace)
        field.pop_back();
    return field;
}

} // namespace vellumo::settings
