// The services a build with a toolkit runs the program with: its UI service, its window host and
// its dialog backend, installed together for the guard's lifetime (the whole program).
#pragma once

#include "diagnostic/WindowHost.h"
#include "library/DialogBackend.h"
#include "platform/UiService.h"

namespace vellumo {

class ProgramServices {
public:
    ProgramServices(ui::UiService& ui, WindowHost& windows, DialogBackend& dialogs)
        : ui_(ui), windows_(windows), dialogs_(dialogs) {}

private:
    ui::ScopedUi ui_;
    ScopedWindowHost windows_;
    ScopedDialogBackend dialogs_;
};

} // namespace vellumo
