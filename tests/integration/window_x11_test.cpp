// The real program in a real X11 session (Xvfb): the window is found by its title, Copy To
// Clipboard puts the report on the X11 clipboard (read back with xclip), Exit ends the program.
#include "support/TestEnvironment.h"
#include "support/posix/X11Session.h"

#include <chrono>
#include <thread>

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::fs::path;

class WindowX11Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        if (const std::string missing = test::MissingX11Tools(false); !missing.empty())
            GTEST_FAIL() << missing << " needed (scripts/install-deps.sh test installs them)";
        session_ = std::make_unique<test::X11Session>(Home(), "1280x1024", false);
        display_ = session_->Display();
        appDir_ = Home() / "app";
        // The program loads its window module from its own folder.
        test::CopyProgramTo(appDir_);
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

    std::string Clipboard() { return session_->Clipboard(); }

    test::ProcessResult X(const std::vector<std::string>& argv) { return session_->X(argv); }

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
        test::BackgroundProcess program(argv, env, Home() / "program.log");

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

    std::unique_ptr<test::X11Session> session_;
    std::string display_;
    path appDir_;
};

TEST_F(WindowX11Test, WindowIsFoundCopiesTheReportAndTheCopyOutlivesTheProgram) {
    ASSERT_TRUE(session_->Ready()) << session_->Problem();
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
    test::BackgroundProcess other(
        {"xclip", "-quiet", "-selection", "clipboard", "-i", (Home() / "other.txt").string()},
        {{"DISPLAY", display_}}, Home() / "xclip.log");
    EXPECT_TRUE(NoProcessOfOursLeft()) << "a process of the program is still running";
    EXPECT_EQ(Clipboard(), "another program's text");
}

TEST_F(WindowX11Test, RedactedWindowShowsAndCopiesTheRedactedReport) {
    ASSERT_TRUE(session_->Ready()) << session_->Problem();
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
    ASSERT_TRUE(session_->Ready()) << session_->Problem();
    const path managerLog = Home() / "manager.log";
    const path saved = Home() / "saved.txt";
    test::BackgroundProcess manager({test::BuiltProgram("fake_clipboard_manager"), saved.string()},
                                    {{"DISPLAY", display_}}, managerLog);
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
