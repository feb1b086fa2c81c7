// CShellExecute on Linux: documents, folders, addresses and e-mail through xdg-open (the
// freedesktop convention), printing through lp, programs started directly.
// Nothing waits for a started program; an opener's verdict is awaited for a bounded time only.
// Children let go of while they run are reaped by the sweep of a later launch or query.
#include "platform/CShellExecute.h"

#include "platform/CodePage.h"
#include "platform/EnvironmentText.h"
#include "platform/posix/ProcessStart.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vellumo {
namespace {

using namespace std::chrono_literals;

// Any instance value above 32 means success; the system itself gives 42.
constexpr int32_t kInstanceAccepted = 42;

constexpr const char* kOpener = "xdg-open";
constexpr const char* kPrinter = "lp";

// xdg-open's documented exit statuses.
constexpr int kOpenerSyntaxError = 1;  // e.g. an empty target
constexpr int kOpenerFileMissing = 2;  // a file target that does not exist
constexpr int kOpenerNoMethod = 3;     // no handler for the target
constexpr int kOpenerActionFailed = 4; // the desktop's opener or the handler failed
constexpr int kOpenerNoPermission = 5; // a file target that cannot be read

// How often a bounded wait looks at the opener: short against xdg-open's usual 50-250 ms.
constexpr auto kPollInterval = 2ms;

// The children let go of while they still ran, waiting to be reaped by a later sweep.
std::vector<pid_t>& LetGoChildren() {
    static std::vector<pid_t> children;
    return children;
}

// Reaps the child if it has ended; true when it has (or is not ours to wait for).
bool ReapIfEnded(pid_t pid) noexcept {
    pid_t ended = 0;
    do {
        ended = waitpid(pid, nullptr, WNOHANG);
    } while (ended < 0 && errno == EINTR);
    return ended != 0;
}

// Reaps every let-go child that has ended and forgets it.
void SweepLetGoChildren() noexcept {
    std::erase_if(LetGoChildren(), ReapIfEnded);
}

// Gives up a child: reaped now when it has ended, else kept on the list for a later sweep.
void Release(pid_t pid) noexcept {
    if (pid <= 0 || ReapIfEnded(pid))
        return;
    try {
        LetGoChildren().push_back(pid);
    } catch (...) {
        // No memory to spare: the system reaps the process when the program ends.
    }
}

// Waits until the child ends or the hand-over wait is over: its wait status, or nothing while it
// still runs. A child that cannot be waited for (reaped elsewhere) counts as ended successfully.
std::optional<int> WaitBriefly(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + CShellExecute::HandOverWait();
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return status;
        if (ended < 0 && errno != EINTR)
            return 0;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
}

// An address with a scheme ("mailto:", "https:"), as opposed to a path.
bool HasScheme(std::string_view target) {
    if (target.empty() || std::isalpha(static_cast<unsigned char>(target[0])) == 0)
        return false;
    for (size_t i = 1; i < target.size(); ++i) {
        const char c = target[i];
        if (c == ':')
            return true;
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '+' && c != '.' && c != '-')
            return false;
    }
    return false;
}

// A path the opener cannot mistake for an option.
std::string SafeTarget(const std::string& target) {
    if (!target.empty() && target[0] == '-' && !HasScheme(target))
        return "./" + target;
    return target;
}

