// Writing the text, JSON and Markdown documents.
#include "handoff/ReportDocument.h"

#include "BuildSettings.h"
#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace vellumo::handoff {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kProgramName = "VellumoDiagnostic";
constexpr std::string_view kFixIndent = "  Fix: ";
// The shortest Markdown fence; a longer one when the report itself holds backticks.
constexpr size_t kShortestFence = 3;
constexpr int kJsonIndent = 2;

std::string StatusName(CheckStatus status) {
    std::string name(StatusWord(status));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(c - 'A' + 'a'); });
    return name;
}

template <typename T> Json OrNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json FactsJson(const RunRecord& record, const ReportFacts& facts) {
    Json paths = Json::object();
    for (const auto& [name, folder] : record.paths)
        paths[name] = folder;
    Json master = nullptr;
    if (facts.masterFilePresent)
        master = {{"path", facts.masterFilePath},
                  {"present", *facts.masterFilePresent},
                  {"size", OrNull(facts.masterFileSize)}};
    Json icons = Json::array();
    for (const IconFile& icon : facts.iconFiles)
        icons.push_back({{"path", icon.path}, {"present", icon.present}});
    Json recent = Json::array();
    for (const RecentFile& file : facts.recentFiles)
        recent.push_back({{"entry", file.entry}, {"path", file.path}, {"exists", file.exists}});
    return {{"operating_system", {{"version", record.osVersion}, {"language", facts.language}}},
            {"user", record.user},
            {"paths", paths},
            {"master_file", master},
            {"icon_files", icons},
            {"data_access_version", OrNull(facts.dataAccessVersion)},
            {"scripting_runtime", OrNull(facts.scriptingRuntime)},
            {"recent_files", recent},
            {"data_folder_writable", OrNull(facts.dataFolderWritable)}};
}

std::string JsonDocument(const DocumentContent& content) {
    const RunRecord& record = content.record;
    Json lines = Json::array();
    for (const ReportLine& line : SplitReport(record.report))
        lines.push_back(
            {{"label", line.label}, {"value", line.hasValue ? Json(line.value) : Json(nullptr)}});
    Json document = {{"format", kDocumentFormatName},
                     {"version", kDocumentFormatVersion},
                     {"program", {{"name", kProgramName}, {"version", build::kVersionText}}},
                     {"complete", record.complete},
                     {"redacted", content.redacted},
                     {"report", record.report},
                     {"lines", lines},
                     {"facts", FactsJson(record, content.facts)}};
    if (content.checks) {
        Json checks = Json::array();
        for (const CheckVerdict& verdict : *content.checks)
            checks.push_back({{"id", verdict.id},
                              {"status", StatusName(verdict.status)},
                              {"detail", verdict.detail},
                              {"fix", verdict.fix}});
        document["checks"] = checks;
    }
    if (content.comparison) {
        Json changes = Json::array();
        for (const Change& change : content.comparison->changes) {
            Json entry = {{"change", KindWord(change.kind)}, {"label", change.label}};
            const Json none = nullptr;
            const auto value = [&](const std::string& text) {
                return change.hasValue ? Json(text) : none;
            };
            if (change.kind != Change::Kind::Added)
                entry["old"] = value(change.before);
            if (change.kind != Change::Kind::Removed)
                entry["new"] = value(change.after);
            changes.push_back(entry);
        }
        document["comparison"] = {{"file", content.comparison->file}, {"changes", changes}};
    }
    return document.dump(kJsonIndent, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string VerdictLines(const std::vector<CheckVerdict>& verdicts) {
    std::string text;
    for (const CheckVerdict& verdict : verdicts) {
        text += std::string(StatusWord(verdict.status)) + " " + verdict.id + ": " + verdict.detail +
                std::string(kCrLf);
        if (!verdict.fix.empty())
            text += std::string(kFixIndent) + verdict.fix + std::string(kCrLf);
    }
    return text;
}

std::string TextDocument(const DocumentContent& content) {
    std::string text = content.record.report;
    if (content.checks)
        text += VerdictLines(*content.checks);
    if (content.comparison) {
        for (const Change& change : content.comparison->changes)
            text += ChangeText(change) + std::string(kCrLf);
    }
    return text;
}

// A table cell: Markdown's special characters escaped, so that paths show as they are.
std::string Cell(std::string_view text) {
    std::string cell;
    for (char c : text) {
        if (std::string_view("\\`*_[]<>#!~|").find(c) != std::string_view::npos)
            cell += '\\';
        cell += c;
    }
    return cell;
}

// The lines of a text with LF line ends, in a fence longer than any run of backticks in them.
std::string FencedBlock(const std::string& text) {
    size_t longest = 0;
    for (size_t at = text.find('`'); at != std::string::npos; at = text.find('`', at)) {
        const size_t end = std::min(text.find_first_not_of('`', at), text.size());
        longest = std::max(longest, end - at);
        at = end;
    }
    const std::string fence(std::max(kShortestFence, longest + 1), '`');
    std::string block = fence + "\n";
    for (const ReportLine& line : SplitReport(text))
        block += line.Text() + "\n";
    return block + fence + "\n";
}

std::string MarkdownDocument(const DocumentContent& content) {
    std::string text = "# " + std::string(build::kAppTitle) + " report\n\n";
    text += std::string(kProgramName) + " " + build::kVersionText + ". " +
            (content.record.complete ? "The run reached the window."
                                     : "The run ended before the window.");
    if (content.redacted)
        text += " Personal data is hidden.";
    text += "\n";
    if (content.checks) {
        text += "\n## Checks\n\n| Status | Check | Found | Fix |\n| --- | --- | --- | --- |\n";
        for (const CheckVerdict& verdict : *content.checks)
            text += "| " + std::string(StatusWord(verdict.status)) + " | " + verdict.id + " | " +
                    Cell(verdict.detail) + " | " + Cell(verdict.fix) + " |\n";
    }
    text += "\n## Report\n\n" + FencedBlock(content.record.report);
    if (content.comparison) {
        text += "\n## Changes since " + Cell(content.comparison->file) + "\n\n";
        std::string changes;
        for (const Change& change : content.comparison->changes)
            changes += ChangeText(change) + "\n";
        text += content.comparison->changes.empty() ? "No changes.\n" : FencedBlock(changes);
    }
    return text;
}

} // namespace

std::string RenderDocument(const DocumentContent& content, DocumentFormat format) {
    switch (format) {
    case DocumentFormat::Json:
        return JsonDocument(content);
    case DocumentFormat::Markdown:
        return MarkdownDocument(content);
    case DocumentFormat::Text:
        break;
    }
    return TextDocument(content);
}

} // namespace vellumo::handoff
