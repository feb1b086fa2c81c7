// The real program's options for support, run headless in a private HOME: --help and --version
// and usage errors that touch nothing, JSON that validates and carries the text run's bytes,
// --output whole or not at all, --redact with its fail-closed refusal, each check's PASS and FAIL
// and --compare against a saved report.
#include "integration/settings_support.h"
#include "settings/SettingsTestSupport.h"
#include "support/JsonSchemaCheck.h"

#include <cstdlib>

namespace vellumo {
namespace {

using test::ProcessResult;
using test::Strings;
namespace fs = std::filesystem;

using test::CrLfLines;

bool Has(const Strings& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Nothing in a folder, not even hidden files.
bool Empty(const fs::path& folder) {
    return fs::directory_iterator(folder) == fs::directory_iterator();
}

// --help, --version and usage errors end the program before it touches anything: with an empty
// HOME and a display named (where the window module would be loaded), HOME stays empty.
class TouchNothingTest : public ::testing::Test {
protected:
    ProcessResult Run(const Strings& arguments) {
        Strings argv = {test::BuiltProgram("VellumoDiagnostic")};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::string home = home_.Path().string();
        return test::RunProcess(argv, {{"HOME", home},
                                       {"XDG_CONFIG_HOME", home + "/.config"},
                                       {"XDG_DATA_HOME", home + "/.local/share"},
                                       {"DISPLAY", ":97"},
                                       {"LC_ALL", "C.UTF-8"}});
    }
    test::TempDir home_;
};

TEST_F(TouchNothingTest, HelpAndVersionAnswerOnStandardOutput) {
    for (const Strings& arguments :
         {Strings{"--help"}, Strings{"-h"}, Strings{"--print", "--help"}, Strings{"--version"}}) {
        const ProcessResult r = Run(arguments);
        EXPECT_EQ(r.exitCode, 0) << arguments[0];
        EXPECT_EQ(r.err, "") << arguments[0];
        EXPECT_TRUE(Empty(home_.Path())) << arguments[0];
        if (arguments[0] == "--version") {
            EXPECT_EQ(r.out, "VellumoDiagnostic 1.0.134\n");
            continue;
        }
        for (const char* option : {"--print", "--format=", "--output=", "--redact", "--check",
                                   "--compare=", "--help", "--version", "Exit status"})
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST_F(TouchNothingTest, UsageErrorsNameTheOptionAndExitTwo) {
    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"--foo"}, "--foo"},
        {{"--format=xml"}, "--format"},
        {{"--format"}, "--format"},
        {{"--output"}, "--output"},
        {{"--output="}, "--output"},
        {{"--compare"}, "--compare"},
        {{"report.txt"}, "report.txt"},
        {{"--check=yes"}, "--check"},
        {{"--print", "--print"}, "--print"},
        {{"--format", "json", "--format=text"}, "--format"},
    };
    for (const auto& [arguments, named] : cases) {
        const ProcessResult r = Run(arguments);
        EXPECT_EQ(r.exitCode, 2) << named;
        EXPECT_EQ(r.out, "") << named;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(Empty(home_.Path())) << named;
    }
}

class ReportOptionsTest : public test::SettingsRunTest {
protected:
    ProcessResult Run(const Strings& arguments, std::map<std::string, std::string> env = {}) {
        Strings argv = {Program()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        env.emplace("LC_ALL", "C.UTF-8");
        return test::RunProcess(argv, env);
    }
    [[nodiscard]] fs::path App() const { return Home() / "app"; }
    // The master file and both icon files in place.
    void Install() const {
        test::WriteFile(App() / "master", "12345");
        fs::create_directories(App() / "Icons");
        for (const char* icon : {"kestroclr.bmp", "kestroclrsm.bmp"})
            test::WriteFile(App() / "Icons" / icon, "BM");
    }
    // The verdict lines ("PASS icons: ...") of a --check run, by check.
    static std::map<std::string, std::string> Verdicts(const std::string& out) {
        std::map<std::string, std::string> verdicts;
        for (const std::string& line : CrLfLines(out)) {
            for (const char* status : {"PASS ", "WARN ", "FAIL ", "SKIP "}) {
                if (line.starts_with(status))
                    verdicts[line.substr(5, line.find(':') - 5)] = line;
            }
        }
        return verdicts;
    }
};

TEST_F(ReportOptionsTest, PrintAndJsonCarryTheSameBytesAsTheRunWithoutOptions) {
    ASSERT_EQ(Run({}).exitCode, 0); // the first run migrates; the runs below all find the store
    const ProcessResult plain = Run({});
    // With a display named, --print still never loads the window module (which would say that
    // the display cannot be opened).
    const ProcessResult print = Run({"--print"}, {{"DISPLAY", ":97"}});
    const ProcessResult json = Run({"--format", "json"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(print.exitCode, 0);
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(print.out, plain.out);
    EXPECT_EQ(print.err, "");
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(test::SchemaErrors(document, test::ReportSchema()), Strings{});
    EXPECT_EQ(document["report"], plain.out);
    EXPECT_EQ(document["complete"], true);
    EXPECT_EQ(document["facts"]["paths"]["DataPath"], Folder(data_));
    EXPECT_EQ(json.err, "");

    const ProcessResult markdown = Run({"--format=markdown", "--check"});
    EXPECT_TRUE(markdown.out.starts_with("# Vellumo Diagnostic report\n")) << markdown.out;
    EXPECT_NE(markdown.out.find("\n| FAIL | master-file | "), std::string::npos);
    std::string report = plain.out;
    std::erase(report, '\r');
    EXPECT_NE(markdown.out.find("\n```\n" + report + "```\n"), std::string::npos);
}

TEST_F(ReportOptionsTest, OutputIsWrittenWholeOrNotAtAll) {
    const fs::path saved = Home() / "saved.txt";
    ProcessResult r = Run({"--output=" + saved.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(test::ReadFile(saved).starts_with("OS: "));

    // A folder in the file's place, and a folder that does not exist: one line naming the file.
    for (const fs::path& target : {data_, Home() / "missing" / "r.txt"}) {
        r = Run({"--output", target.string()});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("cannot write " + target.string() + " ("), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(Home() / "missing"));

    // A folder the user may not write: nothing is left in it, and the run never started.
    const fs::path locked = Home() / "locked";
    fs::create_directories(locked);
    OpenTreeToNobody({locked});
    fs::remove_all(data_);
    r = test::RunProcessAsNobody({Program(), "--output=" + (locked / "r.txt").string()});
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_NE(r.err.find((locked / "r.txt").string()), std::string::npos) << r.err;
    EXPECT_TRUE(Empty(locked));
    EXPECT_FALSE(fs::exists(data_)) << "the run did not start";
}

TEST_F(ReportOptionsTest, RedactHidesTheUserTheHomeAndRecentFileNames) {
    const fs::path recent = Documents() / "Project Plan.vnt";
    test::WriteFile(recent, "x");
    test::WriteFile(config_ / "mru.ini",
                    "MaxCount,6\r\nCount,1\r\nFile1," + recent.string() + "\r\n\r\n");
    const ProcessResult r = Run({"--redact", "--print"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Strings lines = CrLfLines(r.out);
    EXPECT_TRUE(Has(lines, "WindowsUserName: <user>")) << r.out;
    EXPECT_TRUE(Has(lines, "DataPath: ~/.local/share/Vellumo Data/")) << r.out;
    EXPECT_TRUE(Has(lines, "FileToOpen (exists): ~/Documents/<file 1>.vnt")) << r.out;
    EXPECT_EQ(r.out.find(Home().string()), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Project"), std::string::npos) << r.out;
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("Redacted: user name (")) << lines.back();
    EXPECT_NE(lines.back().find("<file 1> (12 characters, spaces)"), std::string::npos);
}

TEST_F(ReportOptionsTest, RedactRefusesWhenTheHomeFolderStillShows) {
    // A recent file in a folder named like the home folder with more after it: not the home as
    // whole segments, so it stays, and it shows the home folder's name.
    const fs::path neighbour = Home().string() + "-old";
    fs::create_directories(neighbour);
    test::WriteFile(neighbour / "n.vnt", "x");
    test::WriteFile(config_ / "mru.ini", "MaxCount,6\r\nCount,1\r\nFile1," +
                                             (neighbour / "n.vnt").string() + "\r\n\r\n");
    const fs::path output = Home() / "r.json";
    const ProcessResult r = Run({"--redact", "--format=json", "--output=" + output.string()});
    fs::remove_all(neighbour);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("redaction could not hide"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(std::count_if(fs::directory_iterator(Home()), fs::directory_iterator(),
                            [](const auto& e) { return e.path().extension() == ".tmp"; }),
              0);
}

TEST_F(ReportOptionsTest, ChecksPassOnAGoodInstallationAndFailWhereItIsNot) {
    ProcessResult r = Run({"--check"});
    EXPECT_EQ(r.exitCode, 1) << "master file and icons are missing";
    std::map<std::string, std::string> verdicts = Verdicts(r.out);
    EXPECT_EQ(verdicts["master-file"], "FAIL master-file: " + Folder(App()) + "master not found");
    EXPECT_TRUE(verdicts["icons"].starts_with("FAIL icons: ")) << verdicts["icons"];
    const Strings lines = CrLfLines(r.out);
    const auto master = std::find(lines.begin(), lines.end(), verdicts["master-file"]);
    ASSERT_NE(master, lines.end());
    EXPECT_TRUE((master + 1)->starts_with("  Fix: ")) << *(master + 1);

    Install();
    r = Run({"--check"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    verdicts = Verdicts(r.out);
    ASSERT_EQ(verdicts.size(), 8u) << r.out;
    for (const auto& [id, line] : verdicts)
        EXPECT_TRUE(line.starts_with("PASS ")) << line;

    // Debug mode on is a warning, not a failure.
    ASSERT_EQ(
        test::RunProcess({test::BuiltProgram("vellumo-reg"), "add", test::kRegRoot + "\\Debug",
                          "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"})
            .exitCode,
        0);
    r = Run({"--check"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(Verdicts(r.out)["debug-mode"].starts_with("WARN debug-mode: debug mode is on"));
}

TEST_F(ReportOptionsTest, ADamagedRegistryStoreFailsItsCheckWithTheReason) {
    Install();
    fs::create_directories(ConfigHome() / "kestrova");
    test::WriteFile(ConfigHome() / "kestrova" / "registry.db", std::string(4096, 'x'));
    const ProcessResult r = Run({"--check"});
    EXPECT_EQ(r.exitCode, 1);
    const std::string registry = Verdicts(r.out)["registry"];
    EXPECT_TRUE(registry.starts_with("FAIL registry: ")) << r.out;
    EXPECT_NE(registry.find("registry.db"), std::string::npos) << registry;
}

TEST_F(ReportOptionsTest, OldDataAccessFailsItsCheckAndWhatFollowsIsSkipped) {
    Install();
    const fs::path standIn = App() / fs::path(VELLUMO_OLD_DATA_ACCESS_LIBRARY).filename();
    fs::copy_file(VELLUMO_OLD_DATA_ACCESS_LIBRARY, standIn);
    std::map<std::string, std::string> env = {{"LD_PRELOAD", standIn.string()}};
    if (const char* asan = std::getenv("ASAN_OPTIONS"))
        env["ASAN_OPTIONS"] = std::string(asan) + ":verify_asan_link_order=0";
    const ProcessResult r = Run({"--check", "--format=json"}, env);
    EXPECT_EQ(r.exitCode, 1);
    const nlohmann::json document = nlohmann::json::parse(r.out);
    EXPECT_EQ(test::SchemaErrors(document, test::ReportSchema()), Strings{});
    EXPECT_EQ(document["complete"], false);
    std::map<std::string, std::string> statuses = test::CheckStatuses(document);
    EXPECT_EQ(statuses["data-access"], "fail");
    EXPECT_EQ(statuses["scripting"], "skip");
    EXPECT_EQ(statuses["data-folder"], "skip");
    EXPECT_EQ(statuses["master-file"], "pass");
}

TEST_F(ReportOptionsTest, AReadOnlyDataFolderFailsItsCheck) {
    Install();
    OpenTreeToNobody({data_});
    const ProcessResult r = test::RunProcessAsNobody({Program(), "--check"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Verdicts(r.out)["data-folder"].starts_with(
        "FAIL data-folder: cannot create a file in " + Folder(data_) + " (Err.Number: "))
        << r.out;
}

TEST_F(ReportOptionsTest, CompareSaysWhatChangedSinceASavedReport) {
    Install();
    ASSERT_EQ(Run({}).exitCode, 0);
    const fs::path text = Home() / "before.txt";
    const fs::path json = Home() / "before.json";
    ASSERT_EQ(Run({"--output=" + text.string()}).exitCode, 0);
    ASSERT_EQ(Run({"--format=json", "--check", "--output=" + json.string()}).exitCode, 0);

    // Nothing changed: the report alone, exit 0, against either saved form.
    for (const fs::path& saved : {text, json}) {
        const ProcessResult r = Run({"--compare=" + saved.string()});
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(r.out, test::ReadFile(text));
    }

    // One changed line.
    test::WriteFile(App() / "master", "1234567");
    ProcessResult r = Run({"--compare", text.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.ends_with("\r\nchanged Master file size: 5 -> 7\r\n")) << r.out;

    // A line removed and one added: the icon file went missing.
    fs::remove(App() / "Icons" / "kestroclrsm.bmp");
    fs::remove(App() / "master");
    r = Run({"--compare", json.string()});
    EXPECT_EQ(r.exitCode, 1);
    const std::string icon = Folder(App() / "Icons") + "kestroclrsm.bmp";
    const Strings lines = CrLfLines(r.out);
    EXPECT_TRUE(Has(lines, "removed Master file exists: " + Folder(App()) + "master")) << r.out;
    EXPECT_TRUE(Has(lines, "removed Master file size: 5")) << r.out;
    EXPECT_TRUE(Has(lines, "added Master file doesn't exist: " + Folder(App()) + "master"));
    EXPECT_TRUE(Has(lines, "removed File exists: " + icon)) << r.out;
    EXPECT_TRUE(Has(lines, "added File doesn't exist: " + icon)) << r.out;
}

TEST_F(ReportOptionsTest, CompareWithWhatCannotBeReadOrIsNoReport) {
    test::WriteFile(Home() / "notes.txt", "Dear support,\r\n");
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {Home() / "missing.txt",
         "cannot read " + (Home() / "missing.txt").string() + " (File not found)"},
        {Home() / "notes.txt",
         (Home() / "notes.txt").string() + " is not a report: it does not begin with an \"OS: \""},
    };
    for (const auto& [file, message] : cases) {
        const ProcessResult r = Run({"--compare=" + file.string()});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(TestFiles(data_), 0u) << "the run does not start when FILE is no report";
}

} // namespace
} // namespace vellumo
