// Making the window's recent-files list ready.
#include "settings/modMisc.h"

#include "log/ReportError.h"
#include "platform/RegistryConstants.h"
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "settings/modOptions.h"

#include <string>

namespace vellumo::modMisc {

void InitializeMRU(cMRUFileList& list, std::unique_ptr<cRegistry>& registry) {
    try {
        registry = std::make_unique<cRegistry>();
        if (modOptions::gblnMRUUseRegistry) {
            registry->SetClassKey(HKEY_CURRENT_USER);
            registry->SetSectionKey(std::string(modOptions::kRegistryRoot) + "\\Files");
        }
        list.Load(modOptions::gblnMRUUseRegistry, *registry);
        list.SetMaxFileCount(cMRUFileList::kDefaultMaxCount);
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), "modMisc", "InitializeMRU");
    }
}

} // namespace vellumo::modMisc
