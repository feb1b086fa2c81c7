// The report as the window shows it in its text box and copies it to the clipboard: the report
// itself, unless the program installs a view of it (the redacted report under --redact).
#pragma once

#include <functional>
#include <string>

namespace vellumo {

using ReportView = std::function<std::string(const std::string& report)>;

// Installs the view for the rest of the run; an empty function shows the report itself again.
void SetReportView(ReportView view);

// The report through the installed view.
[[nodiscard]] std::string ShownReport(const std::string& report);

} // namespace vellumo
