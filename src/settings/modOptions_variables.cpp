// Storage of the setting variables; their start values are OptionsState's.
#include "settings/modOptions.h"

namespace vellumo::modOptions {

OptionsState gOptionsState;

void ResetState() {
    gOptionsState = OptionsState{};
}

} // namespace vellumo::modOptions
