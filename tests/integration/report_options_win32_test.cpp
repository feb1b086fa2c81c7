// The real VellumoDiagnostic.exe with the options for support under Wine: a windowed program that
// writes to the standard handles it is given (pipes here, a file through cmd.exe's redirection).
// Under Wine the data-access components report no version, so every run ends after that check:
// exit status 1, and the checks after it are skipped.
#include "support/JsonSchemaCheck.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

using test::ProcessResult;
using test::fs::path;
using Strings = std::vector<std::string>;

constexpr const char* kProductKey = "HKCU\\Software\\Kestrova\\Vellumo";

class ReportOptionsWin32Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        app_ = Home() / "app";
        test::fs::create_directories(app_);
        test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"),
                            app_ / "VellumoDiagnostic.exe");
        data_ = DataHome() / "Vellumo Data";
        test::RunProcess({"reg", "delete", kProductKey, "/f"});
    }
    void TearDown() override {
        test::RunProcess({"reg", "delete", kProductKey, "/f"});
        IsolatedTest::TearDown();
    }

    [[nodiscard]] std::string Program() const { return (app_ / "VellumoDiagnostic.exe").string(); }
    ProcessResult Run(const Strings& arguments) const {
        Strings argv = {Program()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return test::RunProcess(argv);
    }
    static bool ProductKeyExists() {
        return test::RunProcess({"reg", "query", kProductKey}).exitCode == 0;
    }

    path app_;
    path data_;
};

TEST_F(ReportOptionsWin32Test, HelpVersionAndUsageErrorsTouchNothing) {
    ProcessResult r = Run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--compare=FILE"), std::string::npos) << r.out;
    r = Run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "VellumoDiagnostic 1.0.134\n");
    r = Run({"--format=xml"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--format"), std::string::npos) << r.err;
    EXPECT_FALSE(test::fs::exists(data_));
    EXPECT_FALSE(ProductKeyExists());
}

TEST_F(ReportOptionsWin32Test, JsonValidatesAndCarriesThePrintedReport) {
    ASSERT_EQ(Run({"--print"}).exitCode, 1); // the first run migrates
    const ProcessResult print = Run({"--print"});
    const ProcessResult json = Run({"--format", "json", "--check"});
    EXPECT_EQ(print.exitCode, 1) << "the run ends after the data-access check";
    EXPECT_TRUE(print.out.starts_with("OS: ")) << print.out;
    EXPECT_TRUE(print.out.ends_with("\r\nMDAC: 0\r\n")) << print.out;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(test::SchemaErrors(document, test::ReportSchema()), Strings{});
    EXPECT_EQ(document["report"], print.out);
    EXPECT_EQ(document["complete"], false);
    std::map<std::string, std::string> statuses = test::CheckStatuses(document);
    EXPECT_EQ(statuses["data-access"], "fail");
    EXPECT_EQ(statuses["scripting"], "skip");
    EXPECT_EQ(statuses["registry"], "pass");
}

TEST_F(ReportOptionsWin32Test, OutputFileAndCmdRedirectionGetTheWholeDocument) {
    ASSERT_EQ(Run({"--print"}).exitCode, 1); // the first run migrates
    const path saved = Home() / "saved.txt";
    ProcessResult r = Run({"--output=" + saved.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(test::ReadFile(saved).starts_with("OS: "));
    r = Run({"--output", app_.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("cannot write " + app_.string()), std::string::npos) << r.err;

    const path redirected = Home() / "r.json";
    r = test::RunProcess({"cmd", "/c", Program() + " --format=json > " + redirected.string()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const nlohmann::json document = nlohmann::json::parse(test::ReadFile(redirected));
    EXPECT_EQ(document["format"], "vellumo-diagnostic-report");

    // The saved report against this run: no change lines, only the report.
    r = Run({"--compare=" + saved.string()});
    EXPECT_EQ(r.out, test::ReadFile(saved));
    r = Run({"--compare=" + (app_ / "VellumoDiagnostic.exe").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("is not a report"), std::string::npos) << r.err;
}

TEST_F(ReportOptionsWin32Test, RedactHidesTheUserAndTheProfileFolder) {
    const ProcessResult r = Run({"--redact", "--print"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("\r\nWindowsUserName: <user>\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\r\nRedacted: user name ("), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.ends_with("\r\n"));
}

} // namespace
} // namespace vellumo
