// The settings' registry form, the font records and the one-time migration from the option files.
#include "settings/modOptions.h"

#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "platform/modFileA.h"
#include "platform/modRegistry.h"
#include "settings/FontVariables.h"
#include "settings/OptionDefaults.h"
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

using detail::DateTimeFont;
using detail::EditFont;
using detail::FontVariables;
using detail::kCourierFontName;
using detail::kCourierFontSize;
using detail::kDefaultFormatDate;
using detail::kDefaultFormatTime;
using detail::kDefaultOptPasteAsText;
using detail::kDefaultPromptForNodeDel;
using detail::kTreeFontName;
using detail::kTreeFontSize;
using detail::PasteAsTextFont;
using detail::QuickFormatFont;
using detail::TreeFont;

// PreserveState reads as 0 when the registry has no value, where auxiliary.ini's default is 1;
// DontPromptForCompact reads as True there (see the list below).
constexpr int32_t kRegistryDefaultPreserveState = 0;

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

// The DateTime font is written back as soon as it has been read, so that its key always exists
// after a read.
enum class AfterReading { kKeep, kWriteBack };

// Every setting's place in the registry with its read default, in the one order that writing
// and reading both take. Defaults are read when their turn comes: OpenPathVlm and SavePathVlm
// take the DataPath read a few steps before.
template <class Visitor> void VisitRegistrySettings(Visitor&& v) {
    const std::string options = OptionsKey();
    const std::string dateTime = DateTimeKey();
    const Currency courierSize = Currency::FromWhole(kCourierFontSize);

    v.Font(TreeFont(), kTreeFontName, Currency::FromWhole(kTreeFontSize));
    v.Font(EditFont(), modMain::gstrDefaultFontName, modMain::gcurDefaultFontSize);
    v.Long(options, "PasteAsText", OptPasteAsText, kDefaultOptPasteAsText);
    v.Font(PasteAsTextFont(), kCourierFontName, courierSize);
    v.Long(dateTime, "FormatDate", FormatDate, kDefaultFormatDate);
    v.Long(dateTime, "FormatTime", FormatTime, kDefaultFormatTime);
    v.Flag(dateTime, "Format", DateTimeFormat, kFalse);
    v.Font(DateTimeFont(), kCourierFontName, courierSize, AfterReading::kWriteBack);
    v.Font(QuickFormatFont(), modMain::gstrDefaultFixedFontName,
           Currency::FromWhole(modMain::gintDefaultFixedFontSize));

    v.Flag(options, "AutoBackup", gblnAutoBackup, kFalse);
    v.Long(options, "OptViewBars", OptViewBars, 0);
    v.Flag(options, "SendDelToRecycleBin", SendDelToRecycleBin, kFalse);
    v.Text(options, "DataPath", modMain::DataPath, modMain::DefaultDataPath);
    v.Text(options, "AutoBackupPath", modMain::AutoBackupPath, modMain::DefaultAutoBackupPath);
    v.Text(options, "OneClickBackupPath", OneClickBackupPath, modMain::DefaultOneClickBackupPath);
    v.Flag(options, "AutoStartCalendar", AutoStartCalendar, kFalse);
    v.Long(options, "BackColorEdit", BackColorEdit, modMain::glngDefaultBackColorEdit);
    v.Long(options, "BackColorTree", BackColorTree, modMain::glngDefaultBackColorTree);
    v.Text(options, "TreeCustomField1", TreeCustomField1, "");
    v.Text(options, "TreeCustomField2", TreeCustomField2, "");
    v.Text(options, "OpenPathVlm", OpenPathVlm, modMain::DataPath);
    v.Text(options, "SavePathVlm", SavePathVlm, modMain::DataPath);
    v.Long(options, "PromptForNodeDel", PromptForNodeDel, kDefaultPromptForNodeDel);
    v.Long(options, "PreserveState", PreserveState, kRegistryDefaultPreserveState);
    v.Flag(options, "DontPromptForCompact", DontPromptForCompact, kTrue);
    v.Flag(options, "AutoSave", gblnAutoSave, kTrue);
}

// Writes each setting; the defaults are not needed.
struct RegistryWriter {
    void Font(const FontVariables& font, std::string_view /*name*/, Currency /*size*/,
              AfterReading /*after*/ = AfterReading::kKeep) const {
        SetOptionsFont(font.ToRecord(), std::string(font.instance));
    }
    void Long(const std::string& key, const char* name, int32_t value, int32_t /*def*/) const {
        SaveRegLong(HKEY_CURRENT_USER, key, name, value);
    }
    void Flag(const std::string& key, const char* name, int16_t flag, int16_t /*def*/) const {
        SaveFlag(key, name, flag);
    }
    void Text(const std::string& key, const char* name, const std::string& value,
              const std::string& /*def*/) const {
        SaveRegString(HKEY_CURRENT_USER, key, name, value);
    }
};

// Reads each setting, a missing or mistyped value giving its default.
struct RegistryReader {
    void Font(const FontVariables& font, std::string_view defaultName, Currency defaultSize,
              AfterReading after = AfterReading::kKeep) const {
        OptionsFont record;
        GetOptionsFont_FromRegistry(record, std::string(font.instance), std::string(defaultName),
                                    defaultSize);
        font.FromRecord(record);
        if (after == AfterReading::kWriteBack)
            SetOptionsFont(record, std::string(font.instance));
    }
    void Long(const std::string& key, const char* name, int32_t& value, int32_t def) const {
        value = GetRegLong(HKEY_CURRENT_USER, key, name, def);
    }
    void Flag(const std::string& key, const char* name, int16_t& flag, int16_t def) const {
        flag = GetFlag(key, name, def);
    }
    void Text(const std::string& key, const char* name, std::string& value,
              const std::string& def) const {
        value = GetRegString(HKEY_CURRENT_USER, key, name, def);
    }
};

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
        VisitRegistrySettings(RegistryWriter{});
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
        VisitRegistrySettings(RegistryReader{});
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
