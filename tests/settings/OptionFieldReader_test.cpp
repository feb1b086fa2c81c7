// The field reader of the key-comma-value files: delimiters, quoted fields, trimming, the end of
// the data, and bytes that are not text.
#include "platform/RuntimeError.h"
#include "settings/OptionFieldReader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vellumo::settings {
namespace {

using Strings = std::vector<std::string>;

Strings Fields(const std::string& data) {
    std::stringbuf buffer(data);
    OptionFieldReader reader(buffer);
    Strings fields;
    while (!reader.AtEnd())
        fields.push_back(reader.ReadField());
    return fields;
}

TEST(OptionFieldReader, DelimitersAndTrimming) {
    EXPECT_EQ(Fields("Key,Value\r\nNext,2\r\n\r\n"), (Strings{"Key", "Value", "Next", "2", ""}));
    EXPECT_EQ(Fields("a,b\nc,d\re,"), (Strings{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(Fields("Key,\r\n\r\nx"), (Strings{"Key", "", "", "x"}));
    EXPECT_EQ(Fields("  Key  ,  a value  \r\n\tx\t"), (Strings{"Key", "a value", "\tx\t"}));
}

TEST(OptionFieldReader, QuotedFields) {
    EXPECT_EQ(Fields("P,\"/a,b/\"\r\nN,1"), (Strings{"P", "/a,b/", "N", "1"}));
    EXPECT_EQ(Fields("k,\"two\r\nlines\"\r\nz"), (Strings{"k", "two\r\nlines", "z"}));
    EXPECT_EQ(Fields("k,\" sp \"junk,next"), (Strings{"k", " sp ", "next"}));
    EXPECT_EQ(Fields("k,ab\"c,d"), (Strings{"k", "ab\"c", "d"}));
    // A quote never closed runs to the end of the data.
    EXPECT_EQ(Fields("k,\"open\r\nrest,of"), (Strings{"k", "open\r\nrest,of"}));
}

TEST(OptionFieldReader, ReadingPastTheEndRaisesInputPastEndOfFile) {
    std::stringbuf buffer("FontName_Tree\r\n");
    OptionFieldReader reader(buffer);
    EXPECT_EQ(reader.ReadField(), "FontName_Tree");
    try {
        (void)reader.ReadField();
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kInputPastEndOfFile);
    }
}

TEST(OptionFieldReader, BinaryBytesAreOrdinaryCharacters) {
    EXPECT_EQ(Fields(std::string("a\0b,\xff\x1a\r\n", 8)),
              (Strings{std::string("a\0b", 3), "\xff\x1a"}));
    // Every call consumes at least one byte, so any input is read to its end.
    std::string garbage;
    for (int i = 0; i < 65536; ++i)
        garbage.push_back(static_cast<char>((i * 7919 + i / 251) & 0xFF));
    EXPECT_LE(Fields(garbage).size(), garbage.size());
}

TEST(OptionFieldReader, AFieldLongerThanAnyValueEndsTheReadingThere) {
    // kLongestField bytes are a field; one byte more, in any part of a field, is a damaged file:
    // 7 (Out of memory), and the reader keeps no more than the limit.
    const size_t limit = OptionFieldReader::kLongestField;
    EXPECT_EQ(Fields("k," + std::string(limit, 'v') + "\r\nn,1\r\n")[1].size(), limit);
    EXPECT_EQ(Fields(std::string(limit - 1, ' ') + "x"), (Strings{"x"}));
    for (const std::string& field :
         {std::string(limit + 1, 'v'), "\"" + std::string(limit + 1, 'v') + "\"",
          "\"open" + std::string(limit, 'v'), "\"v\"" + std::string(limit, 'j'),
          std::string(limit + 1, ' ') + "v"}) {
        std::stringbuf buffer("k," + field + "\r\nn,1\r\n");
        OptionFieldReader reader(buffer);
        EXPECT_EQ(reader.ReadField(), "k");
        try {
            (void)reader.ReadField();
            FAIL() << "no error for a field of " << field.size() << " bytes";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), err::kOutOfMemory);
        }
    }
}

} // namespace
} // namespace vellumo::settings
