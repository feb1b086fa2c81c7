// Fuzzes what --compare and --redact read from outside the program: a saved report (text,
// Markdown or JSON) parsed and compared with itself and with a fixed report, and the same bytes as
// the run's report made into every document format, redacted and read back.
//
// Input: the saved document's bytes.
#include "handoff/Comparison.h"
#include "handoff/Handoff.h"
#include "handoff/Redaction.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace vellumo::handoff;

const char* const kFixedReport = "OS: 6.1.0 Debian English\r\n"
                                 "WindowsUserName: ken\r\n"
                                 "Master file size: 5\r\n"
                                 "File exists: /app/Icons/a.bmp\r\n"
                                 "\r\n";

void Require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const EarlierReport earlier = ParseEarlierReport(input);
    Require(earlier.problem != EarlierReport::Problem::Unreadable);
    Require(CompareReports(earlier.lines, earlier.lines).empty());
    for (const Change& change : CompareReports(earlier.lines, SplitReport(kFixedReport)))
        (void)ChangeText(change);

    // The bytes as the run's report, with the earlier one to compare with.
    RunRecord record;
    record.report = input;
    record.user = "ken";
    record.host = "box";
    record.home = "/home/ken";
    record.iconFolder = "/app/Icons/";
    record.dataPath = "/home/ken/data/";
    for (const DocumentFormat format :
         {DocumentFormat::Text, DocumentFormat::Json, DocumentFormat::Markdown}) {
        for (const bool redact : {false, true}) {
            const Handoff handoff = MakeHandoff(
                record,
                {format, redact, true,
                 earlier.problem == EarlierReport::Problem::None ? &earlier : nullptr, "saved"});
            Require(handoff.error.empty() != handoff.document.empty() || input.empty());
            (void)ParseEarlierReport(handoff.document);
        }
    }
    (void)RedactForWindow(record);
    return 0;
}