// A program in the system's binary format (ELF) that this process may execute. A script, or any
// other file that merely has the execute bit, is no program to start as a document.
bool IsBinaryProgram(const std::string& path) {
    static constexpr char kElfMagic[] = {'\x7f', 'E', 'L', 'F'};
    if (!process::IsExecutableFile(path))
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    char magic[sizeof kElfMagic] = {};
    const ssize_t n = read(fd, magic, sizeof magic);
    close(fd);
    return n == static_cast<ssize_t>(sizeof magic) &&
           std::memcmp(magic, kElfMagic, sizeof magic) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A missing target: "file not found" when its folder exists, "path not found" when not.
int32_t MissingPathCode(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    return IsDirectory(folder) ? CShellExecute::kFileNotFound : CShellExecute::kPathNotFound;
}

// The code for a target that stat() refused.
int32_t UnreachableCode(const std::string& path, int error) {
    if (error == EACCES)
        return CShellExecute::kAccessDenied;
    if (error == ENOTDIR)
        return CShellExecute::kPathNotFound;
    return MissingPathCode(path);
}

int32_t CodeForSpawnError(int error) {
    switch (error) {
    case ENOENT:
        return CShellExecute::kFileNotFound;
    case ENOTDIR:
        return CShellExecute::kPathNotFound;
    case EACCES:
    case EPERM:
        return CShellExecute::kAccessDenied;
    case ENOEXEC:
        return CShellExecute::kBadFormat;
    default:
        return CShellExecute::kOutOfResources;
    }
}

// The shell's value for xdg-open's verdict on a target.
int32_t CodeForOpenerStatus(int waitStatus, const std::string& target) {
    if (!WIFEXITED(waitStatus))
        return CShellExecute::kOutOfResources;
    switch (WEXITSTATUS(waitStatus)) {
    case 0:
        return kInstanceAccepted;
    case kOpenerSyntaxError:
        return CShellExecute::kFileNotFound;
    case kOpenerFileMissing:
        return HasScheme(target) ? CShellExecute::kFileNotFound : MissingPathCode(target);
    case kOpenerNoMethod:
    case kOpenerActionFailed:
        return CShellExecute::kNoAssociation;
    case kOpenerNoPermission:
        return CShellExecute::kAccessDenied;
    default:
        return CShellExecute::kOutOfResources;
    }
}

// The opener or the print spooler, found on PATH, on one target. Their output, and that of the
// handlers they run, is theirs: a started program never writes into ours.
process::StartRequest HelperTool(const char* tool, const std::string& target) {
    process::StartRequest request;
    request.program = tool;
    request.argv = {tool, SafeTarget(target)};
    request.searchPath = true;
    request.quietOutput = true;
    request.quietErrors = true;
    return request;
}

// A started opener (pid) or, when it could not start (pid 0), the shell's code.
struct OpenerStart {
    pid_t pid = 0;
    int32_t code = 0;
};

// Starts xdg-open on the target, in the given working folder.
OpenerStart StartOpener(const std::string& target, const std::string& directory) {
    pid_t pid = 0;
    process::StartRequest request = HelperTool(kOpener, target);
    request.directory = directory;
    const int error = process::StartProcess(request, pid);
    if (error == ENOENT)
        return {0, CShellExecute::kNoAssociation}; // no opener installed: nothing can open anything
    if (error != 0)
        return {0, CodeForSpawnError(error)};
    return {pid, 0};
}

int32_t Print(const std::string& path) {
    if (path.empty())
        return CShellExecute::kFileNotFound;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return UnreachableCode(path, errno);
    if (S_ISDIR(info.st_mode))
        return CShellExecute::kNoAssociation;
    if (access(path.c_str(), R_OK) != 0)
        return CShellExecute::kAccessDenied;
    pid_t pid = 0;
    const int error = process::StartProcess(HelperTool(kPrinter, path), pid);
    if (error == ENOENT)
        return CShellExecute::kNoAssociation; // no print spooler
    if (error != 0)
        return CodeForSpawnError(error);
    const std::optional<int> status = WaitBriefly(pid);
    if (!status) {
        Release(pid);
        return kInstanceAccepted;
    }
    return WIFEXITED(*status) && WEXITSTATUS(*status) == 0 ? kInstanceAccepted
                                                           : CShellExecute::kNoAssociation;
}

} // namespace

