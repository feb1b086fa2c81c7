// The window-load checks: the recent files, the file the product would open, and the write test
// in the data folder. Their findings are the last lines of the report.
#include "diagnostic/frmMain.h"

#include "diagnostic/modMain.h"
#include "platform/CodePage.h"
#include "platform/PathSeparator.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/cRegistry.h"
#include "platform/modFileA.h"
#include "settings/SequentialFile.h"
#include "settings/cMRUFileList.h"
#include "settings/modMisc.h"
#include "settings/modOptions.h"

#include <array>
#include <ctime>

namespace vellumo {
namespace {

// The recent files reported after the file to open.
constexpr std::array<int32_t, 3> kFurtherRecentFiles = {2, 3, 4};

// Local date and time as yymmddHHmmss.
std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%y%m%d%H%M%S", &tm);
    return stamp;
}

} // namespace

void frmMain::RunWindowLoadChecks() {
    if (!mruList_)
        mruList_ = std::make_unique<cMRUFileList>();
    if (!registry_)
        registry_ = std::make_unique<cRegistry>();
    modMisc::InitializeMRU(*mruList_, registry_);

    std::string& FileToOpen = modOptions::FileToOpen;
    FileToOpen = modOptions::GetFileToOpen(mruList_->FILE(1));
    std::string label;
    if (!FileToOpen.empty())
        label = modFileA::FileExists(FileToOpen) ? "FileToOpen (exists): "
                                                 : "FileToOpen (doesn't exist): ";
    // Written in every case: with no file to open the report gets an empty line here.
    modMain::AppendReportLine(label + FileToOpen);

    for (const int32_t entry : kFurtherRecentFiles) {
        const std::string value = modOptions::GetFileToOpen(mruList_->FILE(entry));
        if (value.empty())
            continue;
        const std::string state =
            modFileA::FileExists(value) ? " (exists): " : " (doesn't exist): ";
        modMain::AppendReportLine("MRU " + std::to_string(entry) + state + value);
    }

    bool created = false;
    CanCreateFileInFolder(modMain::DataPath, created);
    modMain::AppendReportLine(
        (created ? "Can create file in DataPath: " : "Cannot create file in DataPath: ") +
        modMain::DataPath);
}

void frmMain::CanCreateFileInFolder(const std::string& folder, bool& result) {
    result = false;
    try {
        // A folder that stayed unknown (empty) would put the test file into the current folder.
        if (!IsRootedPath(folder) || !modFileA::DirExists(folder)) {
            modMain::AppendReportLine("Folder doesn't exist: " + folder);
            return;
        }
        const std::string path = folder + "Test_" + TimeStamp() + ".txt";
        settings::OutputFile file;
        file.Open(path); // an existing file of that name is emptied
        file.Write(ToAnsi("Test") + std::string(kCrLf));
        file.Close();
        result = true;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        modMain::AppendReportLine("Err.Number: " + std::to_string(e.Number()) +
                                  ", Err.Description = " + e.Description());
        result = false;
    }
}

} // namespace vellumo
