// The real VellumoDiagnostic.exe in the test's Wine prefix: the folders it creates, the one-time
// migration of the option files into the registry (read back with the system's own reg.exe), the
// second run that keeps the registry, and the debug switch with its notice and log. Under Wine the
// data-access components report no version, so every run ends after the data-access check
// without a window: the run's lines up to there are what these tests see.
#include "support/TestEnvironment.h"

#include <windows.h>

#include <chrono>
#include <sstream>

namespace vellumo {
namespace {

using test::fs::path;
using Strings = std::vector<std::string>;

constexpr const char* kProductKey = "HKCU\\Software\\Kestrova\\Vellumo";
// A run ends in well under a second; this only stops a hanging run from hanging the suite.
constexpr auto kRunTimeout = std::chrono::seconds(60);

std::string Folder(const path& p) {
    return p.string() + "\\";
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct BoxSearch {
    DWORD processId = 0;
    HWND found = nullptr;
};

// A message box of the process: a visible top-level dialog window.
BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::string(className) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct RunResult {
    int exitCode = -1;
    // "title: text" of every message box, in order; each was answered with OK.
    Strings boxes;
};

class ProgramWin32Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"),
                            app_ / "VellumoDiagnostic.exe");
        data_ = DataHome() / "Vellumo Data";
        config_ = data_ / "Config";
        Reg({"delete", kProductKey, "/f"});
    }
    void TearDown() override {
        Reg({"delete", kProductKey, "/f"});
        IsolatedTest::TearDown();
    }

    static test::ProcessResult Reg(const Strings& arguments) {
        Strings command{"reg"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return test::RunProcess(command);
    }

    // The data of a value as reg.exe shows it ("0x1", "Tahoma"), or "<missing>".
    static std::string Query(const std::string& subKey, const std::string& name) {
        const test::ProcessResult r = Reg({"query", kProductKey + subKey, "/v", name});
        if (r.exitCode != 0)
            return "<missing>";
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            // "    Name    REG_TYPE    data"
            const auto type = line.find("    REG_");
            if (line.rfind("    " + name + "    ", 0) != 0 || type == std::string::npos)
                continue;
            const auto data = line.find("    ", type + 4);
            return data == std::string::npos ? "" : line.substr(data + 4);
        }
        return "<missing>";
    }

    // Runs the program as a user starts it and answers each message box with OK.
    RunResult Run() {
        RunResult result;
        std::string commandLine = "\"" + (app_ / "VellumoDiagnostic.exe").string() + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            ADD_FAILURE() << "cannot start " << commandLine;
            return result;
        }
        const auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
        while (WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT) {
            if (std::chrono::steady_clock::now() > deadline) {
                TerminateProcess(process.hProcess, 99);
                ADD_FAILURE() << "the run did not end";
                break;
            }
            BoxSearch search{process.dwProcessId, nullptr};
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr)
                continue;
            const HWND text = GetDlgItem(search.found, 0xFFFF); // the box's static text
            const std::string shown = WindowText(search.found) + ": " + WindowText(text);
            if (result.boxes.empty() || result.boxes.back() != shown)
                result.boxes.push_back(shown);
            PostMessageA(search.found, WM_COMMAND, IDOK, 0);
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        result.exitCode = static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return result;
    }

    path app_;
    path data_;
    path config_;
};

