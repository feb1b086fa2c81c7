// The window host in use and the headless host.
#include "diagnostic/WindowHost.h"

#include "diagnostic/frmMain.h"

namespace vellumo {
namespace {

WindowHost& DefaultHost() {
    static HeadlessWindowHost headless;
    return headless;
}

} // namespace

void HeadlessWindowHost::ShowDiagnosticWindow() {
    frmMain form;
    form.Form_Load();
    form.Form_Activate();
    ++shown_;
}

WindowHost& Windows() {
    return ServiceSlot<WindowHost>::Get(DefaultHost());
}

WindowHost* SetWindowHost(WindowHost* host) {
    return ServiceSlot<WindowHost>::Set(host);
}

} // namespace vellumo
