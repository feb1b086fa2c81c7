// The product's folder layout: InitializePaths, AddBackslash and the program's own folder.
#include "diagnostic/modMain.h"

#include "log/ReportError.h"
#include "platform/PathSeparator.h"
#include "platform/PrivateFolder.h"
#include "platform/RuntimeError.h"
#include "platform/SystemProbes.h"
#include "platform/modAPIFilesAndPaths.h"
#include "platform/modFileA.h"
#include "platform/modShellFolders.h"

#include <cstdint>
#include <utility>

namespace vellumo::modMain {

namespace {

// The shell's folder lookups take the program's instance handle; this program has no other owner.
constexpr intptr_t kInstanceHandle = 0;

const std::string kSep(1, kPathSeparator);
const std::string kDataFolder = "Vellumo Data" + kSep;
const std::string kBackupFolder = "Backup" + kSep;
const std::string kConfigFolder = "Config" + kSep;
const std::string kExportFolder = "Export" + kSep;
const std::string kLogFolder = "Log" + kSep;
// The master database file has no extension.
constexpr const char* kMasterFile = "master";
constexpr const char* kCalendarProgram = "VellumoCalendar.exe";

std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

// Creates one folder level, the user's alone (0700 on Linux); a failure raises the run-time error
// that says why (ErrorFromErrno).
void MakeFolder(const std::string& path) {
    if (const int error = MakePrivateFolder(path); error != 0)
        throw ErrorFromErrno(error, FileAction::kCreateFolder);
}

// Creates the folder unless it exists; `progress` records the step before and after creating.
void EnsureFolder(const std::string& path, int32_t& progress, int32_t before, int32_t after) {
    if (modFileA::DirExists(path))
        return;
    progress = before;
    MakeFolder(path);
    progress = after;
}

// A data folder at the file-system root is shared by every user of the machine: another user
// could have made it and left files there for this one to read. It serves only when it is this
// user's alone; otherwise DataPath stays empty and the steps after it stop (empty paths are
// never used as files).
void KeepRootFolderOnlyWhenPrivate() {
    if (!FolderIsTheUsersOwn(DataPath))
        DataPath.clear();
}

// DataPath under the all-users documents folder, else "Vellumo Data" at the root of the
// program's drive. Every error here is ignored: the worst outcome is a DataPath that does not
// exist, which the following steps then report, or an empty one.
void ChooseDataPath(int32_t& progress) {
    // Without an all-users documents folder the first choice is the root folder as well.
    const bool atRoot = CommonDocsPath == AddBackslash(std::string(kFallbackDrive));
    try {
        progress = 100;
        DataPath = CommonDocsPath + kDataFolder;
        if (!modFileA::DirExists(DataPath)) {
            progress = 101;
            MakeFolder(DataPath);
        }
        if (atRoot)
            KeepRootFolderOnlyWhenPrivate();
        return;
    } catch (...) {
    }
    try {
        // Linux paths have no drive: the empty drive becomes the file-system root "/" through
        // AddBackslash, so the fallback is "/Vellumo Data/". Windows uses the program's drive, or
        // C: when its path has none.
        std::string drive = modAPIFilesAndPaths::DriveFromPath(AppPath);
        progress = 102;
        if (drive.empty())
            drive = kFallbackDrive;
        if (!drive.empty() && drive.back() != ':')
            drive += ':';
        DataPath = AddBackslash(drive) + kDataFolder;
        progress = 105;
        if (!modFileA::DirExists(DataPath)) {
            progress = 106;
            MakeFolder(DataPath);
            progress = 107;
        }
    } catch (...) {
    }
    KeepRootFolderOnlyWhenPrivate();
}

} // namespace

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kPathSeparator)
        return path;
    return path + kPathSeparator;
}

void SetProgramFolderForTesting(std::string folder) {
    ProgramFolderOverride() = std::move(folder);
}

std::string ProgramFolder() {
    if (!ProgramFolderOverride().empty())
        return ProgramFolderOverride();
    return probes::ExecutableFolder();
}

void InitializePaths() {
    int32_t DebugLineNum = 0;
    try {
        DebugLineNum = 1;
        AppPath = AddBackslash(ProgramFolder());

        DebugLineNum = 2;
        MyDocsPath = modShellFolders::GetMyDocumentsPath(kInstanceHandle);
        if (MyDocsPath.empty())
            MyDocsPath = AppPath;
        MyDocsPath = AddBackslash(MyDocsPath);

        DebugLineNum = 3;
        CommonDocsPath = AddBackslash(modShellFolders::GetCommonDocumentsPath(kInstanceHandle));

        ChooseDataPath(DebugLineNum);
        if (DataPath.empty())
            throw RuntimeError(err::kPermissionDenied);

        DebugLineNum = 6;
        DefaultDataPath = DataPath;

        AutoBackupPath = DataPath + kBackupFolder;
        EnsureFolder(AutoBackupPath, DebugLineNum, 14, 15);
        DebugLineNum = 16;
        DefaultAutoBackupPath = AutoBackupPath;
        DefaultOneClickBackupPath = AutoBackupPath;

        ConfigPath = DataPath + kConfigFolder;
        EnsureFolder(ConfigPath, DebugLineNum, 17, 18);
        DebugLineNum = 19;

        CommonConfigPath = DataPath + kConfigFolder;
        EnsureFolder(CommonConfigPath, DebugLineNum, 20, 21);

        DbPath = AppPath + kMasterFile;
        DebugLineNum = 22;

        ExportPath = DataPath + kExportFolder;
        EnsureFolder(ExportPath, DebugLineNum, 23, 24);

        // Earlier versions kept the configuration per user; such a folder still wins, for the
        // configuration only.
        const std::string legacyConfig = MyDocsPath + kDataFolder + kConfigFolder;
        if (modFileA::DirExists(legacyConfig))
            ConfigPath = legacyConfig;

        CalendarPath = AppPath + kCalendarProgram;

        LogPath = DataPath + kLogFolder;
        EnsureFolder(LogPath, DebugLineNum, 25, 26);
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMain", "InitializePaths",
                    "DebugLineNum = " + std::to_string(DebugLineNum) + ", CDP = " + CommonDocsPath +
                        ", DP = " + DataPath);
    }
}

} // namespace vellumo::modMain
