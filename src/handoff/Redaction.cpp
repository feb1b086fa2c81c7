// The redaction: matching names and paths by the platform's rules, replacing them by
// placeholders that are never searched again, the summary and the leak check.
#include "handoff/Redaction.h"

#include "library/CaseFolding.h"
#include "platform/PathSeparator.h"
#include "platform/Text.h"
#include "platform/Utf8Char.h"

#include <algorithm>

namespace vellumo::handoff {
namespace {

constexpr std::string_view kUserPlaceholder = "<user>";
constexpr std::string_view kHostPlaceholder = "<host>";
// The first three entries of the hidden things, in the summary's order; the files follow.
constexpr size_t kUserName = 0;
constexpr size_t kHostName = 1;
constexpr size_t kHomeFolder = 2;

// A letter, digit or "_"; every byte of a non-ASCII character counts as a letter.
bool IsWordByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
           (b >= 'a' && b <= 'z') || b == '_';
}

bool IsSeparator(char c, bool backslash) {
    return c == '/' || (backslash && c == '\\');
}

// What may follow a path written into a sentence: a quote, a bracket, a comma, a semicolon or a
// control character.
bool EndsPath(char c) {
    return std::string_view("\"'()[]{}<>,;").find(c) != std::string_view::npos ||
           static_cast<unsigned char>(c) < 0x20;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length in bytes of a match of `needle` at byte `at` of `text`; 0 when it does not match.
size_t MatchAt(std::string_view text, size_t at, std::string_view needle,
               const RedactionRules& rules) {
    // Most positions differ in their first byte: tell them without decoding.
    if (needle.empty() || at >= text.size())
        return 0;
    const char first = text[at];
    const char wanted = needle.front();
    const bool bothAscii = static_cast<unsigned char>(first | wanted) < 0x80;
    if (bothAscii && first != wanted &&
        !(IsSeparator(first, rules.backslashSeparates) &&
          IsSeparator(wanted, rules.backslashSeparates)) &&
        !(rules.foldCase && AsciiLower(first) == AsciiLower(wanted)))
        return 0;
    size_t i = at;
    for (size_t j = 0; j < needle.size();) {
        if (i >= text.size())
            return 0;
        const Utf8Char a = DecodeUtf8Char(text, i);
        const Utf8Char b = DecodeUtf8Char(needle, j);
        bool same = false;
        if (IsSeparator(text[i], rules.backslashSeparates) &&
            IsSeparator(needle[j], rules.backslashSeparates))
            same = true;
        else if (!a.wellFormed || !b.wellFormed)
            same = text.substr(i, a.size) == needle.substr(j, b.size);
        else if (rules.foldCase)
            same = detail::FoldCase(a.codePoint) == detail::FoldCase(b.codePoint);
        else
            same = a.codePoint == b.codePoint;
        if (!same)
            return 0;
        i += a.size;
        j += b.size;
    }
    return i - at;
}

bool WordEdges(std::string_view text, size_t at, size_t length) {
    const size_t end = at + length;
    if (IsWordByte(text[at]) && at > 0 && IsWordByte(text[at - 1]))
        return false;
    return !(IsWordByte(text[end - 1]) && end < text.size() && IsWordByte(text[end]));
}

// Whole path segments: nothing of a longer path before it, a separator or the end after it.
bool PathEdges(std::string_view text, size_t at, size_t length, bool backslash) {
    if (at > 0) {
        const char before = text[at - 1];
        if (IsWordByte(before) || IsSeparator(before, backslash) || before == '.' ||
            before == '-' || before == ':')
            return false;
    }
    const size_t end = at + length;
    return end == text.size() || IsSeparator(text[end], backslash) || EndsPath(text[end]);
}

enum class Edges { Word, Path };

size_t LastSeparator(std::string_view path, bool backslash) {
    return backslash ? path.find_last_of("/\\") : path.rfind('/');
}

std::string Describe(const std::string& value) {
    const size_t length = CharLength(value);
    std::string text = std::to_string(length) + (length == 1 ? " character" : " characters");
    if (value.find(' ') != std::string::npos)
        text += ", spaces";
    if (std::any_of(value.begin(), value.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        text += ", non-ASCII";
    return text;
}

} // namespace

struct Redactor::Marked {
    std::string text;
    std::vector<bool> fixed; // per byte: part of a placeholder or of an already redacted path

    explicit Marked(std::string_view original) : text(original), fixed(original.size(), false) {}

    [[nodiscard]] bool AnyFixed(size_t at, size_t length) const {
        return std::any_of(fixed.begin() + static_cast<ptrdiff_t>(at),
                           fixed.begin() + static_cast<ptrdiff_t>(at + length),
                           [](bool f) { return f; });
    }

    // Replaces every match of `needle` within the edges by what `make` returns for it; returns
    // how many were replaced.
    template <typename Make>
    int ReplaceAll(std::string_view needle, Edges edges, const RedactionRules& rules, Make make) {
        if (needle.empty())
            return 0;
        int count = 0;
        size_t at = 0;
        while (at < text.size()) {
            if (!fixed[at]) {
                const size_t length = MatchAt(text, at, needle, rules);
                const bool edged =
                    length > 0 &&
                    (edges == Edges::Word ? WordEdges(text, at, length)
                                          : PathEdges(text, at, length, rules.backslashSeparates));
                if (edged && !AnyFixed(at, length)) {
                    const std::string by = make(std::string_view(text).substr(at, length));
                    text.replace(at, length, by);
                    const auto first = fixed.begin() + static_cast<ptrdiff_t>(at);
                    fixed.erase(first, first + static_cast<ptrdiff_t>(length));
                    fixed.insert(fixed.begin() + static_cast<ptrdiff_t>(at), by.size(), true);
                    at += by.size();
                    ++count;
                    continue;
                }
            }
            at += std::max<size_t>(1, Utf8CharSize(text, at));
        }
        return count;
    }
};

RedactionRules PlatformRedactionRules() {
    if constexpr (kPathSeparator == '\\')
        return RedactionRules{true, true, "%USERPROFILE%"};
    return RedactionRules{false, false, "~"};
}

Redactor::Redactor(PersonalData personal, RedactionRules rules)
    : rules_(std::move(rules)), user_(std::move(personal.user)), host_(std::move(personal.host)),
      home_(std::move(personal.home)) {
    hidden_ = {{"user name", user_, 0}, {"host name", host_, 0}, {"home folder", home_, 0}};
    for (std::string& path : personal.recentFiles) {
        const bool known = std::any_of(files_.begin(), files_.end(),
                                       [&](const auto& file) { return file.first == path; });
        const size_t slash = LastSeparator(path, rules_.backslashSeparates);
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (known || name.empty())
            continue;
        // The extension stays: it tells support what kind of file it was.
        if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
            name.resize(dot);
        const std::string placeholder = "<file " + std::to_string(files_.size() + 1) + ">";
        hidden_.push_back({placeholder, name, 0});
        files_.emplace_back(std::move(path), hidden_.size() - 1);
    }
    // The longer path first, so that one recent file cannot cut another's path short.
    std::stable_sort(files_.begin(), files_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

std::string Redactor::Redact(std::string_view text) {
    Marked marked(text);
    for (const auto& file : files_) {
        // Named apart: a lambda may not capture a structured binding before C++20's last revision.
        const std::string& path = file.first;
        const size_t index = file.second;
        const size_t slash = LastSeparator(path, rules_.backslashSeparates);
        const std::string_view name = std::string_view(path).substr(slash + 1);
        const size_t dot = name.rfind('.');
        const std::string extension(dot != std::string_view::npos && dot > 0 ? name.substr(dot)
                                                                             : std::string_view());
        hidden_[index].count += marked.ReplaceAll(path, Edges::Path, rules_, [&](std::string_view) {
            Marked folder(std::string_view(path).substr(0, slash + 1));
            ReplaceNames(folder);
            CheckLeaks(folder);
            return folder.text + hidden_[index].what + extension;
        });
    }
    ReplaceNames(marked);
    CheckLeaks(marked);
    return marked.text;
}

void Redactor::ReplaceNames(Marked& text) {
    hidden_[kHomeFolder].count += text.ReplaceAll(
        home_, Edges::Path, rules_, [&](std::string_view) { return rules_.homePlaceholder; });
    const auto replaceHost = [&] {
        hidden_[kHostName].count +=
            text.ReplaceAll(host_, Edges::Word, rules_,
                            [](std::string_view) { return std::string(kHostPlaceholder); });
    };
    const auto replaceUser = [&] {
        hidden_[kUserName].count +=
            text.ReplaceAll(user_, Edges::Word, rules_,
                            [](std::string_view) { return std::string(kUserPlaceholder); });
    };
    // The longer name first, so that a host "ken-pc" is not cut by a user "ken".
    if (host_.size() > user_.size()) {
        replaceHost();
        replaceUser();
    } else {
        replaceUser();
        replaceHost();
    }
}

void Redactor::CheckLeaks(const Marked& marked) {
    const std::string& text = marked.text;
    for (size_t at = 0; at < text.size() && !leaked_;
         at += std::max<size_t>(1, Utf8CharSize(text, at))) {
        if (marked.fixed[at])
            continue;
        const size_t name = user_.empty() ? 0 : MatchAt(text, at, user_, rules_);
        const size_t home = home_.empty() ? 0 : MatchAt(text, at, home_, rules_);
        leaked_ = (name > 0 && !marked.AnyFixed(at, name) && WordEdges(text, at, name)) ||
                  (home > 0 && !marked.AnyFixed(at, home));
    }
}

std::string Redactor::Summary() const {
    std::string items;
    for (const Hidden& hidden : hidden_) {
        if (hidden.count == 0)
            continue;
        items += (items.empty() ? "" : ", ") + hidden.what + " (" + Describe(hidden.value) + ")";
    }
    return "Redacted: " + (items.empty() ? std::string("nothing personal was found") : items);
}

} // namespace vellumo::handoff
