// The view the window's report passes through.
#include "diagnostic/ReportView.h"

#include <utility>

namespace vellumo {
namespace {

// In the program, so that the Linux window module shares the one the program installs.
ReportView& InstalledView() {
    static ReportView view;
    return view;
}

} // namespace

void SetReportView(ReportView view) {
    InstalledView() = std::move(view);
}

std::string ShownReport(const std::string& report) {
    return InstalledView() ? InstalledView()(report) : report;
}

} // namespace vellumo
