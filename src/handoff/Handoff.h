// What the program hands to support: the run's record made into the document the options ask
// for (redacted, with verdicts, with the changes since an earlier report) and the exit status
// that goes with it; and the redacted report the window shows.
#pragma once

#include "handoff/Comparison.h"
#include "handoff/ReportDocument.h"
#include "handoff/RunRecord.h"

#include <string>

namespace vellumo::handoff {

struct HandoffRequest {
    DocumentFormat format = DocumentFormat::Text;
    bool redact = false;
    bool check = false;
    // The earlier report, already read without a problem; nullptr: no comparison.
    const EarlierReport* earlier = nullptr;
    std::string earlierFile; // its name as given
};

inline constexpr int kNothingFound = 0;
inline constexpr int kFoundSomething = 1;
inline constexpr int kTrouble = 2;

struct Handoff {
    std::string document;           // empty when withheld
    int exitStatus = kNothingFound; // kFoundSomething: the run ended before the window, a check
                                    // failed or the report differs; kTrouble: withheld
    std::string error;              // why the document was withheld
};

// The document. Under `redact` every text from the run (the report's values, the facts, the
// verdicts, both reports' values in the comparison, the earlier file's name) goes through one
// redactor, and the report gets its "Redacted: " line last; when redaction cannot hide the user's
// name or the home folder, nothing is made: kTrouble with the error.
[[nodiscard]] Handoff MakeHandoff(const RunRecord& record, const HandoffRequest& request);

struct WindowReport {
    std::string text;
    bool withheld = false; // redaction could not hide everything: `text` says so instead
};

// The report as the window shows and copies it under --redact.
[[nodiscard]] WindowReport RedactForWindow(const RunRecord& record);

} // namespace vellumo::handoff
