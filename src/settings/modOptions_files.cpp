// The option files: restoring defaults, saving and reading "options.ini" and "auxiliary.ini".
#include "settings/modOptions.h"

#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/modFileA.h"
#include "settings/FontVariables.h"
#include "settings/OptionDefaults.h"
#include "settings/OptionFieldReader.h"
#include "settings/OptionTables.h"
#include "settings/SequentialFile.h"
#include "state/Defaults.h"
#include "state/PathSet.h"

#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vellumo::modOptions {
namespace {

using detail::OptionEntry;

constexpr std::string_view kModule = "modOptions";
constexpr std::string_view kOptionsFile = "options.ini";
constexpr std::string_view kAuxFile = "auxiliary.ini";

using detail::FontVariables;

// auxiliary.ini's PreserveState default (the registry side reads a missing value as 0).
constexpr int32_t kDefaultPreserveState = 1;

// The "Error line" of each step: the number of the step that was running when a failure came.
// Steps are numbered in tens in the order they run.
struct EntrySteps {
    int32_t compare = 0;
    int32_t read = 0;
    int32_t store = 0;
    int32_t bound = 0;
};

struct SaveSteps {
    int32_t path, startLog;
    std::vector<int32_t> entries;
    int32_t freeFile, open, write, close, endLog;
};

// The exit step ignores errors, so its steps (close, the OneClickBackupPath rule, the end log)
// are never reported and have no field here.
struct ReadSteps {
    int32_t path, startLog, existenceTest, skipBranch, skipLog, restoreLogTest, restoreLog, restore,
        save, existsLog, freeFile, open, endOfFileTest, readKey, keyLog;
    std::vector<EntrySteps> entries;
    int32_t success;
};

// Consecutive blocks from `first`: compare and read for every key, store for non-text keys, and
// one more for the lower-bound rule.
std::vector<EntrySteps> NumberReadBlocks(std::span<const OptionEntry> table, int32_t first) {
    std::vector<EntrySteps> steps;
    int32_t next = first;
    auto take = [&next] { return std::exchange(next, next + 10); };
    for (const OptionEntry& entry : table) {
        EntrySteps s;
        s.compare = take();
        s.read = take();
        s.store = detail::IsText(entry) ? s.read : take();
        s.bound = entry.lowerBoundReplacement != 0 ? take() : s.store;
        steps.push_back(s);
    }
    return steps;
}

const SaveSteps& ConfigSaveSteps() {
    static const SaveSteps steps = [] {
        SaveSteps s{20, 30, {}, 520, 530, 540, 550, 560};
        const size_t count = detail::ConfigTable().size();
        for (size_t k = 1; k < count; ++k)
            s.entries.push_back(30 + 10 * static_cast<int32_t>(k));
        s.entries.push_back(512); // AutoSave, added after the numbering was laid out
        return s;
    }();
    return steps;
}

const SaveSteps& AuxSaveSteps() {
    static const SaveSteps steps = [] {
        SaveSteps s{20, 30, {}, 110, 120, 130, 140, 150};
        for (size_t k = 1; k <= detail::AuxTable().size(); ++k)
            s.entries.push_back(30 + 10 * static_cast<int32_t>(k));
        return s;
    }();
    return steps;
}

const ReadSteps& ConfigReadSteps() {
    static const ReadSteps steps = [] {
        ReadSteps s{20, 30, 40, 42, 43, 50, 60, 80, 90, 120, 130, 140, 150, 160, 170, {}, 1570};
        s.entries = NumberReadBlocks(detail::ConfigTable(), 180);
        s.entries.back() = EntrySteps{1551, 1552, 1553, 1553}; // AutoSave, added later
        return s;
    }();
    return steps;
}

const ReadSteps& AuxReadSteps() {
    static const ReadSteps steps = [] {
        // auxiliary.ini has no restore log: 50 is the restore itself.
        ReadSteps s{20, 30, 40, 42, 43, 50, 50, 50, 60, 90, 100, 110, 120, 130, 140, {}, 330};
        s.entries = NumberReadBlocks(detail::AuxTable(), 150);
        return s;
    }();
    return steps;
}

// What differs between the two files.
struct OptionFile {
    std::string_view procedurePrefix; // "Config" or "Aux"
    std::string_view fileName;
    std::span<const OptionEntry> table;
    const SaveSteps& saveSteps;
    const ReadSteps& readSteps;
    void (*restoreDefaults)();
    void (*save)(bool);
    bool logsRestore;        // options.ini logs its restore on a missing file
    bool oneClickBackupRule; // options.ini fills an empty OneClickBackupPath after reading
};

std::string ProcName(const OptionFile& file, std::string_view operation) {
    return std::string(file.procedurePrefix) + "_" + std::string(operation);
}

// The handler of the save and read operations.
void HandleFileError(const std::string& procedure, bool pblnSilent, int32_t step) {
    const RuntimeError e = CurrentRuntimeError();
    if (pblnSilent) {
        DebugLog("Error in " + procedure + ": " + std::to_string(e.Number()) + ". " +
                 e.Description() + ". Error line: " + std::to_string(step));
    } else {
        ReportError(e.Number(), e.Description(), std::string(kModule), procedure,
                    "Error line: " + std::to_string(step));
    }
}

// The handler of the restore operations.
void HandleRestoreError(const std::string& procedure, int32_t step) {
    const RuntimeError e = CurrentRuntimeError();
    ReportError(e.Number(), e.Description(), std::string(kModule), procedure,
                "Error line: " + std::to_string(step));
}

using Assignment = std::pair<int32_t, std::function<void()>>;

// The seven defaults of one font setting, at steps `firstStep` and on, ten apart: the name, the
// size, the four flags False and the colour 0.
void AddFontDefaults(std::vector<Assignment>& assignments, int32_t firstStep,
                     const FontVariables& font, const std::string& name, Currency size) {
    int32_t step = firstStep;
    const auto next = [&step] { return std::exchange(step, step + 10); };
    assignments.emplace_back(next(), [font, name] { font.name = name; });
    assignments.emplace_back(next(), [font, size] { font.size = size; });
    assignments.emplace_back(next(), [font] { font.bold = kFalse; });
    assignments.emplace_back(next(), [font] { font.italic = kFalse; });
    assignments.emplace_back(next(), [font] { font.strikeout = kFalse; });
    assignments.emplace_back(next(), [font] { font.underline = kFalse; });
    assignments.emplace_back(next(), [font] { font.color = 0; });
}

void RunRestore(const std::string& procedure, const std::vector<Assignment>& assignments,
                int32_t endLogStep) {
    int32_t step = 20;
    try {
        DebugLog("Start " + procedure);
        for (const auto& [number, assign] : assignments) {
            step = number;
            assign();
        }
        step = endLogStep;
    } catch (...) {
        HandleRestoreError(procedure, step);
    }
    DebugLog("End " + procedure);
}

void SaveFile(const OptionFile& file, bool pblnSilent) {
    const std::string procedure = ProcName(file, "Save");
    const SaveSteps& steps = file.saveSteps;
    int32_t step = steps.path;
    try {
        const std::string lstrSaveFile = modMain::ConfigPath + std::string(file.fileName);
        step = steps.startLog;
        DebugLog("Start " + procedure + ", lstrSaveFile = " + lstrSaveFile);

        std::string text;
        for (size_t k = 0; k < file.table.size(); ++k) {
            step = steps.entries[k];
            const OptionEntry& entry = file.table[k];
            text += std::string(entry.key) + "," + detail::WrittenValue(entry) + std::string(kCrLf);
        }
        step = steps.freeFile;
        settings::OutputFile out;
        step = steps.open;
        out.Open(lstrSaveFile);
        step = steps.write;
        out.Write(ToAnsi(text + std::string(kCrLf)));
        step = steps.close;
        out.Close();
        step = steps.endLog;
    } catch (...) {
        HandleFileError(procedure, pblnSilent, step);
    }
    DebugLog("End " + procedure);
}

std::unordered_map<std::string_view, size_t> KeyIndex(std::span<const OptionEntry> table) {
    std::unordered_map<std::string_view, size_t> index;
    for (size_t i = 0; i < table.size(); ++i)
        index.emplace(table[i].key, i);
    return index;
}

bool ReadFile(const OptionFile& file, bool pblnSilent, bool pblnSkipCreation) {
    const std::string procedure = ProcName(file, "Read");
    const ReadSteps& steps = file.readSteps;
    bool lblnSuccess = false;
    int32_t step = steps.path;
    std::optional<settings::InputFile> input;
    try {
        const std::string lstrSaveFile = modMain::ConfigPath + std::string(file.fileName);
        step = steps.startLog;
        DebugLog("Start " + procedure + ", lstrSaveFile = " + lstrSaveFile + ", pblnSilent = " +
                 BoolText(pblnSilent) + ", pblnSkipCreation = " + BoolText(pblnSkipCreation));

        step = steps.existenceTest;
        if (!settings::SettingsFileExists(lstrSaveFile)) {
            step = steps.skipBranch;
            if (pblnSkipCreation) {
                step = steps.skipLog;
                DebugLog("File missing: " + lstrSaveFile);
            } else {
                if (file.logsRestore) {
                    step = steps.restoreLogTest;
                    step = steps.restoreLog;
                    DebugLog(procedure + " - restoring defaults; file missing: " + lstrSaveFile);
                }
                step = steps.restore;
                file.restoreDefaults();
                step = steps.save;
                file.save(pblnSilent);
            }
        } else {
            step = steps.existsLog;
            DebugLog(procedure + ", File exists.");
            step = steps.freeFile;
            step = steps.open;
            input.emplace(lstrSaveFile);
            settings::OptionFieldReader reader(*input);
            const auto index = KeyIndex(file.table);
            for (;;) {
                step = steps.endOfFileTest;
                if (reader.AtEnd())
                    break;
                step = steps.readKey;
                const std::string strGet = FromAnsi(reader.ReadField());
                step = steps.keyLog;
                DebugLog("strGet = " + strGet);
                const auto found = index.find(strGet);
                if (found == index.end())
                    continue; // unknown keys, blank lines and stray values are dropped
                const OptionEntry& entry = file.table[found->second];
                const EntrySteps& entrySteps = steps.entries[found->second];
                step = entrySteps.compare;
                step = entrySteps.read;
                const std::string value = FromAnsi(reader.ReadField());
                step = entrySteps.store;
                detail::StoreValue(entry, value);
                step = entrySteps.bound;
                detail::ApplyLowerBound(entry);
            }
            step = steps.success;
            lblnSuccess = true;
        }
    } catch (...) {
        HandleFileError(procedure, pblnSilent, step);
    }

    // Exit step: from here on errors are ignored.
    try {
        if (input)
            input->Close();
        if (file.oneClickBackupRule && OneClickBackupPath.empty())
            OneClickBackupPath = modMain::DefaultOneClickBackupPath;
    } catch (...) {
    }
    DebugLog("End " + procedure + ", lblnSuccess = " + BoolText(lblnSuccess));
    return lblnSuccess;
}

const OptionFile& ConfigFile() {
    static const OptionFile file{"Config",
                                 kOptionsFile,
                                 detail::ConfigTable(),
                                 ConfigSaveSteps(),
                                 ConfigReadSteps(),
                                 &Config_RestoreDefaults,
                                 &Config_Save,
                                 true,
                                 true};
    return file;
}

const OptionFile& AuxFile() {
    static const OptionFile file{"Aux",          kAuxFile,       detail::AuxTable(),
                                 AuxSaveSteps(), AuxReadSteps(), &Aux_RestoreDefaults,
                                 &Aux_Save,      false,          false};
    return file;
}

} // namespace

