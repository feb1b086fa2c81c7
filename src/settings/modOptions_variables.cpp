// Storage of the setting variables and their reset, both from the one list of start values.
#include "settings/modOptions.h"

namespace vellumo::modOptions {

#define VELLUMO_GLOBAL(type, name, start) type name = start;
#include "settings/OptionVariables.def"
#undef VELLUMO_GLOBAL

void ResetState() {
#define VELLUMO_GLOBAL(type, name, start) name = start;
#include "settings/OptionVariables.def"
#undef VELLUMO_GLOBAL
}

} // namespace vellumo::modOptions
