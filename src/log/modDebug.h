// Debug mode: the registry switch HKCU\Software\Kestrova\Vellumo\Debug, value "On" = DWORD 1.
#pragma once

#include <string_view>

namespace vellumo::modDebug {

// The module's state with its start values; ResetState restores this whole set.
struct DebugState {
    // True when debug mode is on; False until InitializeDebugging has run.
    bool gblnDebugMode = false;
};

// The module's state; the name below is its member.
extern DebugState gDebugState;

inline bool& gblnDebugMode = gDebugState.gblnDebugMode;

// Reads the switch; in debug mode deletes LogPath + "Log.txt", logs, shows the information box.
void InitializeDebugging();

// Restores the start values and removes the registry store's problem observer that
// InitializeDebugging installs.
void ResetState();

} // namespace vellumo::modDebug

namespace vellumo {
// "When a text is logged": LogMsg only while the debug flag is on.
void DebugLog(std::string_view message);
} // namespace vellumo
