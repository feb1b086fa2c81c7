// How the desktop recognises the program's windows: the desktop entry they belong to and the
// icon they show.
#pragma once

namespace vellumo::ui {

// The desktop entry's id (its file name without ".desktop"): the X11 window class of every window
// (the entry's StartupWMClass) and the Wayland app id.
inline constexpr const char* kDesktopEntryId = "com.kestrova.VellumoDiagnostic";

// Gives the application its identity: the class and app id above and the product's icon (built
// into the window module, so a program run from its build folder or a moved tree has it too) for
// every window and message box. Call after the QApplication exists and before any window is
// created.
void ApplyDesktopIdentity();

} // namespace vellumo::ui
