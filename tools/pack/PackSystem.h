// What vellumo-pack needs from the system: its file names in the spelling the platform layer
// takes, the run-time error number of a failed write, whether standard error is a terminal, and
// an interruption (Ctrl+C, a kill) that removes the temporary output file.
#pragma once

#include <functional>
#include <string>

namespace vellumo::pack {

// The command line's file names are in the system's narrow encoding; the platform layer takes
// UTF-8. Linux: the bytes as given; Windows: from the ANSI code page.
[[nodiscard]] std::string SystemPathToUtf8(const std::string& path);

// The run-time error number for a failure of the whole-file writer, whose error number
// is the system's (errno on Linux, GetLastError on Windows): 61 for a full disk, 76 for a
// missing folder, 75 for other refusals while creating, 57 for other failures while writing.
[[nodiscard]] int RunTimeWriteError(int systemError, bool creating);

// Whether standard error is a terminal (a progress bar is redrawn there).
[[nodiscard]] bool StandardErrorIsTerminal();

// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE (Linux) or Ctrl+C and Ctrl+Break (Windows)
// remove the temporary file being written, end an open progress line, and end the process.
void WatchInterruptions();

// Runs `create`, which makes the temporary file and returns its path (empty when none was
// made), and remembers the path for an interruption, with interruptions held back meanwhile so
// that no file is made without being remembered.
void TrackTemporaryFile(const std::function<std::string()>& create);
// Forgets the temporary file (it has been renamed or removed).
void ForgetTemporaryFile();

// Whether a progress line without its end is on standard error.
void SetProgressLineOpen(bool open);

// Linux ends the process in the signal handler. Windows delivers Ctrl+C on another thread:
// there the work calls this between chunks, and it throws Interrupted once Ctrl+C was pressed.
struct Interrupted {};
void StopIfInterrupted();
// The exit status of a run that ended on Interrupted.
[[nodiscard]] int InterruptedExitStatus();

} // namespace vellumo::pack
