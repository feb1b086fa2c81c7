// Tests of CCommandArgs: splitting into pairs, lookups by position and key, and failures.
#include "library/CCommandArgs.h"
#include "support/TestEnvironment.h"

#include <clocale>
#include <string>

namespace vellumo::test {
namespace {

class CCommandArgsTest : public IsolatedTest {
protected:
    void Parse(const std::string& delim, const std::string& text) {
        args_.SetDelim(delim);
        args_.SetTestString(text);
        args_.Parse();
    }
    std::vector<std::pair<std::string, std::string>> Pairs() const {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int16_t i = 1; i <= args_.Count(); ++i)
            pairs.emplace_back(args_.Key(i), args_.Value(i));
        return pairs;
    }
    CCommandArgs args_;
};

using PairList = std::vector<std::pair<std::string, std::string>>;

TEST_F(CCommandArgsTest, SwitchesKeysAndValues) {
    const PairList expected = {{"a", "1"}, {"b", "b"}, {"x", "hello world"}};
    Parse("/", "/a 1 /b /x hello world");
    EXPECT_EQ(Pairs(), expected);
    Parse("/", "program.exe  /a 1   /b   /x hello world  "); // a leading word is ignored
    EXPECT_EQ(Pairs(), expected);
    Parse("--", "--a 1 --B --x hello world");
    EXPECT_EQ(Pairs(), (PairList{{"a", "1"}, {"B", "B"}, {"x", "hello world"}}));
}

TEST_F(CCommandArgsTest, ItemByPositionAndByKey) {
    Parse("/", "/a 1 /b /x hello world");
    EXPECT_EQ(args_.Item("B"), "b");
    EXPECT_EQ(args_.Item("X"), "hello world");
    EXPECT_EQ(args_.Item("nope"), "");
    EXPECT_EQ(args_.Item(2), "b");
    EXPECT_EQ(args_.Item(0), "");
    EXPECT_EQ(args_.Item(4), "");
    EXPECT_EQ(args_.Key(0), "");
    EXPECT_EQ(args_.Value(0), "");
    EXPECT_THROW((void)args_.Key(4), RuntimeError);
    EXPECT_THROW((void)args_.Value(-1), RuntimeError);
}

TEST_F(CCommandArgsTest, DelimiterIsFoundIgnoringCase) {
    Parse("x-", "X-one 1 x-two 2");
    EXPECT_EQ(Pairs(), (PairList{{"one", "1"}, {"two", "2"}}));
}

// Case folds by the class's own table, whatever the process's locale says.
TEST_F(CCommandArgsTest, KeysFoldCaseBeyondAsciiInEveryLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr)
            continue; // not on this system
        SCOPED_TRACE(locale);
        Parse("/", "/\xC3\xA9t\xC3\xA9 1 /\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3 2 "
                   "/\xD0\x96\xD1\x83\xD0\xBA 3 /\xC5\xBFtop 4 /i 5 /\xC8\x99tefan 6");
        ASSERT_EQ(args_.Count(), 6);
        EXPECT_EQ(args_.Item("\xC3\x89T\xC3\x89"), "1");                        // été, ÉTÉ
        EXPECT_EQ(args_.Item("\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82"), "2"); // σοφος
        EXPECT_EQ(args_.Item("\xD0\xB6\xD0\xA3\xD0\x9A"), "3");                 // жУК
        EXPECT_EQ(args_.Item("STOP"), "4");          // the long s is an s of another length
        EXPECT_EQ(args_.Item("\xC8\x98TEFAN"), "6"); // ȘTEFAN
        // Letters that only look alike, or differ in more than case, do not match.
        EXPECT_EQ(args_.Item("ete"), "");
        EXPECT_EQ(args_.Item("\xC3\x89T\xC3\x88"), "");                // ÉTÈ
        EXPECT_EQ(args_.Item("\xCE\xA3\x4F\xCE\xA6\x4F\xCE\xA3"), ""); // Latin O for Omicron
        EXPECT_EQ(args_.Item("\xD0\x96\x79\xD0\xBA"), "");             // Latin y for у
        EXPECT_EQ(args_.Item("\xC4\xB0"), "") << "Turkish dotted capital I";
        EXPECT_EQ(args_.Item("\xC4\xB1"), "") << "Turkish dotless small i";
        EXPECT_EQ(args_.Item("I"), "5");
    }
    std::setlocale(LC_ALL, previous.c_str());
}

TEST_F(CCommandArgsTest, DelimiterFoldsCaseBeyondAsciiAndMayMatchWithAnotherLength) {
    const std::string zheCapital = "\xD0\x96", zheSmall = "\xD0\xB6"; // Ж, ж
    Parse(zheCapital, zheSmall + "a 1 " + zheCapital + "b 2");
    EXPECT_EQ(Pairs(), (PairList{{"a", "1"}, {"b", "2"}}));
    // The long s (two bytes) finds a one-byte s and S, and the other way round.
    const std::string longS = "\xC5\xBF";
    Parse(longS, "Sa 1 sb 2 " + longS + "c 3");
    EXPECT_EQ(Pairs(), (PairList{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    Parse("s", longS + "a 1 Sb 2");
    EXPECT_EQ(Pairs(), (PairList{{"a", "1"}, {"b", "2"}}));
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(CCommandArgsTest, EmptyDelimOrTextKeepsTheEarlierTable) {
    Parse("/", "/a 1");
    Parse("", "/b 2");
    Parse("/", "");
    EXPECT_EQ(args_.Count(), 1);
    EXPECT_EQ(args_.Item("a"), "1");
    Parse("/", "no switches at all");
    EXPECT_EQ(args_.Count(), 0);
}

TEST_F(CCommandArgsTest, SegmentShorterThanTheDelimiterFailsAndKeepsThePairsSoFar) {
    Parse("--", "--a 1 ---b");
    EXPECT_EQ(Pairs(), (PairList{{"a", "1"}}));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "Parse");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 5. Invalid procedure call or argument");
}

TEST_F(CCommandArgsTest, The32768thPairFails) {
    std::string text;
    for (int i = 0; i < 32768; ++i)
        text += "/k ";
    Parse("/", text);
    EXPECT_EQ(args_.Count(), 32767);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error: 6. Overflow");
}

} // namespace
} // namespace vellumo::test
