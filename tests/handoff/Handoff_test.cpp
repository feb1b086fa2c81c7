// The documents from a record: JSON that validates against the schema and carries the report
// exactly, text with verdict lines, Markdown with a fence the report cannot close, every format
// read back by --compare, redaction across the whole document, and the exit statuses.
#include "handoff/Handoff.h"
#include "handoff/Redaction.h"

#include "support/JsonSchemaCheck.h"

#include <gtest/gtest.h>

namespace vellumo::handoff {
namespace {

using Json = nlohmann::json;

HandoffRequest Ask(DocumentFormat format, bool redact = false, bool check = false,
                   const EarlierReport* earlier = nullptr, std::string file = {}) {
    return {format, redact, check, earlier, std::move(file)};
}

RunRecord Record() {
    RunRecord record;
    record.report = "OS: 6.1.0 Debian English\r\n"
                    "WindowsUserName: ken\r\n"
                    "DataPath: /home/ken/Vellumo Data/\r\n"
                    "Master file doesn't exist: /app/master\r\n"
                    "Settings are already saved in registry\r\n"
                    "File exists: /app/Icons/kestroclr.bmp\r\n"
                    "MDAC: 3.4\r\n"
                    "ScriptingRuntimePresent: True\r\n"
                    "FileToOpen (exists): /home/ken/Plans ```x```.vnt\r\n"
                    "Can create file in DataPath: /home/ken/Vellumo Data/\r\n";
    record.complete = true;
    record.osVersion = "6.1.0 Debian";
    record.user = "ken";
    record.host = "box";
    record.home = "/home/ken";
    for (const char* name :
         {"AppPath", "MyDocsPath", "CommonDocsPath", "DataPath", "DefaultDataPath",
          "AutoBackupPath", "DefaultAutoBackupPath", "DefaultOneClickBackupPath", "ConfigPath",
          "CommonConfigPath", "DbPath", "ExportPath", "CalendarPath", "LogPath"})
        record.paths.emplace_back(name, "/home/ken/Vellumo Data/");
    record.dataPath = "/home/ken/Vellumo Data/";
    record.logPath = "/home/ken/Vellumo Data/Log/";
    record.iconFolder = "/app/Icons/";
    record.dataFolderFreeBytes = uint64_t{1} << 30;
    return record;
}

TEST(Handoff, JsonValidatesAndCarriesTheReportExactly) {
    const RunRecord record = Record();
    const EarlierReport earlier = ParseEarlierReport(record.report);
    for (const bool redact : {false, true}) {
        const Handoff handoff =
            MakeHandoff(record, Ask(DocumentFormat::Json, redact, true, &earlier, "old.json"));
        const Json document = Json::parse(handoff.document);
        EXPECT_EQ(test::SchemaErrors(document, test::ReportSchema()), std::vector<std::string>{});
        const Handoff text =
            MakeHandoff(record, {DocumentFormat::Text, redact, false, nullptr, {}});
        EXPECT_EQ(document["report"], text.document);
        EXPECT_EQ(document["redacted"], redact);
        EXPECT_EQ(document["lines"].size(), SplitReport(text.document).size());
    }
    const Handoff plain = MakeHandoff(record, {});
    EXPECT_EQ(plain.document, record.report) << "text without options is the report's bytes";
}

TEST(Handoff, TheSchemaCheckCatchesAWrongDocument) {
    Json document = Json::parse(MakeHandoff(Record(), Ask(DocumentFormat::Json)).document);
    document["facts"]["scripting_runtime"] = "yes";
    document.erase("report");
    document["extra"] = 1;
    EXPECT_EQ(test::SchemaErrors(document, test::ReportSchema()).size(), 3u);
}

TEST(Handoff, TextPutsVerdictsAndFixesAfterTheReport) {
    const RunRecord record = Record();
    const std::string text = MakeHandoff(record, Ask(DocumentFormat::Text, false, true)).document;
    ASSERT_TRUE(text.starts_with(record.report));
    const std::string verdict = "FAIL master-file: /app/master not found\r\n"
                                "  Fix: Reinstall Vellumo, or put the master file back into";
    EXPECT_EQ(text.substr(record.report.size(), verdict.size()), verdict);
}

TEST(Handoff, EveryFormatReadsBackAsTheSameReport) {
    const RunRecord record = Record();
    for (const DocumentFormat format :
         {DocumentFormat::Text, DocumentFormat::Json, DocumentFormat::Markdown}) {
        const Handoff saved = MakeHandoff(record, Ask(format, false, true));
        const EarlierReport read = ParseEarlierReport(saved.document);
        ASSERT_EQ(read.problem, EarlierReport::Problem::None) << read.reason << saved.document;
        EXPECT_EQ(read.lines, SplitReport(record.report));
        const Handoff compared = MakeHandoff(record, Ask(format, false, false, &read, "saved"));
        EXPECT_EQ(compared.exitStatus, kNothingFound) << compared.document;
    }
    // The report's own backticks need a longer fence.
    const std::string markdown = MakeHandoff(record, Ask(DocumentFormat::Markdown)).document;
    EXPECT_NE(markdown.find("\n````\nOS: "), std::string::npos) << markdown;
}

TEST(Handoff, RedactionCoversTheWholeDocument) {
    RunRecord record = Record();
    record.storeProblem =
        "The registry store \"/home/ken/.config/kestrova/registry.db\" is locked.";
    const EarlierReport earlier = ParseEarlierReport("OS: 6.1.0 Debian English\r\n"
                                                     "WindowsUserName: ken\r\n"
                                                     "MRU 2 (exists): /home/ken/old.vnt\r\n");
    const Handoff handoff = MakeHandoff(
        record, {DocumentFormat::Json, true, true, &earlier, "/home/ken/old report.json"});
    ASSERT_EQ(handoff.error, "");
    EXPECT_EQ(handoff.document.find("ken"), std::string::npos) << handoff.document;
    EXPECT_EQ(handoff.document.find("Plans"), std::string::npos) << "recent file names";
    const Json document = Json::parse(handoff.document);
    EXPECT_EQ(document["facts"]["user"], "<user>");
    const std::string home = PlatformRedactionRules().homePlaceholder;
    EXPECT_EQ(document["facts"]["recent_files"][0]["path"], home + "/<file 1>.vnt");
    EXPECT_EQ(document["comparison"]["file"], home + "/old report.json");
    EXPECT_EQ(document["lines"].back()["label"], "Redacted");
}

TEST(Handoff, WithheldWhenRedactionCannotHideTheHomeFolder) {
    RunRecord record = Record();
    record.report += "MRU 2 (exists): /home/kenneth/shared.vnt\r\n";
    for (const DocumentFormat format : {DocumentFormat::Text, DocumentFormat::Json}) {
        const Handoff handoff = MakeHandoff(record, Ask(format, true));
        EXPECT_EQ(handoff.exitStatus, kTrouble);
        EXPECT_EQ(handoff.document, "");
        EXPECT_NE(handoff.error, "");
    }
    const WindowReport window = RedactForWindow(record);
    EXPECT_TRUE(window.withheld);
    EXPECT_EQ(window.text.find("ken"), std::string::npos) << window.text;
    EXPECT_FALSE(RedactForWindow(Record()).withheld);
}

TEST(Handoff, ExitStatusSaysWhetherSomethingWasFound) {
    RunRecord record = Record();
    const std::string good = "OS: 6.1.0 Debian English\r\n";
    const EarlierReport same = ParseEarlierReport(record.report);
    const EarlierReport other = ParseEarlierReport(good);
    EXPECT_EQ(MakeHandoff(record, {}).exitStatus, kNothingFound);
    EXPECT_EQ(MakeHandoff(record, Ask(DocumentFormat::Text, false, false, &same)).exitStatus,
              kNothingFound);
    EXPECT_EQ(MakeHandoff(record, Ask(DocumentFormat::Text, false, false, &other)).exitStatus,
              kFoundSomething);
    EXPECT_EQ(MakeHandoff(record, Ask(DocumentFormat::Text, false, true)).exitStatus,
              kFoundSomething)
        << "the master file is missing";
    record.complete = false;
    EXPECT_EQ(MakeHandoff(record, {}).exitStatus, kFoundSomething);
}

TEST(Handoff, JsonReplacesBytesThatAreNotUtf8) {
    RunRecord record = Record();
    record.report = "OS: 6.1.0 Debian English\r\nMRU 2 (exists): /d/caf\xE9.vnt\r\n";
    const Json document = Json::parse(MakeHandoff(record, Ask(DocumentFormat::Json)).document);
    EXPECT_EQ(document["lines"][1]["value"], "/d/caf\xEF\xBF\xBD.vnt");
}

} // namespace
} // namespace vellumo::handoff
