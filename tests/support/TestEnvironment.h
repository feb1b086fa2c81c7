// Shared test support: a private temporary HOME with its own XDG folders for every test, a
// recording UI, a ReportError recorder, and running programs (optionally as user "nobody").
#pragma once

#include "diagnostic/WindowHost.h"
#include "log/ReportError.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vellumo::test {

namespace fs = std::filesystem;

// A fresh temporary folder, removed at destruction (kept when VELLUMO_KEEP_TEST_FILES is set, to
// look at what a failing test left).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const fs::path& Path() const { return path_; }
    // The folder as a text with a trailing "/".
    [[nodiscard]] std::string Folder() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and the documents folder into a fresh temporary
// folder, restores them afterwards, installs a RecordingUi and a headless window host, and resets
// every module's globals.
class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    [[nodiscard]] fs::path Home() const { return home_->Path(); }
    [[nodiscard]] fs::path ConfigHome() const { return Home() / ".config"; }
    [[nodiscard]] fs::path DataHome() const { return Home() / ".local" / "share"; }
    [[nodiscard]] fs::path Documents() const { return Home() / "Documents"; }

    ui::RecordingUi ui_;
    // Runs the window's load where the program would show its window.
    HeadlessWindowHost windows_;
    std::vector<ReportedError> reportedErrors_;

private:
    std::unique_ptr<TempDir> home_;
    std::map<std::string, std::string> savedEnv_;
    std::unique_ptr<ui::ScopedUi> scopedUi_;
    std::unique_ptr<ScopedWindowHost> scopedWindows_;
    ReportErrorObserver previousObserver_;
};

// Resets the globals of every module to their start values.
void ResetAllModules();

// Sets or removes an environment variable for this process and the children it starts (on
// Windows both the C runtime's copy and the process's block; an empty value is the closest a
// Windows environment gets to a removed one).
void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);

// The platform's part of the isolation (posix/ and win32/): what ResetAllModules adds, and what
// an isolated test sets up around the shared part (Windows: a private HKEY_CURRENT_USER whose
// documents folders are the test's).
void ResetPlatformModules();
void PlatformSetUp(const fs::path& documents, const fs::path& dataHome);
void PlatformTearDown();

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// How a program is run: its environment is this process's, with `env` added or replaced and the
// names in `unset` removed. Linux: QT_QPA_PLATFORM is never inherited, only given in `env`.
struct ProcessOptions {
    std::map<std::string, std::string> env;
    std::vector<std::string> unset;
    std::string stdinText;
    // The folder it starts in; empty: this process's current folder.
    fs::path workingFolder;
    // As the unprivileged user "nobody" (through setpriv) when running as root.
    bool asNobody = false;
};
ProcessResult RunProcessWith(const std::vector<std::string>& argv, const ProcessOptions& options);

// Runs a program with arguments and extra environment, waits for it, captures both streams.
// stdinText is written to its standard input.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& stdinText = {});
// The same, as the unprivileged user "nobody" (through setpriv) when running as root; as the
// current user otherwise. Files the program must reach need to be accessible to that user.
ProcessResult RunProcessAsNobody(const std::vector<std::string>& argv,
                                 const std::map<std::string, std::string>& env = {});
[[nodiscard]] bool RunningAsRoot();
// Linux: runs `body` in a forked child that has dropped root's rights (to "nobody") when the test
// runs as root, and returns what it returned (-1 when the child could not run it). Permission
// failures are real only for an ordinary user: root may write anywhere.
[[nodiscard]] int RunInChildAsNobody(const std::function<int()>& body);

// Paths of the built programs.
[[nodiscard]] std::string BuiltProgram(const std::string& name);

// Whole-file helpers.
[[nodiscard]] std::string ReadFile(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& content);
// The names in a folder, sorted: to see that no temporary file is left behind.
[[nodiscard]] std::vector<std::string> SortedNames(const fs::path& folder);

} // namespace vellumo::test
