// The sequential text files of the settings store: opening for input or output with the
// program's run-time error numbers, and writing a whole text in the code page.
#pragma once

#include "platform/StdioFile.h"

#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace vellumo::settings {

// True when the path is rooted (IsRootedPath) and names an existing normal file
// (modFileA::FileExists): an option file in a folder that stayed unknown counts as missing.
[[nodiscard]] bool SettingsFileExists(const std::string& path);

// A file opened for input, read through a buffer. Opening throws RuntimeError: 53 (File not
// found) for a missing file or a path that is not rooted, 76 (Path not found) for a missing
// folder, 75 (Path/File access error) when access is refused, 70 (Permission denied) for a file
// another program holds locked, 52 (Bad file name or number) for an invalid name. A read failure
// part way (a folder given as the file, a device error) throws 57 (Device I/O error).
class InputFile : public std::streambuf {
public:
    explicit InputFile(const std::string& path);
    // Closes the file; nothing happens when it is already closed.
    void Close() { file_.reset(); }

protected:
    int_type underflow() override;

private:
    static constexpr size_t kBufferSize = 64 * 1024;
    StdioFile file_;
    std::unique_ptr<char[]> buffer_;
};

// A file opened for output: created (Linux: mode 0600), or emptied when it exists; never written
// through a link (StdioMode::kPrivateOutput). Open throws RuntimeError 76 for a missing folder or
// a path that is not rooted, 75 when access is refused (a read-only folder or file, a folder of
// that name, Linux: a link or another kind of file of that name), 70 for a file another program
// holds locked, 52 for an invalid name, 61 (Disk full); Write and Close throw 61 or 57.
class OutputFile {
public:
    void Open(const std::string& path);
    // Writes the bytes as they are (callers convert to the code page first).
    void Write(std::string_view bytes);
    void Close();

private:
    StdioFile file_;
};

} // namespace vellumo::settings
