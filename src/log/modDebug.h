// Debug mode: the registry switch HKCU\Software\Kestrova\Vellumo\Debug, value "On" = DWORD 1.
#pragma once

#include <string_view>

namespace vellumo::modDebug {

// Debug mode's globals, each with its start value, listed once in modDebug_globals.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "log/modDebug_globals.def"
#undef VELLUMO_GLOBAL

// Reads the switch; in debug mode deletes LogPath + "Log.txt", logs, shows the information box.
void InitializeDebugging();

// Restores the start values and removes the registry store's problem observer that
// InitializeDebugging installs.
void ResetState();

} // namespace vellumo::modDebug

namespace vellumo {
// Logs the message through LogMsg when debug mode is on, and does nothing otherwise: every stage
// logs through this, so a run without debug mode never touches the log folder.
void DebugLog(std::string_view message);
} // namespace vellumo
