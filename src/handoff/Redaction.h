// Hiding personal data in the report and in everything derived from it: the user's name, the host
// name, the home folder and the recent files' names become placeholders; a summary says what was
// hidden without showing it, and a check refuses output that still shows the name or the home.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo::handoff {

// How names and paths compare on a platform.
struct RedactionRules {
    bool foldCase = false;           // letter case does not matter
    bool backslashSeparates = false; // "\" separates path segments as well as "/"
    std::string homePlaceholder = "~";
};

// The rules of the platform the program runs on. Linux: exact comparison, "/" only, "~".
// Windows: letter case ignored (the Latin, Greek and Cyrillic letters), either slash,
// "%USERPROFILE%".
[[nodiscard]] RedactionRules PlatformRedactionRules();

struct PersonalData {
    std::string user;
    std::string host;
    std::string home;                     // without trailing separator
    std::vector<std::string> recentFiles; // full paths, in the report's order
};

// Replaces, in each text given to Redact:
// - a recent file's full path by its folder (itself redacted) and "<file N>" plus the file's
//   extension, N counting the distinct recent files from 1 in the report's order;
// - the home folder by the home placeholder, where it stands as whole path segments (followed by
//   a separator, the end, or a quote, bracket, comma or semicolon);
// - the host name by "<host>" and the user's name by "<user>", as whole words (not preceded or
//   followed by a letter, digit or "_"; every non-ASCII character counts as a letter), so that a
//   user "ken" leaves "token" alone.
// Placeholders already put in are never searched again. An empty name or folder is not looked
// for.
class Redactor {
public:
    Redactor(PersonalData personal, RedactionRules rules);

    [[nodiscard]] std::string Redact(std::string_view text);

    // True once a text given to Redact still showed, outside its placeholders, the user's name as
    // a whole word or the home folder anywhere (also within a longer name, "/home/ken" in
    // "/home/kenneth"): such output must not be shown.
    [[nodiscard]] bool Leaked() const { return leaked_; }

    // "Redacted: " and, for each thing hidden at least once, its length in characters and
    // whether it had spaces or non-ASCII characters: "user name (3 characters), <file 1> (12
    // characters, spaces)". Without line end.
    [[nodiscard]] std::string Summary() const;

private:
    struct Hidden {
        std::string what;  // "user name", "<file 1>"
        std::string value; // what was hidden
        int count = 0;
    };
    struct Marked; // the text with its placeholder bytes marked

    void ReplaceNames(Marked& text);
    void CheckLeaks(const Marked& text);

    RedactionRules rules_;
    std::string user_;
    std::string host_;
    std::string home_;
    // Recent files: path, and the index into hidden_ of its file name.
    std::vector<std::pair<std::string, size_t>> files_;
    std::vector<Hidden> hidden_; // user name, host name, home folder, then the files
    bool leaked_ = false;
};

} // namespace vellumo::handoff
