// Tests of the expansion of environment references from a given environment list: the
// registry's "%NAME%" rules, and the "$NAME" and "${NAME}" of the Linux shell launches.
#include "platform/EnvironmentText.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace vellumo {
namespace {

// An environment list laid out as the process's `environ`: entries, then a null pointer.
class Environment {
public:
    Environment(std::initializer_list<const char*> entries) : entries_(entries) {
        entries_.push_back(nullptr);
    }
    [[nodiscard]] const char* const* List() const { return entries_.data(); }

private:
    std::vector<const char*> entries_;
};

const Environment kEnvironment = {"DIR=/data",          "EMPTY=",         "Mixed_Case=upper",
                                  "mixed_case=lower",   "LOOP=%DIR%$DIR", "NOT AN ENTRY",
                                  "WITH=EQUALS=inside", "=HIDDEN=nothing"};

std::string Percent(std::string_view text) {
    return ExpandEnvironmentText(text, DollarReferences::kKept, kEnvironment.List());
}

std::string Both(std::string_view text) {
    return ExpandEnvironmentText(text, DollarReferences::kExpanded, kEnvironment.List());
}

TEST(EnvironmentText, PercentReferencesCompareNamesWithoutCaseAndPreferAnExactMatch) {
    EXPECT_EQ(Percent("%DIR%\\notes;%dir%;%Dir%"), "/data\\notes;/data;/data");
    EXPECT_EQ(Percent("[%EMPTY%]"), "[]");
    EXPECT_EQ(Percent("%mixed_case% %Mixed_Case% %MIXED_CASE%"), "lower upper upper");
    EXPECT_EQ(Percent("%WITH%"), "EQUALS=inside") << "the value runs from the first '='";
}

TEST(EnvironmentText, UnknownPercentReferencesAndLonePercentSignsStayAsWritten) {
    EXPECT_EQ(Percent("%UNSET%"), "%UNSET%");
    // The text goes on after an unknown reference's second "%", which starts nothing.
    EXPECT_EQ(Percent("%UNSET%DIR%"), "%UNSET%DIR%");
    EXPECT_EQ(Percent("%%DIR%"), "%%DIR%");
    EXPECT_EQ(Percent("50% of %DIR"), "50% of %DIR");
    EXPECT_EQ(Percent("100%"), "100%");
    // Entries without "=" and names hidden behind a leading "=" are no variables.
    EXPECT_EQ(Percent("%NOT AN ENTRY% %HIDDEN%"), "%NOT AN ENTRY% %HIDDEN%");
    EXPECT_EQ(ExpandEnvironmentText("%DIR% $DIR", DollarReferences::kExpanded, nullptr),
              "%DIR% $DIR");
}

TEST(EnvironmentText, ValuesAreNotSearchedAgain) {
    EXPECT_EQ(Percent("%LOOP%"), "%DIR%$DIR");
    EXPECT_EQ(Both("$LOOP %LOOP%"), "%DIR%$DIR %DIR%$DIR");
}

TEST(EnvironmentText, DollarReferencesExpandOnlyWhenAskedAndCompareNamesExactly) {
    EXPECT_EQ(Percent("$DIR ${DIR}"), "$DIR ${DIR}");
    EXPECT_EQ(Both("$DIR/a ${DIR}b $EMPTY."), "/data/a /datab .");
    EXPECT_EQ(Both("$dir ${Dir} $mixed_case"), "$dir ${Dir} lower");
    // Shell launches take both forms in one text.
    EXPECT_EQ(Both("%dir%/$DIR"), "/data//data");
}

TEST(EnvironmentText, DollarSignsThatAreNoKnownReferenceStay) {
    EXPECT_EQ(Both("$UNSET ${UNSET} $ $1 ${DIR ${ cost$"), "$UNSET ${UNSET} $ $1 ${DIR ${ cost$");
    // A name is ASCII letters, digits and "_": it ends before any other byte.
    EXPECT_EQ(Both("$DIR\xC3\xA9 $DIR-x $DIR_"), "/data\xC3\xA9 /data-x $DIR_");
}

} // namespace
} // namespace vellumo
