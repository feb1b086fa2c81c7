// The product's path set: the folders InitializePaths derives from the program's folder and the
// documents folders, read by every later stage (the log, the option files, the recent-files list,
// the checks). Every folder ends with the path separator; a folder that could not be derived stays
// empty.
#pragma once

#include <string>

namespace vellumo::modMain {

// Every path with its start value is listed once, in PathSet.def.
#define VELLUMO_GLOBAL(type, name, start) extern type name;
#include "state/PathSet.def"
#undef VELLUMO_GLOBAL

// Restores the start values.
void ResetPathSet();

} // namespace vellumo::modMain
