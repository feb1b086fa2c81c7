// Opening a stream file on Linux: locks are advisory there and never refuse an open.
#include "platform/StdioFile.h"

#include <cerrno>

namespace vellumo::detail {

StdioOpenResult OpenSystemFile(const std::string& systemPath, const char* mode) {
    errno = 0;
    std::FILE* file = std::fopen(systemPath.c_str(), mode);
    return {file, file == nullptr ? errno : 0, false};
}

} // namespace vellumo::detail
