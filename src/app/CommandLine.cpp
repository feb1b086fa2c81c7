// Reading the command line with CLI11, and the help and version texts.
#include "app/CommandLine.h"

#include "BuildSettings.h"
#include "platform/StandardStreams.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace vellumo::app {
namespace {

constexpr const char* kProgram = "VellumoDiagnostic";
constexpr int kAnswered = 0;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: VellumoDiagnostic [--print] [--format=text|json|markdown] [--output=FILE] [--redact]\n"
    "                         [--check] [--compare=FILE]\n"
    "       VellumoDiagnostic --help | --version\n"
    "\n"
    "Gathers facts about this computer and the Vellumo installation into a report for support\n"
    "and shows it in a window (on Linux without a display: on standard output).\n"
    "\n"
    "Options:\n"
    "  --print          the report on standard output, even when a window could be shown\n"
    "  --format=FORMAT  text (the report as it is; the default), json or markdown; implies "
    "--print\n"
    "  --output=FILE    the output into FILE, written whole or not at all; implies --print\n"
    "  --redact         hide the user's name, the host name, the home folder and file names\n"
    "  --check          a verdict per check (PASS, WARN, FAIL or SKIP) with fixes; implies "
    "--print\n"
    "  --compare=FILE   what changed since a report saved with --output; implies --print\n"
    "  -h, --help       show this help and exit\n"
    "  --version        show the program's version and exit\n"
    "\n"
    "Exit status: 0 all is well; 1 something was found (a check failed, the report differs from\n"
    "FILE, or the run ended before the window); 2 trouble (a usage error, FILE unreadable or not "
    "a\n"
    "report, the output not written, personal data that redaction could not hide).";

// The options that are switches, without a value.
const std::vector<std::string_view> kSwitches = {"--help", "--version", "--print", "--redact",
                                                 "--check"};

bool Contains(const std::vector<std::string_view>& list, std::string_view item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The arguments without the toolkit's options and their values.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments,
                                               const ToolkitOptions& toolkit) {
    std::vector<std::string> ours;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (Contains(toolkit.withValue, arguments[i]) && i + 1 < arguments.size())
            ++i;
        else if (!Contains(toolkit.flags, arguments[i]))
            ours.push_back(arguments[i]);
    }
    return ours;
}

CommandLine UsageError(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    result.text =
        std::string(kProgram) + ": " + message + " (see " + kProgram + " --help for the usage)";
    return result;
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                            const ToolkitOptions& toolkit) {
    ProgramOptions options;
    bool help = false;
    bool version = false;
    std::string format;
    CLI::App parser(kProgram, kProgram);
    parser.set_help_flag();
    parser.add_flag("-h,--help", help);
    parser.add_flag("--version", version);
    parser.add_flag("--print", options.print);
    CLI::Option* formatOption =
        parser.add_option("--format", format)->check(CLI::IsMember({"text", "json", "markdown"}));
    CLI::Option* outputOption = parser.add_option("--output", options.output);
    parser.add_flag("--redact", options.redact);
    parser.add_flag("--check", options.check);
    CLI::Option* compareOption = parser.add_option("--compare", options.compare);

    std::vector<std::string> reversed = WithoutToolkitOptions(arguments, toolkit);
    // CLI11 would read "--redact=0" as "no --redact": a switch takes no value.
    for (const std::string& argument : reversed) {
        const std::string name = argument.substr(0, argument.find('='));
        if (name != argument && Contains(kSwitches, name))
            return UsageError(name + " takes no value");
    }
    // CLI11 reads a vector from its back.
    std::reverse(reversed.begin(), reversed.end());
    try {
        parser.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return UsageError(e.what());
    }
    for (const CLI::Option* option : parser.get_options()) {
        if (option->count() > 1)
            return UsageError(option->get_name() + " is given more than once");
    }
    for (const CLI::Option* option : {outputOption, compareOption}) {
        if (option->count() > 0 && option->as<std::string>().empty())
            return UsageError(option->get_name() + ": the file name is empty");
    }

    CommandLine result;
    if (help) {
        result.action = CommandLine::Action::Help;
        result.text = kUsage;
        return result;
    }
    if (version) {
        result.action = CommandLine::Action::Version;
        result.text = std::string(kProgram) + " " + build::kVersionText;
        return result;
    }
    options.formatGiven = formatOption->count() > 0;
    if (format == "json")
        options.format = handoff::DocumentFormat::Json;
    else if (format == "markdown")
        options.format = handoff::DocumentFormat::Markdown;
    options.compareGiven = compareOption->count() > 0;
    result.options = options;
    return result;
}

int Answer(const CommandLine& commandLine) {
    if (commandLine.action == CommandLine::Action::UsageError) {
        streams::WriteStandardError(commandLine.text);
        return kUsageError;
    }
    return streams::WriteStandardOutput(commandLine.text + "\n") ? kAnswered : kUsageError;
}

} // namespace vellumo::app
