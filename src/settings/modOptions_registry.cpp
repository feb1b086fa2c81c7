// The settings' registry form, the font records and the one-time migration from the option files.
#include "settings/modOptions.h"

#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "platform/modFileA.h"
#include "platform/modRegistry.h"
#include "settings/SequentialFile.h"
#include "settings/cMRUFileList.h"
#include "state/Defaults.h"
#include "state/DiagnosticReport.h"
#include "state/PathSet.h"

#include <memory>

namespace vellumo::modOptions {
namespace {

using modRegistry::GetRegLong;
using modRegistry::GetRegString;

// The registry setters as the settings store calls them: their status texts are not looked at.
// A value that could not be written reads back as its default, which is what the store then
// holds to.
void SaveRegLong(int32_t hKey, const std::string& strPath, const std::string& strValue,
                 int32_t lData) {
    static_cast<void>(modRegistry::SaveRegLong(hKey, strPath, strValue, lData));
}
void SaveRegString(int32_t hKey, const std::string& strPath, const std::string& strValue,
                   const std::string& strData) {
    static_cast<void>(modRegistry::SaveRegString(hKey, strPath, strValue, strData));
}

constexpr std::string_view kModule = "modOptions";

// Font defaults of the registry side where they differ from the start-up variables.
constexpr std::string_view kTreeFontName = "MS Sans Serif";
constexpr int64_t kTreeFontSize = 8;
constexpr std::string_view kCourierFontName = "Courier New";
constexpr int64_t kCourierFontSize = 12;

// Registry read defaults of the other values.
constexpr int32_t kDefaultPasteAsText = 1;
constexpr int32_t kDefaultFormatDate = 8;
constexpr int32_t kDefaultFormatTime = 3;
constexpr int32_t kDefaultPromptForNodeDel = 1;
constexpr int32_t kDefaultPreserveState = 0;

// The list size the migration gives the converted list.
constexpr int32_t kMigratedListSize = 6;

std::string Root() {
    return std::string(kRegistryRoot);
}
std::string OptionsKey() {
    return Root() + "\\Options";
}
std::string DateTimeKey() {
    return Root() + "\\Options\\DateTime\\";
}
std::string FontsKey() {
    return Root() + "\\Options\\Fonts\\";
}

// A flag as stored: the 32-bit sign extension of its 16-bit value (True is 4294967295).
int32_t FlagToDword(int16_t flag) {
    return static_cast<int32_t>(flag);
}
// Any non-zero number reads as True.
int16_t DwordToFlag(int32_t value) {
    return value != 0 ? kTrue : kFalse;
}

void SaveFlag(const std::string& key, const std::string& name, int16_t flag) {
    SaveRegLong(HKEY_CURRENT_USER, key, name, FlagToDword(flag));
}
int16_t GetFlag(const std::string& key, const std::string& name, int16_t def) {
    return DwordToFlag(GetRegLong(HKEY_CURRENT_USER, key, name, FlagToDword(def)));
}

// The size as a whole number of points, half to even; raises 6 (Overflow) beyond 32 bits.
int32_t SizeToDword(Currency size) {
    const int64_t whole = RoundCurrency(size);
    if (whole < INT32_MIN || whole > INT32_MAX)
        throw RuntimeError(err::kOverflow);
    return static_cast<int32_t>(whole);
}

void Report(std::string_view procedure) {
    const RuntimeError e = CurrentRuntimeError();
    ReportError(e.Number(), e.Description(), std::string(kModule), std::string(procedure));
}

// The seven setting variables of one font instance.
struct FontVariables {
    std::string_view instance;
    std::string& name;
    Currency& size;
    int16_t& bold;
    int16_t& italic;
    int16_t& strikeout;
    int16_t& underline;
    int32_t& color;

