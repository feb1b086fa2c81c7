// The daily debug log: one line per call, "hh:mm:ss", two spaces, the trimmed message, CR LF.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace vellumo::modLog {

// The run's date stamp (yyyymmdd) and log file; empty until the first line, then fixed, so a
// run that passes midnight keeps writing to the file of the day it started.
extern std::string gstrLogDate;
extern std::string gstrLogFile;

// Appends one line to LogPath + prefix + gstrLogDate + ".log" (opened, appended, closed per
// line) in the system code page. Does not look at the debug flag: callers do. A failure (the
// log folder missing, an empty LogPath, a full disk) shows the warning box
// "Error in Sub LogMsg, Err Num: ..." titled with the application's title and returns; the line
// is lost and the next call tries again.
void LogMsg(std::string_view message, std::string_view pstrLogPrefix = {});

// Today's date as eight digits yyyymmdd; the empty text on failure (after ReportError).
[[nodiscard]] std::string GetSystemDate();

// Test seam: the local date and time the log reads (the system clock by default; an empty
// function restores it).
using LocalClock = std::function<std::tm()>;
void SetClockForTesting(LocalClock clock);

// Restores the start values and the system clock (tests run the start-up many times in one
// process).
void ResetState();

} // namespace vellumo::modLog
