// Making the document: facts, redaction, verdicts, comparison and exit status, in that order.
#include "handoff/Handoff.h"

#include "handoff/Redaction.h"

namespace vellumo::handoff {
namespace {

// The message line (after the program's name) and the window's notice when redaction fails.
constexpr const char* kWithheld =
    "redaction could not hide the user's name or the home folder everywhere, so the report is "
    "not shown";
constexpr const char* kWithheldNotice =
    "Redaction could not hide the user's name or the home folder everywhere, so the report is "
    "not shown.";

PersonalData PersonalDataOf(const RunRecord& record, const ReportFacts& facts,
                            const std::vector<ReportLine>& earlierLines) {
    PersonalData personal{record.user, record.host, record.home, {}};
    for (const RecentFile& file : facts.recentFiles)
        personal.recentFiles.push_back(file.path);
    // The earlier report's own recent files, numbered after this run's.
    if (!earlierLines.empty()) {
        RunRecord earlier;
        earlier.report = JoinReport(earlierLines);
        for (const RecentFile& file : ReadFacts(earlier).recentFiles)
            personal.recentFiles.push_back(file.path);
    }
    return personal;
}

// The report with its values redacted and the summary as its last line.
std::string RedactReport(const std::string& report, Redactor& redactor) {
    std::vector<ReportLine> lines = SplitReport(report);
    for (ReportLine& line : lines) {
        if (line.hasValue)
            line.value = redactor.Redact(line.value);
    }
    lines.push_back(SplitLine(redactor.Summary()));
    return JoinReport(lines);
}

void RedactContent(DocumentContent& content, std::vector<ReportLine>& earlierLines,
                   std::string& earlierFile, Redactor& redactor) {
    RunRecord& record = content.record;
    record.report = RedactReport(record.report, redactor);
    for (std::string* text :
         {&record.osVersion, &record.user, &record.host, &record.home, &record.dataPath,
          &record.logPath, &record.iconFolder, &record.storeProblem, &earlierFile})
        *text = redactor.Redact(*text);
    for (auto& path : record.paths)
        path.second = redactor.Redact(path.second);
    ReportFacts& facts = content.facts;
    for (std::string* text : {&facts.language, &facts.masterFilePath, &facts.dataFolderProblem})
        *text = redactor.Redact(*text);
    for (IconFile& icon : facts.iconFiles)
        icon.path = redactor.Redact(icon.path);
    for (RecentFile& file : facts.recentFiles)
        file.path = redactor.Redact(file.path);
    for (ReportLine& line : earlierLines)
        line.value = redactor.Redact(line.value);
}

} // namespace

Handoff MakeHandoff(const RunRecord& record, const HandoffRequest& request) {
    DocumentContent content{record, ReadFacts(record), request.redact, {}, {}};
    std::vector<ReportLine> earlierLines;
    if (request.earlier != nullptr)
        earlierLines = request.earlier->lines;
    std::string earlierFile = request.earlierFile;
    if (request.redact) {
        Redactor redactor(PersonalDataOf(record, content.facts, earlierLines),
                          PlatformRedactionRules());
        RedactContent(content, earlierLines, earlierFile, redactor);
        if (redactor.Leaked())
            return {{}, kTrouble, kWithheld};
    }
    bool found = !record.complete;
    if (request.check) {
        content.checks = RunChecks(content.record, content.facts);
        found = found || AnyFailed(*content.checks);
    }
    if (request.earlier != nullptr) {
        content.comparison = Comparison{
            earlierFile, CompareReports(earlierLines, SplitReport(content.record.report))};
        found = found || !content.comparison->changes.empty();
    }
    return {RenderDocument(content, request.format), found ? kFoundSomething : kNothingFound, {}};
}

WindowReport RedactForWindow(const RunRecord& record) {
    Redactor redactor(PersonalDataOf(record, ReadFacts(record), {}), PlatformRedactionRules());
    std::string text = RedactReport(record.report, redactor);
    if (redactor.Leaked())
        return {kWithheldNotice, true};
    return {std::move(text), false};
}

} // namespace vellumo::handoff
