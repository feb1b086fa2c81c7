// This run's report against an earlier one saved with --output: reading the saved file (text,
// Markdown or JSON, told apart by content) and the changes label by label, in report order.
#pragma once

#include "handoff/ReportLines.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::handoff {

// A saved report larger than this is not taken for one (the report is a few kilobytes).
inline constexpr size_t kLargestSavedReport = size_t{16} << 20;

struct EarlierReport {
    enum class Problem { None, Unreadable, NotAReport };
    Problem problem = Problem::None;
    std::string reason; // why, when there is a problem: the system's words or what is missing
    std::vector<ReportLine> lines;
};

// The report lines in a saved document:
// - JSON (the first character that is not white space is "{"): an object whose "format" is
//   "vellumo-diagnostic-report" with a text "report";
// - Markdown (the first line begins with "# "): the report is the first fenced block;
// - text: the lines up to the first check verdict ("PASS ", "WARN ", "FAIL ", "SKIP ") or
//   comparison line ("changed ", "added ", "removed "); the first must be the "OS" line.
// NotAReport with the reason otherwise.
[[nodiscard]] EarlierReport ParseEarlierReport(std::string_view content);

// Reads and parses the file. Unreadable (with the system's reason) when it cannot be read: a
// missing file, a folder, no permission; NotAReport when larger than kLargestSavedReport.
[[nodiscard]] EarlierReport ReadEarlierReport(const std::string& path);

struct Change {
    enum class Kind { Changed, Added, Removed };
    Kind kind = Kind::Changed;
    std::string label;
    std::string before;   // the earlier value (Changed, Removed)
    std::string after;    // this run's value (Changed, Added)
    bool hasValue = true; // false for a line that is all label
};

// "changed", "added" or "removed".
[[nodiscard]] std::string_view KindWord(Change::Kind kind);

// The changes from `earlier` to `now`. Lines are matched by label; among lines that share one
// (the settings' option file and the two icon files share "File exists"), those with the same
// value first, then the others in their order. Matched lines with different values are Changed,
// lines only in `now` Added, lines only in `earlier` Removed; the list runs
// in this run's report order, a removed line standing right after the line both reports share
// that came before it in `earlier`.
[[nodiscard]] std::vector<Change> CompareReports(const std::vector<ReportLine>& earlier,
                                                 const std::vector<ReportLine>& now);

// The change as one line: "changed LABEL: OLD -> NEW", "added LABEL: VALUE", "removed LABEL:
// VALUE" (a line without value shows its label alone).
[[nodiscard]] std::string ChangeText(const Change& change);

} // namespace vellumo::handoff
