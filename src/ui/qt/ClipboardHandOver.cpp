// Starting the clipboard keeper: its standard input carries the text; its exit status says
// whether it holds the clipboard.
#include "ui/qt/ClipboardHandOver.h"

#include "platform/SystemProbes.h"
#include "platform/posix/FileDescriptorIo.h"
#include "platform/posix/ProcessStart.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vellumo::ui {
namespace {

constexpr const char* kKeeperProgram = "vellumo-clipboard-keeper";
// The keeper answers as soon as it owns the clipboard, normally within milliseconds; a display
// that does not answer must not hold the program's exit for long.
constexpr auto kKeeperAnswerWait = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(5);

} // namespace

bool HandClipboardToKeeper(const std::string& text) {
    const std::string keeper = probes::CompanionFile(kKeeperProgram);
    if (keeper.empty() || access(keeper.c_str(), X_OK) != 0)
        return false;
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        return false;
    process::StartRequest request;
    request.program = keeper;
    request.argv = {kKeeperProgram};
    request.standardInput = input[0];
    pid_t child = -1;
    const int spawned = process::StartProcess(request, child);
    close(input[0]);
    if (spawned != 0) {
        close(input[1]);
        return false;
    }
    // A keeper that died early must not kill this program with SIGPIPE.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    const bool written = posixio::WriteAll(input[1], text);
    close(input[1]);
    sigaction(SIGPIPE, &previous, nullptr);

    const auto deadline = std::chrono::steady_clock::now() + kKeeperAnswerWait;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kPollInterval);
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return false;
    }
    return written && done == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vellumo::ui
