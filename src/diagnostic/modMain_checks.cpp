// The installation checks: master database file, icon files, data-access version, scripting
// runtime.
#include "diagnostic/modMain.h"

#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/NumberText.h"
#include "platform/PathSeparator.h"
#include "platform/RuntimeError.h"
#include "platform/SystemProbes.h"
#include "platform/modAPIFilesAndPaths.h"
#include "platform/modFileA.h"

#include <utility>

namespace vellumo::modMain {

namespace {

// Older data-access components lack what the product needs: the run ends without a window.
constexpr double kMinimumDataAccessVersion = 2.5;

// The icon files the product's main program shows, in the order they are reported.
constexpr const char* kIconFiles[] = {"kestroclr.bmp", "kestroclrsm.bmp"};
constexpr const char* kIconFolder = "Icons";

std::function<std::string()>& DataAccessVersionProbe() {
    static std::function<std::string()> probe;
    return probe;
}

std::function<bool()>& ScriptingRuntimeProbe() {
    static std::function<bool()> probe;
    return probe;
}

} // namespace

void CheckDatabase() {
    try {
        DebugLog("DbPath = " + DbPath);
        if (modFileA::FileExists(DbPath)) {
            // -1 when the file cannot be opened for reading and writing; reported as it is.
            const std::string size = std::to_string(modAPIFilesAndPaths::GetFileSize(DbPath));
            AppendReportLine("Master file exists: " + DbPath);
            AppendReportLine("Master file size: " + size);
            DebugLog("Master file exists; size " + size);
        } else {
            DebugLog("Master file doesn't exist.");
            AppendReportLine("Master file doesn't exist: " + DbPath);
        }
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMain", "CheckDatabase");
    }
}

void CheckExtraFiles() {
    try {
        // The program's folder as the platform reports it, not AppPath.
        const std::string iconFolder =
            ProgramFolder() + kPathSeparator + kIconFolder + kPathSeparator;
        for (const char* name : kIconFiles) {
            const std::string path = iconFolder + name;
            AppendReportLine(
                (modFileA::FileExists(path) ? "File exists: " : "File doesn't exist: ") + path);
        }
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMain", "CheckExtraFiles");
    }
}

double GetMDACVersion() {
    std::string versionText;
    double version = 0;
    try {
        versionText =
            DataAccessVersionProbe() ? DataAccessVersionProbe()() : probes::DataAccessVersionText();
        // "2.81.1117.0" reads as 2.81; a text without a leading number as 0.
        version = LeadingNumber(versionText);
    } catch (...) {
        // Components that cannot be created: no version text, version 0.
        versionText.clear();
        version = 0;
    }
    DebugLog("MDAC Version = " + versionText);
    return version;
}

bool CheckMDAC() {
    const double version = GetMDACVersion();
    const std::string formatted = FormatDouble(version); // the user's decimal separator
    AppendReportLine("MDAC: " + formatted);
    DebugLog("MDAC installed: " + formatted);
    if (version >= kMinimumDataAccessVersion)
        return true;
    DebugLog("MDAC Missing Or Out Of Date");
    return false;
}

bool IsScriptingRuntimePresent() {
    try {
        return ScriptingRuntimeProbe() ? ScriptingRuntimeProbe()()
                                       : probes::ScriptingRuntimeAvailable();
    } catch (...) {
        return false;
    }
}

void SetDataAccessVersionProbeForTesting(std::function<std::string()> probe) {
    DataAccessVersionProbe() = std::move(probe);
}

void SetScriptingRuntimeProbeForTesting(std::function<bool()> probe) {
    ScriptingRuntimeProbe() = std::move(probe);
}

void ResetSeams() {
    SetProgramFolderForTesting({});
    SetDataAccessVersionProbeForTesting({});
    SetScriptingRuntimeProbeForTesting({});
}

} // namespace vellumo::modMain
