// The run for support and the window's redacted report.
#include "app/ReportRun.h"

#include "diagnostic/ReportView.h"
#include "diagnostic/WindowHost.h"
#include "diagnostic/modMain.h"
#include "handoff/Handoff.h"
#include "platform/HeadlessUi.h"
#include "platform/StandardStreams.h"
#include "platform/WholeFileWriter.h"

#include <optional>

namespace vellumo::app {
namespace {

bool gWindowReportWithheld = false;

int Trouble(const std::string& message) {
    streams::WriteStandardError("VellumoDiagnostic: " + message);
    return handoff::kTrouble;
}

} // namespace

int RunForSupport(const ProgramOptions& options) {
    handoff::EarlierReport earlier;
    if (options.compareGiven) {
        earlier = handoff::ReadEarlierReport(options.compare);
        if (earlier.problem == handoff::EarlierReport::Problem::Unreadable)
            return Trouble("cannot read " + options.compare + " (" + earlier.reason + ")");
        if (earlier.problem == handoff::EarlierReport::Problem::NotAReport)
            return Trouble(options.compare + " is not a report: " + earlier.reason);
    }
    std::optional<WholeFileWriter> file;
    if (!options.output.empty()) {
        file.emplace(options.output);
        if (!file->IsOpen())
            return Trouble("cannot write " + options.output + " (" + file->Error() + ")");
    }

    handoff::Handoff handoff;
    {
        ui::HeadlessUi ui;
        const ui::ScopedUi scopedUi(ui);
        HeadlessWindowHost windows;
        const ScopedWindowHost scopedWindows(windows);
        modMain::Main();
        handoff::HandoffRequest request{options.format, options.redact, options.check,
                                        options.compareGiven ? &earlier : nullptr, options.compare};
        handoff = handoff::MakeHandoff(handoff::RecordRun(windows.WindowShown()), request);
    }
    if (!handoff.error.empty())
        return Trouble(handoff.error);
    if (file) {
        if (!file->Write(handoff.document) || !file->Commit())
            return Trouble("cannot write " + options.output + " (" + file->Error() + ")");
    } else if (!streams::WriteStandardOutput(handoff.document)) {
        return Trouble("cannot write the report to standard output");
    }
    return handoff.exitStatus;
}

void ShowRedactedReportInWindow() {
    SetReportView([](const std::string& report) {
        handoff::RunRecord record = handoff::RecordRun(true);
        record.report = report;
        handoff::WindowReport shown = handoff::RedactForWindow(record);
        gWindowReportWithheld = gWindowReportWithheld || shown.withheld;
        return shown.text;
    });
}

bool WindowReportWithheld() {
    return gWindowReportWithheld;
}

} // namespace vellumo::app
