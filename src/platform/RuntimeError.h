// The program's run-time error: number, description and source, numbered as in the table
// below, which support and the stored error reports know. Procedures that "raise" throw it;
// procedures that "report and return" catch it (and anything else) at their own boundary.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vellumo {

// The run-time error numbers the program uses.
namespace err {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kBadFileNameOrNumber = 52;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kFileAlreadyOpen = 55;
inline constexpr int32_t kDeviceIOError = 57;
inline constexpr int32_t kDiskFull = 61;
inline constexpr int32_t kInputPastEndOfFile = 62;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccessError = 75;
inline constexpr int32_t kPathNotFound = 76;
// Raised when a window is unloaded during its own load; Main reports nothing for it.
inline constexpr int32_t kUnloadDuringLoad = 364;
} // namespace err

// The description of a run-time error number ("Overflow" for 6 ...). Numbers outside the table
// give "Application-defined or object-defined error".
[[nodiscard]] std::string RuntimeErrorDescription(int32_t number);

class RuntimeError : public std::exception {
public:
    // Description defaults to the number's text (RuntimeErrorDescription).
    explicit RuntimeError(int32_t number);
    RuntimeError(int32_t number, std::string description, std::string source = {});

    [[nodiscard]] int32_t Number() const noexcept { return number_; }
    [[nodiscard]] const std::string& Description() const noexcept { return description_; }
    [[nodiscard]] const std::string& Source() const noexcept { return source_; }
    [[nodiscard]] const char* what() const noexcept override { return description_.c_str(); }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
};

// Turns the exception being handled into a RuntimeError: itself, 7 for std::bad_alloc,
// 6 for std::overflow_error / std::range_error, 9 for std::out_of_range, 5 for anything else.
// Call only inside a catch block.
[[nodiscard]] RuntimeError CurrentRuntimeError();

// What a failed file operation was doing: the same system error reads differently for each (a
// missing entry is a missing file when opening for input, a missing folder otherwise).
enum class FileAction {
    kOpenForInput,
    kOpenForOutput, // creating, emptying or appending
    kCreateFolder,
    kWrite, // writing, flushing or closing an open file
};

// The run-time error for a C library errno value. Opening and creating folders:
// ENOENT 53 (File not found) for input, 76 (Path not found) otherwise; ENOTDIR 76;
// ENAMETOOLONG, EINVAL, ELOOP 52 (Bad file name or number); ENOSPC (and EDQUOT) 61 (Disk full);
// EIO 57 (Device I/O error); ETXTBSY, EBUSY 70 (Permission denied: the file is in use); every
// other value, EACCES, EPERM, EROFS, EISDIR and EEXIST among them, 75 (Path/File access error).
// Writing: ENOSPC (and EDQUOT) 61, everything else 57.
[[nodiscard]] RuntimeError ErrorFromErrno(int errnoValue, FileAction action);

// The error-box text of the platform layer: "Error: " + number + ". " + description.
[[nodiscard]] std::string ErrorBoxText(const RuntimeError& error);

} // namespace vellumo
