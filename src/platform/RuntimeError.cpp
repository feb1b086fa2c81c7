// Run-time error numbers and descriptions, and the mapping of C++ exceptions onto them.
#include "platform/RuntimeError.h"

#include <cerrno>
#include <new>
#include <stdexcept>

namespace vellumo {

std::string RuntimeErrorDescription(int32_t number) {
    // clang-format off
    switch (number) {
    case err::kInvalidProcedureCall: return "Invalid procedure call or argument";
    case err::kOverflow: return "Overflow";
    case err::kOutOfMemory: return "Out of memory";
    case err::kSubscriptOutOfRange: return "Subscript out of range";
    case err::kTypeMismatch: return "Type mismatch";
    case err::kBadFileNameOrNumber: return "Bad file name or number";
    case err::kFileNotFound: return "File not found";
    case err::kFileAlreadyOpen: return "File already open";
    case err::kDeviceIOError: return "Device I/O error";
    case err::kDiskFull: return "Disk full";
    case err::kInputPastEndOfFile: return "Input past end of file";
    case err::kPermissionDenied: return "Permission denied";
    case err::kPathFileAccessError: return "Path/File access error";
    case err::kPathNotFound: return "Path not found";
    case err::kUnloadDuringLoad: return "Object was unloaded";
    default: return "Application-defined or object-defined error";
    }
    // clang-format on
}

RuntimeError::RuntimeError(int32_t number)
    : RuntimeError(number, RuntimeErrorDescription(number)) {}

RuntimeError::RuntimeError(int32_t number, std::string description, std::string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {}

RuntimeError CurrentRuntimeError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError(err::kOutOfMemory);
    } catch (const std::overflow_error&) {
        return RuntimeError(err::kOverflow);
    } catch (const std::range_error&) {
        return RuntimeError(err::kOverflow);
    } catch (const std::out_of_range&) {
        return RuntimeError(err::kSubscriptOutOfRange);
    } catch (...) {
        return RuntimeError(err::kInvalidProcedureCall);
    }
}

namespace {

bool IsDiskFull(int errnoValue) {
#ifdef EDQUOT // a user's quota used up; the C runtime of Windows has no such value
    if (errnoValue == EDQUOT)
        return true;
#endif
    return errnoValue == ENOSPC;
}

} // namespace

RuntimeError ErrorFromErrno(int errnoValue, FileAction action) {
    // A full disk is the same failure whatever was being done.
    if (IsDiskFull(errnoValue))
        return RuntimeError(err::kDiskFull);
    if (action == FileAction::kWrite)
        return RuntimeError(err::kDeviceIOError);
    switch (errnoValue) {
    case ENOENT:
        return RuntimeError(action == FileAction::kOpenForInput ? err::kFileNotFound
                                                                : err::kPathNotFound);
    case ENOTDIR:
        return RuntimeError(err::kPathNotFound);
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return RuntimeError(err::kBadFileNameOrNumber);
    case EIO:
        return RuntimeError(err::kDeviceIOError);
    case ETXTBSY:
    case EBUSY:
        return RuntimeError(err::kPermissionDenied);
    default:
        return RuntimeError(err::kPathFileAccessError);
    }
}

std::string ErrorBoxText(const RuntimeError& error) {
    return "Error: " + std::to_string(error.Number()) + ". " + error.Description();
}

} // namespace vellumo
