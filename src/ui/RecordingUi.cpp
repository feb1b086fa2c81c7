// The recording UI service's window: the load and first activation run as in the headless mode.
#include "ui/RecordingUi.h"

#include "diagnostic/frmMain.h"

namespace vellumo::ui {

void RecordingUi::ShowDiagnosticWindow() {
    frmMain form;
    form.Form_Load();
    form.Form_Activate();
    ++windowsShown;
}

} // namespace vellumo::ui
