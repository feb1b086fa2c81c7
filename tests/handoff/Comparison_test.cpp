// Reading saved reports (text, Markdown, JSON, and what is not a report) and comparing reports
// label by label.
#include "handoff/Comparison.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace vellumo::handoff {
namespace {

using Lines = std::vector<ReportLine>;

const char* const kReport = "OS: 6.1.0 Debian English\r\n"
                            "Master file size: 5\r\n"
                            "File exists: /app/Icons/a.bmp\r\n"
                            "File exists: /app/Icons/b.bmp\r\n"
                            "\r\n"
                            "Can create file in DataPath: /d/\r\n";

std::vector<std::string> Texts(const std::vector<Change>& changes) {
    std::vector<std::string> texts;
    for (const Change& change : changes)
        texts.push_back(ChangeText(change));
    return texts;
}

TEST(ReadingSavedReports, TextMarkdownAndJsonGiveTheSameLines) {
    const Lines expected = SplitReport(kReport);
    const std::string withVerdicts = std::string(kReport) +
                                     "FAIL master-file: /app/master not found\r\n"
                                     "  Fix: Reinstall Vellumo.\r\n"
                                     "changed MDAC: 3.4 -> 3.5\r\n";
    std::string lfOnly = kReport;
    std::erase(lfOnly, '\r');
    const std::string markdown = "# Vellumo Diagnostic report\n\nText.\n\n## Report\n\n````\n" +
                                 lfOnly + "````\n\n## Changes\n\n```\nadded X: y\n```\n";
    const std::string json = "\xEF\xBB\xBF  {\"format\": \"vellumo-diagnostic-report\", "
                             "\"version\": 1, \"report\": \"" +
                             std::string("OS: 6.1.0 Debian English\\r\\nMaster file size: 5\\r\\n"
                                         "File exists: /app/Icons/a.bmp\\r\\n"
                                         "File exists: /app/Icons/b.bmp\\r\\n\\r\\n"
                                         "Can create file in DataPath: /d/\\r\\n\"}");
    for (const std::string& saved : {std::string(kReport), withVerdicts, lfOnly, markdown, json}) {
        const EarlierReport read = ParseEarlierReport(saved);
        EXPECT_EQ(read.problem, EarlierReport::Problem::None) << read.reason << "\n" << saved;
        EXPECT_EQ(read.lines, expected) << saved;
    }
}

TEST(ReadingSavedReports, WhatIsNotAReportSaysWhy) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "it is empty"},
        {"hello\r\nworld\r\n", "it does not begin with an \"OS: \" line"},
        {"\x7F"
         "ELF\x02\x01",
         "it does not begin with an \"OS: \" line"},
        {"{\"format\": \"other\"}", "it is JSON, but not a VellumoDiagnostic report"},
        {"[1, 2]", "it does not begin with an \"OS: \" line"},
        {"{\"format\": \"vellumo-diagnostic-report\", \"version\": 2, \"report\": \"OS: x\"}",
         "its format version is not 1"},
        {"{\"format\": \"vellumo-diagnostic-report\", \"version\": 1}",
         "it holds no \"report\" text"},
        {"{\"format\": ", "its JSON does not parse (at byte 12)"},
        {"# Title\n\nno block\n", "it holds no report block"},
        {"# Title\n\n```\nOS: x\n", "its report block is not closed"},
    };
    for (const auto& [content, reason] : cases) {
        const EarlierReport read = ParseEarlierReport(content);
        EXPECT_EQ(read.problem, EarlierReport::Problem::NotAReport) << content;
        EXPECT_EQ(read.reason, reason) << content;
    }
}

TEST(ReadingSavedReports, AMissingFileOrAFolderIsUnreadable) {
    const test::TempDir folder;
    EXPECT_EQ(ReadEarlierReport((folder.Path() / "missing.txt").string()).problem,
              EarlierReport::Problem::Unreadable);
    const EarlierReport fromFolder = ReadEarlierReport(folder.Path().string());
    EXPECT_EQ(fromFolder.problem, EarlierReport::Problem::Unreadable);
    EXPECT_EQ(fromFolder.reason, "it is a folder");

    test::WriteFile(folder.Path() / "saved.txt", kReport);
    EXPECT_EQ(ReadEarlierReport((folder.Path() / "saved.txt").string()).lines,
              SplitReport(kReport));
}

TEST(ComparingReports, TheSameReportHasNoChanges) {
    EXPECT_TRUE(CompareReports(SplitReport(kReport), SplitReport(kReport)).empty());
}

TEST(ComparingReports, OneChangedLine) {
    std::string now = kReport;
    now.replace(now.find("size: 5"), 7, "size: 7");
    EXPECT_EQ(Texts(CompareReports(SplitReport(kReport), SplitReport(now))),
              std::vector<std::string>{"changed Master file size: 5 -> 7"});
}

TEST(ComparingReports, AddedAndRemovedLinesInReportOrder) {
    // The second icon file went missing, a recent file was added where the empty line was.
    const std::string now = "OS: 6.1.0 Debian English\r\n"
                            "Master file size: 5\r\n"
                            "File exists: /app/Icons/a.bmp\r\n"
                            "File doesn't exist: /app/Icons/b.bmp\r\n"
                            "FileToOpen (exists): /d/n.vnt\r\n"
                            "Can create file in DataPath: /d/\r\n"
                            "Settings are already saved in registry\r\n";
    EXPECT_EQ(
        Texts(CompareReports(SplitReport(kReport), SplitReport(now))),
        (std::vector<std::string>{"removed File exists: /app/Icons/b.bmp", "removed (empty line)",
                                  "added File doesn't exist: /app/Icons/b.bmp",
                                  "added FileToOpen (exists): /d/n.vnt",
                                  "added Settings are already saved in registry"}));
}

TEST(ComparingReports, LinesSharingALabelAreMatchedInTheirOrder) {
    const std::string now = "OS: 6.1.0 Debian English\r\n"
                            "Master file size: 5\r\n"
                            "File exists: /app/Icons/a.bmp\r\n"
                            "File exists: /app/Icons/c.bmp\r\n"
                            "\r\n"
                            "Can create file in DataPath: /d/\r\n";
    EXPECT_EQ(
        Texts(CompareReports(SplitReport(kReport), SplitReport(now))),
        std::vector<std::string>{"changed File exists: /app/Icons/b.bmp -> /app/Icons/c.bmp"});
}

} // namespace
} // namespace vellumo::handoff
