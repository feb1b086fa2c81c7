// The window module on Linux: the Qt application, UI service, dialog backend and the run with a
// window. The program loads it only when a display exists.
#include "diagnostic/modMain.h"
#include "library/DialogBackend.h"
#include "library/qt/QtDialogBackend.h"
#include "ui/qt/QtUi.h"

#include <QApplication>

extern "C" __attribute__((visibility("default"))) int vellumo_run_with_window(int argc, char* argv[]) {
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
