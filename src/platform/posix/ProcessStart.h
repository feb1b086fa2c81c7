// Starting another program on Linux: the one way every part of the program does it (shell
// launching, the clipboard hand-over, the clipboard keeper's wl-copy).
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vellumo::process {

struct StartRequest {
    // A path; or, with searchPath, a name without "/" looked up on PATH (FindOnSearchPath).
    std::string program;
    // argv[0] included.
    std::vector<std::string> argv;
    bool searchPath = false;
    // The working folder; empty: this process's.
    std::string directory;
    // The descriptor that becomes the program's standard input; -1: /dev/null. Ours is never
    // handed on: the program reads nothing meant for us.
    int standardInput = -1;
    // Standard output or standard error to /dev/null rather than ours.
    bool quietOutput = false;
    bool quietErrors = false;
};

// Starts the program detached from everything of ours but the standard streams the request
// names: every other descriptor closed, a session of its own (no terminal signals from ours), an
// empty signal mask and every signal at its default action. Returns 0 with `pid` set, or the
// errno of the failed start (ENOENT for a name not found on PATH).
[[nodiscard]] int StartProcess(const StartRequest& request, pid_t& pid);

// What became of a program given a text on its standard input.
struct FeedResult {
    // 0, or the errno of the failed start (ENOENT: not found).
    int startError = 0;
    // It took the whole text, ended within the wait and exited 0.
    bool succeeded = false;
};

// Starts the program (as StartProcess, its standard input a pipe that carries `text` and is then
// closed) and waits at most `wait` for it to end; one still running then is killed. A program
// that ends before it has read the text does not kill this one (SIGPIPE is ignored meanwhile).
[[nodiscard]] FeedResult RunWithInput(StartRequest request, std::string_view text,
                                      std::chrono::milliseconds wait);

// The executable that a program name without "/" stands for: the first match in a folder of PATH
// (the shell's default search path when PATH is unset), or the empty text. Only absolute folders
// count: an empty or relative element (the current folder) is skipped, so that a file planted
// where the program happens to run is never started.
[[nodiscard]] std::string FindOnSearchPath(const std::string& name);

// A regular file that this process may execute.
[[nodiscard]] bool IsExecutableFile(const std::string& path);

} // namespace vellumo::process
