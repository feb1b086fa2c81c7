// The documents the program hands out: the text report followed by its verdicts and changes, the
// JSON document that docs/report-format.md describes, and Markdown ready for a ticket or a forum.
#pragma once

#include "handoff/Checks.h"
#include "handoff/Comparison.h"
#include "handoff/RunRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::handoff {

enum class DocumentFormat { Text, Json, Markdown };

// The name and version of the JSON document's format.
inline constexpr std::string_view kDocumentFormatName = "vellumo-diagnostic-report";
inline constexpr int kDocumentFormatVersion = 1;

struct Comparison {
    std::string file; // as given on the command line
    std::vector<Change> changes;
};

// What one document shows; its texts are already redacted when `redacted` is set.
struct DocumentContent {
    RunRecord record; // record.report is the report as shown
    ReportFacts facts;
    bool redacted = false;
    std::optional<std::vector<CheckVerdict>> checks;
    std::optional<Comparison> comparison;
};

// Text: the report's bytes, then one line per verdict ("FAIL master-file: ... not found") with
// an indented "Fix: " line for WARN and FAIL, then one line per change; all lines end in CR LF
// like the report's. JSON: one UTF-8 object (bytes that are not UTF-8 become U+FFFD), indented,
// ending in LF. Markdown: a heading, the verdicts as a table, the report in a fenced block, the
// changes in another; LF line ends.
[[nodiscard]] std::string RenderDocument(const DocumentContent& content, DocumentFormat format);

} // namespace vellumo::handoff
