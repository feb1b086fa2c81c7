// Entry point on Linux: with a display that can be opened, the window module (Qt) runs the program
// with its window; otherwise the headless run writes the report to standard output (exit 0 when
// the window would have been shown, 1 when the run ended before it).
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
    if (HasDisplay()) {
        if (window_module::Entry runWithWindow = LoadWindowModule()) {
            std::array<char, kReasonSize> reason{};
            const int status = runWithWindow(argc, argv, reason.data(), reason.size());
            if (status != window_module::kNoDisplay)
                return status;
            std::fprintf(stderr,
                         "VellumoDiagnostic: cannot open the display (%s); the report follows.\n",
                         reason.data());
        }
    }
    return RunHeadless();
}
