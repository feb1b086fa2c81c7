// Entry point on Linux: the Qt window when a display exists, else the headless run that writes
// the report to standard output (exit 0 when the window would have been shown, 1 otherwise).
#include "diagnostic/modMain.h"
#include "library/DialogBackend.h"
#include "library/qt/QtDialogBackend.h"
#include "ui/HeadlessUi.h"
#include "ui/qt/QtUi.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

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

} // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    if (!HasDisplay())
        return RunHeadless();

    QApplication app(argc, argv);
    vellumo::ui::QtUi ui;
    vellumo::ui::ScopedUi scoped(ui);
    // The common-dialog wrappers show Qt's dialogs in this build.
    vellumo::QtDialogBackend dialogs;
    vellumo::ScopedDialogBackend scopedDialogs(dialogs);
    vellumo::modMain::Main();
    if (!ui.WindowShown())
        return 0; // the run ended before the window, as the product does
    return QApplication::exec();
}
