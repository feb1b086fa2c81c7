// The run's path set.
#include "state/PathSet.h"

namespace vellumo::modMain {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "state/PathSet.def"
#undef VELLUMO_GLOBAL

void ResetPathSet() {
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "state/PathSet.def"
#undef VELLUMO_GLOBAL
}

} // namespace vellumo::modMain
