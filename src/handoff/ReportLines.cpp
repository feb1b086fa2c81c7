// Splitting the report into labelled lines and joining them again.
#include "handoff/ReportLines.h"

#include "platform/Text.h"

namespace vellumo::handoff {

std::string ReportLine::Text() const {
    return hasValue ? label + std::string(kLabelEnd) + value : label;
}

ReportLine SplitLine(std::string_view line) {
    const size_t end = line.find(kLabelEnd);
    if (end == std::string_view::npos)
        return ReportLine{std::string(line), {}, false};
    return ReportLine{std::string(line.substr(0, end)),
                      std::string(line.substr(end + kLabelEnd.size())), true};
}

std::vector<ReportLine> SplitReport(std::string_view report) {
    std::vector<ReportLine> lines;
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        const size_t next = end == std::string_view::npos ? report.size() : end + 1;
        if (end == std::string_view::npos)
            end = report.size();
        if (end > start && report[end - 1] == '\r')
            --end;
        lines.push_back(SplitLine(report.substr(start, end - start)));
        start = next;
    }
    return lines;
}

std::string JoinReport(const std::vector<ReportLine>& lines) {
    std::string report;
    for (const ReportLine& line : lines) {
        report += line.Text();
        report += kCrLf;
    }
    return report;
}

} // namespace vellumo::handoff
