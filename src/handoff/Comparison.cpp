// Reading a saved report and comparing it with this run's, line by line.
#include "handoff/Comparison.h"

#include "platform/RuntimeError.h"
#include "platform/StdioFile.h"
#include "platform/modFileA.h"

#include <nlohmann/json.hpp>

#include <array>
#include <map>
#include <optional>
#include <utility>

namespace vellumo::handoff {
namespace {

constexpr std::string_view kFormatName = "vellumo-diagnostic-report";
constexpr int kFormatVersion = 1;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kFence = "```";
constexpr size_t kReadChunk = 65536;

// Where the report part of a text document ends: the check verdicts and the changes follow it.
constexpr std::array<std::string_view, 7> kAfterReport = {"PASS ",    "WARN ",  "FAIL ",   "SKIP ",
                                                          "changed ", "added ", "removed "};

EarlierReport NotAReport(std::string reason) {
    return {EarlierReport::Problem::NotAReport, std::move(reason), {}};
}

EarlierReport FromText(std::string_view text) {
    std::vector<ReportLine> lines = SplitReport(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = lines[i].Text();
        for (std::string_view start : kAfterReport) {
            if (line.starts_with(start)) {
                lines.resize(i);
                break;
            }
        }
    }
    if (lines.empty() || lines.front().label != "OS" || !lines.front().hasValue)
        return NotAReport("it does not begin with an \"OS: \" line");
    return {EarlierReport::Problem::None, {}, std::move(lines)};
}

EarlierReport FromJson(std::string_view content) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(content);
    } catch (const nlohmann::json::parse_error& e) {
        return NotAReport("its JSON does not parse (at byte " + std::to_string(e.byte) + ")");
    }
    const auto format = document.is_object() ? document.find("format") : document.end();
    if (!document.is_object() || format == document.end() || !format->is_string() ||
        format->get_ref<const std::string&>() != kFormatName)
        return NotAReport("it is JSON, but not a VellumoDiagnostic report");
    const auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer() || *version != kFormatVersion)
        return NotAReport("its format version is not " + std::to_string(kFormatVersion));
    const auto report = document.find("report");
    if (report == document.end() || !report->is_string())
        return NotAReport("it holds no \"report\" text");
    return FromText(report->get_ref<const std::string&>());
}

// The lines of a text with the byte where each begins, without their line ends.
std::vector<std::pair<size_t, std::string_view>> LinesAt(std::string_view text) {
    std::vector<std::pair<size_t, std::string_view>> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(start, line);
        start = end + 1;
    }
    return lines;
}

// The first fenced block: from the line after an opening fence to a line of exactly the same
// backticks.
EarlierReport FromMarkdown(std::string_view content) {
    const auto lines = LinesAt(content);
    for (size_t open = 0; open < lines.size(); ++open) {
        const std::string_view line = lines[open].second;
        if (!line.starts_with(kFence))
            continue;
        const std::string_view fence = line.substr(0, line.find_first_not_of('`'));
        for (size_t close = open + 1; close < lines.size(); ++close) {
            if (lines[close].second != fence)
                continue;
            const size_t begin = open + 1 < lines.size() ? lines[open + 1].first : content.size();
            return FromText(content.substr(begin, lines[close].first - begin));
        }
        return NotAReport("its report block is not closed");
    }
    return NotAReport("it holds no report block");
}

// For each line of `now`, the line of `earlier` it stands for, if any. Lines are matched within
// their label: first those with the same value, then the rest in their order.
std::vector<std::optional<size_t>> Match(const std::vector<ReportLine>& earlier,
                                         const std::vector<ReportLine>& now) {
    std::map<std::string, std::vector<size_t>> earlierByLabel;
    for (size_t k = 0; k < earlier.size(); ++k)
        earlierByLabel[earlier[k].label].push_back(k);
    std::vector<std::optional<size_t>> match(now.size());
    std::vector<bool> taken(earlier.size(), false);
    const auto pass = [&](bool sameValue) {
        for (size_t i = 0; i < now.size(); ++i) {
            if (match[i])
                continue;
            for (const size_t k : earlierByLabel[now[i].label]) {
                if (!taken[k] && (!sameValue || earlier[k].value == now[i].value)) {
                    match[i] = k;
                    taken[k] = true;
                    break;
                }
            }
        }
    };
    pass(true);
    pass(false);
    return match;
}

} // namespace

