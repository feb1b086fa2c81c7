// CLZ: packs a file into a packed file, or a text into a packed text, with the LZ coder of the
// packed formats (docs/packed-format.md), and unpacks them; reports progress through FileProgress.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vellumo {

namespace detail {
class LzPacker;
class LzUnpacker;
} // namespace detail

// Errors: every operation catches its own failures, shows the error box titled with its name
// ("Compress", "CompressString", "Decompress", "DecompressString") through ui::Ui() and returns
// normally: false from the file operations, an empty result from the text operations. A missing
// or unreadable input file fails before the output file is touched; after a failure part way the
// output file keeps what was written. Both files are closed on every path.
class CLZ {
public:
    // The FileProgress event: the fraction of the work done, 0 to 1.
    using FileProgressHandler = std::function<void(float sngPercentage)>;

    CLZ();
    ~CLZ();
    CLZ(const CLZ&) = delete;
    CLZ& operator=(const CLZ&) = delete;

    // Path of the file that Compress or Decompress reads; empty until set.
    [[nodiscard]] const std::string& InputFileName() const { return inputFileName_; }
    void SetInputFileName(std::string value) { inputFileName_ = std::move(value); }
    // Path of the file that Compress or Decompress writes; empty until set.
    [[nodiscard]] const std::string& OutputFileName() const { return outputFileName_; }
    void SetOutputFileName(std::string value) { outputFileName_ = std::move(value); }

    // Connects the FileProgress event (an empty handler disconnects it). A handler that throws
    // fails the operation like any other run-time error.
    void OnFileProgress(FileProgressHandler handler) { fileProgress_ = std::move(handler); }

    // Packs the input file into the output file: "QRNLZ1", the length as 32-bit little-endian,
    // the coded stream. An existing regular output file is deleted first. FileProgress gets
    // bytes read / length at every multiple of 4096 bytes read, then 1. A file of 2 GiB or more
    // cannot be described by the length field: Overflow, before the output is touched.
    // True when the output file is complete.
    bool Compress();

    // Packs the text's UTF-16LE bytes: "QRNLZ1", U = 2n - 1 as 32-bit big-endian, the coded
    // stream, one zero byte. When the last character is below U+0100 the stream codes bytes 0 to
    // U - 1 (its last byte is zero and the reader restores it as zero); otherwise it codes all 2n
    // bytes, so that the high byte of the last character is kept. The empty text packs to the
    // count -1 and a single zero flag byte. FileProgress as for Compress over the coded bytes,
    // then 1. The result is a byte sequence whose length may be odd.
    [[nodiscard]] ByteArray CompressString(const std::u16string& strInput);

    // Unpacks the input file into the output file. A file that does not start with "QRNLZ1"
    // leaves an empty output file, shows nothing, raises nothing and gives false. A packed file
    // that ends before its stored length is produced fails with "Input past end of file" (the
    // bytes produced so far stay in the output file); a stored length above 2^31 - 1 (negative
    // as a signed number) is damage and fails with "Subscript out of range" before anything is
    // unpacked. FileProgress gets produced / stored length
    // at every multiple of 4096 bytes produced, then 1. True when the output file is complete.
    bool Decompress();

    // Unpacks a packed text. Fewer than 12 bytes or a wrong header: the empty text, no message,
    // no event. A count of -1: the empty text. A stream that codes U bytes (the older form)
    // restores byte U as zero; a stream that codes U + 1 bytes restores all of them. A count
    // below -1, a count that the stream cannot produce, a stream that ends earlier or that would
    // produce more than U + 1 bytes: the "DecompressString" error box and the empty text.
    // An odd number of bytes (a count that no text packs to) gives a last character holding the
    // last byte as its low byte.
    [[nodiscard]] std::u16string DecompressString(std::span<const uint8_t> strInput);

private:
    std::string inputFileName_;
    std::string outputFileName_;
    FileProgressHandler fileProgress_;
    std::unique_ptr<detail::LzPacker> packer_;
    std::unique_ptr<detail::LzUnpacker> unpacker_;
};

} // namespace vellumo
