// The real program run headless in a temporary HOME: the report line by line, the folders it
// creates, the master and icon files, the data-folder fallback, the locale's decimal separator,
// and debug mode switched on through vellumo-reg (log file, old log, notice, missing log folder).
#include "BuildSettings.h"
#include "support/TestEnvironment.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <regex>

namespace vellumo {
namespace {

using test::ProcessResult;
using test::fs::path;

constexpr const char* kDebugKey = "HKCU\\Software\\Kestrova\\Vellumo\\Debug";
constexpr const char* kGerman = "de_DE.UTF-8";

std::string Folder(const path& p) {
    return p.string() + "/";
}

// Lines of a text, each without its line end (CR LF or LF).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Index of the first line equal to `wanted` at or after `from`; lines.size() when there is none.
size_t Find(const std::vector<std::string>& lines, const std::string& wanted, size_t from = 0) {
    return static_cast<size_t>(
        std::find(lines.begin() + static_cast<ptrdiff_t>(std::min(from, lines.size())), lines.end(),
                  wanted) -
        lines.begin());
}

// The linked SQLite library's version as the report shows it: major.minor as a decimal number
// ("3.40.1" reads 3.40, shown 3.4), with the given decimal separator.
std::string ShownLibraryVersion(char separator) {
    const std::string text = sqlite3_libversion();
    std::string number = text.substr(0, text.find('.', text.find('.') + 1));
    while (number.back() == '0')
        number.pop_back();
    if (number.back() == '.')
        number.pop_back();
    std::replace(number.begin(), number.end(), '.', separator);
    return number;
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%Y%m%d", &tm);
    return stamp;
}

// The German locale compiled from the system's locale sources into `folder`, for LOCPATH: the
// test needs no locale installed on the machine and installs none. The sources come with the
// C library's locale package (scripts/install-deps.sh installs it).
bool CompileGermanLocale(const path& folder) {
    test::RunProcess({"localedef", "-i", "de_DE", "-f", "UTF-8", (folder / kGerman).string()});
    return test::fs::exists(folder / kGerman / "LC_NUMERIC");
}

class HeadlessStartTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            if (const char* v = std::getenv(name))
                savedDisplay_[name] = v;
            unsetenv(name);
        }
        app_ = Home() / "app";
        test::fs::create_directories(app_ / "Icons");
        test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"), app_ / "VellumoDiagnostic");
        data_ = DataHome() / "Vellumo Data";
    }

    void TearDown() override {
        for (const auto& [name, value] : savedDisplay_)
            setenv(name.c_str(), value.c_str(), 1);
        IsolatedTest::TearDown();
    }

    // The program under a fixed, dot-decimal locale unless the caller names another.
    ProcessResult Run(std::map<std::string, std::string> env = {}) {
        env.emplace("LC_ALL", "C.UTF-8");
        return test::RunProcess({(app_ / "VellumoDiagnostic").string()}, env);
    }

    // The same as the unprivileged user, with the temporary tree open to that user.
    ProcessResult RunAsNobody(std::map<std::string, std::string> env = {}) {
        using test::fs::perms;
        test::fs::permissions(Home(), perms::all);
        for (const auto& entry : test::fs::recursive_directory_iterator(Home())) {
            if (entry.is_directory())
                test::fs::permissions(entry.path(), perms::all);
        }
        env.emplace("LC_ALL", "C.UTF-8");
        return test::RunProcessAsNobody({(app_ / "VellumoDiagnostic").string()}, env);
    }

    static void SetDebugModeOn() {
        const ProcessResult r =
            test::RunProcess({test::BuiltProgram("vellumo-reg"), "add", kDebugKey, "/v", "On", "/t",
                              "REG_DWORD", "/d", "1", "/f"});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }

    path app_;
    path data_;

private:
    std::map<std::string, std::string> savedDisplay_;
};

