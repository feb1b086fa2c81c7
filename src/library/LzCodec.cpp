// The packed stream's coder and decoder. The coder finds exactly the match that the classic
// hash-chain search finds (the longest, the newest among equals, with the same removal after a
// full-length match) but walks far fewer candidates; the decoder copies whole groups at a time.
#include "library/LzCodec.h"

#include "platform/RuntimeError.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace vellumo::detail {
namespace {

constexpr uint64_t kKey3Mask = 0xFFFFFFull;       // first three bytes of a little-endian word
constexpr uint64_t kKey6Mask = 0xFFFFFFFFFFFFull; // first six bytes
constexpr uint64_t kKey4Mask = 0xFFFFFFFFull;
constexpr int kKey3Length = 3;
constexpr int kKey4Length = 4;
constexpr int kKey6Length = 6;
constexpr int kGroupItems = 8;
constexpr size_t kGroupMaxBytes = 1 + 2 * kGroupItems; // flag byte and eight matches
constexpr int64_t kGroupMaxOutput = int64_t{kLzMaxMatch} * kGroupItems;

// Bytes p..p+7 as a little-endian number: byte p is the lowest.
inline uint64_t LoadLittle64(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t value;
        std::memcpy(&value, p, sizeof value);
        return value;
    } else {
        uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | p[i];
        return value;
    }
}

// The classic chain key: first byte plus the low four bits of the second.
inline int Key12(uint64_t word) {
    return static_cast<int>(word & 0xFFF);
}

inline int Hash3(uint64_t word, int bits) {
    return static_cast<int>((static_cast<uint32_t>(word & kKey3Mask) * 0x9E3779B1u) >> (32 - bits));
}

inline int Hash4(uint64_t word, int bits) {
    return static_cast<int>((static_cast<uint32_t>(word & kKey4Mask) * 0x9E3779B1u) >> (32 - bits));
}