EarlierReport ParseEarlierReport(std::string_view content) {
    if (content.starts_with(kByteOrderMark))
        content.remove_prefix(kByteOrderMark.size());
    const size_t first = content.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return NotAReport("it is empty");
    if (content[first] == '{')
        return FromJson(content);
    if (content.starts_with("# "))
        return FromMarkdown(content);
    return FromText(content);
}

EarlierReport ReadEarlierReport(const std::string& path) {
    if (modFileA::DirExists(path))
        return {EarlierReport::Problem::Unreadable, "it is a folder", {}};
    std::string content;
    try {
        const StdioFile file = OpenStdioFile(path, StdioMode::kInput);
        std::string chunk(kReadChunk, '\0');
        while (content.size() <= kLargestSavedReport) {
            const size_t got = ReadStdioFile(file.get(), chunk.data(), chunk.size());
            content.append(chunk, 0, got);
            if (got < chunk.size())
                break;
        }
    } catch (...) {
        return {EarlierReport::Problem::Unreadable, CurrentRuntimeError().Description(), {}};
    }
    if (content.size() > kLargestSavedReport)
        return NotAReport("it is larger than any report");
    return ParseEarlierReport(content);
}

std::string_view KindWord(Change::Kind kind) {
    switch (kind) {
    case Change::Kind::Changed:
        return "changed";
    case Change::Kind::Added:
        return "added";
    case Change::Kind::Removed:
        break;
    }
    return "removed";
}

std::vector<Change> CompareReports(const std::vector<ReportLine>& earlier,
                                   const std::vector<ReportLine>& now) {
    const std::vector<std::optional<size_t>> match = Match(earlier, now);
    std::vector<bool> shared(earlier.size(), false);
    for (const std::optional<size_t>& k : match) {
        if (k)
            shared[*k] = true;
    }
    std::vector<Change> changes;
    std::vector<bool> told(earlier.size(), false);
    // The earlier lines from `from` on that are gone, up to the next one both reports share.
    const auto removedFrom = [&](size_t from) {
        for (size_t k = from; k < earlier.size() && !shared[k]; ++k) {
            if (told[k])
                continue;
            told[k] = true;
            const ReportLine& line = earlier[k];
            changes.push_back({Change::Kind::Removed, line.label, line.value, {}, line.hasValue});
        }
    };
    removedFrom(0);
    for (size_t i = 0; i < now.size(); ++i) {
        const ReportLine& line = now[i];
        if (!match[i]) {
            changes.push_back({Change::Kind::Added, line.label, {}, line.value, line.hasValue});
            continue;
        }
        const ReportLine& before = earlier[*match[i]];
        if (before.value != line.value)
            changes.push_back(
                {Change::Kind::Changed, line.label, before.value, line.value, line.hasValue});
        removedFrom(*match[i] + 1);
    }
    return changes;
}

std::string ChangeText(const Change& change) {
    std::string text(KindWord(change.kind));
    text += ' ';
    text += change.label.empty() && !change.hasValue ? "(empty line)" : change.label;
    if (!change.hasValue)
        return text;
    text += kLabelEnd;
    switch (change.kind) {
    case Change::Kind::Changed:
        return text + change.before + " -> " + change.after;
    case Change::Kind::Added:
        return text + change.after;
    case Change::Kind::Removed:
        break;
    }
    return text + change.before;
}

} // namespace vellumo::handoff
