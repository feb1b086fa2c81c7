// The daily debug log: one line per call, "hh:mm:ss", two spaces, the trimmed message, CR LF.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace vellumo::modLog {

// Test seam: the local date and time the log reads (the system clock when empty).
using LocalClock = std::function<std::tm()>;

// The log's globals, each with its start value, listed once in modLog_globals.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "log/modLog_globals.def"
#undef VELLUMO_GLOBAL

// Appends one line to LogPath + prefix + gstrLogDate + ".log" (opened, appended, closed per
// line) in the system code page. Does not look at the debug flag: callers do. A failure (the
// log folder missing, an empty LogPath, a full disk) shows the warning box
// "Error in Sub LogMsg, Err Num: ..." titled with the application's title and returns; the line
// is lost and the next call tries again.
void LogMsg(std::string_view message, std::string_view pstrLogPrefix = {});

// Today's date as eight digits yyyymmdd; the empty text on failure (after ReportError).
[[nodiscard]] std::string GetSystemDate();

// Sets the clock the log reads; an empty function restores the system clock.
void SetClockForTesting(LocalClock clock);

// Restores the start values and the system clock (tests run the start-up many times in one
// process).
void ResetState();

} // namespace vellumo::modLog
