// Taking the run's record from the program's globals after the start-up sequence.
#include "handoff/RunRecord.h"

#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "platform/COSInfo.h"
#include "platform/FreeSpace.h"
#include "platform/PathSeparator.h"
#include "platform/RegistryApi.h"
#include "platform/UserHome.h"

namespace vellumo::handoff {

RunRecord RecordRun(bool complete) {
    using namespace modMain;
    RunRecord record;
    record.report = gstrDiagnosticReport;
    record.complete = complete;
    record.osVersion = gstrOSVersion;
    record.user = WindowsUserName;
    record.host = COSInfo().ComputerName();
    record.home = UserHomeFolder();
    record.paths = {{"AppPath", AppPath},
                    {"MyDocsPath", MyDocsPath},
                    {"CommonDocsPath", CommonDocsPath},
                    {"DataPath", DataPath},
                    {"DefaultDataPath", DefaultDataPath},
                    {"AutoBackupPath", AutoBackupPath},
                    {"DefaultAutoBackupPath", DefaultAutoBackupPath},
                    {"DefaultOneClickBackupPath", DefaultOneClickBackupPath},
                    {"ConfigPath", ConfigPath},
                    {"CommonConfigPath", CommonConfigPath},
                    {"DbPath", DbPath},
                    {"ExportPath", ExportPath},
                    {"CalendarPath", CalendarPath},
                    {"LogPath", LogPath}};
    record.dataPath = DataPath;
    record.logPath = LogPath;
    record.iconFolder = ProgramFolder() + kPathSeparator + "Icons" + kPathSeparator;
    record.debugMode = modDebug::gblnDebugMode;
    record.dataFolderFreeBytes = FreeSpaceForUser(DataPath);
    record.storeProblem = regapi::StoreProblem();
    return record;
}

} // namespace vellumo::handoff