void Config_RestoreDefaults() {
    const Currency courierSize = Currency::FromWhole(detail::kCourierFontSize);
    std::vector<Assignment> assignments;
    AddFontDefaults(assignments, 30, detail::TreeFont(), std::string(detail::kTreeFontName),
                    Currency::FromWhole(detail::kTreeFontSize));
    AddFontDefaults(assignments, 100, detail::EditFont(), modMain::gstrDefaultFontName,
                    modMain::gcurDefaultFontSize);
    assignments.emplace_back(170, [] { OptPasteAsText = detail::kDefaultOptPasteAsText; });
    AddFontDefaults(assignments, 180, detail::PasteAsTextFont(),
                    std::string(detail::kCourierFontName), courierSize);
    assignments.emplace_back(250, [] { FormatDate = detail::kDefaultFormatDate; });
    assignments.emplace_back(260, [] { FormatTime = detail::kDefaultFormatTime; });
    assignments.emplace_back(270, [] { DateTimeFormat = kFalse; });
    AddFontDefaults(assignments, 280, detail::DateTimeFont(), modMain::gstrDefaultFontName,
                    modMain::gcurDefaultFontSize);
    AddFontDefaults(assignments, 350, detail::QuickFormatFont(), modMain::gstrDefaultFixedFontName,
                    Currency::FromWhole(modMain::gintDefaultFixedFontSize));
    const std::vector<Assignment> rest = {
        {420, [] { gblnAutoBackup = kFalse; }},
        // OptViewBars keeps its value.
        {430, [] { SendDelToRecycleBin = kFalse; }},
        {440, [] { modMain::DataPath = modMain::DefaultDataPath; }},
        {450, [] { modMain::AutoBackupPath = modMain::DefaultAutoBackupPath; }},
        {460, [] { OneClickBackupPath = modMain::DefaultOneClickBackupPath; }},
        {470, [] { OpenPathVlm = modMain::DataPath; }},
        {480, [] { SavePathVlm = modMain::DataPath; }},
        {490, [] { AutoStartCalendar = kFalse; }},
        {500, [] { BackColorEdit = modMain::glngDefaultBackColorEdit; }},
        {510, [] { BackColorTree = modMain::glngDefaultBackColorTree; }},
        {512, [] { gblnAutoSave = kTrue; }},
    };
    assignments.insert(assignments.end(), rest.begin(), rest.end());
    RunRestore("Config_RestoreDefaults", assignments, 520);
}

void Aux_RestoreDefaults() {
    const std::vector<Assignment> assignments = {
        {30, [] { TreeCustomField1.clear(); }},
        {40, [] { TreeCustomField2.clear(); }},
        {50, [] { OpenPathVlm = modMain::DataPath; }},
        {60, [] { SavePathVlm = modMain::DataPath; }},
        {70, [] { PromptForNodeDel = detail::kDefaultPromptForNodeDel; }},
        {80, [] { PreserveState = kDefaultPreserveState; }},
        {90, [] { DontPromptForCompact = kFalse; }},
    };
    RunRestore("Aux_RestoreDefaults", assignments, 100);
}

void Config_Save(bool pblnSilent) {
    SaveFile(ConfigFile(), pblnSilent);
}
bool Config_Read(bool pblnSilent, bool pblnSkipCreation) {
    return ReadFile(ConfigFile(), pblnSilent, pblnSkipCreation);
}
void Aux_Save(bool pblnSilent) {
    SaveFile(AuxFile(), pblnSilent);
}
bool Aux_Read(bool pblnSilent, bool pblnSkipCreation) {
    return ReadFile(AuxFile(), pblnSilent, pblnSkipCreation);
}

} // namespace vellumo::modOptions
