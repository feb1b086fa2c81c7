// vellumo-reg: the command line parsed, the operation run, and its output checked.
#include "RegTool.h"

#include "RegCommand.h"
#include "RegConsole.h"
#include "RegOperations.h"

#include <ostream>

namespace vellumo::regtool {
namespace {

constexpr const char* kOutputFailed = "ERROR: The output could not be written.";

int RunCommand(const std::vector<std::string>& args, Console& console) {
    const auto parsed = ParseCommand(args, console);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    const Command& command = std::get<Command>(parsed);
    if (command.operation == "QUERY")
        return Query(command, console);
    if (command.operation == "ADD")
        return Add(command, console);
    if (command.operation == "DELETE")
        return Delete(command, console);
    if (command.operation == "EXPORT")
        return Export(command, console);
    return Import(command, console);
}

} // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    Console console(in, out, err);
    const int status = RunCommand(args, console);
    // What could not be written is lost (a full disk, a closed pipe): the caller must not take
    // the command's output for complete.
    if (!out.flush()) {
        err << kOutputFailed << '\n';
        return kExitFailure;
    }
    return status;
}

} // namespace vellumo::regtool
