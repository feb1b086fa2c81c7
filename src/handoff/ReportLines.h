// The report's lines as labels and values: how every document format, the checks, the redaction
// and the comparison read the text report.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo::handoff {

// The separator between a line's label and its value.
inline constexpr std::string_view kLabelEnd = ": ";

// One line of the report. The label is the program's own words ("DataPath", "MRU 2 (exists)");
// the value is what the run found. A line without ": " ("Settings are already saved in
// registry") is all label; the empty line (no file to open) has an empty label.
struct ReportLine {
    std::string label;
    std::string value;
    bool hasValue = false; // the line holds ": "

    // The line as the report writes it, without its line end.
    [[nodiscard]] std::string Text() const;
    bool operator==(const ReportLine&) const = default;
};

// The line split at its first ": ".
[[nodiscard]] ReportLine SplitLine(std::string_view line);

// The lines of a report, each without its line end. The report ends its lines with CR LF; a lone
// LF ends a line too (a saved report edited by hand), and a last line without an end counts.
[[nodiscard]] std::vector<ReportLine> SplitReport(std::string_view report);

// The lines joined again, each ended by CR LF: SplitReport's inverse for a report the program
// wrote.
[[nodiscard]] std::string JoinReport(const std::vector<ReportLine>& lines);

} // namespace vellumo::handoff
