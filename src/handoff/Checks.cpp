// The eight checks: each reads the record and the report's facts, never the system again.
#include "handoff/Checks.h"

#include "platform/NumberText.h"

#include <algorithm>

namespace vellumo::handoff {
namespace {

// Older data-access components lack what the product needs (the run then ends early).
constexpr double kMinimumDataAccessVersion = 2.5;
constexpr uint64_t kMebibyte = uint64_t{1} << 20;

CheckVerdict Pass(std::string id, std::string detail) {
    return {std::move(id), CheckStatus::Pass, std::move(detail), {}};
}
CheckVerdict Skip(std::string id, std::string detail) {
    return {std::move(id), CheckStatus::Skip, std::move(detail), {}};
}
CheckVerdict Verdict(std::string id, CheckStatus status, std::string detail, std::string fix) {
    return {std::move(id), status, std::move(detail), std::move(fix)};
}

std::string Size(uint64_t bytes) {
    if (bytes < kMebibyte)
        return std::to_string(bytes) + " bytes";
    return std::to_string(bytes / kMebibyte) + " MiB";
}

CheckVerdict MasterFile(const ReportFacts& facts) {
    const std::string id = "master-file";
    if (!facts.masterFilePresent)
        return Skip(id, "the run ended before the master file was looked for");
    const std::string& path = facts.masterFilePath;
    if (!*facts.masterFilePresent)
        return Verdict(id, CheckStatus::Fail, path + " not found",
                       "Reinstall Vellumo, or put the master file back into the program's folder.");
    const int64_t size = facts.masterFileSize.value_or(-1);
    if (size < 0)
        return Verdict(id, CheckStatus::Warn,
                       path + " found, but it cannot be opened for reading and writing",
                       "Let the user write the file, and close any program that holds it open.");
    if (size == 0)
        return Verdict(id, CheckStatus::Warn, path + " is empty",
                       "Restore the master file from a backup.");
    return Pass(id, path + " found (" + std::to_string(size) + " bytes)");
}

CheckVerdict DataFolder(const RunRecord& record, const ReportFacts& facts) {
    const std::string id = "data-folder";
    if (!facts.dataFolderWritable)
        return Skip(id, "the run ended before the write test in the data folder");
    if (*facts.dataFolderWritable)
        return Pass(id, record.dataPath + " is writable");
    std::string detail = "cannot create a file in " + record.dataPath;
    if (!facts.dataFolderProblem.empty())
        detail += " (" + facts.dataFolderProblem + ")";
    return Verdict(id, CheckStatus::Fail, detail,
                   "Make sure the folder exists and that the user may create files in it.");
}

CheckVerdict Icons(const RunRecord& record, const ReportFacts& facts) {
    const std::string id = "icons";
    if (facts.iconFiles.empty())
        return Skip(id, "the run ended before the icon files were looked for");
    std::string missing;
    for (const IconFile& icon : facts.iconFiles) {
        if (!icon.present)
            missing += (missing.empty() ? "" : ", ") + icon.path;
    }
    if (!missing.empty())
        return Verdict(id, CheckStatus::Fail, missing + " not found",
                       "Reinstall Vellumo to put the icon files back into " + record.iconFolder +
                           ".");
    return Pass(id, "the icon files are in " + record.iconFolder);
}

CheckVerdict DataAccess(const ReportFacts& facts) {
    const std::string id = "data-access";
    if (!facts.dataAccessVersion)
        return Skip(id, "the run ended before the data-access components were looked for");
    const double version = *facts.dataAccessVersion;
    const std::string fix = "Install the data-access components in version 2.5 or later.";
    if (version <= 0)
        return Verdict(id, CheckStatus::Fail, "the data-access components are missing", fix);
    if (version < kMinimumDataAccessVersion)
        return Verdict(id, CheckStatus::Fail,
                       "version " + FormatDouble(version) + " is older than 2.5", fix);
    return Pass(id, "version " + FormatDouble(version));
}

CheckVerdict Scripting(const ReportFacts& facts) {
    const std::string id = "scripting";
    if (!facts.scriptingRuntime)
        return Skip(id, "the run ended before the scripting runtime was looked for");
    if (!*facts.scriptingRuntime)
        return Verdict(id, CheckStatus::Fail, "the scripting runtime is not available",
                       "Install or repair the system's scripting runtime.");
    return Pass(id, "the scripting runtime is available");
}

// The store is first used for the debug switch, just before the master file is looked for.
bool StoreReached(const ReportFacts& facts) {
    return facts.masterFilePresent.has_value();
}

CheckVerdict Registry(const RunRecord& record, const ReportFacts& facts) {
    const std::string id = "registry";
    if (!StoreReached(facts))
        return Skip(id, "the run ended before the registry was used");
    if (!record.storeProblem.empty())
        return Verdict(id, CheckStatus::Fail, record.storeProblem,
                       "Close other programs that use the registry store, let the user read and "
                       "write it, or move a damaged store aside so that a new one is made.");
    return Pass(id, "the registry store is usable");
}

CheckVerdict DebugMode(const RunRecord& record, const ReportFacts& facts) {
    const std::string id = "debug-mode";
    if (!StoreReached(facts))
        return Skip(id, "the run ended before the debug switch was read");
    if (record.debugMode)
        return Verdict(id, CheckStatus::Warn,
                       "debug mode is on: every run writes a log into " + record.logPath,
                       "Switch debug mode off: set the value On of "
                       "HKEY_CURRENT_USER\\Software\\Kestrova\\Vellumo\\Debug to 0.");
    return Pass(id, "debug mode is off");
}

CheckVerdict FreeSpace(const RunRecord& record) {
    const std::string id = "free-space";
    if (record.dataPath.empty() || !record.dataFolderFreeBytes)
        return Skip(id, "the free space in the data folder is not known");
    const uint64_t bytes = *record.dataFolderFreeBytes;
    const std::string found = Size(bytes) + " free in " + record.dataPath;
    const std::string fix = "Make room on the disk that holds " + record.dataPath + ".";
    if (bytes < kFreeSpaceFailBelow)
        return Verdict(id, CheckStatus::Fail, found + ", less than 10 MiB", fix);
    if (bytes < kFreeSpaceWarnBelow)
        return Verdict(id, CheckStatus::Warn, found + ", less than 100 MiB", fix);
    return Pass(id, found);
}

} // namespace

std::string_view StatusWord(CheckStatus status) {
    switch (status) {
    case CheckStatus::Pass:
        return "PASS";
    case CheckStatus::Warn:
        return "WARN";
    case CheckStatus::Fail:
        return "FAIL";
    case CheckStatus::Skip:
        break;
    }
    return "SKIP";
}

std::vector<CheckVerdict> RunChecks(const RunRecord& record, const ReportFacts& facts) {
    return {MasterFile(facts),        DataFolder(record, facts), Icons(record, facts),
            DataAccess(facts),        Scripting(facts),          Registry(record, facts),
            DebugMode(record, facts), FreeSpace(record)};
}

bool AnyFailed(const std::vector<CheckVerdict>& verdicts) {
    return std::any_of(verdicts.begin(), verdicts.end(), [](const CheckVerdict& verdict) {
        return verdict.status == CheckStatus::Fail;
    });
}

} // namespace vellumo::handoff
