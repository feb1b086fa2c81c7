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
};

// Opens the file (the path is converted to the code page) with the C library's buffering. Throws
// RuntimeError as ErrorFromErrno says, with two refinements: for input, a missing folder gives 76
// (Path not found) where a missing file gives 53; and a file that another program holds locked
// gives 70 (Permission denied) (Windows; Linux has no such locks).
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
// `inUse` tells a failure that came from another program's lock.
struct StdioOpenResult {
    std::FILE* file = nullptr;
    int errnoValue = 0;
    bool inUse = false;
};
[[nodiscard]] StdioOpenResult OpenSystemFile(const std::string& systemPath, const char* mode);
} // namespace detail

} // namespace vellumo
