// The case-folding table and the folded comparison and search of the library's texts.
#include "library/CaseFolding.h"

#include "platform/Utf8Char.h"

#include <cstdint>

namespace vellumo::detail {
namespace {

// Characters from `first` to `last` that fold by adding `delta`: all of them (stride 1), or
// every other one from `first` (stride 2: the capitals of alternating capital/small pairs).
struct FoldRange {
    char32_t first;
    char32_t last;
    int32_t delta;
    char32_t stride;
};

// Unicode's simple case folding (statuses C and S of the case-folding data of Unicode 14) for
// U+0000 to U+052F, in ascending order of `first`.
constexpr FoldRange kFoldRanges[] = {
    // Basic Latin
    {0x0041, 0x005A, 32, 1},
    // Latin-1 Supplement (the micro sign folds to Greek mu)
    {0x00B5, 0x00B5, 775, 1},
    {0x00C0, 0x00D6, 32, 1},
    {0x00D8, 0x00DE, 32, 1},
    // Latin Extended-A: mostly capital/small pairs; Y with diaeresis and the long s fold out
    // of the block
    {0x0100, 0x012E, 1, 2},
    {0x0132, 0x0136, 1, 2},
    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1},
    {0x0179, 0x017D, 1, 2},
    {0x017F, 0x017F, -268, 1},
    // Latin Extended-B (some capitals fold to IPA Extensions and Latin Extended-C letters)
    {0x0181, 0x0181, 210, 1},
    {0x0182, 0x0184, 1, 2},
    {0x0186, 0x0186, 206, 1},
    {0x0187, 0x0187, 1, 1},
    {0x0189, 0x018A, 205, 1},
    {0x018B, 0x018B, 1, 1},
    {0x018E, 0x018E, 79, 1},
    {0x018F, 0x018F, 202, 1},
    {0x0190, 0x0190, 203, 1},
    {0x0191, 0x0191, 1, 1},
    {0x0193, 0x0193, 205, 1},
    {0x0194, 0x0194, 207, 1},
    {0x0196, 0x0196, 211, 1},
    {0x0197, 0x0197, 209, 1},
    {0x0198, 0x0198, 1, 1},
    {0x019C, 0x019C, 211, 1},
    {0x019D, 0x019D, 213, 1},
    {0x019F, 0x019F, 214, 1},
    {0x01A0, 0x01A4, 1, 2},
    {0x01A6, 0x01A6, 218, 1},
    {0x01A7, 0x01A7, 1, 1},
    {0x01A9, 0x01A9, 218, 1},
    {0x01AC, 0x01AC, 1, 1},
    {0x01AE, 0x01AE, 218, 1},
    {0x01AF, 0x01AF, 1, 1},
    {0x01B1, 0x01B2, 217, 1},
    {0x01B3, 0x01B5, 1, 2},
    {0x01B7, 0x01B7, 219, 1},
    {0x01B8, 0x01B8, 1, 1},
    {0x01BC, 0x01BC, 1, 1},
    {0x01C4, 0x01C4, 2, 1},
    {0x01C5, 0x01C5, 1, 1},
    {0x01C7, 0x01C7, 2, 1},
    {0x01C8, 0x01C8, 1, 1},
    {0x01CA, 0x01CA, 2, 1},
    {0x01CB, 0x01DB, 1, 2},
    {0x01DE, 0x01EE, 1, 2},
    {0x01F1, 0x01F1, 2, 1},
    {0x01F2, 0x01F4, 1, 2},
    {0x01F6, 0x01F6, -97, 1},
    {0x01F7, 0x01F7, -56, 1},
    {0x01F8, 0x021E, 1, 2},
    {0x0220, 0x0220, -130, 1},
    {0x0222, 0x0232, 1, 2},
    {0x023A, 0x023A, 10795, 1},
    {0x023B, 0x023B, 1, 1},
    {0x023D, 0x023D, -163, 1},
    {0x023E, 0x023E, 10792, 1},
    {0x0241, 0x0241, 1, 1},
    {0x0243, 0x0243, -195, 1},
    {0x0244, 0x0244, 69, 1},
    {0x0245, 0x0245, 71, 1},
    {0x0246, 0x024E, 1, 2},
    // Combining Diacritical Marks: the iota subscript
    {0x0345, 0x0345, 116, 1},
    // Greek and Coptic: the letters, final sigma, the symbol forms of beta, theta, phi, pi,
    // kappa, rho and epsilon, and the archaic and Coptic pairs
    {0x0370, 0x0372, 1, 2},
    {0x0376, 0x0376, 1, 1},
    {0x037F, 0x037F, 116, 1},
    {0x0386, 0x0386, 38, 1},
    {0x0388, 0x038A, 37, 1},
    {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1},
    {0x0391, 0x03A1, 32, 1},
    {0x03A3, 0x03AB, 32, 1},
    {0x03C2, 0x03C2, 1, 1},
    {0x03CF, 0x03CF, 8, 1},
    {0x03D0, 0x03D0, -30, 1},
    {0x03D1, 0x03D1, -25, 1},
    {0x03D5, 0x03D5, -15, 1},
    {0x03D6, 0x03D6, -22, 1},
    {0x03D8, 0x03EE, 1, 2},
    {0x03F0, 0x03F0, -54, 1},
    {0x03F1, 0x03F1, -48, 1},
    {0x03F4, 0x03F4, -60, 1},
    {0x03F5, 0x03F5, -64, 1},
    {0x03F7, 0x03F7, 1, 1},
    {0x03F9, 0x03F9, -7, 1},
    {0x03FA, 0x03FA, 1, 1},
    {0x03FD, 0x03FF, -130, 1},
    // Cyrillic and the Cyrillic Supplement
    {0x0400, 0x040F, 80, 1},
    {0x0410, 0x042F, 32, 1},
    {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2},
    {0x04C0, 0x04C0, 15, 1},
    {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2},
};

// The last character the table covers; nothing beyond it folds.
constexpr char32_t kLastCovered = 0x052F;

// A malformed byte compares as a value beyond Unicode of its own, equal only to the same byte.
constexpr char32_t kMalformedByteBase = 0x110000;

// The folded character at byte `pos` of `text` and its length in bytes.
char32_t FoldedAt(std::string_view text, size_t pos, size_t& size) {
    const Utf8Char c = DecodeUtf8Char(text, pos);
    size = c.size;
    if (!c.wellFormed)
        return kMalformedByteBase + static_cast<unsigned char>(text[pos]);
    return FoldCase(c.codePoint);
}

// The length in `text` of a folded match of `needle` that starts at byte `pos`, or nullopt.
std::optional<size_t> MatchLengthAt(std::string_view text, size_t pos, std::string_view needle) {
    size_t i = pos;
    size_t k = 0;
    while (k < needle.size()) {
        if (i >= text.size())
            return std::nullopt;
        size_t textSize = 0;
        size_t needleSize = 0;
        if (FoldedAt(text, i, textSize) != FoldedAt(needle, k, needleSize))
            return std::nullopt;
        i += textSize;
        k += needleSize;
    }
    return i - pos;
}

} // namespace

char32_t FoldCase(char32_t c) {
    if (c > kLastCovered)
        return c;
    for (const FoldRange& range : kFoldRanges) {
        if (c < range.first)
            break;
        if (c <= range.last && (c - range.first) % range.stride == 0)
            return static_cast<char32_t>(static_cast<int32_t>(c) + range.delta);
    }
    return c;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    const std::optional<size_t> length = MatchLengthAt(a, 0, b);
    return length && *length == a.size();
}

std::optional<FoldedMatch> FindFolded(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty())
        return std::nullopt;
    for (size_t i = from; i < text.size(); i += Utf8CharSize(text, i)) {
        if (const std::optional<size_t> length = MatchLengthAt(text, i, needle))
            return FoldedMatch{i, *length};
    }
    return std::nullopt;
}

} // namespace vellumo::detail
