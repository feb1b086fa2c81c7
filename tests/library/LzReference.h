// The reference LZ packer and unpacker: a straightforward transcription of the search that
// defines the packed bytes (one hash chain by a 12-bit key, walked to its end, byte-by-byte
// comparison and copy), kept to prove that the fast coder produces identical bytes and to
// measure it against.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vellumo::test::lzref {

class ReferencePacker {
public:
    // Packs the bytes and returns the coded stream (without any header). When `progress` is
    // given it receives every FileProgress value in order, without the final 1.
    std::vector<uint8_t> Pack(std::span<const uint8_t> data,
                              std::vector<float>* progress = nullptr) {
        std::vector<uint8_t> out;
        out_ = &out;
        Initialize();
        const auto length = static_cast<int32_t>(data.size());
        int32_t bytesRead = 0;
        int16_t r = 0;
        int16_t len = 0;
        size_t next = 0;
        while (len < kF && next < data.size()) {
            const uint8_t c = data[next++];
            text_[len] = c;
            text_[kN + len] = c;
            ++len;
            ++bytesRead;
        }
        auto test = [&] {
            if (bytesRead % 4096 == 0 && progress != nullptr)
                progress->push_back(static_cast<float>(static_cast<double>(bytesRead) / length));
        };
        while (len > 0) {
            FindMatch(r);
            if (matchLength_ > len)
                matchLength_ = len;
            if (matchLength_ > kThreshold) {
                WriteEntry(matchPosition_, matchLength_);
            } else {
                matchLength_ = 1;
                WriteByte(text_[r]);
            }
            for (int16_t i = 0; i < matchLength_; ++i) {
                DeletePosition(static_cast<int16_t>((r + kF) & (kN - 1)));
                --len;
                if (next < data.size()) {
                    const uint8_t c = data[next++];
                    text_[(r + kF) & (kN - 1)] = c;
                    if (r + kF >= kN)
                        text_[r + kF] = c;
                    ++bytesRead;
                    ++len;
                }
                InsertPosition(r);
                r = static_cast<int16_t>((r + 1) & (kN - 1));
                test();
            }
            test();
        }
        WriteFinish();
        return out;
    }

private:
    static constexpr int16_t kN = 4096;
    static constexpr int16_t kF = 18;
    static constexpr int16_t kThreshold = 2;
    static constexpr int16_t kNil = kN;

    static uint8_t Shlb(uint8_t b, int n) {
        return n < 8 ? static_cast<uint8_t>((b << n) & 0xFF) : 0;
    }
    static void BitSetByte(uint8_t& b, int bit) { b = static_cast<uint8_t>(b | Shlb(1, bit)); }

    void Initialize() {
        for (int i = 0; i <= kN + kF - 1; ++i)
            text_[i] = 0x20;
        for (int i = 0; i <= 8192; ++i)
            next_[i] = kNil;
        for (int i = 0; i <= kN; ++i)
            back_[i] = kNil;
        code_[0] = 0;
        codePosition_ = 1;
        flagCount_ = 0;
    }

    int16_t HeadSlot(int16_t p) const {
        return static_cast<int16_t>(kN + 1 + ((text_[p] + text_[p + 1] * 256) & 0xFFF));
    }

    void InsertPosition(int16_t p) {
        const int16_t s = HeadSlot(p);
        const int16_t old = next_[s];
        next_[s] = p;
        back_[p] = s;
        next_[p] = old;
        if (old != kNil)
            back_[old] = p;
    }

    void DeletePosition(int16_t p) {
        if (back_[p] == kNil)
            return;
        const int16_t q = back_[p];
        const int16_t n = next_[p];
        next_[q] = n;
        back_[n] = q;
        next_[p] = kNil;
        back_[p] = kNil;
    }

    void FindMatch(int16_t r) {
        matchLength_ = 0;
        matchPosition_ = 0;
        int16_t p = next_[HeadSlot(r)];
        while (p != kNil) {
            int16_t i = 0;
            while (i < kF && text_[p + i] == text_[r + i])
                ++i;
            if (i > matchLength_) {
                matchLength_ = i;
                matchPosition_ = static_cast<int16_t>(p & 0xFFF);
            }
            if (i == kF) {
                if (next_[p] != kNil)
                    DeletePosition(next_[p]);
                break;
            }
            p = next_[p];
        }
    }

    void Emit() {
        for (int i = 0; i < codePosition_; ++i)
            out_->push_back(code_[i]);
        codePosition_ = 1;
        flagCount_ = 0;
        code_[0] = 0;
    }

    void WriteByte(uint8_t b) {
        if (flagCount_ == 8)
            Emit();
        code_[codePosition_++] = b;
        BitSetByte(code_[0], flagCount_);
        ++flagCount_;
    }

    void WriteEntry(int16_t position, int16_t length) {
        if (flagCount_ == 8)
            Emit();
        code_[codePosition_++] = static_cast<uint8_t>(position & 0xFF);
        code_[codePosition_++] = static_cast<uint8_t>(((position >> 4) & 0xF0) | (length - 3));
        ++flagCount_;
    }

    void WriteFinish() {
        for (int i = 0; i < codePosition_; ++i)
            out_->push_back(code_[i]);
    }

    uint8_t text_[kN + kF + 1] = {};
    int16_t next_[8194] = {};
    int16_t back_[4098] = {};
    uint8_t code_[18] = {};
    int codePosition_ = 1;
    int flagCount_ = 0;
    int16_t matchPosition_ = 0;
    int16_t matchLength_ = 0;
    std::vector<uint8_t>* out_ = nullptr;
};

// Unpacks `stored` bytes from a coded stream, byte by byte, with a ring that starts filled with
// spaces. Stops where an item cannot be read whole and sets `ended`.
inline std::vector<uint8_t> ReferenceUnpack(std::span<const uint8_t> stream, int64_t stored,
                                            std::vector<float>* progress = nullptr,
                                            bool* ended = nullptr) {
    std::vector<uint8_t> out;
    uint8_t ring[4096];
    for (auto& b : ring)
        b = 0x20;
    uint16_t flags = 0;
    int r = 0;
    int64_t produced = 0;
    size_t in = 0;
    if (ended != nullptr)
        *ended = false;
    auto test = [&] {
        if (produced % 4096 == 0 && produced <= stored && progress != nullptr)
            progress->push_back(
                static_cast<float>(static_cast<double>(produced) / static_cast<double>(stored)));
    };
    while (produced < stored) {
        flags = static_cast<uint16_t>(flags >> 1);
        if ((flags & 0x100) == 0) {
            if (in >= stream.size())
                break;
            flags = static_cast<uint16_t>(stream[in++] | 0xFF00);
        }
        if ((flags & 1) != 0) {
            if (in >= stream.size())
                break;
            const uint8_t c = stream[in++];
            out.push_back(c);
            ring[r] = c;
            r = (r + 1) & 0xFFF;
            ++produced;
        } else {
            if (in + 1 >= stream.size())
                break;
            const int b1 = stream[in++];
            const int b2 = stream[in++];
            const int position = (b1 + ((b2 & 0xF0) << 4)) & 0xFFF;
            const int length = (b2 & 0x0F) + 3;
            for (int j = 0; j < length; ++j) {
                const uint8_t c = ring[(position + j) & 0xFFF];
                out.push_back(c);
                ++produced;
                ring[r] = c;
                r = (r + 1) & 0xFFF;
                test();
            }
        }
        test();
    }
    if (ended != nullptr)
        *ended = produced < stored;
    return out;
}

} // namespace vellumo::test::lzref
