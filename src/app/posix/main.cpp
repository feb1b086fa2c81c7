// Entry point on Linux: with a display that can be opened, the window module (Qt) runs the program
// with its window; otherwise the headless run writes the report to standard output (exit 0 when
// the window would have been shown, 1 when the run ended before it). Options (app/CommandLine.h)
// ask for the report as a document instead, or for the redacted report in the window.
#include "app/CommandLine.h"
#include "app/ReportRun.h"
#include "app/WindowModule.h"
#include "diagnostic/WindowHost.h"
#include "diagnostic/modMain.h"
#include "platform/Environment.h"
#include "platform/HeadlessUi.h"
#include "platform/SystemProbes.h"

#include <array>
#include <clocale>
#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace {

using namespace vellumo;

constexpr size_t kReasonSize = 512;
constexpr int kTrouble = 2;

// Qt's own command-line options, which its window takes from the same command line.
const app::ToolkitOptions kQtOptions{
    {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
     "-qwindowicon", "-qwindowtitle", "-session", "-style", "-stylesheet", "-display", "-geometry"},
    {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"}};

bool HasDisplay() {
    return HasEnvironmentValue("DISPLAY") || HasEnvironmentValue("WAYLAND_DISPLAY");
}

// The report goes out whether or not the run reached the window: a run that ended early still
// tells support how far it got.
int RunHeadless() {
    vellumo::ui::HeadlessUi ui;
    vellumo::ui::ScopedUi scoped(ui);
    vellumo::HeadlessWindowHost windows;
    vellumo::ScopedWindowHost scopedWindows(windows);
    vellumo::modMain::Main();
    const std::string& report = vellumo::modMain::gstrDiagnosticReport;
    std::fwrite(report.data(), 1, report.size(), stdout);
    if (std::fflush(stdout) != 0)
        return 1;
    return windows.WindowShown() ? 0 : 1;
}

// The module's entry, or nullptr (with the reason on standard error) when it cannot be loaded.
window_module::Entry LoadWindowModule() {
    const std::string path = probes::CompanionFile(window_module::kFileName);
    if (path.empty()) {
        std::fprintf(stderr,
                     "VellumoDiagnostic: cannot load the window module (%s is not beside the "
                     "program); the report follows.\n",
                     window_module::kFileName);
        return nullptr;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr,
                     "VellumoDiagnostic: cannot load the window module (%s); the report follows.\n",
                     dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<window_module::Entry>(dlsym(module, window_module::kEntryName));
    if (entry == nullptr)
        std::fprintf(stderr, "VellumoDiagnostic: %s has no entry %s; the report follows.\n",
                     path.c_str(), window_module::kEntryName);
    return entry;
}

} // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    const app::CommandLine commandLine = app::ReadCommandLine({argv + 1, argv + argc}, kQtOptions);
    if (commandLine.action != app::CommandLine::Action::Run)
        return app::Answer(commandLine);
    const app::ProgramOptions& options = commandLine.options;
    if (HasDisplay() && !options.Headless()) {
        if (options.redact)
            app::ShowRedactedReportInWindow();
        if (window_module::Entry runWithWindow = LoadWindowModule()) {
            std::array<char, kReasonSize> reason{};
            const int status = runWithWindow(argc, argv, reason.data(), reason.size());
            if (status != window_module::kNoDisplay)
                return app::WindowReportWithheld() ? kTrouble : status;
            std::fprintf(stderr,
                         "VellumoDiagnostic: cannot open the display (%s); the report follows.\n",
                         reason.data());
        }
    }
    return options.Any() ? app::RunForSupport(options) : RunHeadless();
}
