// The real program in a real X11 session (Xvfb): the window is found by its title, Copy To
// Clipboard puts the report on the X11 clipboard (read back with xclip), Exit ends the program.
#include "support/TestEnvironment.h"
#include "support/posix/X11Session.h"

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::fs::path;

// A client of the test's display for what xclip cannot do: events sent under the server's name,
// and conversions asked for at a chosen time.
class X11Client {
public:
    explicit X11Client(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c_) != 0)
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        window_ = xcb_generate_id(c_);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK,
                          &events);
        xcb_flush(c_);
    }
    ~X11Client() { xcb_disconnect(c_); }
    X11Client(const X11Client&) = delete;
    X11Client& operator=(const X11Client&) = delete;

    [[nodiscard]] bool Connected() const { return xcb_connection_has_error(c_) == 0; }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    xcb_window_t Owner(const char* selection) {
        xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
            c_, xcb_get_selection_owner(c_, Atom(selection)), nullptr);
        const xcb_window_t owner = reply != nullptr ? reply->owner : XCB_NONE;
        std::free(reply);
        return owner;
    }

    // Sends a 32-byte event to the window; the server marks it as sent by a client.
    template <typename Event> void Send(xcb_window_t window, const Event& event) {
        std::array<char, 32> wire{};
        static_assert(sizeof event <= wire.size());
        std::memcpy(wire.data(), &event, sizeof event);
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, wire.data());
        xcb_flush(c_);
    }

    // Asks the CLIPBOARD's owner for `target` as of `time`: the data, or nothing when the owner
    // refused (or did not answer within 5 seconds).
    std::optional<std::string> Convert(const char* target, xcb_timestamp_t time) {
        const xcb_atom_t property = Atom("VELLUMO_TEST_PASTE");
        xcb_convert_selection(c_, window_, Atom("CLIPBOARD"), Atom(target), property, time);
        xcb_flush(c_);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
                const bool notify = (event->response_type & 0x7F) == XCB_SELECTION_NOTIFY;
                const xcb_atom_t answered =
                    notify ? reinterpret_cast<xcb_selection_notify_event_t*>(event)->property
                           : XCB_NONE;
                std::free(event);
                if (!notify)
                    continue;
                if (answered == XCB_NONE)
                    return std::nullopt;
                xcb_get_property_reply_t* reply =
                    xcb_get_property_reply(c_,
                                           xcb_get_property(c_, 1, window_, property,
                                                            XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
                                           nullptr);
                std::string data;
                if (reply != nullptr)
                    data.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                                static_cast<size_t>(xcb_get_property_value_length(reply)));
                std::free(reply);
                return data;
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

private:
    xcb_connection_t* c_;
    xcb_window_t window_ = XCB_NONE;
};

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

TEST_F(WindowX11Test, TheKeeperHoldsNoDescriptorOfItsStarterAndBelievesNoForgedEvent) {
    ASSERT_TRUE(session_->Ready()) << session_->Problem();
    // As a supervisor or build system starts it: "(printf report | keeper 3>&1) | cat". The
    // reader of the pipe must see its end once the keeper has answered.
    int text[2], output[2];
    ASSERT_EQ(pipe(text), 0);
    ASSERT_EQ(pipe(output), 0);
    const std::string keeper = (appDir_ / "vellumo-clipboard-keeper").string();
    const pid_t starter = fork();
    if (starter == 0) {
        setenv("DISPLAY", display_.c_str(), 1);
        dup2(text[0], 0);
        dup2(output[1], 1);
        dup2(output[1], 3);
        for (const int fd : {text[0], text[1], output[0], output[1]})
            if (fd > 3)
                close(fd);
        execl(keeper.c_str(), keeper.c_str(), nullptr);
        _exit(127);
    }
    close(text[0]);
    close(output[1]);
    const std::string report = "OS: a report\r\n";
    ASSERT_EQ(write(text[1], report.data(), report.size()), static_cast<ssize_t>(report.size()));
    close(text[1]);
    int status = 0;
    ASSERT_EQ(waitpid(starter, &status, 0), starter);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    pollfd end{output[0], POLLIN, 0};
    char byte = 0;
    const bool ended = poll(&end, 1, 10000) == 1 && read(output[0], &byte, 1) == 0;
    close(output[0]);
    EXPECT_TRUE(ended) << "the keeper's server still holds the starter's pipe";
    ASSERT_EQ(OurProcesses().size(), 1u) << "one keeper serves the clipboard";
    EXPECT_EQ(Clipboard(), report);

    X11Client client(display_);
    ASSERT_TRUE(client.Connected());
    const xcb_window_t owner = client.Owner("CLIPBOARD");
    ASSERT_NE(owner, static_cast<xcb_window_t>(XCB_NONE));
    // A loss of the clipboard the server did not announce, and a clipboard manager's "saved"
    // that nobody asked for.
    xcb_selection_clear_event_t clear{};
    clear.response_type = XCB_SELECTION_CLEAR;
    clear.owner = owner;
    clear.selection = client.Atom("CLIPBOARD");
    client.Send(owner, clear);
    xcb_selection_notify_event_t saved{};
    saved.response_type = XCB_SELECTION_NOTIFY;
    saved.requestor = owner;
    saved.selection = client.Atom("CLIPBOARD_MANAGER");
    saved.target = client.Atom("SAVE_TARGETS");
    saved.property = client.Atom("_VELLUMO_CLIPBOARD");
    client.Send(owner, saved);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(OurProcesses().size(), 1u) << "a forged event ended the keeper";
    EXPECT_EQ(Clipboard(), report);

    // Server times compare as points on the clock's 49.7-day circle: a request stamped more than
    // half of it after the moment the clipboard was taken was made before that moment.
    const std::optional<std::string> since = client.Convert("TIMESTAMP", XCB_CURRENT_TIME);
    ASSERT_TRUE(since && since->size() == 4);
    uint32_t owned = 0;
    std::memcpy(&owned, since->data(), 4);
    EXPECT_EQ(client.Convert("UTF8_STRING", owned + 1000u), report);
    EXPECT_EQ(client.Convert("UTF8_STRING", owned + 0x80000000u + 1000u), std::nullopt);

    // A real new owner still ends it.
    test::WriteFile(Home() / "other.txt", "another program's text");
    test::BackgroundProcess other(
        {"xclip", "-quiet", "-selection", "clipboard", "-i", (Home() / "other.txt").string()},
        {{"DISPLAY", display_}}, Home() / "xclip.log");
    EXPECT_TRUE(NoProcessOfOursLeft());
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
