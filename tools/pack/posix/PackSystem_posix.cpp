// vellumo-pack's system side on Linux: the signal handler removes the temporary file with unlink,
// which is async-signal-safe, from a path kept in a static buffer, then dies of the signal.
#include "PackSystem.h"

#include "platform/RuntimeError.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace vellumo::pack {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Written only while the signals are blocked, read only by the handler.
char temporaryPath[PATH_MAX + 1];
volatile sig_atomic_t hasTemporary = 0;
volatile sig_atomic_t progressLineOpen = 0;

extern "C" void OnSignal(int signal) {
    if (hasTemporary != 0)
        unlink(temporaryPath);
    if (progressLineOpen != 0) {
        const ssize_t ignored = write(STDERR_FILENO, "\n", 1);
        (void)ignored;
    }
    // The default action now: the process ends as killed by the signal, as its caller expects.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

std::string SystemPathToUtf8(const std::string& path) {
    return path;
}

int RunTimeWriteError(int systemError, bool creating) {
    return ErrorFromErrno(systemError, creating ? FileAction::kOpenForOutput : FileAction::kWrite)
        .Number();
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void WatchInterruptions() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_mask = WatchedSignals();
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

void TrackTemporaryFile(const std::function<std::string()>& create) {
    // The signals wait while the file is made and remembered, and come on every way out.
    struct Held {
        sigset_t previous;
        Held() {
            const sigset_t watched = WatchedSignals();
            sigprocmask(SIG_BLOCK, &watched, &previous);
        }
        ~Held() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
    } held;
    const std::string path = create();
    if (!path.empty() && path.size() < sizeof temporaryPath) {
        std::memcpy(temporaryPath, path.c_str(), path.size() + 1);
        hasTemporary = 1;
    }
}

void ForgetTemporaryFile() {
    hasTemporary = 0;
}

void SetProgressLineOpen(bool open) {
    progressLineOpen = open ? 1 : 0;
}

void StopIfInterrupted() {}

int InterruptedExitStatus() {
    return 128 + SIGINT; // not reached: the handler ends the process
}

} // namespace vellumo::pack
