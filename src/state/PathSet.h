// The product's path set: the folders InitializePaths derives from the program's folder and the
// documents folders, read by every later stage (the log, the option files, the recent-files list,
// the checks). Every folder ends with the path separator; a folder that could not be derived stays
// empty.
#pragma once

#include <string>

namespace vellumo::modMain {

// Every path with its start value (all empty); ResetPathSet restores this whole set.
struct PathSet {
    std::string AppPath;
    std::string MyDocsPath;
    std::string CommonDocsPath;
    std::string DataPath; // also the setting DataPath of the option files
    std::string DefaultDataPath;
    std::string AutoBackupPath; // also the setting AutoBackupPath
    std::string DefaultAutoBackupPath;
    std::string DefaultOneClickBackupPath;
    std::string ConfigPath;
    std::string CommonConfigPath;
    std::string DbPath;
    std::string ExportPath;
    std::string CalendarPath;
    std::string LogPath;
};

// The run's path set; each name below is one of its members.
extern PathSet gPathSet;

inline std::string& AppPath = gPathSet.AppPath;
inline std::string& MyDocsPath = gPathSet.MyDocsPath;
inline std::string& CommonDocsPath = gPathSet.CommonDocsPath;
inline std::string& DataPath = gPathSet.DataPath;
inline std::string& DefaultDataPath = gPathSet.DefaultDataPath;
inline std::string& AutoBackupPath = gPathSet.AutoBackupPath;
inline std::string& DefaultAutoBackupPath = gPathSet.DefaultAutoBackupPath;
inline std::string& DefaultOneClickBackupPath = gPathSet.DefaultOneClickBackupPath;
inline std::string& ConfigPath = gPathSet.ConfigPath;
inline std::string& CommonConfigPath = gPathSet.CommonConfigPath;
inline std::string& DbPath = gPathSet.DbPath;
inline std::string& ExportPath = gPathSet.ExportPath;
inline std::string& CalendarPath = gPathSet.CalendarPath;
inline std::string& LogPath = gPathSet.LogPath;

// Restores the start values.
void ResetPathSet();

} // namespace vellumo::modMain
