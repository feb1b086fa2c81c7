// The window host in use and the headless host.
#include "diagnostic/WindowHost.h"

#include "diagnostic/frmMain.h"

namespace vellumo {
namespace {

WindowHost* g_host = nullptr;

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
    return g_host != nullptr ? *g_host : DefaultHost();
}

WindowHost* SetWindowHost(WindowHost* host) {
    WindowHost* previous = g_host;
    g_host = host;
    return previous;
}

} // namespace vellumo
