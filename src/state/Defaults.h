// The product's default globals, set by InitializeDefaults: texts, formats and the font and colour
// defaults that the settings store falls back to.
#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <string>

namespace vellumo::modMain {

// Every default with its start value is listed once, in Defaults.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "state/Defaults.def"
#undef VELLUMO_GLOBAL

// Restores the start values.
void ResetDefaults();

} // namespace vellumo::modMain
