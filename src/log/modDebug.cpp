// Debug mode: reads the registry switch and, when it is on, starts the log and warns the user.
#include "log/modDebug.h"

#include "BuildSettings.h"
#include "log/ReportError.h"
#include "log/modLog.h"
#include "platform/RegistryApi.h"
#include "platform/RuntimeError.h"
#include "platform/UiService.h"
#include "platform/modFileA.h"
#include "platform/modRegistry.h"
#include "state/PathSet.h"

#include <cstdint>

namespace vellumo::modDebug {

namespace {

// The product's registry root followed by its subkey Debug. The program never writes the switch.
constexpr const char* kDebugKey = "Software\\Kestrova\\Vellumo\\Debug";
constexpr const char* kDebugSwitch = "On";
// Only a REG_DWORD holding exactly this turns debug mode on; anything else, missing included, is
// off.
constexpr int32_t kDebugOn = 1;
// The log file of earlier versions, removed when a debug session starts.
constexpr const char* kOldLogFile = "Log.txt";

constexpr const char* kDebugModeNotice =
    "The program runs in debug mode.\r\n\r\n"
    "Please remember to turn the debug mode off once the logging session is finished.\r\n"
    "(You can do that by clicking menu item Tools | Advanced and deselecting check box 'Debug "
    "Mode'.)";

} // namespace

void InitializeDebugging() {
    // A registry store that cannot be used is said on standard error by the store itself; in
    // debug mode the log says it too.
    regapi::SetStoreProblemObserver(
        [](const std::string& problem) { DebugLog("Registry store: " + problem); });
    try {
        const int32_t lngDebug =
            modRegistry::GetRegLong(HKEY_CURRENT_USER, kDebugKey, kDebugSwitch, 0);
        gblnDebugMode = lngDebug == kDebugOn;
        if (lngDebug == kDebugOn) {
            // Without a log folder the old name would point into the current folder, which holds
            // someone else's file of that name: nothing is deleted then.
            if (!modMain::LogPath.empty())
                modFileA::KillFile(modMain::LogPath + kOldLogFile);
            modLog::LogMsg("Paths initialized");
            ui::Ui().MsgBox(kDebugModeNotice, ui::MsgIcon::Information, build::kAppTitle);
            modLog::LogMsg("Starting program");
        }
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modDebug", "InitializeDebugging", "");
    }
}

} // namespace vellumo::modDebug