TEST_F(ProgramWin32Test, FirstRunMigratesTheOptionFilesThenTheSecondRunKeepsTheRegistry) {
    Strings recent;
    for (const char* name : {"one", "two", "three", "four", "five"}) {
        recent.push_back((Home() / name).string());
        test::WriteFile(recent.back(), "x");
    }
    const path elsewhere = Home() / "Elsewhere";
    test::fs::create_directories(elsewhere);
    test::fs::create_directories(config_);
    test::WriteFile(config_ / "options.ini",
                    "FontName_Tree,Tahoma\r\nFontSize_Tree,10.5\r\nFontBold_Tree,-1\r\n"
                    "FormatDate,0\r\nDataPath," +
                        Folder(elsewhere) + "\r\nAutoSave,0\r\n\r\n");
    test::WriteFile(config_ / "auxiliary.ini", "TreeCustomField1,Status\r\n\r\n");
    std::string mru = "MaxCount,6\r\nCount,5\r\n";
    for (size_t i = 0; i < recent.size(); ++i)
        mru += "File" + std::to_string(i + 1) + "," + recent[i] + "\r\n";
    test::WriteFile(config_ / "mru.ini", mru + "\r\n");

    RunResult r = Run();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.boxes.empty()) << r.boxes.front();
    for (const char* folder : {"Backup", "Config", "Export", "Log"})
        EXPECT_TRUE(test::fs::is_directory(data_ / folder)) << folder;

    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Size"), "0xa");
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Bold"), "0xffffffff");
    EXPECT_EQ(Query("\\Options\\Fonts\\DateTime", "Name"), "Calibri");
    EXPECT_EQ(Query("\\Options\\DateTime", "FormatDate"), "0x8");
    EXPECT_EQ(Query("\\Options", "DataPath"), Folder(elsewhere));
    EXPECT_EQ(Query("\\Options", "AutoSave"), "0x0");
    EXPECT_EQ(Query("\\Options", "TreeCustomField1"), "Status");
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    EXPECT_EQ(Query("\\Files", "MaxCount"), "0x6");
    EXPECT_EQ(Query("\\Files", "Count"), "0x5");
    EXPECT_EQ(Query("\\Files", "File2"), recent[1]);
    EXPECT_TRUE(test::fs::exists(config_ / "mru.ini")) << "the old file stays";

    // Second run: the marker is set, so the changed option file is not read again.
    test::WriteFile(config_ / "options.ini",
                    "DataPath," + Folder(data_) + "\r\nAutoSave,-1\r\n\r\n");
    r = Run();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(Query("\\Options", "DataPath"), Folder(elsewhere));
    EXPECT_EQ(Query("\\Options", "AutoSave"), "0x0");
}

TEST_F(ProgramWin32Test, DebugSwitchShowsTheNoticeAndWritesTheDayLog) {
    ASSERT_EQ(Reg({"add", std::string(kProductKey) + "\\Debug", "/v", "On", "/t", "REG_DWORD", "/d",
                   "1", "/f"})
                  .exitCode,
              0);
    test::fs::create_directories(data_ / "Log");
    test::WriteFile(data_ / "Log" / "Log.txt", "the old log");

    const RunResult r = Run();
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].rfind("Vellumo Diagnostic: The program runs in debug mode.", 0), 0u)
        << r.boxes[0];
    EXPECT_FALSE(test::fs::exists(data_ / "Log" / "Log.txt"));

    Strings logs;
    for (const auto& entry : test::fs::directory_iterator(data_ / "Log"))
        logs.push_back(entry.path().filename().string());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].size(), std::string("yyyymmdd.log").size()) << logs[0];
    const std::string log = test::ReadFile(data_ / "Log" / logs[0]);
    Strings messages;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        ASSERT_GE(line.size(), 11u);
        EXPECT_EQ(line.substr(8, 2), "  ") << "hh:mm:ss and two spaces";
        EXPECT_EQ(line.back(), '\r') << "CR LF line ends";
        messages.push_back(line.substr(10, line.size() - 11));
    }
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Paths initialized");
    EXPECT_EQ(messages[1], "Starting program");
    // The run ends at the data-access check: Wine's components give no version.
    EXPECT_EQ(messages.back(), "MDAC Missing Or Out Of Date");
    EXPECT_NE(log.find("  MDAC installed: 0\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("  AppPath = "), std::string::npos) << "no path log after the stop";
}

} // namespace
} // namespace vellumo
