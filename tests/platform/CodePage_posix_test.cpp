// Tests of the code-page conversion on Linux in a locale whose character set is not UTF-8: what
// the set lacks becomes "?", one per character, and one per malformed byte.
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace vellumo {
namespace {

class AsciiLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::setlocale(LC_CTYPE, nullptr);
        // The C locale's character set is ASCII.
        ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    }
    void TearDown() override { std::setlocale(LC_CTYPE, previous_.c_str()); }

private:
    std::string previous_;
};

TEST_F(AsciiLocaleTest, EachCharacterTheSetLacksAndEachMalformedByteBecomesOneQuestionMark) {
    EXPECT_EQ(ToAnsi("plain"), "plain");
    EXPECT_EQ(ToAnsi("J\xC3\xBCrgen 5 \xE2\x82\xAC"), "J?rgen 5 ?");
    EXPECT_EQ(ToAnsi("\xF0\x9F\x94\x91key"), "?key");
    // Malformed bytes never swallow the character after them.
    EXPECT_EQ(ToAnsi("a\x80z"), "a?z");
    EXPECT_EQ(ToAnsi("\xC3z"), "?z");
    EXPECT_EQ(ToAnsi("\xC0\x80x"), "??x");
    EXPECT_EQ(ToAnsi("\xE2\x82z"), "??z");
    EXPECT_EQ(ToAnsi("end\xE2\x82"), "end??");
    // Bytes outside ASCII read back as the replacement character.
    EXPECT_EQ(FromAnsi("a\xFFz"), "a\xEF\xBF\xBDz");
}

} // namespace
} // namespace vellumo
