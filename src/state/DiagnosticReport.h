// The diagnostic report: one text of lines, each a label, a value and CR LF, to which every stage
// of the run appends and which the window shows and copies.
#pragma once

#include <string>

namespace vellumo::modMain {

// The OS line replaces whatever the report held; every later line is appended. Nothing is ever
// removed or rewritten. Empty at start.
extern std::string gstrDiagnosticReport;

// Appends label + value + CR LF to the report.
void AppendReportLine(const std::string& line);

// Restores the start value (the empty report).
void ResetReport();

} // namespace vellumo::modMain
