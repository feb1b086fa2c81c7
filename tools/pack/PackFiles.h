// vellumo-pack's files: an input read in chunks and an output written whole or not at all, with
// failures that name the file, the cause and the run-time error number.
#pragma once

#include "platform/WholeFileWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vellumo::pack {

// Why the operation cannot go on: the line to print after "vellumo-pack: ".
struct Failure {
    std::string message;
};

// A cause with the run-time error number support knows it by: "cause (error N)".
[[nodiscard]] std::string Numbered(const std::string& cause, int errorNumber);

// An existing regular file opened for reading. Names are the system's, byte for byte.
class InputFile {
public:
    // Throws Failure: "cannot read NAME: cause (error N)", or NAME "is a folder" or "is not a
    // regular file" (only a regular file has a length to pack).
    explicit InputFile(std::string path);

    [[nodiscard]] uint64_t Length() const { return length_; }
    [[nodiscard]] const std::string& Path() const { return path_; }
    // Up to `count` bytes; fewer only at the end of the file. Throws Failure on a read error.
    size_t Read(uint8_t* destination, size_t count);

private:
    std::string path_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    uint64_t length_ = 0;
};

// The output, written to a temporary file beside it that takes its name on Commit; until then
// an existing file of that name is untouched, and the temporary file is removed on every way
// out, an interruption included.
class OutputFile {
public:
    // Throws Failure: "cannot write NAME: cause (error N)".
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string_view bytes);
    void Write(const uint8_t* bytes, size_t count) {
        Write(std::string_view(reinterpret_cast<const char*>(bytes), count));
    }
    void Commit();

private:
    [[noreturn]] void Fail(bool creating);

    std::string path_;
    std::unique_ptr<WholeFileWriter> writer_;
};

// Throws Failure (error 55) when the output is the input file itself, through any link or
// spelling: the tool never replaces the file it reads.
void RefuseOutputOverInput(const std::string& input, const std::string& output);

} // namespace vellumo::pack