    [[nodiscard]] OptionsFont ToRecord() const {
        OptionsFont font;
        font.Name = name;
        font.Size = size;
        font.Italic = italic;
        font.Bold = bold;
        font.Strikeout = strikeout;
        font.Underline = underline;
        font.Color = color;
        return font;
    }
    void FromRecord(const OptionsFont& font) const {
        name = font.Name;
        size = font.Size;
        italic = font.Italic;
        bold = font.Bold;
        strikeout = font.Strikeout;
        underline = font.Underline;
        color = font.Color;
    }
};

FontVariables TreeFont() {
    return {"Tree",          FontName_Tree,      FontSize_Tree,      FontBold_Tree,
            FontItalic_Tree, FontStrikeout_Tree, FontUnderline_Tree, FontColor_Tree};
}
FontVariables EditFont() {
    return {"Edit",          FontName_Edit,      FontSize_Edit,      FontBold_Edit,
            FontItalic_Edit, FontStrikeout_Edit, FontUnderline_Edit, FontColor_Edit};
}
FontVariables PasteAsTextFont() {
    return {"PasteAsText",
            FontName_PasteAsText,
            FontSize_PasteAsText,
            FontBold_PasteAsText,
            FontItalic_PasteAsText,
            FontStrikeout_PasteAsText,
            FontUnderline_PasteAsText,
            FontColor_PasteAsText};
}
FontVariables DateTimeFont() {
    return {
        "DateTime",          FontName_DateTime,      FontSize_DateTime,      FontBold_DateTime,
        FontItalic_DateTime, FontStrikeout_DateTime, FontUnderline_DateTime, FontColor_DateTime};
}
FontVariables QuickFormatFont() {
    return {"QuickFormat",
            FontName_QuickFormat,
            FontSize_QuickFormat,
            FontBold_QuickFormat,
            FontItalic_QuickFormat,
            FontStrikeout_QuickFormat,
            FontUnderline_QuickFormat,
            FontColor_QuickFormat};
}

void WriteFont(const FontVariables& font) {
    SetOptionsFont(font.ToRecord(), std::string(font.instance));
}

OptionsFont ReadFont(const FontVariables& font, const std::string& defaultName,
                     Currency defaultSize) {
    OptionsFont record;
    GetOptionsFont_FromRegistry(record, std::string(font.instance), defaultName, defaultSize);
    font.FromRecord(record);
    return record;
}

} // namespace

bool Settings_Read_FromRegistry() {
    bool lblnSuccess = false;
    try {
        DebugLog("Start Settings_Read_FromRegistry");
        if (Settings_SavedInRegistry()) {
            const std::string line = "Settings are already saved in registry";
            DebugLog(line);
            modMain::AppendReportLine(line);
            Settings_Read_Reg();
        } else {
            const std::string line = "Initializing settings in registry";
            DebugLog(line);
            modMain::AppendReportLine(line);
            Config_RestoreDefaults();
            Aux_RestoreDefaults();

            bool optionsResult = false;
            const std::string optionsPath = modMain::ConfigPath + "options.ini";
            if (settings::SettingsFileExists(optionsPath)) {
                DebugLog("File exists: " + optionsPath);
                modMain::AppendReportLine("File exists: " + optionsPath);
                lblnSuccess = Config_Read(true, false);
                optionsResult = lblnSuccess;
            } else {
                modMain::AppendReportLine("File doesn't exist: " + optionsPath);
            }

            bool auxResult = false;
            const std::string auxPath = modMain::ConfigPath + "auxiliary.ini";
            if (settings::SettingsFileExists(auxPath)) {
                DebugLog("File exists: " + auxPath);
                lblnSuccess = Aux_Read(true, false);
                auxResult = lblnSuccess;
            }

            if (optionsResult || auxResult)
                Settings_Write_Reg();
            Settings_ConvertMRUToReg();
            // The marker is set even when no option file existed.
            Settings_SetSavedInRegistryFlag();
        }
        lblnSuccess = true;
    } catch (...) {
        Report("Settings_Read_FromRegistry");
    }
    gblnMRUUseRegistry = true;
    DebugLog(std::string("End Settings_Read_FromRegistry, lblnSuccess = ") + BoolText(lblnSuccess));
    return lblnSuccess;
}

bool Settings_SavedInRegistry() {
    bool lblnSaved = false;
    try {
        DebugLog("Start Settings_SavedInRegistry");
        lblnSaved = GetRegLong(HKEY_CURRENT_USER, OptionsKey(), "SavedInReg", 0) != 0;
    } catch (...) {
        Report("Settings_SavedInRegistry");
    }
    DebugLog(std::string("End Settings_SavedInRegistry, lblnSaved = ") + BoolText(lblnSaved));
    return lblnSaved;
}

bool Settings_SetSavedInRegistryFlag() {
    bool lblnSuccess = false;
    try {
        DebugLog("Start Settings_SetSavedInRegistryFlag");
        SaveRegLong(HKEY_CURRENT_USER, OptionsKey(), "SavedInReg", 1);
        lblnSuccess = true;
    } catch (...) {
        Report("Settings_SetSavedInRegistryFlag");
    }
    DebugLog(std::string("End Settings_SetSavedInRegistryFlag, lblnSuccess = ") +
             BoolText(lblnSuccess));
    return lblnSuccess;
}

bool Settings_Write_Reg() {
    bool lblnSuccess = false;
    try {
        DebugLog("Start Settings_Write_Reg");
        const std::string options = OptionsKey();
        const std::string dateTime = DateTimeKey();
        const auto hkcu = HKEY_CURRENT_USER;

        WriteFont(TreeFont());
        WriteFont(EditFont());
        SaveRegLong(hkcu, options, "PasteAsText", OptPasteAsText);
        WriteFont(PasteAsTextFont());
        SaveRegLong(hkcu, dateTime, "FormatDate", FormatDate);
        SaveRegLong(hkcu, dateTime, "FormatTime", FormatTime);
        SaveFlag(dateTime, "Format", DateTimeFormat);
        WriteFont(DateTimeFont());
        WriteFont(QuickFormatFont());

        SaveFlag(options, "AutoBackup", gblnAutoBackup);
        SaveRegLong(hkcu, options, "OptViewBars", OptViewBars);
        SaveFlag(options, "SendDelToRecycleBin", SendDelToRecycleBin);
        SaveRegString(hkcu, options, "DataPath", modMain::DataPath);
        SaveRegString(hkcu, options, "AutoBackupPath", modMain::AutoBackupPath);
        SaveRegString(hkcu, options, "OneClickBackupPath", OneClickBackupPath);
        SaveFlag(options, "AutoStartCalendar", AutoStartCalendar);
        SaveRegLong(hkcu, options, "BackColorEdit", BackColorEdit);
        SaveRegLong(hkcu, options, "BackColorTree", BackColorTree);
        SaveRegString(hkcu, options, "TreeCustomField1", TreeCustomField1);
        SaveRegString(hkcu, options, "TreeCustomField2", TreeCustomField2);
        SaveRegString(hkcu, options, "OpenPathVlm", OpenPathVlm);
        SaveRegString(hkcu, options, "SavePathVlm", SavePathVlm);
        SaveRegLong(hkcu, options, "PromptForNodeDel", PromptForNodeDel);
        SaveRegLong(hkcu, options, "PreserveState", PreserveState);
        SaveFlag(options, "DontPromptForCompact", DontPromptForCompact);
        SaveFlag(options, "AutoSave", gblnAutoSave);
        lblnSuccess = true;
    } catch (...) {
        Report("Settings_Write_Reg");
    }
    DebugLog(std::string("End Settings_Write_Reg, lblnSuccess = ") + BoolText(lblnSuccess));
    return lblnSuccess;
}

bool Settings_Read_Reg() {
    bool lblnSuccess = false;
    try {
        DebugLog("Start Settings_Read_Reg");
        const std::string options = OptionsKey();
        const std::string dateTime = DateTimeKey();
        const auto hkcu = HKEY_CURRENT_USER;
        const std::string courier(kCourierFontName);
        const Currency courierSize = Currency::FromWhole(kCourierFontSize);

        ReadFont(TreeFont(), std::string(kTreeFontName), Currency::FromWhole(kTreeFontSize));
        ReadFont(EditFont(), modMain::gstrDefaultFontName, modMain::gcurDefaultFontSize);
        OptPasteAsText = GetRegLong(hkcu, options, "PasteAsText", kDefaultPasteAsText);
        ReadFont(PasteAsTextFont(), courier, courierSize);
        FormatDate = GetRegLong(hkcu, dateTime, "FormatDate", kDefaultFormatDate);
        FormatTime = GetRegLong(hkcu, dateTime, "FormatTime", kDefaultFormatTime);
        DateTimeFormat = GetFlag(dateTime, "Format", kFalse);
        const OptionsFont dateTimeFont = ReadFont(DateTimeFont(), courier, courierSize);
        // Written back so that the DateTime font key always exists after a read.
        SetOptionsFont(dateTimeFont, "DateTime");
        ReadFont(QuickFormatFont(), modMain::gstrDefaultFixedFontName,
                 Currency::FromWhole(modMain::gintDefaultFixedFontSize));

        gblnAutoBackup = GetFlag(options, "AutoBackup", kFalse);
        OptViewBars = GetRegLong(hkcu, options, "OptViewBars", 0);
        SendDelToRecycleBin = GetFlag(options, "SendDelToRecycleBin", kFalse);
        modMain::DataPath = GetRegString(hkcu, options, "DataPath", modMain::DefaultDataPath);
        modMain::AutoBackupPath =
            GetRegString(hkcu, options, "AutoBackupPath", modMain::DefaultAutoBackupPath);
        OneClickBackupPath =
            GetRegString(hkcu, options, "OneClickBackupPath", modMain::DefaultOneClickBackupPath);
        AutoStartCalendar = GetFlag(options, "AutoStartCalendar", kFalse);
        BackColorEdit =
            GetRegLong(hkcu, options, "BackColorEdit", modMain::glngDefaultBackColorEdit);
        BackColorTree =
            GetRegLong(hkcu, options, "BackColorTree", modMain::glngDefaultBackColorTree);
        TreeCustomField1 = GetRegString(hkcu, options, "TreeCustomField1", "");
        TreeCustomField2 = GetRegString(hkcu, options, "TreeCustomField2", "");
        OpenPathVlm = GetRegString(hkcu, options, "OpenPathVlm", modMain::DataPath);
        SavePathVlm = GetRegString(hkcu, options, "SavePathVlm", modMain::DataPath);
        PromptForNodeDel = GetRegLong(hkcu, options, "PromptForNodeDel", kDefaultPromptForNodeDel);
        PreserveState = GetRegLong(hkcu, options, "PreserveState", kDefaultPreserveState);
        DontPromptForCompact = GetFlag(options, "DontPromptForCompact", kTrue);
        gblnAutoSave = GetFlag(options, "AutoSave", kTrue);
        lblnSuccess = true;
    } catch (...) {
        Report("Settings_Read_Reg");
    }
    DebugLog(std::string("End Settings_Read_Reg, lblnSuccess = ") + BoolText(lblnSuccess) +
             ", gblnAutoBackup = " + BoolText(gblnAutoBackup != 0) +
             ", gblnAutoSave = " + BoolText(gblnAutoSave != 0));
    return lblnSuccess;
}

bool GetOptionsFont_FromRegistry(OptionsFont& font, const std::string& pstrSubKeyName,
                                 const std::string& pstrDefaultFontName,
                                 Currency pcurDefaultFontSize) {
    bool lblnSuccess = false;
    try {
        DebugLog("Start GetOptionsFont_FromRegistry, pstrSubKeyName = " + pstrSubKeyName +
                 ", pstrDefaultFontName = " + pstrDefaultFontName +
                 ", pcurDefaultFontSize = " + FormatCurrency(pcurDefaultFontSize));
        const std::string key = FontsKey() + pstrSubKeyName;
        const auto hkcu = HKEY_CURRENT_USER;
        font.Name = GetRegString(hkcu, key, "Name", pstrDefaultFontName);
        font.Size =
            Currency::FromWhole(GetRegLong(hkcu, key, "Size", SizeToDword(pcurDefaultFontSize)));
        font.Italic = GetFlag(key, "Italic", kFalse);
        font.Bold = GetFlag(key, "Bold", kFalse);
        font.Strikeout = GetFlag(key, "Strikeout", kFalse);
        font.Underline = GetFlag(key, "Underline", kFalse);
        font.Color = GetRegLong(hkcu, key, "Color", 0);
        lblnSuccess = true;
    } catch (...) {
        Report("GetOptionsFont_FromRegistry");
    }
    DebugLog(std::string("End GetOptionsFont_FromRegistry, lblnSuccess = ") +
             BoolText(lblnSuccess));
    return lblnSuccess;
}

bool SetOptionsFont(const OptionsFont& font, const std::string& pstrSubKeyName) {
    bool lblnSuccess = false;
    try {
        DebugLog("Start SetOptionsFont, pstrSubKeyName = " + pstrSubKeyName);
        const std::string key = FontsKey() + pstrSubKeyName;
        const auto hkcu = HKEY_CURRENT_USER;
        SaveRegString(hkcu, key, "Name", font.Name);
        SaveRegLong(hkcu, key, "Size", SizeToDword(font.Size));
        SaveFlag(key, "Italic", font.Italic);
        SaveFlag(key, "Bold", font.Bold);
        SaveFlag(key, "Strikeout", font.Strikeout);
        SaveFlag(key, "Underline", font.Underline);
        SaveRegLong(hkcu, key, "Color", font.Color);
        lblnSuccess = true;
    } catch (...) {
        Report("SetOptionsFont");
    }
    DebugLog(std::string("End SetOptionsFont, lblnSuccess = ") + BoolText(lblnSuccess));
    return lblnSuccess;
}

bool Settings_ConvertMRUToReg() {
    bool lblnSuccess = false;
    std::unique_ptr<cMRUFileList> list;
    std::unique_ptr<cRegistry> registry;
    try {
        DebugLog("Start Settings_ConvertMRUToReg");
        const std::string lstrSaveFile = modMain::ConfigPath + "mru.ini";
        DebugLog("lstrSaveFile = " + lstrSaveFile);
        if (!settings::SettingsFileExists(lstrSaveFile)) {
            DebugLog("File dosn't exist.");
            gblnMRUUseRegistry = true;
        } else {
            list = std::make_unique<cMRUFileList>();
            registry = std::make_unique<cRegistry>();
            gblnMRUUseRegistry = false;
            list->Load(false, *registry); // reads "mru.ini", which stays in place
            list->SetMaxFileCount(kMigratedListSize);
            gblnMRUUseRegistry = true;
            registry->SetClassKey(HKEY_CURRENT_USER);
            registry->SetSectionKey(Root() + "\\Files");
            list->Save(gblnMRUUseRegistry, *registry);
        }
        lblnSuccess = true;
    } catch (...) {
        Report("Settings_ConvertMRUToReg");
    }
    list.reset();
    registry.reset();
    DebugLog(std::string("End Settings_ConvertMRUToReg, lblnSuccess = ") + BoolText(lblnSuccess) +
             ", gblnMRUUseRegistry = " + BoolText(gblnMRUUseRegistry));
    return lblnSuccess;
}

std::string GetFileToOpen(const std::string& path) {
    return modFileA::FileExists(path) ? path : std::string();
}

} // namespace vellumo::modOptions
