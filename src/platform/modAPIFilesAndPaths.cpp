// The drive part of a path, by the text rule alone (no file-system access).
#include "platform/modAPIFilesAndPaths.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

namespace vellumo::modAPIFilesAndPaths {

std::string DriveFromPath(const std::string& path) {
    try {
        if (const auto rooted = path.find(":\\"); rooted != std::string::npos)
            return path.substr(0, rooted + 1);
        if (const auto colon = path.find(':'); colon != std::string::npos)
            return path.substr(0, colon + 1);
        return {};
    } catch (...) {
        ui::ShowErrorBox("DriveFromPath", CurrentRuntimeError());
        return {};
    }
}

} // namespace vellumo::modAPIFilesAndPaths
