// Entry point on Linux: with a display, the window module (Qt) runs the program with its window;
// without one, the headless run writes the report to standard output (exit 0 when the window
// would have been shown, 1 otherwise).
#include "diagnostic/modMain.h"
#include "platform/SystemProbes.h"
#include "ui/HeadlessUi.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

// The window module's file name, beside the program.
constexpr const char* kWindowModule = "libvellumo-gui.so";
constexpr const char* kWindowEntry = "vellumo_run_with_window";

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

int RunHeadless() {
    vellumo::ui::HeadlessUi ui;
    vellumo::ui::ScopedUi scoped(ui);
    vellumo::modMain::Main();
    if (!ui.WindowShown())
        return 1;
    const std::string& report = vellumo::modMain::gstrDiagnosticReport;
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    return 0;
}

using WindowEntry = int (*)(int, char**);

// The module's entry, or nullptr (with the reason on standard error) when it cannot be loaded.
WindowEntry LoadWindowModule() {
    const std::string path = vellumo::probes::ExecutableFolder() + "/" + kWindowModule;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "VellumoDiagnostic: cannot load the window module: %s\n", dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<WindowEntry>(dlsym(module, kWindowEntry));
    if (entry == nullptr)
        std::fprintf(stderr, "VellumoDiagnostic: %s has no entry %s\n", path.c_str(), kWindowEntry);
    return entry;
}

} // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    if (HasDisplay()) {
        if (WindowEntry runWithWindow = LoadWindowModule())
            return runWithWindow(argc, argv);
        std::fprintf(stderr, "VellumoDiagnostic: running without a window; the report follows.\n");
    }
    return RunHeadless();
}
