// The window's recent-files list: made ready from the settings at the window's load.
#pragma once

#include "settings/cMRUFileList.h"

#include <memory>

namespace vellumo {

class cRegistry;

namespace modMisc {
// Replaces the registry object, points it at the "\Files" key when the list lives in the
// registry, loads the list and sets its maximum to cMRUFileList::kDefaultMaxCount. Reports a
// failure through ReportError and returns.
void InitializeMRU(cMRUFileList& list, std::unique_ptr<cRegistry>& registry);
} // namespace modMisc

} // namespace vellumo
