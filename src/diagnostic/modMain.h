// The start-up sequence: Main, the paths and defaults it derives (their globals are in state/),
// the installation checks and the small queries they use.
#pragma once

#include "state/Defaults.h"
#include "state/DiagnosticReport.h"
#include "state/PathSet.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vellumo::modMain {

// ---- The run's facts (the report, the path set and the defaults are in state/) ----
// Each with its start value, listed once in modMain_globals.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "diagnostic/modMain_globals.def"
#undef VELLUMO_GLOBAL

// ---- Start-up sequence ----
// The whole run up to showing the window (or its early end). Never throws.
void Main();

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

// Restores every global of this module to its start value: the run's facts, the report, the path
// set, the defaults and the stage hook.
void ResetState();

} // namespace vellumo::modMain

namespace vellumo::modDatabase {
// Doubles apostrophes, truncates, and keeps apostrophes in pairs at the end.
[[nodiscard]] std::string PrepareForSavingIntoDb(const std::string& text, int32_t maxLength);
} // namespace vellumo::modDatabase
