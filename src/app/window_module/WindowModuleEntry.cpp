// The window module on Linux: the Qt application, UI service, dialog backend and the run with a
// window. The program loads it only when a display may exist.
#include "app/ProgramServices.h"
#include "app/WindowModule.h"
#include "diagnostic/modMain.h"
#include "library/DialogBackend.h"
#include "ui/qt/DesktopIdentity.h"
#include "ui/qt/DisplayProbe.h"
#include "ui/qt/QtDialogBackend.h"
#include "ui/qt/QtUi.h"

#include <QApplication>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// The window module's entry (window_module::Entry).
extern "C" __attribute__((visibility("default"))) int
vellumo_run_with_window(int argc, char* argv[], char* reason, size_t reasonSize) {
    const vellumo::ui::DisplayChoice display = vellumo::ui::ChooseDisplay();
    if (!display.usable) {
        if (reasonSize > 0) {
            const size_t length = std::min(display.reason.size(), reasonSize - 1);
            std::memcpy(reason, display.reason.data(), length);
            reason[length] = '\0';
        }
        return vellumo::window_module::kNoDisplay;
    }
    std::vector<std::string> arguments(argv, argv + argc);
    arguments.insert(arguments.end(), display.platformArguments.begin(),
                     display.platformArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& argument : arguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(arguments.size());

    QApplication app(qtArgc, qtArgv.data());
    vellumo::ui::ApplyDesktopIdentity();
    vellumo::ui::QtUi ui;
    // The common-dialog wrappers show Qt's dialogs in this build.
    vellumo::QtDialogBackend dialogs;
    const vellumo::ProgramServices services(ui, ui, dialogs);
    vellumo::modMain::Main();
    if (!ui.WindowShown())
        return 0; // the run ended before the window: nothing more to show
    const int status = QApplication::exec();
    // A copied report stays on the clipboard after the program has ended: the user pastes it into
    // the message to support afterwards.
    ui.KeepClipboardAfterExit();
    return status;
}
