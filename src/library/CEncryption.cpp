// CEncryption: the file and text operations that apply the password keystream.
#include "library/CEncryption.h"

#include "library/BinaryFile.h"
#include "library/KeyStream.h"
#include "library/Utf16Bytes.h"
#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <vector>

namespace vellumo {
namespace {

// Files are enciphered in chunks of this size; the last chunk takes the whole remainder.
constexpr size_t kChunkBytes = 32767;

// The keystream, shared with the command-line tool that enciphers files itself.
using detail::KeyStream;

RuntimeError EmptyPasswordError() {
    return RuntimeError(err::kInvalidProcedureCall);
}

} // namespace

bool CEncryption::EncryptFile() {
    if (password_.empty()) {
        ui::ShowErrorBox("EncryptFile", EmptyPasswordError());
        return false;
    }
    const char* procedure = "EncryptFile";
    try {
        const FileProgressHandler progress = fileProgress_;
        auto stream = std::make_unique<KeyStream>(password_);
        detail::BinaryInputFile input(inputFileName_);
        const uint64_t total = input.Length();
        detail::RefuseOutputOverInput(inputFileName_, outputFileName_);
        detail::BinaryOutputFile output(outputFileName_);
        if (progress)
            progress(0.0f);
        std::vector<uint8_t> chunk(kChunkBytes + 1);
        uint64_t done = 0;
        // Chunks of 32767 bytes, but when the next chunk would reach the end of the file it takes
        // the whole remainder: the enciphered bytes depend on where the chunks end.
        auto nextChunkSize = [&]() -> size_t {
            if (done + 1 > total)
                return 0;
            if (done + 1 + kChunkBytes >= total)
                return static_cast<size_t>(total - done);
            return kChunkBytes;
        };
        for (size_t n = nextChunkSize(); n > 0; n = nextChunkSize()) {
            procedure = "ReadFile";
            input.ReadExact(chunk.data(), n);
            procedure = "EncryptFile";
            stream->Apply(chunk.data(), n);
            output.Write(chunk.data(), n);
            done += n;
            if (progress)
                progress(
                    static_cast<float>(static_cast<double>(done) / static_cast<double>(total)));
        }
        output.Close();
        return true;
    } catch (...) {
        ui::ShowErrorBox(procedure, CurrentRuntimeError());
        return false;
    }
}

std::u16string CEncryption::EncryptString(const std::u16string& strIn) {
    try {
        if (password_.empty())
            throw EmptyPasswordError();
        auto stream = std::make_unique<KeyStream>(password_);
        if constexpr (std::endian::native == std::endian::little) {
            std::u16string result = strIn;
            // A char16_t's object bytes are its UTF-16LE bytes on this machine.
            stream->Apply(reinterpret_cast<uint8_t*>(result.data()), result.size() * 2);
            return result;
        } else {
            std::vector<uint8_t> bytes = detail::ToUtf16LeBytes(strIn);
            stream->Apply(bytes.data(), bytes.size());
            return detail::FromUtf16LeBytes(bytes);
        }
    } catch (...) {
        ui::ShowErrorBox("EncryptString", CurrentRuntimeError());
        return {};
    }
}

} // namespace vellumo