inline int Hash6(uint64_t word, int bits) {
    return static_cast<int>(((word & kKey6Mask) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

inline void RaiseProgress(const LzProgress& progress, uint64_t done, uint64_t total) {
    if (progress)
        progress(static_cast<float>(static_cast<double>(done) / static_cast<double>(total)));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Coder

uint64_t LzPacker::Word(int index) const {
    return LoadLittle64(window_.data() + index);
}

void LzPacker::Reset() {
    window_.fill(' '); // the coder's comparisons may run into bytes not yet written
    head12_.fill(kNil);
    head3_.fill(kNil);
    head6_.fill(kNil);
    head4_.fill(kNil);
}

void LzPacker::Insert(int position) {
    const uint64_t word = Word(position);
    int slot = Key12(word);
    next12_[position] = head12_[slot];
    head12_[slot] = static_cast<uint16_t>(position);
    slot = Hash3(word, kHash3Bits);
    next3_[position] = head3_[slot];
    head3_[slot] = static_cast<uint16_t>(position);
    slot = Hash4(word, kHash4Bits);
    next4_[position] = head4_[slot];
    head4_[slot] = static_cast<uint16_t>(position);
    slot = Hash6(word, kHash6Bits);
    next6_[position] = head6_[slot];
    head6_[slot] = static_cast<uint16_t>(position);
    removed_[position] = 0;
}

// Number of equal leading bytes of the strings at `candidate` and `r`, at most 18, given the
// difference of their first eight bytes.
int LzPacker::CommonLength(int candidate, int r, uint64_t firstDifference) const {
    if (firstDifference != 0)
        return std::countr_zero(firstDifference) >> 3;
    uint64_t difference = Word(candidate + 8) ^ Word(r + 8);
    if (difference != 0)
        return 8 + (std::countr_zero(difference) >> 3);
    difference = (Word(candidate + 16) ^ Word(r + 16)) & 0xFFFF;
    if (difference != 0)
        return 16 + (std::countr_zero(difference) >> 3);
    return kLzMaxMatch;
}

// Chain walks rest on three facts. (1) Positions are chained in the order they were inserted,
// one per coded byte, so the age of a position is (r - position) mod 4096, and a chain is valid
// only while ages grow. (2) A position is chained for ages 1 to 4078: at age 4078 its byte is
// overwritten and the classic search takes it out. (3) Bytes p..p+17 do not change while p is
// chained, so a position's keys are those it was inserted with; a link that leads to a position
// with another key was made before that position was reused, and everything behind it is older
// than the window.
template <int KeyBytes>
inline LzPacker::ChainStep LzPacker::StepChain(int q, int r, int& previousAge, uint64_t key,
                                               int hash, uint64_t& difference) const {
    static_assert(KeyBytes == kKey3Length || KeyBytes == kKey4Length || KeyBytes == kKey6Length);
    const int age = (r - q) & kLzRingMask;
    if (age <= previousAge || age > kChainedPositions)
        return ChainStep::kEnd;
    previousAge = age;
    const uint64_t word = Word(q);
    difference = word ^ key;
    const uint64_t mask = KeyBytes == kKey3Length   ? kKey3Mask
                          : KeyBytes == kKey4Length ? kKey4Mask
                                                    : kKey6Mask;
    if ((difference & mask) != 0) {
        const int wordHash = KeyBytes == kKey3Length   ? Hash3(word, kHash3Bits)
                             : KeyBytes == kKey4Length ? Hash4(word, kHash4Bits)
                                                       : Hash6(word, kHash6Bits);
        return wordHash == hash ? ChainStep::kPass : ChainStep::kEnd;
    }
    return removed_[q] != 0 ? ChainStep::kPass : ChainStep::kCompare;
}

LzPacker::Match LzPacker::FindMatch(int r) {
    const uint64_t key = Word(r);

    // The newest position sharing the first three bytes. Without one there is no match of three
    // bytes or more and the item is a literal, whatever shorter match the classic walk saw.
    const int hash3 = Hash3(key, kHash3Bits);
    int first = kNil;
    int firstLength = 0;
    int previousAge = 0;
    for (int q = head3_[hash3]; q != kNil; q = next3_[q]) {
        uint64_t difference = 0;
        const ChainStep step = StepChain<kKey3Length>(q, r, previousAge, key, hash3, difference);
        if (step == ChainStep::kEnd)
            break;
        if (step == ChainStep::kPass)
            continue;
        first = q;
        firstLength = CommonLength(q, r, difference);
        break;
    }
    if (first == kNil)
        return {};

    Match best{firstLength, first};
    if (firstLength < kLzMaxMatch) {
        // Every match of six bytes or more is in the six-byte chain, newest first: the longest
        // there, the first one found among equals, is the classic result.
        const int hash6 = Hash6(key, kHash6Bits);
        Match six;
        int sixAge = 0;
        int start = head6_[hash6];
        if (firstLength >= kKey6Length) {
            // The newest position sharing three bytes shares six: it heads the six-byte chain.
            six = {firstLength, first};
            sixAge = (r - first) & kLzRingMask;
            start = next6_[first];
        }
        for (int q = start; q != kNil; q = next6_[q]) {
            uint64_t difference = 0;
            const ChainStep step = StepChain<kKey6Length>(q, r, sixAge, key, hash6, difference);
            if (step == ChainStep::kEnd)
                break;
            // Only a candidate that also matches at the current best length can beat it.
            if (step == ChainStep::kPass || window_[q + six.length] != window_[r + six.length])
                continue;
            const int length = CommonLength(q, r, difference);
            if (length > six.length) {
                six = {length, q};
                if (length == kLzMaxMatch)
                    break;
            }
        }
        if (six.length >= kKey6Length) {
            best = six;
        } else {
            // No position shares six bytes, so the best has 3 to 5: the newest position that
            // shares five bytes, else four, else the first. The four-byte chain holds them
            // newest first; a first of four bytes heads it already.
            const int hash4 = Hash4(key, kHash4Bits);
            int fourAge = 0;
            int q = head4_[hash4];
            if (firstLength >= kKey4Length) {
                fourAge = (r - first) & kLzRingMask;
                q = next4_[first];
            }
            for (; q != kNil && best.length < kKey6Length - 1; q = next4_[q]) {
                uint64_t difference = 0;
                const ChainStep step =
                    StepChain<kKey4Length>(q, r, fourAge, key, hash4, difference);
                if (step == ChainStep::kEnd)
                    break;
                if (step == ChainStep::kPass)
                    continue;
                const int length = CommonLength(q, r, difference);
                if (length > best.length)
                    best = {length, q};
            }
        }
    }
    if (best.length == kLzMaxMatch)
        RemoveNextInChain(r, best.position);
    return best;
}

// The classic search stops at the first full-length match and takes the position after it in
// the 12-bit chain out of the search: that removal changes later matches, so it is kept.
void LzPacker::RemoveNextInChain(int r, int position) {
    const int key = Key12(Word(position));
    int previousAge = (r - position) & kLzRingMask;
    for (int q = next12_[position]; q != kNil; q = next12_[q]) {
        const int age = (r - q) & kLzRingMask;
        if (age <= previousAge || age > kChainedPositions || Key12(Word(q)) != key)
            return; // the chain ends here
        previousAge = age;
        if (removed_[q] == 0) {
            removed_[q] = 1;
            return;
        }
    }
}

namespace {

// The coder's input and output while it packs. They live in Pack's frame, not in the coder:
// the bytes stored into the buffers may alias anything the compiler cannot see apart, and
// members would be reloaded after every byte.

// The input, pulled from the source in chunks.
class InputChunks {
public:
    InputChunks(uint8_t* buffer, size_t capacity, const LzSource& source)
        : buffer_(buffer), capacity_(capacity), source_(source) {}

    uint8_t Next() {
        if (position_ == end_) {
            position_ = 0;
            end_ = source_(buffer_, capacity_);
            if (end_ == 0)
                throw RuntimeError(err::kInputPastEndOfFile);
        }
        return buffer_[position_++];
    }
    // The next `count` bytes when the chunk holds them all (null otherwise); they are taken.
    const uint8_t* Take(size_t count) {
        if (end_ - position_ < count)
            return nullptr;
        const uint8_t* bytes = buffer_ + position_;
        position_ += count;
        return bytes;
    }

private:
    uint8_t* buffer_;
    size_t capacity_;
    const LzSource& source_;
    size_t position_ = 0;
    size_t end_ = 0;
};

// The coded stream, handed to the sink in chunks. A group's flag byte is stored with each of
// its items, so that it never has to be read back; a full group is closed when the next item
// comes.
class StreamChunks {
public:
    StreamChunks(uint8_t* buffer, size_t capacity, const LzSink& sink)
        : buffer_(buffer), capacity_(capacity), sink_(sink) {}

    void Literal(uint8_t value) {
        BeginItem();
        flags_ |= 1u << count_++;
        buffer_[flagIndex_] = static_cast<uint8_t>(flags_);
        buffer_[position_++] = value;
    }
    // A match is the ring position's low eight bits, then its high four bits over length - 3.
    void Match(int ringPosition, int length) {
        BeginItem();
        ++count_;
        buffer_[position_++] = static_cast<uint8_t>(ringPosition & 0xFF);
        buffer_[position_++] =
            static_cast<uint8_t>(((ringPosition >> 4) & 0xF0) | (length - kLzMinMatch));
    }
    // The rest to the sink; a stream without items is still one group: a zero flag byte.
    void Finish(bool empty) {
        if (empty)
            buffer_[position_++] = 0;
        if (position_ > 0)
            sink_(buffer_, position_);
        position_ = 0;
    }

private:
    void BeginItem() {
        if (count_ < kGroupItems)
            return;
        if (position_ + kGroupMaxBytes > capacity_) {
            sink_(buffer_, position_);
            position_ = 0;
        }
        flagIndex_ = position_++;
        buffer_[flagIndex_] = 0;
        flags_ = 0;
        count_ = 0;
    }

    uint8_t* buffer_;
    size_t capacity_;
    const LzSink& sink_;
    size_t position_ = 0;
    size_t flagIndex_ = 0;
    unsigned flags_ = 0;
    int count_ = kGroupItems; // items in the open group; kGroupItems: none open
};

} // namespace

void LzPacker::Pack(uint64_t length, const LzSource& source, const LzSink& sink,
                    const LzProgress& progress) {
    Reset();
    InputChunks input(input_.data(), input_.size(), source);
    StreamChunks output(output_.data(), kOutputChunk, sink);
    uint64_t bytesRead = 0;
    int r = 0;         // coding position
    int lookahead = 0; // bytes from r on that are input
    while (lookahead < kLzMaxMatch && bytesRead < length) {
        const uint8_t value = input.Next();
        window_[lookahead] = value;
        window_[kLzRingSize + lookahead] = value;
        ++lookahead;
        ++bytesRead;
    }
    while (lookahead > 0) {
        Match match = FindMatch(r);
        if (match.length > lookahead)
            match.length = lookahead;
        if (match.length >= kLzMinMatch) {
            output.Match(match.position, match.length);
        } else {
            match.length = 1;
            output.Literal(window_[r]);
        }
        const int steps = match.length;
        const uint8_t* bytes = length - bytesRead >= static_cast<uint64_t>(steps)
                                   ? input.Take(static_cast<size_t>(steps))
                                   : nullptr;
        if (bytes != nullptr) {
            // Every step reads a byte: write them all, then chain the positions. Position r + k
            // keys on bytes r + k .. r + k + 7, which only the steps before it write.
            const int start = (r + kLzMaxMatch) & kLzRingMask;
            if (start >= kLzMaxMatch && start + steps <= kLzRingSize) {
                for (int k = 0; k < steps; ++k)
                    window_[start + k] = bytes[k];
            } else {
                for (int k = 0; k < steps; ++k) {
                    const int slot = (start + k) & kLzRingMask;
                    window_[slot] = bytes[k];
                    if (slot < kLzMaxMatch)
                        window_[kLzRingSize + slot] = bytes[k]; // the copy of ring bytes 0..17
                }
            }
            for (int k = 0; k < steps; ++k)
                Insert((r + k) & kLzRingMask);
            r = (r + steps) & kLzRingMask;
            // The bytes read pass at most one multiple of 4096 within the item.
            const uint64_t before = bytesRead;
            bytesRead += static_cast<uint64_t>(steps);
            if (before % kLzProgressStep + static_cast<uint64_t>(steps) >= kLzProgressStep)
                RaiseProgress(progress, before - before % kLzProgressStep + kLzProgressStep,
                              length);
        } else {
            for (int k = 0; k < steps; ++k) {
                --lookahead;
                if (bytesRead < length) {
                    const uint8_t value = input.Next();
                    const int slot = (r + kLzMaxMatch) & kLzRingMask;
                    window_[slot] = value;
                    if (slot < kLzMaxMatch)
                        window_[kLzRingSize + slot] = value;
                    ++bytesRead;
                    ++lookahead;
                }
                Insert(r);
                r = (r + 1) & kLzRingMask;
                // Once the input is all read, a length that is a multiple of 4096 raises 1 here
                // at every remaining position.
                if (bytesRead % kLzProgressStep == 0)
                    RaiseProgress(progress, bytesRead, length);
            }
        }
        if (bytesRead % kLzProgressStep == 0)
            RaiseProgress(progress, bytesRead, length);
    }
    output.Finish(length == 0);
}

// ---------------------------------------------------------------------------------------------
// Decoder

bool LzUnpacker::Refill(size_t needed) {
    if (inputEnd_ - inputPos_ >= needed)
        return true;
    const size_t left = inputEnd_ - inputPos_;
    std::memmove(input_.data(), input_.data() + inputPos_, left);
    inputPos_ = 0;
    inputEnd_ = left;
    while (!sourceDone_ && inputEnd_ < kInputChunk) {
        const size_t n = (*source_)(input_.data() + inputEnd_, kInputChunk - inputEnd_);
        if (n == 0)
            sourceDone_ = true;
        inputEnd_ += n;
        if (inputEnd_ >= needed)
            break;
    }
    return inputEnd_ >= needed;
}

namespace {

// Copies a match of 3 to 18 bytes from `distance` bytes back (1 to 4096). May write up to 24
// bytes: the output buffer has slack. A distance below 8 repeats the bytes being produced.
inline void CopyMatch(uint8_t* destination, size_t distance, int length) {
    const uint8_t* from = destination - distance;
    if (distance >= 8) {
        std::memcpy(destination, from, 8);
        std::memcpy(destination + 8, from + 8, 8);
        std::memcpy(destination + 16, from + 16, 8);
    } else if (distance == 1) {
        std::memset(destination, *from, 24);
    } else {
        // The bytes repeat with period `distance`; after the first eight, copy eight at a time
        // from the nearest multiple of the period that is at least eight bytes back.
        for (int j = 0; j < 8; ++j)
            destination[j] = from[j];
        const size_t step = distance * ((8 + distance - 1) / distance);
        for (int j = 8; j < length; j += 8)
            std::memcpy(destination + j, destination + j - step, 8);
    }
}

// The number of matches (0 bits) in each flag byte; a table, since the portable build has no
// population count instruction.
constexpr std::array<uint8_t, 256> kMatchesInGroup = [] {
    std::array<uint8_t, 256> table{};
    for (unsigned flags = 0; flags < 256; ++flags)
        table[flags] = static_cast<uint8_t>(kGroupItems - std::popcount(flags));
    return table;
}();

inline int MatchPosition(unsigned b1, unsigned b2) {
    return static_cast<int>(b1 | ((b2 & 0xF0) << 4));
}
inline int MatchLength(unsigned b2) {
    return static_cast<int>(b2 & 0x0F) + kLzMinMatch;
}

} // namespace

LzUnpackResult LzUnpacker::Unpack(int64_t storedLength, int64_t target, int64_t capacity,
                                  const LzSource& source, const LzSink& sink,
                                  const LzProgress& progress) {
    source_ = &source;
    inputPos_ = inputEnd_ = 0;
    sourceDone_ = false;
    uint8_t* const base = output_.data();
    std::memset(base, ' ', kLzRingSize);
    size_t out = kLzRingSize; // next write index; the 4096 bytes before it are the ring
    int64_t produced = 0;     // the ring index of the next byte is produced mod 4096
    unsigned flags = 0;
    int flagBits = 0;
    LzUnpackResult result;
    // A group can run unchecked when it cannot reach the target, the capacity or a progress
    // point (progress is raised when the bytes produced reach a multiple of 4096).
    const int64_t limit = capacity < 0 ? target : std::min(target, capacity);

    auto report = [&](int64_t at) {
        if (at <= storedLength)
            RaiseProgress(progress, static_cast<uint64_t>(at), static_cast<uint64_t>(storedLength));
    };
    auto flush = [&] {
        sink(base + kLzRingSize, out - kLzRingSize);
        std::memmove(base, base + out - kLzRingSize, kLzRingSize);
        out = kLzRingSize;
    };
    auto distanceTo = [&](int position) {
        const auto distance = static_cast<size_t>((produced - position) & kLzRingMask);
        return distance == 0 ? size_t{kLzRingSize} : distance;
    };

    while (produced < target) {
        if (out >= kLzRingSize + kOutputChunk)
            flush();
        if (flagBits == 0 && inputEnd_ - inputPos_ < kGroupMaxBytes && !sourceDone_)
            Refill(kGroupMaxBytes);
        if (flagBits == 0 && inputEnd_ - inputPos_ >= kGroupMaxBytes &&
            limit - produced >= kGroupMaxOutput &&
            (!progress || produced % kLzProgressStep + kGroupMaxOutput < kLzProgressStep)) {
            // Whole groups, unchecked, as many as cannot run out of input or room, reach the
            // target or the capacity, or pass a progress point: each reads at most 17 bytes and
            // writes at most 144.
            size_t groups = (inputEnd_ - inputPos_) / kGroupMaxBytes;
            groups = std::min(groups, static_cast<size_t>((limit - produced) / kGroupMaxOutput));
            groups = std::min(groups, (kLzRingSize + kOutputChunk - out + kGroupMaxOutput - 1) /
                                          kGroupMaxOutput);
            if (progress)
                groups = std::min(
                    groups, static_cast<size_t>(kLzProgressStep - 1 - produced % kLzProgressStep) /
                                kGroupMaxOutput);
            const uint8_t* in = input_.data() + inputPos_;
            uint8_t* to = base + out;
            // Ring index of the byte at `to`: the bytes produced so far, mod 4096.
            const size_t ringOffset = static_cast<size_t>(produced) - out;
            for (; groups > 0; --groups) {
                unsigned groupFlags = *in++;
                // Each match (a 0 bit) with the run of literals (1 bits) before it; the literals
                // after the last match at the end. A run's eight bytes are copied at once, the
                // run kept; the bits above the group's items are 0, so a run never passes them.
                for (int matches = kMatchesInGroup[groupFlags]; matches > 0; --matches) {
                    const int run = std::countr_one(groupFlags);
                    std::memcpy(to, in, 8);
                    in += run;
                    to += run;
                    groupFlags >>= run + 1;
                    const int length = MatchLength(in[1]);
                    size_t distance = (static_cast<size_t>(to - base) + ringOffset -
                                       static_cast<size_t>(MatchPosition(in[0], in[1]))) &
                                      kLzRingMask;
                    if (distance == 0)
                        distance = kLzRingSize;
                    CopyMatch(to, distance, length);
                    in += 2;
                    to += length;
                }
                const int run = std::countr_one(groupFlags);
                std::memcpy(to, in, 8);
                in += run;
                to += run;
            }
            const auto written = static_cast<size_t>(to - (base + out));
            out += written;
            produced += static_cast<int64_t>(written);
            inputPos_ = static_cast<size_t>(in - input_.data());
            continue;
        }
        // One item, checking the input, the room and the progress points at every step.
        if (flagBits == 0) {
            if (!Refill(1)) {
                result.inputEnded = true;
                break;
            }
            flags = input_[inputPos_++];
            flagBits = kGroupItems;
        }
        const bool literal = (flags & 1) != 0;
        flags >>= 1;
        --flagBits;
        if (literal) {
            if (!Refill(1)) {
                result.inputEnded = true;
                break;
            }
            if (capacity >= 0 && produced + 1 > capacity)
                throw RuntimeError(err::kSubscriptOutOfRange);
            base[out++] = input_[inputPos_++];
            if (++produced % kLzProgressStep == 0)
                report(produced);
        } else {
            if (!Refill(2)) {
                result.inputEnded = true;
                break;
            }
            const unsigned b1 = input_[inputPos_];
            const unsigned b2 = input_[inputPos_ + 1];
            const int length = MatchLength(b2);
            if (capacity >= 0 && produced + length > capacity)
                throw RuntimeError(err::kSubscriptOutOfRange);
            inputPos_ += 2;
            CopyMatch(base + out, distanceTo(MatchPosition(b1, b2)), length);
            out += static_cast<size_t>(length);
            const int64_t before = produced;
            produced += length;
            if (before % kLzProgressStep + length >= kLzProgressStep)
                report(before - before % kLzProgressStep + kLzProgressStep); // inside the match
            if (produced % kLzProgressStep == 0)
                report(produced); // and after it
        }
    }
    flush();
    result.produced = produced;
    return result;
}

} // namespace vellumo::detail
