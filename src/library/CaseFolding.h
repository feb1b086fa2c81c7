// Case-insensitive comparison and search of UTF-8 texts by a fixed case-folding table, the same
// on every build and in every locale.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vellumo::detail {

// The simple case folding of one character (Unicode's one-to-one folding, so a character never
// becomes two) for every character below U+0530: Basic Latin, Latin-1 Supplement, Latin
// Extended-A and -B, Greek and Coptic, Cyrillic and the Cyrillic Supplement. Every character
// above folds to itself. So "É" folds to "é", "Ș" to "ș", "Σ" and final "ς" to "σ", "Ж" to
// "ж", the long "ſ" to "s" and the micro sign to Greek "μ". The Turkish dotted "İ" and dotless
// "ı" have no one-to-one folding and stay themselves, as does "ß".
[[nodiscard]] char32_t FoldCase(char32_t c);

// Whether two texts hold the same characters once both are folded. Characters are as
// Utf8CharSize delimits them; a malformed byte equals only the same byte.
[[nodiscard]] bool EqualsFolded(std::string_view a, std::string_view b);

// Where a folded match of `needle` lies in `text`: its first byte and its length in bytes there,
// which may differ from the needle's own ("ſ" is two bytes, the "S" it matches one).
struct FoldedMatch {
    size_t position = 0;
    size_t length = 0;
};

// The first folded match of `needle` that starts at a character of `text` at or after byte
// `from` (a character boundary); nullopt when there is none or `needle` is empty.
[[nodiscard]] std::optional<FoldedMatch> FindFolded(std::string_view text, std::string_view needle,
                                                    size_t from);

} // namespace vellumo::detail
