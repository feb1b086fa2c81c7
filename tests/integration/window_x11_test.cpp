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
        for (const char* companion : {"libvellumo-gui.so", "vellumo-clipboard-keeper"})
            test::fs::copy_file(built.parent_path() / companion, appDir_ / companion);
    }

    // Process ids of programs started from the test's own copy of the program's folder.
    std::vector<pid_t> OurProcesses() const {
        std::vector<pid_t> found;
        for (const auto& entry : test::fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::error_code ec;
            const path exe = test::fs::read_symlink(entry.path() / "exe", ec);
            if (!ec && exe.parent_path() == appDir_)
                found.push_back(static_cast<pid_t>(std::stoi(name)));
        }
        return found;
    }

    std::string Clipboard() {
        return X({"timeout", "5", "xclip", "-o", "-selection", "clipboard"}).out;
    }

    test::ProcessResult X(const std::vector<std::string>& argv) {
        return test::RunProcess(argv, {{"DISPLAY", display_}});
    }

    // Starts the program (with `options`), finds its window, clicks Copy To Clipboard, reads the
    // copy back while the program runs, clicks Exit and waits for the program to end. Returns the
    // copy.
    std::string CopyThenExit(const std::vector<std::string>& options = {}) {
        const std::map<std::string, std::string> env = {
            {"DISPLAY", display_},
            {"WAYLAND_DISPLAY", ""},
            {"QT_QPA_PLATFORM", "xcb"},
            {"HOME", Home().string()},
            {"XDG_CONFIG_HOME", ConfigHome().string()},
            {"XDG_DATA_HOME", DataHome().string()},
            {"XDG_DOCUMENTS_DIR", Documents().string()}};
        std::vector<std::string> argv = {(appDir_ / "VellumoDiagnostic").string()};
        argv.insert(argv.end(), options.begin(), options.end());
        Background program(argv, env, (Home() / "program.log").string());

        const test::ProcessResult found = X({"timeout", "20", "xdotool", "search", "--sync",
                                             "--onlyvisible", "--name", "^Vellumo Diagnostic$"});
        EXPECT_EQ(found.exitCode, 0) << test::ReadFile(Home() / "program.log");
        if (found.exitCode != 0)
            return {};
        const std::string window = found.out.substr(0, found.out.find('\n'));

        // The window is 8130 x 8715 twips; Copy To Clipboard sits at (240, 300), 2235 x 435
        // twips, Exit at (5670, 300).
        const std::string geometry = X({"xdotool", "getwindowgeometry", "--shell", window}).out;
        const auto field = [&](const std::string& name) {
            const size_t at = geometry.find(name + "=");
            return at == std::string::npos ? 0 : std::stoi(geometry.substr(at + name.size() + 1));
        };
        const int width = field("WIDTH"), height = field("HEIGHT");
        EXPECT_GT(width, 0) << geometry;
        const auto px = [](int twips, int pixels, int total) {
            return std::to_string(twips * pixels / total);
        };
        const std::string copyX = px(240 + 2235 / 2, width, 8130),
                          buttonY = px(300 + 435 / 2, height, 8715);
        EXPECT_EQ(
            X({"xdotool", "mousemove", "--window", window, copyX, buttonY, "click", "1"}).exitCode,
            0);
        std::string clip;
        for (int i = 0; i < 60 && clip.rfind("OS: ", 0) != 0; ++i) {
            std::this_thread::sleep_for(100ms);
            clip = Clipboard();
        }
        X({"xdotool", "mousemove", "--window", window, px(5670 + 2235 / 2, width, 8130), buttonY,
           "click", "1"});
        EXPECT_EQ(program.WaitExit(10s), 0);
        return clip;
    }

    // Waits a little for the program's processes to end; true when none is left.
    bool NoProcessOfOursLeft() const {
        for (int i = 0; i < 100; ++i) {
            if (OurProcesses().empty())
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    std::string display_;
    std::unique_ptr<Background> xvfb_;
    path appDir_;
};

TEST_F(WindowX11Test, WindowIsFoundCopiesTheReportAndTheCopyOutlivesTheProgram) {
    ASSERT_EQ(X({"xdpyinfo"}).exitCode, 0) << "Xvfb did not start";
    const std::string clip = CopyThenExit();
    ASSERT_EQ(clip.rfind("OS: ", 0), 0u) << clip;
    const std::string dataPath = (DataHome() / "Vellumo Data").string() + "/";
    EXPECT_NE(clip.find("\r\nAppPath: " + appDir_.string() + "/\r\n"), std::string::npos) << clip;
    EXPECT_NE(clip.find("\r\nInitializing settings in registry\r\n"), std::string::npos);
    const std::string lastLine = "Can create file in DataPath: " + dataPath + "\r\n";
    ASSERT_GE(clip.size(), lastLine.size());
    EXPECT_EQ(clip.substr(clip.size() - lastLine.size()), lastLine);

    // No clipboard manager runs here: the keeper holds the copy, byte for byte.
    EXPECT_EQ(Clipboard(), clip);
    ASSERT_EQ(OurProcesses().size(), 1u) << "one keeper serves the clipboard";

    // Another program takes the clipboard: the keeper ends.
    test::WriteFile(Home() / "other.txt", "another program's text");
    Background other(
        {"xclip", "-quiet", "-selection", "clipboard", "-i", (Home() / "other.txt").string()},
        {{"DISPLAY", display_}}, (Home() / "xclip.log").string());
    EXPECT_TRUE(NoProcessOfOursLeft()) << "a process of the program is still running";
    EXPECT_EQ(Clipboard(), "another program's text");
}

TEST_F(WindowX11Test, RedactedWindowShowsAndCopiesTheRedactedReport) {
    ASSERT_EQ(X({"xdpyinfo"}).exitCode, 0) << "Xvfb did not start";
    const std::string clip = CopyThenExit({"--redact"});
    ASSERT_EQ(clip.rfind("OS: ", 0), 0u) << clip;
    EXPECT_NE(clip.find("\r\nWindowsUserName: <user>\r\n"), std::string::npos) << clip;
    EXPECT_NE(clip.find("\r\nDataPath: ~/.local/share/Vellumo Data/\r\n"), std::string::npos);
    EXPECT_EQ(clip.find(Home().string()), std::string::npos) << clip;
    const size_t last = clip.rfind("\r\nRedacted: ");
    ASSERT_NE(last, std::string::npos) << clip;
    EXPECT_EQ(clip.find("\r\n", last + 2), clip.size() - 2) << "the summary is the last line";
}

TEST_F(WindowX11Test, RunningClipboardManagerReceivesTheCopy) {
    ASSERT_EQ(X({"xdpyinfo"}).exitCode, 0) << "Xvfb did not start";
    const path managerLog = Home() / "manager.log";
    const path saved = Home() / "saved.txt";
    Background manager({test::BuiltProgram("fake_clipboard_manager"), saved.string()},
                       {{"DISPLAY", display_}}, managerLog.string());
    for (int i = 0; i < 100 && test::ReadFile(managerLog).find("ready") == std::string::npos; ++i)
        std::this_thread::sleep_for(50ms);
    ASSERT_NE(test::ReadFile(managerLog).find("ready"), std::string::npos);

    const std::string clip = CopyThenExit();
    ASSERT_EQ(clip.rfind("OS: ", 0), 0u) << clip;
    // The manager saved the copy and serves it; nothing of the program stays behind.
    EXPECT_TRUE(NoProcessOfOursLeft()) << "the copy went to the manager, not to a keeper";
    EXPECT_EQ(test::ReadFile(saved), clip);
    std::string served;
    for (int i = 0; i < 40 && served != clip; ++i) {
        served = Clipboard();
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(served, clip);
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
