// Tests of CShellExecute on Linux: e-mail and documents through xdg-open with handlers registered
// in the test's own XDG folders, the shell's error codes, programs started directly with their
// words and folder, and StillExecuting with the reaping of every started process.
#include "platform/CShellExecute.h"

#include "BuildSettings.h"
#include "diagnostic/frmMain.h"

#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::IsolatedTest;
namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

constexpr int32_t kNoWindow = 0;
// The MIME types a shell script is given (by file(1), by the shared MIME database), and plain text.
constexpr const char* kScriptTypes[] = {"text/x-shellscript", "application/x-shellscript",
                                        "text/plain"};

// xdg-open is forced into its desktop-independent mode, where it asks xdg-mime for the default
// handler and runs the handler's Exec line itself. That needs a display name (never connected
// to), and every other source of handlers (system folders, browser list) is closed off.
const std::map<std::string, std::optional<std::string>> kOpenerEnvironment = {
    {"XDG_CURRENT_DESKTOP", "X-Generic"},
    {"DISPLAY", ":vellumo-test-no-display"},
    {"WAYLAND_DISPLAY", std::nullopt},
    {"BROWSER", "/bin/false"},
};

class ShellExecuteTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        SetEnv("XDG_DATA_DIRS", (Home() / "no-system-data").string());
        SetEnv("XDG_CONFIG_DIRS", (Home() / "no-system-config").string());
        for (const auto& [name, value] : kOpenerEnvironment)
            SetEnv(name, value);
        // A verdict is always awaited in full, so a slow machine cannot turn a refusal into an
        // acceptance. Tests that need an opener still running shorten it again.
        CShellExecute::SetHandOverWaitForTesting(120s);
    }

    void TearDown() override {
        for (const auto& [name, value] : savedEnv_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        IsolatedTest::TearDown();
    }

    void SetEnv(const std::string& name, const std::optional<std::string>& value) {
        if (!savedEnv_.count(name)) {
            const char* old = std::getenv(name.c_str());
            savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

    // An executable shell script in the home folder.
    std::string Script(const std::string& name, const std::string& body) {
        const fs::path path = Home() / name;
        WriteFile(path, "#!/bin/sh\n" + body);
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    // Registers a handler for a MIME type (or x-scheme-handler/...) in the test's XDG folders.
    // The handler waits for `stopFile` (when given), then writes its argument to `record`.
    void RegisterHandler(const std::string& mimeType, const fs::path& record,
                         const fs::path& stopFile = {}) {
        std::string body;
        if (!stopFile.empty())
            body += "while [ ! -e '" + stopFile.string() + "' ]; do sleep 0.05; done\n";
        body += "printf '%s' \"$1\" > '" + record.string() + "'\n";
        const std::string handler = Script("handler-" + std::to_string(handlers_++) + ".sh", body);
        const std::string desktopName = "vellumo-test-" + std::to_string(handlers_) + ".desktop";
        fs::create_directories(DataHome() / "applications");
        WriteFile(DataHome() / "applications" / desktopName,
                  "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" + handler +
                      " %u\n");
        mimeApps_ += mimeType + "=" + desktopName + "\n";
        WriteFile(ConfigHome() / "mimeapps.list", "[Default Applications]\n" + mimeApps_);
    }

    // A program that runs until `stopFile` exists.
    std::string Waiter() {
        return Script("waiter.sh", "while [ ! -e \"$1\" ]; do sleep 0.05; done\n");
    }

    // Polls a condition that a started process brings about; generous, never a timing claim.
    static bool Eventually(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }

    // This process's children, with their state letters ('Z' for a zombie).
    static std::vector<char> ChildStates() {
        std::vector<char> states;
        const std::string self = std::to_string(getpid());
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string stat = ReadFile(entry.path() / "stat");
            const size_t close = stat.rfind(')');
            if (close == std::string::npos || close + 4 > stat.size())
                continue;
            // After the command: " S PPID ...".
            const char state = stat[close + 2];
            const size_t ppidStart = close + 4;
            const std::string ppid = stat.substr(ppidStart, stat.find(' ', ppidStart) - ppidStart);
            if (ppid == self)
                states.push_back(state);
        }
        return states;
    }

    std::map<std::string, std::optional<std::string>> savedEnv_;
    std::string mimeApps_;
    int handlers_ = 0;
};

// ---- Plain launches ----

TEST_F(ShellExecuteTest, SendEmailHandsTheMailtoAddressToTheMailHandler) {
    const fs::path record = Home() / "mail-argument.txt";
    RegisterHandler("x-scheme-handler/mailto", record);
    CShellExecute shell;
    // Nothing is encoded or inserted between the scheme and the address.
    EXPECT_EQ(
        shell.LaunchEmail(kNoWindow, "Jo Smith <jo@kestrova.com>", CShellExecute::kShowDefault),
        -1);
    EXPECT_EQ(ReadFile(record), "mailto:Jo Smith <jo@kestrova.com>");

    fs::remove(record);
    EXPECT_EQ(shell.LaunchEmail(kNoWindow, "", CShellExecute::kShowDefault), -1);
    EXPECT_EQ(ReadFile(record), "mailto:");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, SendEmailButtonHandsTheSupportAddressToTheMailHandler) {
    const fs::path record = Home() / "mail-argument.txt";
    RegisterHandler("x-scheme-handler/mailto", record);
    frmMain form;
    form.cmdEmail_Click();
    EXPECT_EQ(ReadFile(record), std::string("mailto:") + build::kSupportEmail);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, SendEmailButtonWithoutAMailHandlerShowsTheShellsCode) {
    frmMain form;
    form.cmdEmail_Click();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error on LaunchEmail: 31");
    EXPECT_EQ(ui_.boxes[0].title, build::kAppTitle);
}

TEST_F(ShellExecuteTest, WithoutAMailHandlerLaunchEmailReturnsNoAssociation) {
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchEmail(kNoWindow, "support@kestrova.com", CShellExecute::kShowDefault),
              31);
    EXPECT_EQ(shell.LaunchURL(kNoWindow, "vellumo-unknown-scheme:x", CShellExecute::kShowNormal),
              31);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, MissingTargetsGiveFileOrPathNotFound) {
    CShellExecute shell;
    const std::string missingFile = (Home() / "missing.txt").string();
    const std::string missingFolder = (Home() / "no-folder" / "missing.txt").string();
    EXPECT_EQ(shell.LaunchFolder(kNoWindow, missingFile, CShellExecute::kShowNormal), 2);
    EXPECT_EQ(shell.LaunchURL(kNoWindow, missingFolder, CShellExecute::kShowNormal), 3);
    EXPECT_EQ(shell.LaunchURL(kNoWindow, "", CShellExecute::kShowNormal), 2);
    EXPECT_EQ(shell.PrintDocument(kNoWindow, missingFile), 2);
    EXPECT_EQ(shell.PrintDocument(kNoWindow, missingFolder), 3);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, OnlyFoldersCanBeExploredAndPrintedFoldersHaveNoAssociation) {
    const fs::path file = Home() / "notes.txt";
    WriteFile(file, "notes");
    CShellExecute shell;
    EXPECT_EQ(shell.Explore(kNoWindow, file.string(), CShellExecute::kShowNormal), 31);
    EXPECT_EQ(shell.PrintDocument(kNoWindow, Home().string()), 31);
}

TEST_F(ShellExecuteTest, UnreadableDocumentsAreAccessDenied) {
    const fs::path file = Home() / "secret.txt";
    WriteFile(file, "x");
    // Root reads everything: the launches run in a child that drops to "nobody", for whom the
    // owner-only file is unreadable while the home folder stays traversable.
    fs::permissions(file, test::RunningAsRoot() ? fs::perms::owner_read | fs::perms::owner_write
                                                : fs::perms::none);
    fs::permissions(Home(), fs::perms::others_exec, fs::perm_options::add);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (test::RunningAsRoot() && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                                      setuid(nobody->pw_uid) != 0))
            _exit(100);
        ui::RecordingUi ui;
        ui::ScopedUi scoped(ui);
        CShellExecute shell;
        const int32_t printed = shell.PrintDocument(kNoWindow, file.string());
        const int32_t opened =
            shell.LaunchDocument(kNoWindow, file.string(), "", CShellExecute::kShowNormal);
        _exit((printed == 5 ? 0 : 1) + (opened == 5 ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: PrintDocument, 2: LaunchDocument did not give 5; 100: no privilege drop";
}

// ---- Extended launches and StillExecuting ----

TEST_F(ShellExecuteTest, StillExecutingFollowsTheStartedProgramAndReapsIt) {
    CShellExecute shell;
    EXPECT_FALSE(shell.StillExecuting());
    const fs::path stop = Home() / "stop";
    ASSERT_EQ(
        shell.LaunchProgram(kNoWindow, Waiter(), stop.string(), "", CShellExecute::kShowNormal),
        -1);
    EXPECT_TRUE(shell.StillExecuting());
    EXPECT_TRUE(shell.StillExecuting());

    WriteFile(stop, "");
    EXPECT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    EXPECT_FALSE(shell.StillExecuting());
    EXPECT_TRUE(ChildStates().empty()) << "the ended program was not reaped";
}

TEST_F(ShellExecuteTest, LaterLaunchesForgetTheKeptProcessWhichIsStillReaped) {
    const fs::path stop = Home() / "stop";
    {
        CShellExecute shell;
        ASSERT_EQ(
            shell.LaunchProgram(kNoWindow, Waiter(), stop.string(), "", CShellExecute::kShowNormal),
            -1);
        ASSERT_TRUE(shell.StillExecuting());
        // A plain launch, even a failing one, clears the kept process at once.
        EXPECT_EQ(shell.LaunchEmail(kNoWindow, "x@y", CShellExecute::kShowDefault), 31);
        EXPECT_FALSE(shell.StillExecuting());

        // A later extended launch reports on its own process.
        ASSERT_EQ(
            shell.LaunchProgram(kNoWindow, Waiter(), stop.string(), "", CShellExecute::kShowNormal),
            -1);
        EXPECT_TRUE(shell.StillExecuting());
    } // the object goes while its program runs
    EXPECT_EQ(ChildStates().size(), 2u);
    WriteFile(stop, "");
    // Nothing works in the background: the ended programs wait for the next launch to reap them.
    ASSERT_TRUE(Eventually([] { return ChildStates() == std::vector<char>{'Z', 'Z'}; }));
    CShellExecute later;
    EXPECT_EQ(later.LaunchEmail(kNoWindow, "x@y", CShellExecute::kShowDefault), 31);
    EXPECT_TRUE(ChildStates().empty()) << "a released program stayed a zombie";
}

TEST_F(ShellExecuteTest, AQueryOfAnyObjectReapsTheReleasedProgramsThatHaveEnded) {
    const fs::path stop = Home() / "stop";
    const std::string waiter = Waiter();
    {
        CShellExecute released;
        ASSERT_EQ(released.LaunchProgram(kNoWindow, waiter, stop.string(), "",
                                         CShellExecute::kShowNormal),
                  -1);
    }
    CShellExecute shell;
    ASSERT_EQ(shell.LaunchProgram(kNoWindow, waiter, stop.string(), "", CShellExecute::kShowNormal),
              -1);
    // While the released program runs, a query reaps nothing and reports on its own process.
    EXPECT_TRUE(shell.StillExecuting());
    EXPECT_EQ(ChildStates().size(), 2u);

    WriteFile(stop, "");
    ASSERT_TRUE(Eventually([] { return ChildStates() == std::vector<char>{'Z', 'Z'}; }));
    EXPECT_FALSE(shell.StillExecuting());
    EXPECT_TRUE(ChildStates().empty()) << "the query left the released program a zombie";
}

TEST_F(ShellExecuteTest, LaunchProgramSplitsParametersAndStartsInTheFolder) {
    const fs::path record = Home() / "record.txt";
    Script("record.sh",
           "{ pwd; readlink /proc/$$/fd/0; for a in \"$@\"; do echo \"[$a]\"; done; } > '" +
               record.string() + "'\n");
    const fs::path folder = Home() / "start here";
    fs::create_directories(folder);
    SetEnv("VELLUMO_TEST_HOME", Home().string());

    CShellExecute shell;
    ASSERT_EQ(shell.LaunchProgram(kNoWindow, "${VELLUMO_TEST_HOME}/record.sh",
                                  R"(one  "two words" 'it''s' back\ slash "q\"uote" $HOME)",
                                  "$VELLUMO_TEST_HOME/start here", CShellExecute::kShowNormal),
              -1);
    ASSERT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    // Working folder, standard input not inherited, then one line per word; only the program
    // and folder have their variables expanded.
    EXPECT_EQ(ReadFile(record),
              fs::canonical(folder).string() +
                  "\n/dev/null\n[one]\n[two words]\n[its]\n[back slash]\n[q\"uote]\n[$HOME]\n");
}

TEST_F(ShellExecuteTest, PercentReferencesExpandInTheTargetAndFolderOfExtendedLaunches) {
    const fs::path record = Home() / "record.txt";
    const std::string recorder =
        Script("record.sh",
               "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + record.string() + "'\n");
    const fs::path folder = Home() / "start here";
    fs::create_directories(folder);
    SetEnv("VELLUMO_TEST_HOME", Home().string());
    SetEnv("VELLUMO_TEST_UNSET", std::nullopt);

    // Names compare without regard to case; the parameters are handed over as written.
    CShellExecute shell;
    ASSERT_EQ(shell.LaunchProgram(kNoWindow, "%vellumo_test_home%/record.sh",
                                  "%VELLUMO_TEST_HOME% $VELLUMO_TEST_HOME",
                                  "%VELLUMO_TEST_HOME%/start here", CShellExecute::kShowNormal),
              -1);
    ASSERT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    EXPECT_EQ(ReadFile(record),
              fs::canonical(folder).string() + "\n[%VELLUMO_TEST_HOME%]\n[$VELLUMO_TEST_HOME]\n");

    // A document's references expand the same way (a script is a document there: it goes to
    // the opener, which hands the expanded path to the handler).
    fs::remove(record);
    SetEnv("XDG_DATA_DIRS", "/usr/share");
    const fs::path handed = Home() / "handed.txt";
    for (const char* type : kScriptTypes)
        RegisterHandler(type, handed);
    ASSERT_EQ(shell.LaunchDocument(kNoWindow, "%VELLUMO_TEST_HOME%/record.sh",
                                   "%VELLUMO_TEST_HOME%/start here", CShellExecute::kShowNormal),
              -1);
    ASSERT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    EXPECT_EQ(ReadFile(handed), recorder);
    EXPECT_FALSE(fs::exists(record)) << "the script ran";

    // An unset variable's reference stays as written: no such folder.
    EXPECT_EQ(shell.LaunchProgram(kNoWindow, recorder, "", "%VELLUMO_TEST_UNSET%",
                                  CShellExecute::kShowNormal),
              3);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, LaunchProgramFailuresGiveTheShellsCodes) {
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchProgram(kNoWindow, "vellumo-no-such-program", "", "",
                                  CShellExecute::kShowNormal),
              2);
    EXPECT_FALSE(shell.StillExecuting());
    EXPECT_EQ(shell.LaunchProgram(kNoWindow, "/bin/true", "", (Home() / "no-folder").string(),
                                  CShellExecute::kShowNormal),
              3);
    EXPECT_EQ(shell.LaunchProgram(kNoWindow, (Home() / "no-folder" / "prog").string(), "", "",
                                  CShellExecute::kShowNormal),
              3);
    EXPECT_EQ(shell.LaunchDocument(kNoWindow, "", "", CShellExecute::kShowNormal), 2);
    EXPECT_FALSE(shell.StillExecuting());
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ShellExecuteTest, LaunchDocumentKeepsTheOpenerWhileTheHandlerRuns) {
    // Without a desktop, xdg-open learns a file's type from file(1) and the shared MIME database
    // (scripts/install-deps.sh installs both).
    ASSERT_TRUE(fs::exists("/usr/share/mime/mime.cache")) << "shared-mime-info is missing";
    ASSERT_EQ(test::RunProcess({"sh", "-c", "command -v file"}).exitCode, 0) << "file is missing";
    SetEnv("XDG_DATA_DIRS", "/usr/share");
    const fs::path record = Home() / "document-argument.txt";
    const fs::path stop = Home() / "stop";
    RegisterHandler("text/plain", record, stop);
    const fs::path document = Home() / "report.txt";
    WriteFile(document, "report");
    // The handler waits, so the opener is still running when the launch stops waiting for it.
    CShellExecute::SetHandOverWaitForTesting(300ms);

    CShellExecute shell;
    ASSERT_EQ(
        shell.LaunchDocument(kNoWindow, "report.txt", Home().string(), CShellExecute::kShowNormal),
        -1);
    EXPECT_TRUE(shell.StillExecuting());
    WriteFile(stop, "");
    EXPECT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    EXPECT_EQ(ReadFile(record), "report.txt");
    EXPECT_TRUE(ChildStates().empty());
}

TEST_F(ShellExecuteTest, DocumentsWithTheExecuteBitOrNamedLikeProgramsAreOnlyOpened) {
    // Files on removable media and network shares often all have the execute bit; a bare name
    // is a file in the start folder, never a program of that name on PATH.
    SetEnv("XDG_DATA_DIRS", "/usr/share");
    const fs::path handed = Home() / "handed.txt";
    for (const char* type : kScriptTypes)
        RegisterHandler(type, handed);
    const fs::path ran = Home() / "ran";
    const std::string script = "touch '" + ran.string() + "'\n";
    const fs::path bin = Home() / "bin";
    fs::create_directories(bin);
    WriteFile(bin / "report.txt", "#!/bin/sh\n" + script);
    fs::permissions(bin / "report.txt", fs::perms::owner_all);
    SetEnv("PATH", bin.string() + ":" + std::getenv("PATH"));
    WriteFile(Home() / "report.txt", "a report\n");
    Script("notes.txt", script); // a script with the execute bit, named like a document

    for (const char* document : {"report.txt", "notes.txt"}) {
        fs::remove(handed);
        CShellExecute shell;
        ASSERT_EQ(
            shell.LaunchDocument(kNoWindow, document, Home().string(), CShellExecute::kShowNormal),
            -1)
            << document;
        ASSERT_TRUE(Eventually([&] { return !shell.StillExecuting(); })) << document;
        EXPECT_EQ(ReadFile(handed), document) << "the document went to its handler";
        EXPECT_FALSE(fs::exists(ran)) << document << " started a program";
    }

    // A program of the system's binary format is still started, as a program is on Windows: no
    // handler is registered for it, so only a direct start is accepted.
    fs::copy_file("/bin/true", Home() / "tool");
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchDocument(kNoWindow, "tool", Home().string(), CShellExecute::kShowNormal),
              -1);
    EXPECT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
    // LaunchProgram still starts scripts and looks names up on PATH.
    EXPECT_EQ(shell.LaunchProgram(kNoWindow, "report.txt", "", "", CShellExecute::kShowNormal), -1);
    EXPECT_TRUE(Eventually([&] { return fs::exists(ran); }));
    EXPECT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
}

