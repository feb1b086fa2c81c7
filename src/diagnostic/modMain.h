// The start-up sequence and its globals: the diagnostic report, the path set, the product's
// defaults, the installation checks and the small queries they use.
#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vellumo::modMain {

// ---- The diagnostic report and the run's facts ----
// One text of lines, each ended by CR LF; the OS line replaces it, every later line is appended.
extern std::string gstrDiagnosticReport;
extern bool ScriptingRuntimePresent;
extern std::string WindowsUserName;
extern std::string gstrOSVersion;

// ---- Path set; every folder ends with the path separator ----
extern std::string AppPath;
extern std::string MyDocsPath;
extern std::string CommonDocsPath;
extern std::string DataPath; // also the setting DataPath of the option files
extern std::string DefaultDataPath;
extern std::string AutoBackupPath; // also the setting AutoBackupPath
extern std::string DefaultAutoBackupPath;
extern std::string DefaultOneClickBackupPath;
extern std::string ConfigPath;
extern std::string CommonConfigPath;
extern std::string DbPath;
extern std::string ExportPath;
extern std::string CalendarPath;
extern std::string LogPath;

// ---- Defaults set by InitializeDefaults ----
extern std::string gstrStatusText;
extern std::string gstrProductName;
extern std::string gstrAppTitle;
extern std::string gstrUserNameForDb;
extern std::string gstrDateFormatLong;
extern std::string gstrDateFormatShort;
extern std::string gstrTimeFormat;
extern std::string gstrDefaultFontName;
extern Currency gcurDefaultFontSize;
extern std::string gstrDefaultFixedFontName;
extern int16_t gintDefaultFixedFontSize;
extern int32_t glngDefaultBackColorEdit;
extern int32_t glngDefaultBackColorTree;

// ---- Start-up sequence ----
// The whole run up to showing the window (or its early end). Never throws.
void Main();
// Appends label + value + CR LF to the report.
void AppendReportLine(const std::string& line);

void GetOSDetails(std::string& ComputerName, std::string& Language, int32_t& OSBuild,
                  int32_t& OSMajorVersion, int32_t& OSMinorVersion, int32_t& WindowsType);
// The version numbers as 16-bit integers: throw RuntimeError 6 when a value does not fit.
[[nodiscard]] int16_t GetOSMajorVersion();
[[nodiscard]] int16_t GetOSMinorVersion();
[[nodiscard]] int16_t GetOSBuild();
[[nodiscard]] std::string GetOSAdditional();
void InitializeCommonControls();
void LogPaths();

// ---- Paths and defaults ----
void InitializeDefaults();
void InitializePaths();
[[nodiscard]] std::string AddBackslash(const std::string& path);
[[nodiscard]] std::string GetWindowsUserName();
[[nodiscard]] std::string FixApostrophes(const std::string& text);
[[nodiscard]] std::string TruncateText(const std::string& text, int32_t maxLength);

// ---- Installation checks ----
void CheckDatabase();
void CheckExtraFiles();
[[nodiscard]] bool CheckMDAC();
[[nodiscard]] double GetMDACVersion();
[[nodiscard]] bool IsScriptingRuntimePresent();

// ---- Test seams ----
// The program's folder (without trailing separator); defaults to the executable's folder (the
// empty text when that cannot be read). An empty folder restores the default.
void SetProgramFolderForTesting(std::string folder);
[[nodiscard]] std::string ProgramFolder();
// Replaces the data-access version probe (the SQLite library's version by default). A probe
// that throws stands for components that cannot be created. An empty probe restores the default.
void SetDataAccessVersionProbeForTesting(std::function<std::string()> probe);
// Replaces the scripting-runtime probe (an executable /bin/sh by default). A probe that throws
// counts as absent. An empty probe restores the default.
void SetScriptingRuntimeProbeForTesting(std::function<bool()> probe);
// Restores the three seams above to their defaults.
void ResetSeams();

// Called by Main with the name of each stage just before it runs ("InitializeDefaults",
// "InitializePaths", "InitializeDebugging", "CheckDatabase", "Settings_Read_FromRegistry",
// "CheckExtraFiles", "CheckMDAC", "InitializeCommonControls", "IsScriptingRuntimePresent",
// "LogPaths", "ShowDiagnosticWindow"); a hook may throw to simulate a failing stage.
void SetStageHookForTesting(std::function<void(const std::string& stage)> hook);

// Restores every global of this module to its start value.
void ResetState();

} // namespace vellumo::modMain

namespace vellumo::modDatabase {
// Doubles apostrophes, truncates, and keeps apostrophes in pairs at the end.
[[nodiscard]] std::string PrepareForSavingIntoDb(const std::string& text, int32_t maxLength);
} // namespace vellumo::modDatabase
