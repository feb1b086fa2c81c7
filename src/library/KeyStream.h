// The password cipher's keystream: made from the password alone and XORed onto the data, so that
// applying it again with the same password deciphers (docs/cipher.md).
#pragma once

#include "library/Utf16Bytes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vellumo::detail {

// The keystream. With K the key bytes (the password's UTF-16LE bytes), j the key index and U the
// last index of K, each data byte is XORed with K[j] and with the low byte of K[j] * j; then K[j]
// becomes K[j] + K[j + 1] and j moves on, except at j = U, where K[U] becomes K[1] + K[U] and j
// goes back to 1. Index 0 is used once, for the first byte. Nothing depends on the data.
// The password must not be empty. One object makes one stream: Apply continues where the last
// call stopped.
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

} // namespace vellumo::detail
