// The real program in a real X11 session (Xvfb): the window is found by its title, Copy To
// Clipboard puts the report on the X11 clipboard (read back with xclip), Exit ends the program.
#include "support/TestEnvironment.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::fs::path;

// A child process started in the background, killed if still running at the end.
class Background {
public:
    Background(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& outFile) {
        pid_ = fork();
        if (pid_ == 0) {
            for (const auto& [k, v] : env)
                setenv(k.c_str(), v.c_str(), 1);
            const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(out, 2);
            const int in = open("/dev/null", O_RDONLY);
            dup2(in, 0);
            std::vector<char*> args;
            for (const auto& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
    }
    ~Background() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // The exit status, or -1 when it is still running after the timeout.
    int WaitExit(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }
    [[nodiscard]] bool Running() { return !exited_ && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
};

class WindowX11Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        if (test::RunProcess(
                {"sh", "-c", "command -v Xvfb && command -v xdotool && command -v xclip"})
                .exitCode != 0)
            GTEST_FAIL() << "Xvfb, xdotool and xclip are needed (scripts/install-deps.sh test "
                            "installs them)";
        display_ = ":" + std::to_string(90 + getpid() % 100);
        xvfb_ = std::make_unique<Background>(
            std::vector<std::string>{"Xvfb", display_, "-screen", "0", "1280x1024x24", "-nolisten",
                                     "tcp"},
            std::map<std::string, std::string>{}, (Home() / "xvfb.log").string());
        for (int i = 0; i < 100 && X({"xdpyinfo"}).exitCode != 0; ++i)
            std::this_thread::sleep_for(50ms);
        appDir_ = Home() / "app";
        test::fs::create_directories(appDir_);
        // The program loads its window module from its own folder.
        const path built = test::BuiltProgram("VellumoDiagnostic");
        test::fs::copy_file(built, appDir_ / "VellumoDiagnostic");
        test::fs::copy_file(built.parent_path() / "libvellumo-gui.so", appDir_ / "libvellumo-gui.so");
    }

    test::ProcessResult X(const std::vector<std::string>& argv) {
        return test::RunProcess(argv, {{"DISPLAY", display_}});
    }

    std::string display_;
    std::unique_ptr<Background> xvfb_;
    path appDir_;
};

TEST_F(WindowX11Test, WindowIsFoundCopiesTheReportAndExits) {
    ASSERT_EQ(X({"xdpyinfo"}).exitCode, 0) << "Xvfb did not start";
    const std::map<std::string, std::string> env = {{"DISPLAY", display_},
                                                    {"WAYLAND_DISPLAY", ""},
                                                    {"QT_QPA_PLATFORM", "xcb"},
                                                    {"HOME", Home().string()},
                                                    {"XDG_CONFIG_HOME", ConfigHome().string()},
                                                    {"XDG_DATA_HOME", DataHome().string()},
                                                    {"XDG_DOCUMENTS_DIR", Documents().string()}};
    Background program({(appDir_ / "VellumoDiagnostic").string()}, env,
                       (Home() / "program.log").string());

    const test::ProcessResult found = X({"timeout", "20", "xdotool", "search", "--sync",
                                         "--onlyvisible", "--name", "^Vellumo Diagnostic$"});
    ASSERT_EQ(found.exitCode, 0) << test::ReadFile(Home() / "program.log");
    const std::string window = found.out.substr(0, found.out.find('\n'));

    // The window is 8130 x 8715 twips; Copy To Clipboard sits at (240, 300), 2235 x 435 twips.
    const std::string geometry = X({"xdotool", "getwindowgeometry", "--shell", window}).out;
    const auto field = [&](const std::string& name) {
        const size_t at = geometry.find(name + "=");
        return at == std::string::npos ? 0 : std::stoi(geometry.substr(at + name.size() + 1));
    };
    const int width = field("WIDTH"), height = field("HEIGHT");
    ASSERT_GT(width, 0) << geometry;
    const auto px = [](int twips, int pixels, int total) {
        return std::to_string(twips * pixels / total);
    };
    const std::string copyX = px(240 + 2235 / 2, width, 8130),
                      copyY = px(300 + 435 / 2, height, 8715);
    ASSERT_EQ(X({"xdotool", "mousemove", "--window", window, copyX, copyY, "click", "1"}).exitCode,
              0);
    std::string clip;
    for (int i = 0; i < 60 && clip.rfind("OS: ", 0) != 0; ++i) {
        std::this_thread::sleep_for(100ms);
        clip = X({"timeout", "5", "xclip", "-o", "-selection", "clipboard"}).out;
    }
    ASSERT_EQ(clip.rfind("OS: ", 0), 0u) << clip;
    const std::string dataPath = (DataHome() / "Vellumo Data").string() + "/";
    EXPECT_NE(clip.find("\r\nAppPath: " + appDir_.string() + "/\r\n"), std::string::npos) << clip;
    EXPECT_NE(clip.find("\r\nInitializing settings in registry\r\n"), std::string::npos);
    const std::string lastLine = "Can create file in DataPath: " + dataPath + "\r\n";
    ASSERT_GE(clip.size(), lastLine.size());
    EXPECT_EQ(clip.substr(clip.size() - lastLine.size()), lastLine);

    // Exit at twips (5670, 300).
    X({"xdotool", "mousemove", "--window", window, px(5670 + 2235 / 2, width, 8130), copyY, "click",
       "1"});
    EXPECT_EQ(program.WaitExit(10s), 0);
}

} // namespace
} // namespace vellumo

namespace vellumo {
namespace {

class WindowModuleTest : public test::IsolatedTest {};

TEST_F(WindowModuleTest, WithoutItsWindowModuleTheProgramSaysSoAndWritesTheReport) {
    const test::fs::path app = Home() / "app";
    test::fs::create_directories(app);
    test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"), app / "VellumoDiagnostic");
    const test::ProcessResult run = test::RunProcess({(app / "VellumoDiagnostic").string()},
                                                     {{"DISPLAY", ":vellumo-no-server"},
                                                      {"HOME", Home().string()},
                                                      {"XDG_CONFIG_HOME", ConfigHome().string()},
                                                      {"XDG_DATA_HOME", DataHome().string()},
                                                      {"XDG_DOCUMENTS_DIR", Documents().string()}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("cannot load the window module"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.rfind("OS: ", 0), 0u) << run.out;
}

} // namespace
} // namespace vellumo
