// Debug mode: the registry switch HKCU\Software\Kestrova\Vellumo\Debug, value "On" = DWORD 1.
#pragma once

#include <string_view>

namespace vellumo::modDebug {

// True when debug mode is on; False until InitializeDebugging has run.
extern bool gblnDebugMode;

// Reads the switch; in debug mode deletes LogPath + "Log.txt", logs, shows the information box.
void InitializeDebugging();

// Restores the start values.
void ResetState();

} // namespace vellumo::modDebug

namespace vellumo {
// "When a text is logged": LogMsg only while the debug flag is on.
void DebugLog(std::string_view message);
} // namespace vellumo
