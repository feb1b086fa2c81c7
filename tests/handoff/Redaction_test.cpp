// Redaction by both platforms' rules (on every build): names as whole words, the home folder as
// whole path segments, recent files' names, placeholders never searched again, the summary line
// and the fail-closed check.
#include "handoff/Redaction.h"

#include <gtest/gtest.h>

namespace vellumo::handoff {
namespace {

const RedactionRules kLinux{false, false, "~"};
const RedactionRules kWindows{true, true, "%USERPROFILE%"};

struct Case {
    const char* name;
    RedactionRules rules;
    PersonalData personal;
    std::string text;
    std::string expected;
};

class RedactionCases : public ::testing::TestWithParam<Case> {};

TEST_P(RedactionCases, ReplacesWholeWordsAndSegmentsOnly) {
    const Case& c = GetParam();
    Redactor redactor(c.personal, c.rules);
    EXPECT_EQ(redactor.Redact(c.text), c.expected);
    EXPECT_FALSE(redactor.Leaked());
}

INSTANTIATE_TEST_SUITE_P(
    Names, RedactionCases,
    ::testing::Values(
        Case{"OneLetterUser",
             kLinux,
             {"a", "", "/home/a", {}},
             "/home/a/Documents/ and a data file at /srv/a/b.a",
             "~/Documents/ and <user> data file at /srv/<user>/b.<user>"},
        Case{"KenLeavesTokenAlone",
             kLinux,
             {"ken", "", "/home/ken", {}},
             "token ken's kenneth Ken /home/ken",
             "token <user>'s kenneth Ken ~"},
        Case{"NonAsciiNameWithSpace",
             kWindows,
             {"José Ñ", "", "C:\\Users\\José Ñ", {}},
             "c:/users/JOSÉ Ñ/Documents/ owner josé ñ.",
             "%USERPROFILE%/Documents/ owner <user>."},
        Case{"NameOfTwoWords",
             kLinux,
             {"John Smith", "", "/home/jsmith", {}},
             "by John Smith, not John Smithers",
             "by <user>, not John Smithers"},
        Case{"HomeOnAnotherDriveEitherSlash",
             kWindows,
             {"ken", "", "D:\\Profiles\\ken", {}},
             "D:/Profiles/ken/Documents/ d:\\profiles\\KEN\\x C:\\Profiles\\ken\\x",
             "%USERPROFILE%/Documents/ %USERPROFILE%\\x C:\\Profiles\\<user>\\x"},
        Case{"LinuxComparesCaseExactly",
             kLinux,
             {"ken", "", "/home/ken", {}},
             "/HOME/KEN/x /home/ken",
             "/HOME/KEN/x ~"},
        Case{"PlaceholdersAreNotSearchedAgain",
             kLinux,
             {"user", "host", "/home/user", {}},
             "user@host /home/user/file",
             "<user>@<host> ~/file"},
        Case{"LongerHostNameFirst",
             kWindows,
             {"ken", "ken-pc", "C:\\Users\\ken", {}},
             "\\\\KEN-PC\\share\\ken",
             "\\\\<host>\\share\\<user>"},
        Case{"RecentFilesKeepFolderAndExtension",
             kLinux,
             {"ken", "", "/home/ken", {"/home/ken/Notes/Plan B.vnt", "/srv/x/archive"}},
             "/home/ken/Notes/Plan B.vnt; /srv/x/archive",
             "~/Notes/<file 1>.vnt; /srv/x/<file 2>"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Redaction, SummarySaysLengthSpacesAndNonAsciiOfWhatWasHidden) {
    Redactor redactor({"José Ñ", "pc", "/home/José Ñ", {"/home/José Ñ/a b.vnt"}}, kLinux);
    (void)redactor.Redact("/home/José Ñ/a b.vnt");
    (void)redactor.Redact("José Ñ");
    EXPECT_EQ(redactor.Summary(), "Redacted: user name (6 characters, spaces, non-ASCII), home "
                                  "folder (12 characters, spaces, non-ASCII), <file 1> (3 "
                                  "characters, spaces)");
    EXPECT_EQ(Redactor({"x", "", "", {}}, kLinux).Summary(),
              "Redacted: nothing personal was found");
}

TEST(Redaction, FailsClosedWhenTheHomeFolderStillShows) {
    // A neighbour's folder whose name begins with the home folder's: not the home as whole
    // segments, so it is not replaced, yet it shows the home folder's name.
    Redactor redactor({"ken", "", "/home/ken", {}}, kLinux);
    EXPECT_EQ(redactor.Redact("/home/kenneth/x"), "/home/kenneth/x");
    EXPECT_TRUE(redactor.Leaked());

    // The user's name is no whole word there either ("k.smith2"): the home folder shows.
    Redactor windows({"k.smith", "", "C:\\Users\\k.smith", {}}, kWindows);
    EXPECT_EQ(windows.Redact("c:/users/k.smith2/x and k.smith"), "c:/users/k.smith2/x and <user>");
    EXPECT_TRUE(windows.Leaked());
}

} // namespace
} // namespace vellumo::handoff
