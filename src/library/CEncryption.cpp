// CEncryption: the password keystream and the file and text operations that apply it.
#include "library/CEncryption.h"

#include "library/BinaryFile.h"
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

// The keystream. With K the key bytes (the password's UTF-16LE bytes), j the key index and U the
// last index of K, each data byte is XORed with K[j] and with the low byte of K[j] * j; then K[j]
// becomes K[j] + K[j + 1] and j moves on, except at j = U, where K[U] becomes K[1] + K[U] and j
// goes back to 1. Index 0 is used once, for the first byte. Nothing depends on the data.
class KeyStream {
public:
    explicit KeyStream(const std::string& password)
        : key_(detail::ToUtf16LeBytes(detail::Utf8ToUtf16(password))), last_(key_.size() - 1) {}

    void Apply(uint8_t* data, size_t count) {
        size_t i = 0;
        if (index_ == 0 && i < count)
            Step(data[i++]);
        if (last_ == 1)
            return; // j stays 1, where K[1] is XORed twice: every later byte passes unchanged
        while (i < count && index_ != 1)
            Step(data[i++]);
        // Whole passes over j = 1..U: their keystream is made in a buffer and XORed in bulk.
        const size_t passesPerBuffer = buffer_.size() / last_; // 0 for a very long key
        while (passesPerBuffer > 0 && count - i >= last_) {
            const size_t passes = std::min(passesPerBuffer, (count - i) / last_);
            MakePasses(passes);
            const size_t n = passes * last_;
            uint8_t* target = data + i;
            for (size_t t = 0; t < n; ++t)
                target[t] ^= buffer_[t];
            i += n;
        }
        while (i < count)
            Step(data[i++]);
    }

private:
    void Step(uint8_t& value) {
        const size_t j = index_;
        const uint8_t k = key_[j];
        value ^= static_cast<uint8_t>(k ^ static_cast<uint8_t>(k * static_cast<uint8_t>(j)));
        if (j < last_) {
            key_[j] = static_cast<uint8_t>(k + key_[j + 1]);
            index_ = j + 1;
        } else {
            key_[j] = static_cast<uint8_t>(key_[1] + k);
            index_ = 1;
        }
    }

    // One pass from j = 1: the keystream bytes use the key bytes as the pass finds them; each
    // K[j] (j < U) adds the K[j + 1] that the pass has not changed yet; K[U] adds the new K[1].
    template <size_t Last> static void FixedPasses(uint8_t* key, uint8_t* out, size_t passes) {
        std::array<uint8_t, Last + 1> k{};
        std::copy(key + 1, key + Last + 1, k.begin() + 1);
        for (size_t p = 0; p < passes; ++p, out += Last) {
            for (size_t j = 1; j <= Last; ++j)
                out[j - 1] = static_cast<uint8_t>(k[j] ^ static_cast<uint8_t>(k[j] * j));
            for (size_t j = 1; j < Last; ++j)
                k[j] = static_cast<uint8_t>(k[j] + k[j + 1]);
            k[Last] = static_cast<uint8_t>(k[Last] + k[1]);
        }
        std::copy(k.begin() + 1, k.end(), key + 1);
    }

    static void AnyPasses(uint8_t* key, size_t last, uint8_t* out, size_t passes) {
        for (size_t p = 0; p < passes; ++p, out += last) {
            for (size_t j = 1; j <= last; ++j)
                out[j - 1] = static_cast<uint8_t>(
                    key[j] ^ static_cast<uint8_t>(key[j] * static_cast<uint8_t>(j)));
            for (size_t j = 1; j < last; ++j)
                key[j] = static_cast<uint8_t>(key[j] + key[j + 1]);
            key[last] = static_cast<uint8_t>(key[last] + key[1]);
        }
    }

    // Short keys get a pass with the key bytes in registers; longer ones a loop the compiler
    // vectorises.
    void MakePasses(size_t passes) {
        uint8_t* key = key_.data();
        uint8_t* out = buffer_.data();
        switch (last_) {
        case 3:
            FixedPasses<3>(key, out, passes);
            break;
        case 5:
            FixedPasses<5>(key, out, passes);
            break;
        case 7:
            FixedPasses<7>(key, out, passes);
            break;
        case 9:
            FixedPasses<9>(key, out, passes);
            break;
        case 11:
            FixedPasses<11>(key, out, passes);
            break;
        case 13:
            FixedPasses<13>(key, out, passes);
            break;
        case 15:
            FixedPasses<15>(key, out, passes);
            break;
        default:
            AnyPasses(key, last_, out, passes);
            break;
        }
    }

    std::vector<uint8_t> key_;
    size_t last_;
    size_t index_ = 0;
    std::array<uint8_t, 8192> buffer_{};
};

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
