// The daily debug log file and the run's date stamp.
#include "log/modLog.h"

#include "BuildSettings.h"
#include "log/ReportError.h"
#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/StdioFile.h"
#include "platform/Text.h"
#include "platform/UiService.h"
#include "state/PathSet.h"

#include <utility>

namespace vellumo::modLog {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "log/modLog_globals.def"
#undef VELLUMO_GLOBAL

namespace {

std::tm SystemLocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

std::tm LocalNow() {
    return gLogClockForTesting ? gLogClockForTesting() : SystemLocalNow();
}

// Two digits, a leading "0" for a single one.
std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() == 1)
        text = "0" + text;
    return text;
}

} // namespace

void LogMsg(std::string_view message, std::string_view pstrLogPrefix) {
    try {
        const std::string trimmed = TrimSpaces(message);
        if (gstrLogFile.empty()) {
            // Without a log folder the name would be relative to whatever the current folder
            // is; such a line is lost like one for a missing folder.
            if (modMain::LogPath.empty())
                throw RuntimeError(err::kPathNotFound);
            if (gstrLogDate.empty())
                gstrLogDate = GetSystemDate();
            gstrLogFile = modMain::LogPath + std::string(pstrLogPrefix) + gstrLogDate + ".log";
        }
        // hh:mm:ss with hours 00 to 23; the time separator is a colon on this platform.
        const std::tm now = LocalNow();
        const std::string stamp =
            TwoDigits(now.tm_hour) + ":" + TwoDigits(now.tm_min) + ":" + TwoDigits(now.tm_sec);
        const std::string line = ToAnsi(stamp + "  " + trimmed) + std::string(kCrLf);

        // Opened and closed for every line, so each line is on disk even if the run ends abruptly.
        // Never through a link: the name is predictable.
        StdioFile file = OpenStdioFile(gstrLogFile, StdioMode::kPrivateAppend);
        WriteStdioFile(file.get(), line);
        CloseStdioFile(file.release());
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ui::Ui().MsgBox("Error in Sub LogMsg, Err Num: " + std::to_string(e.Number()) +
                            ", Err Desc: " + e.Description(),
                        ui::MsgIcon::Exclamation, build::kAppTitle);
    }
}

std::string GetSystemDate() {
    try {
        const std::tm today = LocalNow();
        const std::string month = TwoDigits(today.tm_mon + 1);
        const std::string day = TwoDigits(today.tm_mday);
        std::string year = std::to_string(today.tm_year + 1900);
        if (year.size() == 2)
            year = "20" + year;
        return year + month + day;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modLog", "GetSystemDate", "");
        return {};
    }
}

void SetClockForTesting(LocalClock clock) {
    gLogClockForTesting = std::move(clock);
}

void ResetState() {
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "log/modLog_globals.def"
#undef VELLUMO_GLOBAL
}

} // namespace vellumo::modLog
