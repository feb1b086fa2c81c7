// vellumo-clipboard-keeper: keeps the copied report on the clipboard after the program has ended.
// Reads the text (UTF-8) from standard input and takes the clipboard with it. The process that was
// started exits 0 once the clipboard is held (1 when it could not be taken, 2 on bad input); a
// detached child serves the text until another program takes the clipboard, or hands it to a
// running clipboard manager. On Wayland without X11 the text goes to wl-copy, which serves it the
// same way where the compositor allows it.
#include "platform/Environment.h"
#include "platform/posix/FileDescriptorIo.h"
#include "platform/posix/ProcessStart.h"
#include "ui/x11/ClipboardKeeper.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// A report is a few kilobytes; far more than that is not a report.
constexpr size_t kLargestText = 64 * 1024 * 1024;
constexpr int kHeld = 0;
constexpr int kNotHeld = 1;
constexpr int kBadInput = 2;
// A display takes the clipboard within milliseconds. One that accepts the connection and never
// answers (or stops answering before the clipboard is ours) must not keep the keeper's starter
// waiting, nor its child blocked for ever: the child is ended after this long. The program's
// hand-over gives the keeper more than this.
constexpr auto kOwnershipWait = std::chrono::seconds(3);
// The descriptor the detached server tells its starter through, below any it closes.
constexpr int kAnswerDescriptor = STDERR_FILENO + 1;

// The detached server must not hold the terminal or the starter's pipes open.
void DetachStandardStreams() {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0)
        return;
    for (int fd = 0; fd <= 2; ++fd)
        dup2(null, fd);
    if (null > 2)
        close(null);
}

// The detached server holds nothing of its starter's but the standard streams (until the
// clipboard is ours) and the answer pipe: a descriptor left open, such as the write end of a
// pipe a supervisor reads to its end, would keep that reader waiting until the server ends.
int KeepOnlyTheAnswerDescriptor(int answer) {
    if (answer != kAnswerDescriptor) {
        if (dup2(answer, kAnswerDescriptor) < 0)
            return -1;
        close(answer);
    }
    closefrom(kAnswerDescriptor + 1);
    return kAnswerDescriptor;
}

// Wayland alone: wl-copy takes the selection and serves it from the background itself. It
// answers once it holds the selection; a compositor that does not answer must not hold the
// keeper's starter either.
int HandToWlCopy(const std::string& text) {
    vellumo::process::StartRequest request;
    request.program = "wl-copy";
    request.argv = {"wl-copy", "--type", "text/plain;charset=utf-8"};
    request.searchPath = true;
    const vellumo::process::FeedResult result =
        vellumo::process::RunWithInput(std::move(request), text, kOwnershipWait);
    if (result.startError == ENOENT)
        std::fputs("vellumo-clipboard-keeper: wl-copy is not installed; the clipboard ends with "
                   "the program\n",
                   stderr);
    return result.succeeded ? kHeld : kNotHeld;
}

int KeepOnX11(const std::string& text) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return kNotHeld;
    const pid_t child = fork();
    if (child < 0)
        return kNotHeld;
    if (child > 0) {
        close(ready[1]);
        std::string answer;
        const bool answered = vellumo::posixio::ReadAllWithin(
            ready[0], answer, 1,
            std::chrono::duration_cast<std::chrono::milliseconds>(kOwnershipWait));
        close(ready[0]);
        if (answered && answer == "1")
            return kHeld;
        if (!answered) {
            std::fputs("vellumo-clipboard-keeper: the display did not answer in time\n", stderr);
            kill(child, SIGKILL);
            while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        return kNotHeld;
    }
    // The detached server: its own session, no current folder held, none of the starter's
    // descriptors.
    close(ready[0]);
    ready[1] = KeepOnlyTheAnswerDescriptor(ready[1]);
    if (ready[1] < 0)
        _exit(kNotHeld);
    setsid();
    if (chdir("/") != 0) {
        // Any folder will do; "/" only keeps file systems unmountable.
    }
    std::signal(SIGPIPE, SIG_IGN);
    int signalFd = ready[1];
    const vellumo::x11::KeepResult result = vellumo::x11::KeepClipboardText(text, [&] {
        (void)vellumo::posixio::WriteAll(signalFd, "1");
        close(signalFd);
        signalFd = -1;
        DetachStandardStreams();
    });
    if (signalFd >= 0) {
        (void)vellumo::posixio::WriteAll(signalFd, "0");
        close(signalFd);
    }
    _exit(result == vellumo::x11::KeepResult::NoDisplay ? kNotHeld : kHeld);
}

} // namespace

int main() {
    std::string text;
    if (!vellumo::posixio::ReadAll(0, text, kLargestText)) {
        std::fputs("vellumo-clipboard-keeper: the text cannot be read or is too long\n", stderr);
        return kBadInput;
    }
    if (!vellumo::HasEnvironmentValue("DISPLAY") && vellumo::HasEnvironmentValue("WAYLAND_DISPLAY"))
        return HandToWlCopy(text);
    return KeepOnX11(text);
}