TEST_F(HeadlessStartTest, ReportHoldsThePathsAndChecksInOrder) {
    test::WriteFile(app_ / "master", "12345");
    test::WriteFile(app_ / "Icons" / "kestroclr.bmp", "BM");

    const ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "") << "no message box in a normal run";

    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 17u) << r.out;
    EXPECT_EQ(lines[0].rfind("OS: ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("WindowsUserName: ", 0), 0u);
    const std::vector<std::string> paths = {
        "AppPath: " + Folder(app_),
        "MyDocsPath: " + Folder(Documents()),
        "CommonDocsPath: " + Folder(DataHome()),
        "DataPath: " + Folder(data_),
        "AutoBackupPath: " + Folder(data_ / "Backup"),
        "DbPath: " + Folder(app_) + "master",
        "ConfigPath: " + Folder(data_ / "Config"),
        "LogPath: " + Folder(data_ / "Log"),
        "Master file exists: " + Folder(app_) + "master",
        "Master file size: 5",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.begin() + 12), paths);

    // The settings start-up writes its lines between the master file and the icon files.
    const size_t icons =
        Find(lines, "File exists: " + Folder(app_ / "Icons") + "kestroclr.bmp", 12);
    ASSERT_LT(icons + 3, lines.size()) << r.out;
    EXPECT_GT(icons, 12u);
    EXPECT_EQ(lines[icons + 1],
              "File doesn't exist: " + Folder(app_ / "Icons") + "kestroclrsm.bmp");
    EXPECT_EQ(lines[icons + 2], "MDAC: " + ShownLibraryVersion('.'));
    EXPECT_EQ(lines[icons + 3], "ScriptingRuntimePresent: True");

    for (const char* sub : {"Backup", "Config", "Export", "Log"})
        EXPECT_TRUE(test::fs::is_directory(data_ / sub)) << sub;
    EXPECT_TRUE(test::fs::is_empty(data_ / "Log")) << "debug mode is off: no log";
}

TEST_F(HeadlessStartTest, MasterFileMissingEmptyOrReadOnlyAndIconsMissing) {
    const std::string master = Folder(app_) + "master";

    std::vector<std::string> lines = Lines(Run().out);
    EXPECT_NE(Find(lines, "Master file doesn't exist: " + master), lines.size());
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("Master file size: ", 0) == 0;
    }));
    // Both icon files missing: two lines, in this order.
    const size_t icon =
        Find(lines, "File doesn't exist: " + Folder(app_ / "Icons") + "kestroclr.bmp");
    ASSERT_LT(icon + 1, lines.size());
    EXPECT_EQ(lines[icon + 1], "File doesn't exist: " + Folder(app_ / "Icons") + "kestroclrsm.bmp");

    test::WriteFile(app_ / "master", "");
    lines = Lines(Run().out);
    EXPECT_NE(Find(lines, "Master file exists: " + master), lines.size());
    EXPECT_NE(Find(lines, "Master file size: 0"), lines.size());

    // A master file of 3 GiB (sparse: it takes no room) is reported with its true size.
    test::fs::resize_file(app_ / "master", int64_t{3} << 30);
    lines = Lines(Run().out);
    EXPECT_NE(Find(lines, "Master file size: 3221225472"), lines.size());

    // A file the user may read but not write cannot be opened for reading and writing: -1.
    test::WriteFile(app_ / "master", "12345");
    test::fs::permissions(app_ / "master", test::fs::perms::owner_read |
                                               test::fs::perms::group_read |
                                               test::fs::perms::others_read);
    const ProcessResult r = RunAsNobody();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = Lines(r.out);
    EXPECT_NE(Find(lines, "Master file exists: " + master), lines.size());
    EXPECT_NE(Find(lines, "Master file size: -1"), lines.size()) << r.out;
}

TEST_F(HeadlessStartTest, LegacyConfigurationFolderWinsForConfigPathOnly) {
    const path legacy = Documents() / "Vellumo Data" / "Config";
    test::fs::create_directories(legacy);

    const std::vector<std::string> lines = Lines(Run().out);
    EXPECT_NE(Find(lines, "ConfigPath: " + Folder(legacy)), lines.size());
    EXPECT_NE(Find(lines, "DataPath: " + Folder(data_)), lines.size());
    EXPECT_NE(Find(lines, "LogPath: " + Folder(data_ / "Log")), lines.size());
    EXPECT_TRUE(test::fs::is_directory(data_ / "Config"))
        << "the shared configuration folder is still made";
}

