// The coder and decoder of the packed stream shared by the packed file and the packed text: an
// LZSS coder over a 4096-byte ring with matches of 3 to 18 bytes and one flag byte per group of
// eight items (docs/packed-format.md describes the bytes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace vellumo::detail {

// Fills up to `count` bytes and returns how many it filled; 0 only when the input has ended.
using LzSource = std::function<size_t(uint8_t* destination, size_t count)>;
// Takes the next `count` bytes of output.
using LzSink = std::function<void(const uint8_t* bytes, size_t count)>;
// Receives the progress values (the FileProgress event); may be empty.
using LzProgress = std::function<void(float fraction)>;

// Ring geometry and item limits of the coded stream.
inline constexpr int kLzRingSize = 4096; // positions are ring indices 0..4095
inline constexpr int kLzRingMask = kLzRingSize - 1;
inline constexpr int kLzMaxMatch = 18;           // lookahead and longest match: 4 bits + 3
inline constexpr int kLzMinMatch = 3;            // a match of 2 bytes or fewer is sent as a literal
inline constexpr int64_t kLzProgressStep = 4096; // progress is raised every 4096 bytes
// A coded item never produces more than 9 bytes per stream byte (a group of eight 18-byte
// matches is 17 bytes long), which bounds what a stream of a given size can decode to.
inline constexpr int64_t kLzMaxExpansion = 9;

// The coder. One object packs one input at a time and may be reused; its state is large (about
// 300 KB with its buffers), so keep it on the heap.
class LzPacker {
public:
    // Packs exactly `length` bytes (below 2 GiB) pulled from `source` and hands the coded stream
    // to `sink`, raising `progress` (bytes read / length) whenever the bytes read are a multiple
    // of 4096, after every position and again after every item. Does not raise the final 1.
    // Throws RuntimeError 6 (Overflow) for a length of 2 GiB or more, RuntimeError 62 (Input
    // past end of file) when the source ends before `length` bytes (where the reference coder
    // would read the first missing byte), and whatever source, sink and progress throw.
    void Pack(uint64_t length, const LzSource& source, const LzSink& sink,
              const LzProgress& progress);

private:
    // A position is an offset in the input. The input is kept in one buffer from 4096 bytes
    // before the coding position on, so that a string is plain memory and never wraps; before
    // the input come the window's initial spaces.
    static constexpr int64_t kHistory = kLzRingSize;
    static constexpr int64_t kBlock = 64 * 1024; // input read at a time
    // Past the input's end: the bytes the window holds there, and room for 8-byte reads.
    static constexpr int64_t kTail = 64;
    static constexpr size_t kBufferBytes = kHistory + kBlock + kTail;
    // A position is searched for 4078 positions after it: the reference coder takes it out when
    // the window is about to overwrite its byte.
    static constexpr int64_t kSearched = kLzRingSize - kLzMaxMatch;
    // Links are computed ahead of the coding position in batches, up to 4096 positions ahead,
    // into a ring that holds the searched positions and one batch.
    static constexpr int64_t kLinkRing = 2 * kLzRingSize;
    static constexpr int64_t kLinkAhead = kLzRingSize;
    // Hash tables of 2^15 heads: large enough that a chain rarely mixes strings (about 4078
    // positions are searched at a time).
    static constexpr int kHashBits = 15;
    static constexpr size_t kHeads = size_t{1} << kHashBits;
    // Heads hold the low 16 bits of positions: every 32768 positions, a head more than 16384
    // positions back is moved to exactly 16384 back, so none is ever 65536 back (where its 16
    // bits would look recent) and every distance is exact or beyond the search.
    static constexpr int64_t kRefreshPeriod = 32768;
    static constexpr uint16_t kFarBack = 16384;
    static constexpr int kOutputChunk = 64 * 1024;

    struct Match {
        int length = 0;
        int64_t position = 0;
    };
    // A position's distance back to the previous position whose first three (six) bytes have
    // the same hash; a distance beyond the search when there is none that recent.
    struct Links {
        uint16_t back3;
        uint16_t back6;
    };