TEST_F(ShellExecuteTest, AnOpenerInTheCurrentFolderIsNeverStarted) {
    // An empty or relative element of PATH stands for the current folder, where anyone may have
    // left a program named like the opener.
    const fs::path work = Home() / "work";
    const fs::path ran = Home() / "ran";
    for (const fs::path& folder : {work, work / "bin"}) {
        fs::create_directories(folder);
        WriteFile(folder / "xdg-open", "#!/bin/sh\ntouch '" + ran.string() + "'\n");
        fs::permissions(folder / "xdg-open", fs::perms::owner_all);
    }
    WriteFile(work / "report.txt", "a report\n");
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    const std::string system = std::getenv("PATH");
    for (const std::string& path :
         {":" + system, "." + std::string(":") + system, "bin:" + system, system + ":"}) {
        SetEnv("PATH", path);
        CShellExecute shell;
        (void)shell.LaunchEmail(kNoWindow, "support@example.com", CShellExecute::kShowNormal);
        (void)shell.LaunchDocument(kNoWindow, "report.txt", "", CShellExecute::kShowNormal);
        EXPECT_TRUE(Eventually([&] { return !shell.StillExecuting(); }));
        EXPECT_FALSE(fs::exists(ran)) << "PATH=" << path;
    }
    fs::current_path(previous);
}

TEST(ShellExecuteWords, SplitLikeAShellSplitsSimpleWords) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(shellexec::SplitParameters(""), Words{});
    EXPECT_EQ(shellexec::SplitParameters(" \t\n "), Words{});
    EXPECT_EQ(shellexec::SplitParameters("  a\tb\nc  "), (Words{"a", "b", "c"}));
    EXPECT_EQ(shellexec::SplitParameters(R"("" '' x"")"), (Words{"", "", "x"}));
    EXPECT_EQ(shellexec::SplitParameters(R"('a "b" \c' "d 'e' \f \\ \$")"),
              (Words{R"(a "b" \c)", R"(d 'e' \f \ $)"}));
    EXPECT_EQ(shellexec::SplitParameters(R"(pre"mid dle"post a\ b \)"),
              (Words{"premid dlepost", "a b", "\\"}));
    EXPECT_EQ(shellexec::SplitParameters("'open ended"), (Words{"open ended"}));
    EXPECT_EQ(shellexec::SplitParameters("*.txt $HOME ~"), (Words{"*.txt", "$HOME", "~"}));
}

} // namespace
} // namespace vellumo
