// Tests of CCommandArgs: splitting into pairs, lookups by position and key, and failures.
#include "library/CCommandArgs.h"
#include "support/TestEnvironment.h"

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
