// The error-report routine that the start-up code's and the settings store's handlers call.
// It has no visible effect: no log line, no message, no state. Tests can observe the calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vellumo {

struct ReportedError {
    int32_t number = 0;
    std::string description;
    std::string module;
    std::string procedure;
    std::string extra;
};

void ReportError(int32_t number, std::string description, std::string module, std::string procedure,
                 std::string extra = {});

// Test seam: every ReportError call is handed to the observer (none by default).
using ReportErrorObserver = std::function<void(const ReportedError&)>;
ReportErrorObserver SetReportErrorObserver(ReportErrorObserver observer);

} // namespace vellumo
