// The program's standard output and standard error, for the documents it hands out and its
// messages; on Windows also from a program of the graphical subsystem.
#pragma once

#include <string_view>

namespace vellumo::streams {

// Makes standard output and standard error reachable. Windows: a program of the graphical
// subsystem has no console of its own. It keeps the standard handles its parent gave it (a
// redirection to a file or a pipe) and, for those it lacks, attaches to the console of the
// process that started it (cmd.exe), so that both the C library's streams and the functions
// below write there. With neither, output goes nowhere, as for any windowed program. Linux:
// nothing to do.
void ConnectStandardStreams();

// Writes the bytes to standard output as they are, then flushes it. False when not all of them
// could be written (a full disk, a closed pipe, no standard output at all). Windows: a console
// is given the text as UTF-16, so that every character shows whatever its code page; a file or
// pipe gets the bytes.
[[nodiscard]] bool WriteStandardOutput(std::string_view bytes);

// One message line on standard error; the line end is added (LF on Linux, CR LF on Windows).
void WriteStandardError(std::string_view line);

} // namespace vellumo::streams
