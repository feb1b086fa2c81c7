// The run's path set.
#include "state/PathSet.h"

namespace vellumo::modMain {

PathSet gPathSet;

void ResetPathSet() {
    gPathSet = PathSet{};
}

} // namespace vellumo::modMain
