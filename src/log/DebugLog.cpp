// The debug flag and the "log only in debug mode" helper every stage uses.
#include "log/modDebug.h"

#include "log/modLog.h"
#include "platform/RegistryApi.h"

namespace vellumo::modDebug {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "log/modDebug_globals.def"
#undef VELLUMO_GLOBAL

void ResetState() {
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "log/modDebug_globals.def"
#undef VELLUMO_GLOBAL
    regapi::SetStoreProblemObserver({});
}

} // namespace vellumo::modDebug

namespace vellumo {

void DebugLog(std::string_view message) {
    if (modDebug::gblnDebugMode)
        modLog::LogMsg(message);
}

} // namespace vellumo
