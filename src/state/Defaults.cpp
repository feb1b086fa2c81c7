// The run's default globals.
#include "state/Defaults.h"

namespace vellumo::modMain {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "state/Defaults.def"
#undef VELLUMO_GLOBAL

void ResetDefaults() {
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "state/Defaults.def"
#undef VELLUMO_GLOBAL
}

} // namespace vellumo::modMain
