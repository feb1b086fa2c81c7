// The diagnostic report's text and its one way of growing.
#include "state/DiagnosticReport.h"

#include "platform/Text.h"

namespace vellumo::modMain {

std::string gstrDiagnosticReport;

void AppendReportLine(const std::string& line) {
    gstrDiagnosticReport += line;
    gstrDiagnosticReport += kCrLf;
}

void ResetReport() {
    gstrDiagnosticReport.clear();
}

} // namespace vellumo::modMain
