// ReportError deliberately does nothing visible; the observer exists for tests only.
#include "log/ReportError.h"

#include <utility>

namespace vellumo {
namespace {
ReportErrorObserver& Observer() {
    static ReportErrorObserver observer;
    return observer;
}
} // namespace

void ReportError(int32_t number, std::string description, std::string module, std::string procedure,
                 std::string extra) {
    if (Observer())
        Observer()(ReportedError{number, std::move(description), std::move(module),
                                 std::move(procedure), std::move(extra)});
}

ReportErrorObserver SetReportErrorObserver(ReportErrorObserver observer) {
    return std::exchange(Observer(), std::move(observer));
}

} // namespace vellumo
