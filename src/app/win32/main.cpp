// Entry point on Windows: the Win32 UI service, the start-up sequence, then the window's message
// loop until the window is closed. A run that ends before the window (the data-access check)
// ends the program at once.
#include "app/ProgramServices.h"
#include "diagnostic/modMain.h"
#include "ui/win32/Win32DialogBackend.h"
#include "ui/win32/Win32Ui.h"

#include <windows.h>

#include <objbase.h>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    // The shell launches and the automation probes want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
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
    return exitCode;
}
