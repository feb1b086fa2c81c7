// CLZ: the packed file and packed text operations around the LZ coder and decoder.
#include "library/CLZ.h"

#include "library/BinaryFile.h"
#include "library/LzCodec.h"
#include "library/Utf16Bytes.h"
#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vellumo {
namespace {

constexpr uint8_t kSignature[] = {'Q', 'R', 'N', 'L', 'Z', '1'};
constexpr size_t kSignatureBytes = sizeof kSignature;
constexpr size_t kHeaderBytes = kSignatureBytes + 4; // signature and 32-bit length
constexpr uint64_t kLargestLength = std::numeric_limits<int32_t>::max();
// A text of more than 2^30 characters has a last byte index that does not fit the count field.
constexpr size_t kLargestText = size_t{1} << 30;

bool HasSignature(const uint8_t* bytes) {
    return std::memcmp(bytes, kSignature, kSignatureBytes) == 0;
}

// The packed file stores its length little-endian, the packed text its count big-endian.
void PutLittle32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}
int32_t GetLittle32(const uint8_t* bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return static_cast<int32_t>(value);
}
void PutBig32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}
int32_t GetBig32(const uint8_t* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | bytes[i];
    return static_cast<int32_t>(value);
}

// Hands out the bytes of a span in chunks.
detail::LzSource SpanSource(std::span<const uint8_t> bytes, size_t& position) {
    return [bytes, &position](uint8_t* destination, size_t count) {
        const size_t n = std::min(count, bytes.size() - position);
        if (n > 0)
            std::memcpy(destination, bytes.data() + position, n);
        position += n;
        return n;
    };
}

} // namespace

CLZ::CLZ() = default;
CLZ::~CLZ() = default;

bool CLZ::Compress() {
    try {
        const FileProgressHandler progress = fileProgress_;
        detail::BinaryInputFile input(inputFileName_);
        const uint64_t length = input.Length();
        if (length > kLargestLength)
            throw RuntimeError(err::kOverflow);
        detail::RefuseOutputOverInput(inputFileName_, outputFileName_);
        detail::BinaryOutputFile output(outputFileName_);
        uint8_t header[kHeaderBytes];
        std::memcpy(header, kSignature, kSignatureBytes);
        PutLittle32(header + kSignatureBytes, static_cast<uint32_t>(length));
        output.Write(header, kHeaderBytes);
        if (!packer_)
            packer_ = std::make_unique<detail::LzPacker>();
        packer_->Pack(
            length,
            [&input](uint8_t* destination, size_t count) { return input.Read(destination, count); },
            [&output](const uint8_t* bytes, size_t count) { output.Write(bytes, count); },
            progress);
        if (progress)
            progress(1.0f);
        output.Close();
        return true;
    } catch (...) {
        ui::ShowErrorBox("Compress", CurrentRuntimeError());
        return false;
    }
}

ByteArray CLZ::CompressString(const std::u16string& strInput) {
    try {
        const FileProgressHandler progress = fileProgress_;
        if (strInput.size() > kLargestText)
            throw RuntimeError(err::kOverflow);
        const std::vector<uint8_t> data = detail::ToUtf16LeBytes(strInput);
        const int32_t lastIndex = static_cast<int32_t>(data.size()) - 1; // -1 for the empty text
        // The older form leaves the last byte out. That is lossless when it is zero, and keeps
        // the bytes older writers produced; otherwise it is coded too.
        size_t coded = data.size();
        if (!data.empty() && data.back() == 0)
            coded = data.size() - 1;

        ByteArray packed(kHeaderBytes);
        packed.reserve(kHeaderBytes + coded + coded / 8 + 2);
        std::memcpy(packed.data(), kSignature, kSignatureBytes);
        PutBig32(packed.data() + kSignatureBytes, static_cast<uint32_t>(lastIndex));
        if (!packer_)
            packer_ = std::make_unique<detail::LzPacker>();
        size_t position = 0;
        packer_->Pack(
            coded, SpanSource(std::span<const uint8_t>(data.data(), coded), position),
            [&packed](const uint8_t* bytes, size_t count) {
                packed.insert(packed.end(), bytes, bytes + count);
            },
            progress);
        packed.push_back(0); // one zero byte follows the coded stream
        if (progress)
            progress(1.0f);
        return packed;
    } catch (...) {
        ui::ShowErrorBox("CompressString", CurrentRuntimeError());
        return {};
    }
}

