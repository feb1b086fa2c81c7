// The program and the clipboard keeper against displays that cannot show a window to anyone: a
// display server that accepts a connection and never answers, a Wayland socket whose queue of
// connections is full, and the toolkit's platforms that draw into memory only. Each ends in the
// report on standard output (the keeper: in its failure status) within a few seconds.
#include "support/TestEnvironment.h"

#include <csignal>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vellumo {
namespace {

using test::fs::path;

// A display server that listens and never says a word: an abstract socket named as libxcb names
// display :N's (which it tries first on Linux); nobody accepts, so a client's connection waits
// in the queue for an answer that never comes.
class SilentX11Display {
public:
    SilentX11Display() {
        for (int number = 700; number < 800 && display_.empty(); ++number) {
            const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, name.data(), name.size());
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const auto length =
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
            if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                listen(fd, 16) == 0) {
                fd_ = fd;
                display_ = ":" + std::to_string(number);
            } else {
                close(fd);
            }
        }
    }
    ~SilentX11Display() {
        if (fd_ >= 0)
            close(fd_);
    }
    SilentX11Display(const SilentX11Display&) = delete;
    SilentX11Display& operator=(const SilentX11Display&) = delete;
    [[nodiscard]] const std::string& Display() const { return display_; }

private:
    int fd_ = -1;
    std::string display_;
};

// A compositor's socket whose queue of waiting connections is full: connecting to it waits.
class FullWaylandSocket {
public:
    explicit FullWaylandSocket(const path& socketPath) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.string().size() + 1);
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 0) != 0)
            return;
        // A queue of length 0 holds one waiting connection; this one fills it.
        waiting_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        full_ = connect(waiting_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~FullWaylandSocket() {
        close(waiting_);
        close(listener_);
    }
    FullWaylandSocket(const FullWaylandSocket&) = delete;
    FullWaylandSocket& operator=(const FullWaylandSocket&) = delete;
    [[nodiscard]] bool Full() const { return full_; }

private:
    int listener_ = -1;
    int waiting_ = -1;
    bool full_ = false;
};

struct BoundedRun {
    int exitCode = -1; // timeout's 124 when the program was still running after 60 seconds
    std::string out;
    std::string err;
};

class HostileDisplayTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        const path built = path(test::BuiltProgram("VellumoDiagnostic")).parent_path();
        for (const char* file :
             {"VellumoDiagnostic", "libvellumo-gui.so", "vellumo-clipboard-keeper"})
            test::fs::copy_file(built / file, app_ / file);
    }
    void TearDown() override {
        // Whatever of ours a failing run left behind (a keeper blocked for ever) is ended.
        for (const pid_t pid : OurProcesses())
            kill(pid, SIGKILL);
        IsolatedTest::TearDown();
    }

    // Runs one of the copied programs under timeout, its streams in files, so that a process it
    // leaves behind cannot hold the test: a hang shows as status 124.
    BoundedRun Run(const std::string& program, std::map<std::string, std::string> env,
                   const std::string& input = {}) const {
        const path out = Home() / (program + ".out");
        const path err = Home() / (program + ".err");
        env.emplace("LC_ALL", "C.UTF-8");
        std::vector<std::string> unset;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            if (env.find(name) == env.end())
                unset.emplace_back(name);
        const test::ProcessResult r =
            test::RunProcessWith({"sh", "-c", "timeout 60 \"$0\" > \"$1\" 2> \"$2\"; echo $?",
                                  (app_ / program).string(), out.string(), err.string()},
                                 test::ProcessOptions{env, unset, input, {}, false});
        return {std::stoi(r.out), test::ReadFile(out), test::ReadFile(err)};
    }

    // Processes started from the test's copy of the program's folder.
    [[nodiscard]] std::vector<pid_t> OurProcesses() const {
        std::vector<pid_t> found;
        for (const auto& entry : test::fs::directory_iterator("/proc")) {
            std::error_code ec;
            const path exe = test::fs::read_symlink(entry.path() / "exe", ec);
            if (!ec && exe.parent_path() == app_)
                found.push_back(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
        }
        return found;
    }

    path app_;
};

TEST_F(HostileDisplayTest, DisplaysThatNeverAnswerGiveTheReportWithinTheProbesDeadline) {
    const SilentX11Display x11;
    ASSERT_FALSE(x11.Display().empty()) << "no free display number for the silent server";
    const path runtime = Home() / "runtime";
    test::fs::create_directories(runtime);
    const FullWaylandSocket wayland(runtime / "wayland-full");
    ASSERT_TRUE(wayland.Full());

    const std::vector<std::map<std::string, std::string>> displays = {
        {{"DISPLAY", x11.Display()}},
        {{"WAYLAND_DISPLAY", "wayland-full"}, {"XDG_RUNTIME_DIR", runtime.string()}}};
    for (const auto& display : displays) {
        const std::string which = display.begin()->second;
        const BoundedRun r = Run("VellumoDiagnostic", display);
        EXPECT_EQ(r.exitCode, 0) << which << "\n" << r.err;
        EXPECT_NE(r.err.find("did not answer within 3 seconds"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.rfind("OS: ", 0), 0u) << which << "\n" << r.out;
    }
}

TEST_F(HostileDisplayTest, TheKeeperGivesUpADisplayThatNeverAnswersAndLeavesNothingRunning) {
    const SilentX11Display x11;
    ASSERT_FALSE(x11.Display().empty());
    const BoundedRun r =
        Run("vellumo-clipboard-keeper", {{"DISPLAY", x11.Display()}}, "the report\r\n");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
    EXPECT_TRUE(OurProcesses().empty()) << "the keeper's server is still waiting for the display";
}

TEST_F(HostileDisplayTest, PlatformsThatDrawIntoMemoryAloneCountAsNoDisplay) {
    // Set in a developer's shell or by a test runner, with a DISPLAY that cannot be reached: the
    // window would be shown to nobody and wait for ever.
    for (const char* platform : {"offscreen", "minimal"}) {
        const BoundedRun r =
            Run("VellumoDiagnostic", {{"QT_QPA_PLATFORM", platform}, {"DISPLAY", ":987"}});
        EXPECT_EQ(r.exitCode, 0) << platform << "\n" << r.err;
        EXPECT_NE(
            r.err.find(std::string("QT_QPA_PLATFORM=") + platform + " shows no window to a person"),
            std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.rfind("OS: ", 0), 0u) << platform << "\n" << r.out;
    }
}

} // namespace
} // namespace vellumo
