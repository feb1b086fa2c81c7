// The program's runs with options, shared by both builds: the run that hands its report out as a
// document, and the redacted report in the window.
#pragma once

#include "app/CommandLine.h"

namespace vellumo::app {

// Runs the start-up sequence without a window and hands out its report as the options ask: the
// document on standard output or written whole into the --output file, every message on standard
// error. A --compare file is read, and the --output file's folder checked, before anything else
// happens: when either fails the run does not start. Returns the exit status (0, 1 or 2, as
// handoff::MakeHandoff says; 2 also when the document could not be written).
[[nodiscard]] int RunForSupport(const ProgramOptions& options);

// Makes the window show and copy the redacted report (--redact with a window).
void ShowRedactedReportInWindow();
// Whether the window was given a notice in place of the report because redaction could not hide
// everything: the program then ends with exit status 2.
[[nodiscard]] bool WindowReportWithheld();

} // namespace vellumo::app
