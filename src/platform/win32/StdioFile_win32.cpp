// Opening a stream file on Windows: the C runtime calls a sharing or lock violation EACCES, as it
// does a read-only file; the system's own code, which it keeps in _doserrno, tells them apart.
#include "platform/StdioFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

namespace vellumo::detail {

StdioOpenResult OpenSystemFile(const std::string& systemPath, const char* mode) {
    errno = 0;
    _doserrno = 0;
    std::FILE* file = std::fopen(systemPath.c_str(), mode);
    if (file != nullptr)
        return {file, 0, false};
    const unsigned long systemCode = _doserrno;
    const bool inUse = systemCode == ERROR_SHARING_VIOLATION || systemCode == ERROR_LOCK_VIOLATION;
    return {nullptr, errno, inUse};
}

} // namespace vellumo::detail
