// The product's user settings as process-wide variables, their option files ("options.ini",
// "auxiliary.ini"), their registry form and the one-time migration between them.
// Flags are 16-bit values, true -1 and false 0; sizes are fixed-point with four decimals.
// The settings DataPath and AutoBackupPath are the path globals modMain::DataPath and
// modMain::AutoBackupPath.
#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo::modOptions {

inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// The product's registry root under HKEY_CURRENT_USER (registry syntax: "\" on every platform).
inline constexpr std::string_view kRegistryRoot = "Software\\Kestrova\\Vellumo";

// ---- Setting variables ----
// One variable per option key (in options.ini then auxiliary.ini order), the recent-files flag
// and the file to open, each with its start value, listed once in OptionVariables.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "settings/OptionVariables.def"
#undef VELLUMO_GLOBAL

// ---- Option files (ConfigPath + "options.ini" / "auxiliary.ini") ----
// Failures never raise. pblnSilent True: an error is only logged (debug mode) as
// "Error in <procedure>: N. description. Error line: step"; False: it goes to ReportError with
// "Error line: " + step. The restores always use ReportError.

// Sets the options.ini settings (and OpenPathVlm, SavePathVlm) to their defaults; OptViewBars is
// left as it is. A failure leaves the settings after the failing one unchanged.
void Config_RestoreDefaults();
// Writes options.ini: "key,value" CR LF per entry in table order, then one more CR LF, in the
// code page. A failure leaves the file as far as it got (absent, emptied or complete).
void Config_Save(bool pblnSilent);
// Reads options.ini. Missing file: pblnSkipCreation True changes nothing; False restores the
// defaults and saves them. Result True only when the file existed and was read to its end.
// Values read before a failure are kept; all others keep their values. Afterwards an empty
// OneClickBackupPath becomes DefaultOneClickBackupPath.
bool Config_Read(bool pblnSilent, bool pblnSkipCreation);
void Aux_RestoreDefaults();
void Aux_Save(bool pblnSilent);
bool Aux_Read(bool pblnSilent, bool pblnSkipCreation);

// ---- Registry form and migration ----
// One font setting as it travels to and from "\Options\Fonts\" + instance.
struct OptionsFont {
    std::string Name;
    Currency Size;
    int16_t Italic = kFalse;
    int16_t Bold = kFalse;
    int16_t Strikeout = kFalse;
    int16_t Underline = kFalse;
    int32_t Color = 0;
};

// The settings step of the start-up: reads the registry when SavedInReg is set, otherwise
// migrates (defaults, option files, registry, "mru.ini") and sets the marker. Appends its report
// lines. Leaves gblnMRUUseRegistry True in every case. Never raises.
bool Settings_Read_FromRegistry();
// SavedInReg under "\Options" is a non-zero DWORD.
bool Settings_SavedInRegistry();
// Writes SavedInReg = 1.
bool Settings_SetSavedInRegistryFlag();
// Writes every setting (not SavedInReg); flags as the sign-extended 32-bit value.
bool Settings_Write_Reg();
// Reads every setting, missing or mistyped values giving their defaults; writes the DateTime
// font back so its key always exists afterwards.
bool Settings_Read_Reg();
// Writes the record; the size as a whole number rounded half to even.
bool SetOptionsFont(const OptionsFont& font, const std::string& pstrSubKeyName);
// Fills the record; missing values give the defaults (flags and colour 0).
bool GetOptionsFont_FromRegistry(OptionsFont& font, const std::string& pstrSubKeyName,
                                 const std::string& pstrDefaultFontName,
                                 Currency pcurDefaultFontSize);
// Copies "mru.ini" (left in place) into "\Files"; a missing file is no failure.
bool Settings_ConvertMRUToReg();

// The path when a file exists there (modFileA::FileExists), otherwise the empty text.
[[nodiscard]] std::string GetFileToOpen(const std::string& path);

// Restores every global of this module to its start value (OptionVariables.def).
void ResetState();

} // namespace vellumo::modOptions
