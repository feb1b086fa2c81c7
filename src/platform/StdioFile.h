// Files through the C library's streams with the program's run-time errors: opening for input,
// output or appending, reading and writing raw bytes, closing with the final flush checked.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vellumo {

struct StdioFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open stream; dropping it closes the file without reporting (CloseStdioFile reports).
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

enum class StdioMode {
    kInput,  // an existing file, read from the start
    kOutput, // created, or emptied when it exists
    kAppend, // created when missing, written at its end
    // kOutput and kAppend for the files the program keeps in the user's folders (the write test,
    // the log, the option files). Linux: never through a link: a name that is a symbolic link
    // (dangling or not), a hard-linked file or anything but a regular file is refused with 75
    // (Path/File access error) and left untouched; a new file is the user's alone (mode 0600
    // whatever the umask); an existing regular file keeps its mode. Windows: as kOutput, kAppend.
    kPrivateOutput,
    kPrivateAppend,
};

// Opens the file (the path in the system's spelling, PathToSystem) with the C library's
// buffering. Throws RuntimeError as ErrorFromErrno says, with two refinements: for input, a
// missing folder gives 76 (Path not found) where a missing file gives 53; and a file that another
// program holds locked gives 70 (Permission denied) (Windows; Linux has no such locks).
[[nodiscard]] StdioFile OpenStdioFile(const std::string& path, StdioMode mode);

// Reads up to `count` bytes; fewer only at the end of the file. Throws 57 (Device I/O error)
// when the read fails (a folder given as the file, a device error).
size_t ReadStdioFile(std::FILE* file, void* destination, size_t count);
// Writes all the bytes. Throws 61 (Disk full) or 57; what was written before stays.
void WriteStdioFile(std::FILE* file, const void* source, size_t count);
inline void WriteStdioFile(std::FILE* file, std::string_view bytes) {
    WriteStdioFile(file, bytes.data(), bytes.size());
}
// Closes the file, which is released either way; throws 61 or 57 when the final flush fails.
void CloseStdioFile(std::FILE* file);

namespace detail {
// The per-platform open: the C library's fopen with the system path, errno left as it failed.
// `inUse` tells a failure that came from another program's lock, `refused` a private file's name
// that is a link or no regular file.
struct StdioOpenResult {
    std::FILE* file = nullptr;
    int errnoValue = 0;
    bool inUse = false;
    bool refused = false;
};
[[nodiscard]] StdioOpenResult OpenSystemFile(const std::string& systemPath, StdioMode mode);
// The C library's mode text for fopen or fdopen.
[[nodiscard]] constexpr const char* FopenMode(StdioMode mode) {
    switch (mode) {
    case StdioMode::kInput:
        return "rb";
    case StdioMode::kOutput:
    case StdioMode::kPrivateOutput:
        return "wb";
    default:
        return "ab";
    }
}
} // namespace detail

} // namespace vellumo
