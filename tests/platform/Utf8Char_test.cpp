// Tests of the one rule for the length of a UTF-8 character, on well-formed and malformed texts,
// and of the routines that count, cut and convert by it.
#include "platform/Utf8Char.h"

#include "library/Utf16Bytes.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumo {
namespace {

// The sizes of a text's characters, stepping by Utf8CharSize from its start.
std::vector<size_t> Sizes(std::string_view text) {
    std::vector<size_t> sizes;
    for (size_t i = 0; i < text.size(); i += Utf8CharSize(text, i))
        sizes.push_back(Utf8CharSize(text, i));
    return sizes;
}

using SizeList = std::vector<size_t>;

TEST(Utf8Char, WellFormedSequencesCountWithTheirLengthAndValue) {
    struct Case {
        std::string text;
        char32_t value;
    };
    const Case cases[] = {
        {"a", U'a'},
        {"\xC2\x80", 0x80},
        {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800},
        {"\xED\x9F\xBF", 0xD7FF}, // just below the surrogates
        {"\xEE\x80\x80", 0xE000}, // just above them
        {"\xEF\xBF\xBF", 0xFFFF},
        {"\xF0\x90\x80\x80", 0x10000},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sizes(c.text), SizeList{c.text.size()}) << c.text;
        const Utf8Char decoded = DecodeUtf8Char(c.text, 0);
        EXPECT_TRUE(decoded.wellFormed) << c.text;
        EXPECT_EQ(decoded.codePoint, c.value) << c.text;
        EXPECT_EQ(decoded.size, c.text.size()) << c.text;
    }
    EXPECT_EQ(Utf8CharSize("a", 1), 0u) << "at the end";
    EXPECT_EQ(Utf8CharSize("a", 5), 0u) << "past the end";
}

TEST(Utf8Char, EveryMalformedByteCountsAsOneCharacterOfItsOwn) {
    struct Case {
        const char* what;
        std::string text;
        SizeList sizes;
    };
    const Case cases[] = {
        {"stray continuation", "\x80", {1}},
        {"stray continuations between letters", "a\xBF\x80z", {1, 1, 1, 1}},
        {"stray continuation after a character", "\xC3\xA9\x80", {2, 1}},
        {"bytes that never lead", "\xC0\xC1\xF5\xFF", {1, 1, 1, 1}},
        {"five-byte form", "\xF8\x88\x80\x80\x80", {1, 1, 1, 1, 1}},
        {"overlong two bytes", "\xC0\xAF", {1, 1}},
        {"overlong three bytes", "\xE0\x80\xAF", {1, 1, 1}},
        {"overlong four bytes", "\xF0\x80\x80\xAF", {1, 1, 1, 1}},
        {"surrogate", "\xED\xA0\x80", {1, 1, 1}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {1, 1, 1, 1}},
        {"broken off by a letter", "\xE2\x82x", {1, 1, 1}},
        {"broken off by a lead byte", "\xF0\x9F\xC3\xA9", {1, 1, 2}},
        {"broken off by a space", "\xC3 ", {1, 1}},
        {"cut short by the end", "a\xE2\x82", {1, 1, 1}},
        {"four bytes cut short", "\xF0\x9F\x94", {1, 1, 1}},
        {"lone lead byte at the end", "\xC3", {1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sizes(c.text), c.sizes) << c.what;
        for (size_t i = 0; i < c.text.size(); i += Utf8CharSize(c.text, i)) {
            const Utf8Char decoded = DecodeUtf8Char(c.text, i);
            if (decoded.size == 1 && static_cast<unsigned char>(c.text[i]) >= 0x80) {
                EXPECT_FALSE(decoded.wellFormed) << c.what;
                EXPECT_EQ(decoded.codePoint, kReplacementCharacter) << c.what;
            }
        }
    }
}

TEST(Utf8Char, CountsCutsAndConversionsFollowTheRule) {
    // "é", a stray continuation byte, "z", and a sequence cut short by the end.
    const std::string text = "\xC3\xA9\x80z\xE2\x82";
    EXPECT_EQ(CharLength(text), 5u);
    EXPECT_EQ(LeftChars(text, 1), "\xC3\xA9");
    EXPECT_EQ(LeftChars(text, 2), "\xC3\xA9\x80");
    EXPECT_EQ(LeftChars(text, 4), "\xC3\xA9\x80z\xE2");
    EXPECT_EQ(LeftChars(text, 9), text);
    EXPECT_EQ(detail::Utf8ToUtf16(text), u"\u00E9\uFFFDz\uFFFD\uFFFD");

    // An overlong form never becomes the character it spells, NUL included.
    EXPECT_EQ(CharLength("\xC0\x80"), 2u);
    EXPECT_EQ(detail::Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");
    EXPECT_EQ(detail::Utf8ToUtf16("\xF0\x9F\x94\x91!"), u"\U0001F511!");
}

} // namespace
} // namespace vellumo
