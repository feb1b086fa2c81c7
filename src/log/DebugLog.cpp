// The debug flag and the "log only in debug mode" helper every stage uses.
#include "log/modDebug.h"

#include "log/modLog.h"
#include "platform/RegistryApi.h"

namespace vellumo::modDebug {

DebugState gDebugState;

void ResetState() {
    gDebugState = DebugState{};
    regapi::SetStoreProblemObserver({});
}

} // namespace vellumo::modDebug

namespace vellumo {

void DebugLog(std::string_view message) {
    if (modDebug::gblnDebugMode)
        modLog::LogMsg(message);
}

} // namespace vellumo
