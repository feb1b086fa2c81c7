// Opening a stream file on Windows: the C runtime calls a sharing or lock violation EACCES, as it
// does a read-only file; the system's own code, which it keeps in _doserrno, tells them apart.
// Private files are opened like any other: their folder's permissions decide who may read them.
#include "platform/StdioFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

namespace vellumo::detail {

StdioOpenResult OpenSystemFile(const std::string& systemPath, StdioMode mode) {
    errno = 0;
    _doserrno = 0;
    std::FILE* file = std::fopen(systemPath.c_str(), FopenMode(mode));
    if (file != nullptr)
        return {file, 0, false, false};
    const unsigned long systemCode = _doserrno;
    const bool inUse = systemCode == ERROR_SHARING_VIOLATION || systemCode == ERROR_LOCK_VIOLATION;
    return {nullptr, errno, inUse, false};
}

} // namespace vellumo::detail