    void Begin(uint64_t length);
    // Reads input and computes links so that the coding position `r` can be coded; returns the
    // first position that cannot be coded yet (at most r when the source ended early).
    int64_t Advance(int64_t r, const LzSource& source);
    void Link(int64_t from, int64_t to);
    void Refresh(uint16_t now);
    Match FindMatch(int64_t r);
    Match FindSix(int64_t r, uint64_t key, Match first) const;
    Match FindFourOrFive(int64_t r, uint64_t key, Match first) const;
    Match FindInRuns(int64_t r, uint64_t key) const;
    void RemoveNextInChain(int64_t r, int64_t position);
    [[nodiscard]] int CommonLength(int64_t candidate, int64_t r, uint64_t firstDifference) const;
    [[nodiscard]] int RunLength(int64_t position, uint64_t pattern) const;
    [[nodiscard]] int64_t RunStart(int64_t position, uint64_t pattern, int64_t oldest) const;
    [[nodiscard]] const uint8_t* At(int64_t position) const {
        return bytes_.data() + (position - base_);
    }
    [[nodiscard]] uint64_t Word(int64_t position) const;
    [[nodiscard]] static size_t Slot(int64_t position) {
        return static_cast<size_t>(position & (kLinkRing - 1));
    }
    [[nodiscard]] bool Removed(int64_t position) const { return removed_[Slot(position)] != 0; }

    alignas(64) std::array<uint8_t, kBufferBytes> bytes_{};
    int64_t base_ = 0;   // the position of bytes_[0]
    int64_t loaded_ = 0; // the end of the input read so far
    int64_t length_ = 0;
    int64_t linked_ = 0; // positions below this one have their links
    bool sourceEnded_ = false;
    std::array<Links, kLinkRing> links_{};
    // Set when a position was taken out of the search before its time (after a full match).
    std::array<uint8_t, kLinkRing> removed_{};
    // The newest linked position of each hash of the first three (six) bytes.
    std::array<uint16_t, kHeads> head3_{};
    std::array<uint16_t, kHeads> head6_{};

    std::array<uint8_t, kOutputChunk + 32> output_{};
};

// How an unpacking ended.
struct LzUnpackResult {
    int64_t produced = 0;    // bytes handed to the sink
    bool inputEnded = false; // true when an item could not be read whole before the target
};

// The decoder.
class LzUnpacker {
public:
    // Decodes items from `source` while fewer than `target` bytes are produced; a match is always
    // copied whole. The ring starts filled with spaces, so a stream that refers to ring bytes it
    // has not written decodes the same way every time. `progress` gets produced / storedLength
    // whenever the bytes produced reach a multiple of 4096 that is not above storedLength (inside
    // a match and again after each item); the final 1 is the caller's. A stream that would
    // produce more than `capacity` bytes (when capacity is not negative) throws RuntimeError 9
    // (Subscript out of range) before the offending match is copied. The end of the input before
    // the target is not an error here: the result says where it happened.
    LzUnpackResult Unpack(int64_t storedLength, int64_t target, int64_t capacity,
                          const LzSource& source, const LzSink& sink, const LzProgress& progress);

private:
    static constexpr size_t kInputChunk = 64 * 1024;
    // The ring's last 4096 bytes move to the buffer's start after every chunk handed over: a
    // large chunk makes that rare.
    static constexpr size_t kOutputChunk = 256 * 1024;
    static constexpr size_t kSlack = 32;

    bool Refill(size_t needed);

    std::array<uint8_t, kInputChunk + kSlack> input_{};
    size_t inputPos_ = 0;
    size_t inputEnd_ = 0;
    bool sourceDone_ = false;
    const LzSource* source_ = nullptr;
    // The last 4096 bytes produced followed by the bytes produced since the last hand-over,
    // placed so that a byte's address mod 4096 is its ring index: room to align the ring, the
    // ring, up to 4095 bytes more after a hand-over, the chunk, and a group past it.
    std::array<uint8_t, 3 * kLzRingSize + kOutputChunk + 8 * kSlack> output_{};
};

} // namespace vellumo::detail
