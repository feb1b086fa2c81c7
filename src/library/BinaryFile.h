// Raw-byte files of the library classes: an input file read in chunks and an output file written
// in chunks, with failures mapped onto the program's run-time error numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vellumo::detail {

struct BinaryFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using BinaryFilePtr = std::unique_ptr<std::FILE, BinaryFileCloser>;

// An existing file opened for reading raw bytes; closed by the destructor.
class BinaryInputFile {
public:
    // Opens the file (the path is converted to the code page) and notes its length. Throws
    // RuntimeError 53 (File not found) for a missing file, 76 (Path not found) for a missing
    // folder, 52 (Bad file name or number) for an invalid name, 75 (Path/File access error) when
    // access is refused, for a folder and for anything that is not a regular file (its length is
    // unknown).
    explicit BinaryInputFile(const std::string& path);

    [[nodiscard]] uint64_t Length() const { return length_; }
    // Reads up to `count` bytes and returns how many were read: fewer only at the end of the
    // file. Throws 57 (Device I/O error) on a read failure.
    size_t Read(uint8_t* destination, size_t count);
    // Reads exactly `count` bytes. Throws 62 (Input past end of file) when the file ends first.
    void ReadExact(uint8_t* destination, size_t count);

private:
    BinaryFilePtr file_;
    uint64_t length_ = 0;
};

// Throws RuntimeError 55 (File already open) when the output path leads to the input file itself
// (through any link or spelling): replacing it would delete the input before it is read. Called
// after the input has been opened and before the output is touched.
void RefuseOutputOverInput(const std::string& input, const std::string& output);

// A file created for writing raw bytes. Bytes are handed to the system as they are written; the
// destructor closes the file without reporting (use Close to learn about a failed flush).
class BinaryOutputFile {
public:
    // Deletes an existing regular file of that name, ignoring any failure (a device, a pipe or a
    // folder is never deleted), then creates the file. Throws 76 (Path not found) for a missing
    // folder, 52 for an invalid name, 75 when access is refused (a folder of that name, a
    // read-only folder or file).
    explicit BinaryOutputFile(const std::string& path);

    // Throws 61 (Disk full) or 57 (Device I/O error); what was written before stays.
    void Write(const uint8_t* source, size_t count);
    // Closes the file; throws 61 or 57 when the final flush fails. A second call does nothing.
    void Close();

private:
    BinaryFilePtr file_;
};

} // namespace vellumo::detail
