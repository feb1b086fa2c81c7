// Reading the typed facts from the report's lines: each stage's lines are recognised by their
// labels, which are the program's own words.
#include "handoff/RunRecord.h"

#include "platform/NumberText.h"

#include <charconv>

namespace vellumo::handoff {
namespace {

constexpr std::string_view kExistsSuffix = " (exists)";
constexpr std::string_view kMissingSuffix = " (doesn't exist)";
constexpr std::string_view kFileToOpen = "FileToOpen";
constexpr std::string_view kRecentPrefix = "MRU ";

// "FileToOpen (exists)" is entry 1, "MRU 3 (doesn't exist)" entry 3; nullopt for other labels.
std::optional<RecentFile> RecentFileOf(const ReportLine& line) {
    std::string_view label = line.label;
    RecentFile file;
    if (label.ends_with(kExistsSuffix)) {
        file.exists = true;
        label.remove_suffix(kExistsSuffix.size());
    } else if (label.ends_with(kMissingSuffix)) {
        label.remove_suffix(kMissingSuffix.size());
    } else {
        return std::nullopt;
    }
    if (label == kFileToOpen) {
        file.entry = 1;
    } else if (label.starts_with(kRecentPrefix)) {
        label.remove_prefix(kRecentPrefix.size());
        const auto [end, ec] =
            std::from_chars(label.data(), label.data() + label.size(), file.entry);
        if (ec != std::errc() || end != label.data() + label.size())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    file.path = line.value;
    return file;
}

// The number as the report wrote it, with the user's decimal separator.
double ReportedNumber(std::string text) {
    const std::string separator = UserDecimalSeparator();
    if (separator != "." && !separator.empty()) {
        if (const size_t at = text.find(separator); at != std::string::npos)
            text.replace(at, separator.size(), ".");
    }
    return LeadingNumber(text);
}

} // namespace

ReportFacts ReadFacts(const RunRecord& record) {
    ReportFacts facts;
    std::string writeProblem;
    for (const ReportLine& line : SplitReport(record.report)) {
        const std::string& label = line.label;
        const std::string& value = line.value;
        if (!line.hasValue)
            continue;
        if (label == "OS") {
            const std::string versionThenBlank = record.osVersion + " ";
            if (value.starts_with(versionThenBlank))
                facts.language = value.substr(versionThenBlank.size());
        } else if (label == "Master file exists" || label == "Master file doesn't exist") {
            facts.masterFilePresent = label == "Master file exists";
            facts.masterFilePath = value;
        } else if (label == "Master file size") {
            int64_t size = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), size);
            if (ec == std::errc() && end == value.data() + value.size())
                facts.masterFileSize = size;
        } else if ((label == "File exists" || label == "File doesn't exist") &&
                   !record.iconFolder.empty() && value.starts_with(record.iconFolder)) {
            facts.iconFiles.push_back(IconFile{value, label == "File exists"});
        } else if (label == "MDAC") {
            facts.dataAccessVersion = ReportedNumber(value);
        } else if (label == "ScriptingRuntimePresent") {
            facts.scriptingRuntime = value == "True";
        } else if (std::optional<RecentFile> recent = RecentFileOf(line)) {
            facts.recentFiles.push_back(std::move(*recent));
        } else if (label == "Err.Number" || label == "Folder doesn't exist") {
            writeProblem = line.Text();
        } else if (label == "Can create file in DataPath") {
            facts.dataFolderWritable = true;
        } else if (label == "Cannot create file in DataPath") {
            facts.dataFolderWritable = false;
            facts.dataFolderProblem = writeProblem;
        }
    }
    return facts;
}

} // namespace vellumo::handoff
