// Entry point on Windows: the Win32 UI service, the start-up sequence, then the window's message
// loop until the window is closed. A run that ends before the window (the data-access check)
// ends the program at once. Options (app/CommandLine.h) ask for the report as a document on the
// console or redirected standard output instead, or for the redacted report in the window.
#include "app/CommandLine.h"
#include "app/ProgramServices.h"
#include "app/ReportRun.h"
#include "diagnostic/modMain.h"
#include "platform/CodePage.h"
#include "platform/StandardStreams.h"
#include "ui/win32/Win32DialogBackend.h"
#include "ui/win32/Win32Ui.h"

#include <windows.h>

#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTrouble = 2;

// The C runtime's arguments (in the code page) as UTF-8, without the program's name.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.push_back(vellumo::FromAnsi(__argv[i]));
    return arguments;
}

} // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    vellumo::app::ProgramOptions options;
    if (__argc > 1) {
        vellumo::streams::ConnectStandardStreams();
        const vellumo::app::CommandLine commandLine = vellumo::app::ReadCommandLine(Arguments());
        if (commandLine.action != vellumo::app::CommandLine::Action::Run)
            return vellumo::app::Answer(commandLine);
        options = commandLine.options;
    }
    // The shell launches and the automation probes want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (options.Headless()) {
        const int status = vellumo::app::RunForSupport(options);
        if (SUCCEEDED(com))
            CoUninitialize();
        return status;
    }
    if (options.redact)
        vellumo::app::ShowRedactedReportInWindow();
    vellumo::ui::Win32Ui ui;
    // The common-dialog wrappers show the system's dialogs in this build.
    vellumo::Win32DialogBackend dialogs;
    const vellumo::ProgramServices services(ui, ui, dialogs);
    vellumo::modMain::Main();
    int exitCode = 0;
    if (ui.WindowShown())
        exitCode = ui.RunMessageLoop();
    if (SUCCEEDED(com))
        CoUninitialize();
    return vellumo::app::WindowReportWithheld() ? kTrouble : exitCode;
}