TEST_F(HeadlessStartTest, DataAccessVersionUsesTheLocaleDecimalComma) {
    const path locales = Home() / "locales";
    test::fs::create_directories(locales);
    ASSERT_TRUE(CompileGermanLocale(locales))
        << "localedef -i de_DE -f UTF-8 cannot compile the German locale";

    const ProcessResult r = Run({{"LC_ALL", kGerman}, {"LOCPATH", locales.string()}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    const size_t mdac = Find(lines, "MDAC: " + ShownLibraryVersion(','));
    ASSERT_NE(mdac, lines.size()) << r.out;
    // The comparison with 2.5 still holds: the run goes on to the window.
    ASSERT_LT(mdac + 1, lines.size());
    EXPECT_EQ(lines[mdac + 1], "ScriptingRuntimePresent: True");
}

TEST_F(HeadlessStartTest, DebugModeWritesTheDailyLogAndShowsTheNotice) {
    SetDebugModeOn();
    test::WriteFile(app_ / "master", "12345");
    test::fs::create_directories(data_ / "Log");
    test::WriteFile(data_ / "Log" / "Log.txt", "old log");

    const std::string dayBefore = Today();
    const ProcessResult r = Run();
    const std::string dayAfter = Today();
    ASSERT_EQ(r.exitCode, 0) << r.err;

    EXPECT_FALSE(test::fs::exists(data_ / "Log" / "Log.txt"));
    path log = data_ / "Log" / (dayBefore + ".log");
    if (!test::fs::exists(log))
        log = data_ / "Log" / (dayAfter + ".log");
    ASSERT_TRUE(test::fs::exists(log));
    const std::string content = test::ReadFile(log);
    ASSERT_FALSE(content.empty());
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");

    const std::regex stamped("([0-2][0-9]:[0-5][0-9]:[0-5][0-9])  (.*)");
    std::vector<std::string> messages;
    for (const std::string& line : Lines(content)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
        messages.push_back(m[2]);
    }
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Paths initialized");
    EXPECT_EQ(messages[1], "Starting program");
    const std::vector<std::string> inOrder = {
        "DbPath = " + Folder(app_) + "master",
        "Master file exists; size 5",
        std::string("MDAC Version = ") + sqlite3_libversion(),
        "MDAC installed: " + ShownLibraryVersion('.'),
        "AppPath = " + Folder(app_),
        "MyDocsPath = " + Folder(Documents()),
        "CommonDocsPath = " + Folder(DataHome()),
        "DataPath = " + Folder(data_),
        "DbPath = " + Folder(app_) + "master",
        "DefaultDataPath = " + Folder(data_),
        "CommonConfigPath = " + Folder(data_ / "Config"),
        "App ver = 1.0.134",
    };
    size_t at = 2;
    for (const std::string& wanted : inOrder) {
        at = Find(messages, wanted, at);
        ASSERT_NE(at, messages.size()) << "missing or out of order: " << wanted << "\n" << content;
        ++at;
    }
    EXPECT_EQ(Find(messages, "Scripting Runtime not present."), messages.size());

    const std::string notice =
        std::string(build::kAppTitle) +
        ": The program runs in debug mode.\r\n\r\n"
        "Please remember to turn the debug mode off once the logging session is finished.\r\n"
        "(You can do that by clicking menu item Tools | Advanced and deselecting check box "
        "'Debug Mode'.)\n";
    EXPECT_EQ(r.err, notice);
}

TEST_F(HeadlessStartTest, MissingLogFolderShowsAWarningPerLineAndTheRunGoesOn) {
    // A file where the log folder belongs: the folder cannot be created and every line fails.
    SetDebugModeOn();
    test::fs::create_directories(data_);
    test::WriteFile(data_ / "Log", "not a folder");

    const ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> out = Lines(r.out);
    EXPECT_NE(Find(out, "LogPath: " + Folder(data_ / "Log")), out.size());
    EXPECT_NE(Find(out, "ScriptingRuntimePresent: True"), out.size()) << r.out;

    const std::string warning = std::string(build::kAppTitle) +
                                ": Error in Sub LogMsg, Err Num: 76, Err Desc: Path not found";
    const std::vector<std::string> err = Lines(r.err);
    ASSERT_GE(err.size(), 2u) << r.err;
    EXPECT_EQ(err[0], warning) << "the line before the notice";
    EXPECT_EQ(err[1], std::string(build::kAppTitle) + ": The program runs in debug mode.");
    // The notice spans four lines; every other line is one warning per log line (14 at least:
    // the two around the notice, the master file, the version and the path log).
    const auto warnings = std::count(err.begin(), err.end(), warning);
    EXPECT_EQ(static_cast<size_t>(warnings) + 4, err.size()) << r.err;
    EXPECT_GE(warnings, 14);
    EXPECT_EQ(test::ReadFile(data_ / "Log"), "not a folder");
}

} // namespace
} // namespace vellumo
