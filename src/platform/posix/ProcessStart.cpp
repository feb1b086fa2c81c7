// Starting programs on Linux through posix_spawn, with nothing of ours inherited.
#include "platform/posix/ProcessStart.h"

#include "platform/Environment.h"
#include "platform/posix/FileDescriptorIo.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vellumo::process {
namespace {

constexpr const char* kNullDevice = "/dev/null";
// How often a bounded wait looks at the program: short against the milliseconds it usually takes.
constexpr auto kWaitStep = std::chrono::milliseconds(5);
// The search path a shell uses when PATH is not set.
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

// Owns the attributes and file actions of one posix_spawn call.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

} // namespace

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string FindOnSearchPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos)
        return std::string();
    const std::string path =
        HasEnvironmentValue("PATH") ? EnvironmentValue("PATH") : std::string(kDefaultSearchPath);
    const std::string_view folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string_view::npos)
            end = folders.size();
        const std::string_view folder = folders.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate(folder);
            if (candidate.back() != '/')
                candidate += '/';
            candidate += name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

int StartProcess(const StartRequest& request, pid_t& pid) {
    std::string program = request.program;
    if (request.searchPath && program.find('/') == std::string::npos) {
        program = FindOnSearchPath(program);
        if (program.empty())
            return ENOENT;
    }

    SpawnSetup setup;
    if (request.standardInput >= 0)
        posix_spawn_file_actions_adddup2(&setup.actions, request.standardInput, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, kNullDevice, O_RDONLY, 0);
    if (request.quietOutput)
        posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, kNullDevice, O_WRONLY, 0);
    if (request.quietErrors)
        posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, kNullDevice, O_WRONLY, 0);
    if (!request.directory.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, request.directory.c_str());
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);

    posix_spawnattr_setflags(&setup.attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    // Every signal we ignore or catch (a toolkit may) goes back to its default action.
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);

    std::vector<char*> argv;
    for (const std::string& argument : request.argv)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(),
                       environ);
}

FeedResult RunWithInput(StartRequest request, std::string_view text,
                        std::chrono::milliseconds wait) {
    FeedResult result;
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        result.startError = errno;
        return result;
    }
    request.standardInput = input[0];
    pid_t child = -1;
    result.startError = StartProcess(request, child);
    close(input[0]);
    if (result.startError != 0) {
        close(input[1]);
        return result;
    }
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    const bool written = posixio::WriteAll(input[1], text);
    close(input[1]);
    sigaction(SIGPIPE, &previous, nullptr);

    const auto deadline = std::chrono::steady_clock::now() + wait;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kWaitStep);
    if (done == 0) {
        kill(child, SIGKILL);
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return result;
    }
    result.succeeded = written && done == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

} // namespace vellumo::process
