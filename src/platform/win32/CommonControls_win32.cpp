// Common controls on Windows: registers the extended combo-box class with InitCommonControlsEx.
#include "platform/CommonControls.h"

#include <windows.h>

#include <commctrl.h>

namespace vellumo {
namespace {

// The record's size as the call checks it, and ICC_USEREX_CLASSES.
constexpr DWORD kRecordSize = 8;
constexpr DWORD kUserExClasses = 0x200;

} // namespace

void InitCommonControlsUserEx() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = kRecordSize;
    controls.dwICC = kUserExClasses;
    // Every failure is ignored: the window uses only the standard classes.
    InitCommonControlsEx(&controls);
}

} // namespace vellumo
