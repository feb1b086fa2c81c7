// Starting the clipboard keeper: its standard input carries the text; its exit status says
// whether it holds the clipboard.
#include "ui/qt/ClipboardHandOver.h"

#include "platform/SystemProbes.h"
#include "platform/posix/ProcessStart.h"

#include <chrono>
#include <unistd.h>
#include <utility>

namespace vellumo::ui {
namespace {

constexpr const char* kKeeperProgram = "vellumo-clipboard-keeper";
// The keeper answers as soon as it owns the clipboard, normally within milliseconds; a display
// that does not answer must not hold the program's exit for long.
constexpr auto kKeeperAnswerWait = std::chrono::seconds(5);

} // namespace

bool HandClipboardToKeeper(const std::string& text) {
    const std::string keeper = probes::CompanionFile(kKeeperProgram);
    if (keeper.empty() || access(keeper.c_str(), X_OK) != 0)
        return false;
    process::StartRequest request;
    request.program = keeper;
    request.argv = {kKeeperProgram};
    return process::RunWithInput(std::move(request), text, kKeeperAnswerWait).succeeded;
}

} // namespace vellumo::ui
