// The run's default globals.
#include "state/Defaults.h"

namespace vellumo::modMain {

Defaults gDefaults;

void ResetDefaults() {
    gDefaults = Defaults{};
}

} // namespace vellumo::modMain
