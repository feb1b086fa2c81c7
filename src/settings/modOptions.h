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
// The module's globals with their start values (all empty, zero or False until the settings
// step has run); ResetState restores this whole set.
struct OptionsState {
    // One variable per option key, in options.ini then auxiliary.ini order.
    std::string FontName_Tree;
    Currency FontSize_Tree;
    int16_t FontBold_Tree = kFalse;
    int16_t FontItalic_Tree = kFalse;
    int16_t FontStrikeout_Tree = kFalse;
    int16_t FontUnderline_Tree = kFalse;
    int32_t FontColor_Tree = 0;
    std::string FontName_Edit;
    Currency FontSize_Edit;
    int16_t FontBold_Edit = kFalse;
    int16_t FontItalic_Edit = kFalse;
    int16_t FontStrikeout_Edit = kFalse;
    int16_t FontUnderline_Edit = kFalse;
    int32_t FontColor_Edit = 0;
    int32_t OptPasteAsText = 0;
    std::string FontName_PasteAsText;
    Currency FontSize_PasteAsText;
    int16_t FontBold_PasteAsText = kFalse;
    int16_t FontItalic_PasteAsText = kFalse;
    int16_t FontStrikeout_PasteAsText = kFalse;
    int16_t FontUnderline_PasteAsText = kFalse;
    int32_t FontColor_PasteAsText = 0;
    int32_t FormatDate = 0;
    int32_t FormatTime = 0;
    int16_t DateTimeFormat = kFalse;
    std::string FontName_DateTime;
    Currency FontSize_DateTime;
    int16_t FontBold_DateTime = kFalse;
    int16_t FontItalic_DateTime = kFalse;
    int16_t FontStrikeout_DateTime = kFalse;
    int16_t FontUnderline_DateTime = kFalse;
    int32_t FontColor_DateTime = 0;
    std::string FontName_QuickFormat;
    Currency FontSize_QuickFormat;
    int16_t FontBold_QuickFormat = kFalse;
    int16_t FontItalic_QuickFormat = kFalse;
    int16_t FontStrikeout_QuickFormat = kFalse;
    int16_t FontUnderline_QuickFormat = kFalse;
    int32_t FontColor_QuickFormat = 0;
    int16_t gblnAutoBackup = kFalse;
    int32_t OptViewBars = 0;
    int16_t SendDelToRecycleBin = kFalse;
    std::string OneClickBackupPath;
    int16_t AutoStartCalendar = kFalse;
    int32_t BackColorEdit = 0;
    int32_t BackColorTree = 0;
    int16_t gblnAutoSave = kFalse;
    std::string TreeCustomField1;
    std::string TreeCustomField2;
    std::string OpenPathVlm;
    std::string SavePathVlm;
    int32_t PromptForNodeDel = 0;
    int32_t PreserveState = 0;
    int16_t DontPromptForCompact = kFalse;

    // True when the recent-files list lives in the registry, False when in "mru.ini".
    bool gblnMRUUseRegistry = false;

    // The file the product would open at start (set by the window's load): the first recent
    // file when it exists, otherwise empty.
    std::string FileToOpen;
};

// The module's globals; each name below is one of its members.
extern OptionsState gOptionsState;