bool CLZ::Decompress() {
    try {
        const FileProgressHandler progress = fileProgress_;
        detail::BinaryInputFile input(inputFileName_);
        detail::RefuseOutputOverInput(inputFileName_, outputFileName_);
        detail::BinaryOutputFile output(outputFileName_);
        uint8_t header[kHeaderBytes];
        const size_t headerRead = input.Read(header, kHeaderBytes);
        if (headerRead < kSignatureBytes || !HasSignature(header)) {
            output.Close(); // not a packed file: an empty output, no message, no event
            return false;
        }
        if (headerRead < kHeaderBytes)
            throw RuntimeError(err::kInputPastEndOfFile);
        const int32_t storedLength = GetLittle32(header + kSignatureBytes);
        // Packing never stores a length above 2^31 - 1; a negative one (such as FF FF FF FF) is a
        // damaged file, not an empty one.
        if (storedLength < 0)
            throw RuntimeError(err::kSubscriptOutOfRange);
        if (!unpacker_)
            unpacker_ = std::make_unique<detail::LzUnpacker>();
        const detail::LzUnpackResult result = unpacker_->Unpack(
            storedLength, storedLength, -1,
            [&input](uint8_t* destination, size_t count) { return input.Read(destination, count); },
            [&output](const uint8_t* bytes, size_t count) { output.Write(bytes, count); },
            progress);
        if (result.inputEnded)
            throw RuntimeError(err::kInputPastEndOfFile); // a truncated packed file
        if (progress)
            progress(1.0f);
        output.Close();
        return true;
    } catch (...) {
        ui::ShowErrorBox("Decompress", CurrentRuntimeError());
        return false;
    }
}

std::u16string CLZ::DecompressString(std::span<const uint8_t> strInput) {
    try {
        const FileProgressHandler progress = fileProgress_;
        if (strInput.size() < kHeaderBytes + 2 || !HasSignature(strInput.data()))
            return {};
        const int32_t lastIndex = GetBig32(strInput.data() + kSignatureBytes);
        if (lastIndex == -1)
            return {}; // the packed empty text
        if (lastIndex < -1)
            throw RuntimeError(err::kSubscriptOutOfRange);
        // A count that the stream cannot possibly produce is refused before anything is made.
        const auto streamBytes = static_cast<int64_t>(strInput.size() - kHeaderBytes);
        if (lastIndex > detail::kLzMaxExpansion * streamBytes)
            throw RuntimeError(err::kSubscriptOutOfRange);
        const int64_t byteCount = int64_t{lastIndex} + 1;

        std::vector<uint8_t> data;
        data.reserve(static_cast<size_t>(byteCount));
        size_t position = 0;
        if (!unpacker_)
            unpacker_ = std::make_unique<detail::LzUnpacker>();
        const detail::LzUnpackResult result = unpacker_->Unpack(
            lastIndex, byteCount, byteCount, SpanSource(strInput.subspan(kHeaderBytes), position),
            [&data](const uint8_t* bytes, size_t count) {
                data.insert(data.end(), bytes, bytes + count);
            },
            progress);
        // The older form ends one byte early: its stream stops at byte U, which was zero.
        if (result.inputEnded && result.produced != lastIndex)
            throw RuntimeError(err::kSubscriptOutOfRange);
        data.resize(static_cast<size_t>(byteCount), 0);
        if (progress)
            progress(1.0f);
        return detail::FromUtf16LeBytes(data);
    } catch (...) {
        ui::ShowErrorBox("DecompressString", CurrentRuntimeError());
        return {};
    }
}

} // namespace vellumo
