// The program's command line: the options for support (--print, --format, --output, --redact,
// --check, --compare), --help and --version, read with CLI11 and shared by both builds.
#pragma once

#include "handoff/ReportDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellumo::app {

struct ProgramOptions {
    bool print = false;
    handoff::DocumentFormat format = handoff::DocumentFormat::Text;
    bool formatGiven = false;
    std::string output; // empty: standard output
    bool redact = false;
    bool check = false;
    std::string compare;
    bool compareGiven = false;

    // The report goes to standard output (or the --output file) rather than into the window:
    // --print, and every option that makes a document (--format, --output, --check, --compare).
    // --redact alone keeps the window.
    [[nodiscard]] bool Headless() const {
        return print || formatGiven || !output.empty() || check || compareGiven;
    }
    // Any option at all: a run without any stays exactly as it always was.
    [[nodiscard]] bool Any() const { return Headless() || redact; }
};

// The toolkit's own options, which its window takes from the same command line (Qt's
// "-platform offscreen"): passed over, never taken for ours. Each is one argument, followed by
// its value when it is one of `withValue`.
struct ToolkitOptions {
    std::vector<std::string_view> withValue;
    std::vector<std::string_view> flags;
};

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    ProgramOptions options;
    // Help: the usage; Version: "VellumoDiagnostic 1.0.134"; UsageError: one line naming the
    // option and pointing to --help. Each without line end.
    std::string text;
};

// Reads the arguments (without the program's name). Every option takes "--name=VALUE" and
// "--name VALUE"; an unknown option, a positional argument, a missing, empty or bad value, or an
// option given twice is a UsageError.
[[nodiscard]] CommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                                          const ToolkitOptions& toolkit = {});

// Answers a command line that ends the program at once: the help or version on standard output
// (exit status 0), the usage error on standard error (2). Touches nothing else.
[[nodiscard]] int Answer(const CommandLine& commandLine);

} // namespace vellumo::app
