// The start-up sequence: Main, the report, the OS queries and the debug-mode path log.
#include "diagnostic/modMain.h"

#include "BuildSettings.h"
#include "diagnostic/WindowHost.h"
#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/COSInfo.h"
#include "platform/CommonControls.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/UiService.h"
#include "settings/modOptions.h"

namespace vellumo::modMain {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "diagnostic/modMain_globals.def"
#undef VELLUMO_GLOBAL

namespace {

// Progress values of Main for the error report.
constexpr int32_t kLineDefaults = 1;
constexpr int32_t kLineCommonControls = 4;

// The longest user name kept for the database.
constexpr int32_t kUserNameForDbLength = 50;
constexpr int32_t kWhite = 16777215;

std::function<void(const std::string&)>& StageHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

// Lets a test observe the order of the stages and make one fail.
void Stage(const std::string& name) {
    if (StageHook())
        StageHook()(name);
}

} // namespace

void Main() {
    int32_t DebugLineNum = 0;
    try {
        ui::Ui().SetMousePointer(ui::kPointerHourglass);

        DebugLineNum = kLineDefaults;
        Stage("InitializeDefaults");
        InitializeDefaults();

        std::string ComputerName, Language;
        int32_t OSBuild = 0, OSMajorVersion = 0, OSMinorVersion = 0, WindowsType = 0;
        GetOSDetails(ComputerName, Language, OSBuild, OSMajorVersion, OSMinorVersion, WindowsType);
        gstrDiagnosticReport = "OS: " + gstrOSVersion + " " + Language + std::string(kCrLf);
        AppendReportLine("WindowsUserName: " + WindowsUserName);

        Stage("InitializePaths");
        InitializePaths();
        AppendReportLine("AppPath: " + AppPath);
        AppendReportLine("MyDocsPath: " + MyDocsPath);
        AppendReportLine("CommonDocsPath: " + CommonDocsPath);
        AppendReportLine("DataPath: " + DataPath);
        AppendReportLine("AutoBackupPath: " + AutoBackupPath);
        AppendReportLine("DbPath: " + DbPath);
        AppendReportLine("ConfigPath: " + ConfigPath);
        AppendReportLine("LogPath: " + LogPath);

        Stage("InitializeDebugging");
        modDebug::InitializeDebugging();
        Stage("CheckDatabase");
        CheckDatabase();
        Stage("Settings_Read_FromRegistry");
        (void)modOptions::Settings_Read_FromRegistry();
        Stage("CheckExtraFiles");
        CheckExtraFiles();
        Stage("CheckMDAC");
        if (CheckMDAC()) {
            DebugLineNum = kLineCommonControls;
            Stage("InitializeCommonControls");
            InitializeCommonControls();
            Stage("IsScriptingRuntimePresent");
            ScriptingRuntimePresent = IsScriptingRuntimePresent();
            if (modDebug::gblnDebugMode && !ScriptingRuntimePresent)
                DebugLog("Scripting Runtime not present.");
            Stage("LogPaths");
            LogPaths();
            AppendReportLine(std::string("ScriptingRuntimePresent: ") +
                             BoolText(ScriptingRuntimePresent));
            Stage("ShowDiagnosticWindow");
            Windows().ShowDiagnosticWindow();
        }
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        if (e.Number() != err::kUnloadDuringLoad)
            ReportError(e.Number(), e.Description(), "modMain", "Main",
                        "DebugLineNum = " + std::to_string(DebugLineNum));
    }
}

void GetOSDetails(std::string& ComputerName, std::string& Language, int32_t& OSBuild,
                  int32_t& OSMajorVersion, int32_t& OSMinorVersion, int32_t& WindowsType) {
    ComputerName.clear();
    Language.clear();
    OSBuild = OSMajorVersion = OSMinorVersion = WindowsType = 0;
    COSInfo info;
    ComputerName = info.ComputerName();
    Language = info.Language();
    OSBuild = info.OSBuild();
    OSMajorVersion = info.OSMajorVersion();
    OSMinorVersion = info.OSMinorVersion();
    WindowsType = info.WindowsType();
}

int16_t GetOSMajorVersion() {
    return ToInteger(COSInfo().OSMajorVersion());
}
int16_t GetOSMinorVersion() {
    return ToInteger(COSInfo().OSMinorVersion());
}
int16_t GetOSBuild() {
    return ToInteger(COSInfo().OSBuild());
}
std::string GetOSAdditional() {
    return COSInfo().OSAdditional();
}

void InitializeCommonControls() {
    InitCommonControlsUserEx();
}

void LogPaths() {
    if (!modDebug::gblnDebugMode)
        return;
    DebugLog("AppPath = " + AppPath);
    DebugLog("MyDocsPath = " + MyDocsPath);
    DebugLog("CommonDocsPath = " + CommonDocsPath);
    DebugLog("DataPath = " + DataPath);
    DebugLog("DbPath = " + DbPath);
    DebugLog("DefaultDataPath = " + DefaultDataPath);
    DebugLog("CommonConfigPath = " + CommonConfigPath);
    // The revision is a fixed text, not read from the version resource.
    DebugLog("App ver = " + std::to_string(build::kVersionMajor) + "." +
             std::to_string(build::kVersionMinor) + "." + "134");
}

void InitializeDefaults() {
    try {
        gstrOSVersion = std::to_string(GetOSMajorVersion()) + "." +
                        std::to_string(GetOSMinorVersion()) + "." + std::to_string(GetOSBuild()) +
                        " " + GetOSAdditional();
        gstrStatusText = "Press F6 to create a new Branch, F8 to create a new Item";
        gstrProductName = "Vellumo";
        gstrAppTitle = gstrProductName;
        WindowsUserName = GetWindowsUserName();
        gstrUserNameForDb =
            modDatabase::PrepareForSavingIntoDb(WindowsUserName, kUserNameForDbLength);
        gstrDateFormatLong = "MMMM DD, YYYY";
        gstrDateFormatShort = "YYYY-MM-DD";
        gstrTimeFormat = "hh:mm";
        modOptions::gblnMRUUseRegistry = true;
        gstrDefaultFontName = "Calibri";
        gcurDefaultFontSize = Currency::FromWhole(11);
        gstrDefaultFixedFontName = "Courier New";
        gintDefaultFixedFontSize = 10;
        modOptions::AutoStartCalendar = modOptions::kFalse;
        modOptions::BackColorEdit = kWhite;
        modOptions::BackColorTree = kWhite;
        glngDefaultBackColorEdit = kWhite;
        glngDefaultBackColorTree = kWhite;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMain", "InitializeDefaults");
    }
}

std::string GetWindowsUserName() {
    std::string name = COSInfo().UserName();
    if (name.empty())
        name = "Administrator";
    return name;
}

std::string FixApostrophes(const std::string& text) {
    std::string result;
    try {
        result.reserve(text.size() + 8);
        for (char c : text) {
            result += c;
            if (c == '\'')
                result += '\'';
        }
        return result;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMain", "FixApostrophes");
        return result;
    }
}

std::string TruncateText(const std::string& text, int32_t maxLength) {
    if (maxLength < 0)
        maxLength = 0;
    if (static_cast<size_t>(maxLength) < CharLength(text))
        return LeftChars(text, static_cast<size_t>(maxLength));
    return text;
}

void SetStageHookForTesting(std::function<void(const std::string& stage)> hook) {
    StageHook() = std::move(hook);
}

void ResetState() {
    StageHook() = nullptr;
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "diagnostic/modMain_globals.def"
#undef VELLUMO_GLOBAL
    ResetReport();
    ResetPathSet();
    ResetDefaults();
}

} // namespace vellumo::modMain

namespace vellumo::modDatabase {

std::string PrepareForSavingIntoDb(const std::string& text, int32_t maxLength) {
    std::string result;
    try {
        result = modMain::TruncateText(modMain::FixApostrophes(text), maxLength);
        if (CharLength(result) < 2) {
            if (result == "'")
                result = "\"";
        } else {
            // Every apostrophe is doubled, so only a cut through the last pair can leave an odd
            // run at the end; an odd run would close the quoted database field early.
            const size_t lastOther = result.find_last_not_of('\'');
            const size_t run = result.size() - (lastOther == std::string::npos ? 0 : lastOther + 1);
            if (run % 2 == 1)
                result.pop_back();
        }
        return result;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modDatabase", "PrepareForSavingIntoDb");
        return result;
    }
}

} // namespace vellumo::modDatabase
