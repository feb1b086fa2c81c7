// The window tests' X11 session: Xvfb -displayfd, openbox, background processes, the X tools.
#include "support/posix/X11Session.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vellumo::test {
namespace {

using namespace std::chrono_literals;

// Xvfb, openbox and the program's window come up within a second or two even on a loaded
// machine.
constexpr int kStartWaitMs = 20000;
// The displays the sessions choose from.
constexpr int kFirstDisplay = 200;
constexpr int kDisplays = 800;
constexpr int kDisplayAttempts = 20;

[[noreturn]] void ExecInChild(const std::vector<std::string>& argv,
                              const std::map<std::string, std::string>& env, int out) {
    for (const auto& [name, value] : env)
        setenv(name.c_str(), value.c_str(), 1);
    dup2(out, 1);
    dup2(out, 2);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// The number after the first "label" in the text ("Width: 542" after "Width:").
int IntAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? 0 : std::stoi(text.substr(at + label.size()));
}

// Starts Xvfb on display `number`; returns the number once it accepts clients, or the empty
// text when it ended instead (the display was taken). `pid` is the server's.
std::string StartXvfb(const std::string& number, const std::string& screenSize,
                      const fs::path& logFile, pid_t& pid) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return {};
    const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    pid = fork();
    if (pid == 0) {
        dup2(ready[1], 3);
        // -noreset: a server without clients would otherwise reset and refuse connections
        // for a moment, as after a probe of the display, or between two X tools.
        ExecInChild({"Xvfb", ":" + number, "-displayfd", "3", "-screen", "0", screenSize + "x24",
                     "-nolisten", "tcp", "-noreset"},
                    {}, log);
    }
    close(log);
    close(ready[1]);
    std::string answer;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, kStartWaitMs) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
        answer += c;
    close(ready[0]);
    return answer;
}

} // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& env,
                                     const fs::path& outFile) {
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = fork();
    if (pid_ == 0)
        ExecInChild(argv, env, out);
    close(out);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

int BackgroundProcess::WaitExit(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(2ms);
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

bool BackgroundProcess::Running() {
    return !exited_ && waitpid(pid_, nullptr, WNOHANG) == 0;
}

X11Session::X11Session(const fs::path& logFolder, const std::string& screenSize,
                       bool windowManager) {
    // Xvfb writes the display's number to the pipe once it accepts clients. The number is one
    // of many high ones, tried until one is free, so that sessions of tests running at once
    // never meet, nor low numbers that other programs and tests take for granted.
    std::random_device random;
    std::string number;
    for (int attempt = 0; number.empty() && attempt < kDisplayAttempts; ++attempt) {
        if (xvfb_ > 0)
            waitpid(xvfb_, nullptr, 0); // the last attempt's server, which found its number taken
        number = StartXvfb(std::to_string(kFirstDisplay + random() % kDisplays), screenSize,
                           logFolder / "xvfb.log", xvfb_);
    }
    if (number.empty()) {
        problem_ = "Xvfb did not start: " + ReadFile(logFolder / "xvfb.log");
        return;
    }
    display_ = ":" + number;
    if (windowManager) {
        windowManager_ = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{"openbox", "--sm-disable"},
            std::map<std::string, std::string>{{"DISPLAY", display_}}, logFolder / "openbox.log");
        // The window manager is ready when it names itself on the root window.
        bool running = false;
        for (int waited = 0; !running && waited < kStartWaitMs; waited += 20) {
            running = X({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") !=
                      std::string::npos;
            if (!running)
                std::this_thread::sleep_for(20ms);
        }
        if (!running) {
            problem_ = "openbox did not start: " + ReadFile(logFolder / "openbox.log");
            return;
        }
    }
    ready_ = true;
}

X11Session::~X11Session() {
    windowManager_.reset();
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
}

ProcessResult X11Session::X(const std::vector<std::string>& argv) const {
    return RunProcess(argv, {{"DISPLAY", display_}});
}

std::vector<std::string> X11Session::FindWindows(const std::string& titlePattern) const {
    // Asked again until a window appears: a search fails outright when a window it looks at
    // goes away meanwhile, as the program's short-lived windows at start do.
    std::vector<std::string> windows;
    for (int waited = 0; windows.empty() && waited < kStartWaitMs; waited += 50) {
        const ProcessResult found =
            X({"xdotool", "search", "--onlyvisible", "--name", titlePattern});
        size_t start = 0;
        for (size_t end; (end = found.out.find('\n', start)) != std::string::npos; start = end + 1)
            windows.push_back(found.out.substr(start, end - start));
        if (windows.empty())
            std::this_thread::sleep_for(50ms);
    }
    return windows;
}

WindowGeometry X11Session::Geometry(const std::string& window) const {
    // xwininfo's absolute position (xdotool adds a window manager's frame offset once more).
    const std::string info = X({"xwininfo", "-id", window}).out;
    return {IntAfter(info, "Absolute upper-left X:"), IntAfter(info, "Absolute upper-left Y:"),
            IntAfter(info, "Width:"), IntAfter(info, "Height:")};
}

FrameExtents X11Session::Frame(const std::string& window) const {
    // "_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 20, 1": left, right, top, bottom.
    const std::string out = X({"xprop", "-id", window, "_NET_FRAME_EXTENTS"}).out;
    FrameExtents frame;
    if (const size_t at = out.find(" = "); at != std::string::npos)
        std::sscanf(out.c_str() + at + 3, "%d, %d, %d, %d", &frame.left, &frame.right, &frame.top,
                    &frame.bottom);
    return frame;
}

std::string X11Session::Clipboard() const {
    return X({"timeout", "5", "xclip", "-o", "-selection", "clipboard"}).out;
}

fs::path CopyProgramTo(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path built = BuiltProgram("VellumoDiagnostic");
    fs::copy_file(built, folder / "VellumoDiagnostic");
    for (const char* companion : {"libvellumo-gui.so", "vellumo-clipboard-keeper"})
        fs::copy_file(built.parent_path() / companion, folder / companion);
    return folder / "VellumoDiagnostic";
}

std::string MissingX11Tools(bool windowManager) {
    std::string missing;
    std::vector<std::string> tools = {"Xvfb", "xdotool", "xclip", "xprop"};
    if (windowManager)
        tools.push_back("openbox");
    for (const std::string& tool : tools)
        if (RunProcess({"sh", "-c", "command -v " + tool}).exitCode != 0)
            missing += (missing.empty() ? "" : ", ") + tool;
    return missing;
}

} // namespace vellumo::test