int32_t CShellExecute::PlainCall(int32_t /*hWnd*/, const char* verb, const std::string& file,
                                 int32_t /*show*/) {
    SweepLetGoChildren();
    const std::string target = PathToSystem(file);
    if (verb != nullptr && std::strcmp(verb, "print") == 0)
        return Print(target);
    if (verb != nullptr && std::strcmp(verb, "explore") == 0 && !HasScheme(target)) {
        // Only folders can be explored; a file has no "explore" action.
        struct stat info {};
        if (stat(target.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            return kNoAssociation;
    }
    const OpenerStart opener = StartOpener(target, std::string());
    if (opener.pid == 0)
        return opener.code;
    const pid_t pid = opener.pid;
    const std::optional<int> status = WaitBriefly(pid);
    if (!status) {
        // Still busy: xdg-open without a desktop runs the handler itself. Accepted; the opener
        // is reaped whenever it ends.
        Release(pid);
        return kInstanceAccepted;
    }
    return CodeForOpenerStatus(*status, target);
}

CShellExecute::ExtendedResult CShellExecute::ExtendedCall(int32_t /*hWnd*/, const char* /*verb*/,
                                                          const std::string& file,
                                                          const std::string& parameters,
                                                          const std::string& directory,
                                                          int32_t /*show*/, ExtendedTarget kind) {
    SweepLetGoChildren();
    const std::string target =
        PathToSystem(ExpandEnvironmentText(file, DollarReferences::kExpanded, environ));
    const std::string folder =
        PathToSystem(ExpandEnvironmentText(directory, DollarReferences::kExpanded, environ));

    if (!folder.empty()) {
        struct stat info {};
        if (stat(folder.c_str(), &info) != 0)
            return {errno == EACCES ? kAccessDenied : kPathNotFound, 0};
        if (!S_ISDIR(info.st_mode))
            return {kPathNotFound, 0};
    }
    if (target.empty())
        return {kFileNotFound, 0};

    // The executable to start directly, if the target is one; else the target's path as seen
    // from the working folder, for the opener's error codes. Only a program name is looked up on
    // PATH: a document named like a program on PATH must not start that program.
    const bool isProgram = kind == ExtendedTarget::kProgram;
    std::string program;
    std::string located = target;
    if (!HasScheme(target)) {
        if (isProgram && target.find('/') == std::string::npos)
            program = process::FindOnSearchPath(target);
        if (program.empty()) {
            located = target[0] == '/' || folder.empty() ? target : folder + "/" + target;
            struct stat info {};
            if (stat(located.c_str(), &info) != 0)
                return {UnreachableCode(located, errno), 0};
            if (isProgram ? process::IsExecutableFile(located) : IsBinaryProgram(located))
                program = std::filesystem::absolute(located).string();
        }
    }

    if (!program.empty()) {
        std::vector<std::string> argv = {target};
        for (const std::string& word : shellexec::SplitParameters(parameters))
            argv.push_back(PathToSystem(word));
        pid_t pid = 0;
        process::StartRequest request;
        request.program = program;
        request.argv = std::move(argv);
        request.directory = folder;
        request.quietOutput = true;
        request.quietErrors = true;
        const int error = process::StartProcess(request, pid);
        if (error != 0)
            return {CodeForSpawnError(error), 0};
        return {kInstanceAccepted, static_cast<int32_t>(pid)};
    }

    // A document, folder or address: the opener is the started process, kept while it runs
    // (without a desktop it runs the handler and ends with it).
    const OpenerStart opener = StartOpener(target, folder);
    if (opener.pid == 0)
        return {opener.code, 0};
    const pid_t pid = opener.pid;
    const std::optional<int> status = WaitBriefly(pid);
    if (!status)
        return {kInstanceAccepted, static_cast<int32_t>(pid)};
    return {CodeForOpenerStatus(*status, located), 0};
}

bool CShellExecute::ProcessActive(int32_t& process) {
    SweepLetGoChildren();
    if (process <= 0)
        return false;
    if (!ReapIfEnded(process))
        return true;
    // Ended and now reaped (or not ours to ask about): its number may soon belong to another.
    process = 0;
    return false;
}

void CShellExecute::ReleaseProcess(int32_t process) noexcept {
    Release(process);
}

} // namespace vellumo
