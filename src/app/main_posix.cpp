// Entry point on Linux: with a display that can be opened, the window module (Qt) runs the program
// with its window; otherwise the headless run writes the report to standard output (exit 0 when
// the window would have been shown, 1 when the run ended before it). Options (app/CommandLine.h)
// ask for the report as a document instead, or for the redacted report in the window.
#include "InstallLayout.h"
#include "app/CommandLine.h"
#include "app/ReportRun.h"
#include "diagnostic/WindowHost.h"
#include "diagnostic/modMain.h"
#include "platform/SystemProbes.h"
#include "ui/HeadlessUi.h"

#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

// The window module's file name, beside the program or in its installed folder.
constexpr const char* kWindowModule = "libvellumo-gui.so";
constexpr const char* kWindowEntry = "vellumo_run_with_window";
// What the window module's entry returns when no display can be opened.
constexpr int kNoDisplay = -1;
constexpr size_t kReasonSize = 512;
constexpr int kTrouble = 2;

// Qt's own command-line options, which its window takes from the same command line.
const vellumo::app::ToolkitOptions kQtOptions{
    {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
     "-qwindowicon", "-qwindowtitle", "-session", "-style", "-stylesheet", "-display", "-geometry"},
    {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"}};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
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

using WindowEntry = int (*)(int, char**, char*, size_t);

// The module's entry, or nullptr (with the reason on standard error) when it cannot be loaded.
WindowEntry LoadWindowModule() {
    const std::string path =
        vellumo::probes::CompanionFile(kWindowModule, vellumo::build::kWindowModuleFolder);
    if (path.empty()) {
        std::fprintf(stderr,
                     "VellumoDiagnostic: cannot load the window module (%s is neither beside the "
                     "program nor in %s); the report follows.\n",
                     kWindowModule, vellumo::build::kWindowModuleFolder);
        return nullptr;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr,
                     "VellumoDiagnostic: cannot load the window module (%s); the report follows.\n",
                     dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<WindowEntry>(dlsym(module, kWindowEntry));
    if (entry == nullptr)
        std::fprintf(stderr, "VellumoDiagnostic: %s has no entry %s; the report follows.\n",
                     path.c_str(), kWindowEntry);
    return entry;
}

} // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    const vellumo::app::CommandLine commandLine =
        vellumo::app::ReadCommandLine({argv + 1, argv + argc}, kQtOptions);
    if (commandLine.action != vellumo::app::CommandLine::Action::Run)
        return vellumo::app::Answer(commandLine);
    const vellumo::app::ProgramOptions& options = commandLine.options;
    if (HasDisplay() && !options.Headless()) {
        if (options.redact)
            vellumo::app::ShowRedactedReportInWindow();
        if (WindowEntry runWithWindow = LoadWindowModule()) {
            std::array<char, kReasonSize> reason{};
            const int status = runWithWindow(argc, argv, reason.data(), reason.size());
            if (status != kNoDisplay)
                return vellumo::app::WindowReportWithheld() ? kTrouble : status;
            std::fprintf(stderr,
                         "VellumoDiagnostic: cannot open the display (%s); the report follows.\n",
                         reason.data());
        }
    }
    return options.Any() ? vellumo::app::RunForSupport(options) : RunHeadless();
}
