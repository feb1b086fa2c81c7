// What one run found, taken once after the start-up sequence from the run's own globals, its
// report and the registry store's status, and the typed facts its report lines state: the input
// of the checks, the document formats and the redaction.
#pragma once

#include "handoff/ReportLines.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vellumo::handoff {

struct RunRecord {
    std::string report;    // the diagnostic report, exactly
    bool complete = false; // the run reached the window
    std::string osVersion; // the OS line's version text, before the language
    std::string user;      // the user name as the report shows it
    std::string host;      // the computer's name
    std::string home;      // the user's home folder, without trailing separator
    // The path set in its order: each global's name and its folder (empty when not derived).
    std::vector<std::pair<std::string, std::string>> paths;
    std::string dataPath;
    std::string logPath;
    // Where the icon files are looked for: the program's folder + "Icons" + separator.
    std::string iconFolder;
    bool debugMode = false;
    // Free bytes for the user in the data folder; nullopt when unknown.
    std::optional<uint64_t> dataFolderFreeBytes;
    // Why the registry store cannot be used; empty when it can.
    std::string storeProblem;
};

// The state of the program's globals now, after the start-up sequence has run; `complete` says
// whether it reached the window.
[[nodiscard]] RunRecord RecordRun(bool complete);

struct IconFile {
    std::string path;
    bool present = false;
};

struct RecentFile {
    int entry = 0; // 1 for the file to open, then 2 to 4
    std::string path;
    bool exists = false;
};

// What the report's lines state, typed. A fact of a stage the run did not reach stays nullopt
// (or empty).
struct ReportFacts {
    std::string language;
    std::optional<bool> masterFilePresent;
    std::string masterFilePath;
    std::optional<int64_t> masterFileSize; // -1: cannot be opened for reading and writing
    std::vector<IconFile> iconFiles;
    std::optional<double> dataAccessVersion;
    std::optional<bool> scriptingRuntime;
    std::vector<RecentFile> recentFiles;
    std::optional<bool> dataFolderWritable;
    std::string dataFolderProblem; // the report's reason when the write test failed
};

// Reads the facts from the record's report. The data-access version is read with the user's
// decimal separator, as the report wrote it.
[[nodiscard]] ReportFacts ReadFacts(const RunRecord& record);

} // namespace vellumo::handoff