inline std::string& FontName_Tree = gOptionsState.FontName_Tree;
inline Currency& FontSize_Tree = gOptionsState.FontSize_Tree;
inline int16_t& FontBold_Tree = gOptionsState.FontBold_Tree;
inline int16_t& FontItalic_Tree = gOptionsState.FontItalic_Tree;
inline int16_t& FontStrikeout_Tree = gOptionsState.FontStrikeout_Tree;
inline int16_t& FontUnderline_Tree = gOptionsState.FontUnderline_Tree;
inline int32_t& FontColor_Tree = gOptionsState.FontColor_Tree;
inline std::string& FontName_Edit = gOptionsState.FontName_Edit;
inline Currency& FontSize_Edit = gOptionsState.FontSize_Edit;
inline int16_t& FontBold_Edit = gOptionsState.FontBold_Edit;
inline int16_t& FontItalic_Edit = gOptionsState.FontItalic_Edit;
inline int16_t& FontStrikeout_Edit = gOptionsState.FontStrikeout_Edit;
inline int16_t& FontUnderline_Edit = gOptionsState.FontUnderline_Edit;
inline int32_t& FontColor_Edit = gOptionsState.FontColor_Edit;
inline int32_t& OptPasteAsText = gOptionsState.OptPasteAsText;
inline std::string& FontName_PasteAsText = gOptionsState.FontName_PasteAsText;
inline Currency& FontSize_PasteAsText = gOptionsState.FontSize_PasteAsText;
inline int16_t& FontBold_PasteAsText = gOptionsState.FontBold_PasteAsText;
inline int16_t& FontItalic_PasteAsText = gOptionsState.FontItalic_PasteAsText;
inline int16_t& FontStrikeout_PasteAsText = gOptionsState.FontStrikeout_PasteAsText;
inline int16_t& FontUnderline_PasteAsText = gOptionsState.FontUnderline_PasteAsText;
inline int32_t& FontColor_PasteAsText = gOptionsState.FontColor_PasteAsText;
inline int32_t& FormatDate = gOptionsState.FormatDate;
inline int32_t& FormatTime = gOptionsState.FormatTime;
inline int16_t& DateTimeFormat = gOptionsState.DateTimeFormat;
inline std::string& FontName_DateTime = gOptionsState.FontName_DateTime;
inline Currency& FontSize_DateTime = gOptionsState.FontSize_DateTime;
inline int16_t& FontBold_DateTime = gOptionsState.FontBold_DateTime;
inline int16_t& FontItalic_DateTime = gOptionsState.FontItalic_DateTime;
inline int16_t& FontStrikeout_DateTime = gOptionsState.FontStrikeout_DateTime;
inline int16_t& FontUnderline_DateTime = gOptionsState.FontUnderline_DateTime;
inline int32_t& FontColor_DateTime = gOptionsState.FontColor_DateTime;
inline std::string& FontName_QuickFormat = gOptionsState.FontName_QuickFormat;
inline Currency& FontSize_QuickFormat = gOptionsState.FontSize_QuickFormat;
inline int16_t& FontBold_QuickFormat = gOptionsState.FontBold_QuickFormat;
inline int16_t& FontItalic_QuickFormat = gOptionsState.FontItalic_QuickFormat;
inline int16_t& FontStrikeout_QuickFormat = gOptionsState.FontStrikeout_QuickFormat;
inline int16_t& FontUnderline_QuickFormat = gOptionsState.FontUnderline_QuickFormat;
inline int32_t& FontColor_QuickFormat = gOptionsState.FontColor_QuickFormat;
inline int16_t& gblnAutoBackup = gOptionsState.gblnAutoBackup;
inline int32_t& OptViewBars = gOptionsState.OptViewBars;
inline int16_t& SendDelToRecycleBin = gOptionsState.SendDelToRecycleBin;
inline std::string& OneClickBackupPath = gOptionsState.OneClickBackupPath;
inline int16_t& AutoStartCalendar = gOptionsState.AutoStartCalendar;
inline int32_t& BackColorEdit = gOptionsState.BackColorEdit;
inline int32_t& BackColorTree = gOptionsState.BackColorTree;
inline int16_t& gblnAutoSave = gOptionsState.gblnAutoSave;
inline std::string& TreeCustomField1 = gOptionsState.TreeCustomField1;
inline std::string& TreeCustomField2 = gOptionsState.TreeCustomField2;
inline std::string& OpenPathVlm = gOptionsState.OpenPathVlm;
inline std::string& SavePathVlm = gOptionsState.SavePathVlm;
inline int32_t& PromptForNodeDel = gOptionsState.PromptForNodeDel;
inline int32_t& PreserveState = gOptionsState.PreserveState;
inline int16_t& DontPromptForCompact = gOptionsState.DontPromptForCompact;
inline bool& gblnMRUUseRegistry = gOptionsState.gblnMRUUseRegistry;
inline std::string& FileToOpen = gOptionsState.FileToOpen;

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

// Restores every global of this module to its start value (a fresh OptionsState).
void ResetState();

} // namespace vellumo::modOptions
