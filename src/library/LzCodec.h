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
// 430 KB with its buffers), so keep it on the heap.
class LzPacker {
public:
    // Packs exactly `length` bytes pulled from `source` and hands the coded stream to `sink`,
    // raising `progress` (bytes read / length) whenever the bytes read are a multiple of 4096,
    // after every position and again after every item. Does not raise the final 1.
    // Throws RuntimeError 62 (Input past end of file) when the source ends before `length`
    // bytes, and whatever source, sink and progress throw.
    void Pack(uint64_t length, const LzSource& source, const LzSink& sink,
              const LzProgress& progress);

private:
    static constexpr int kNil = 0xFFFF;
    // Ring window plus the copy of ring bytes 0..17 at 4096..4113 (comparisons never wrap) and
    // room for 8-byte reads past the copy.
    static constexpr int kWindowBytes = kLzRingSize + kLzMaxMatch + 46;
    // A position stays in the search structures for 4078 positions: it leaves when its byte is
    // about to be overwritten by the lookahead's newest byte.
    static constexpr int kChainedPositions = kLzRingSize - kLzMaxMatch;
    // Hash table sizes of the three-, four- and six-byte chains: large enough that a chain rarely
    // mixes keys (about 4078 positions are chained at a time).
    static constexpr int kHash3Bits = 15;
    static constexpr int kHash4Bits = 15;
    static constexpr int kHash6Bits = 15;
    static constexpr int kInputChunk = 64 * 1024;
    static constexpr int kOutputChunk = 64 * 1024;

    struct Match {
        int length = 0;
        int position = 0;
    };

    void Reset();
    void Insert(int position);
    Match FindMatch(int r);
    void RemoveNextInChain(int r, int position);
    [[nodiscard]] uint64_t Word(int index) const;
    [[nodiscard]] int CommonLength(int candidate, int r, uint64_t firstDifference) const;
    // What a chain walk does at a position: stop (the chain has ended for this key), pass over
    // it (another key with the same hash, or a position taken out of the search), or compare.
    enum class ChainStep { kEnd, kPass, kCompare };
    // One step of the walk for the string at `r` along the chain of its first KeyBytes (3, 4, 6)
    // bytes, whose hash is `hash`; `previousAge` is the age of the last position walked and
    // `difference` receives the XOR of the first eight bytes.
    template <int KeyBytes>
    ChainStep StepChain(int q, int r, int& previousAge, uint64_t key, int hash,
                        uint64_t& difference) const;

    alignas(64) std::array<uint8_t, kWindowBytes> window_{};
    // Four lazily pruned chains per position, newest first: by the 12-bit key of the classic
    // search (first byte, low nibble of the second), by the first three, four and six bytes. A link
    // is followed only while positions get strictly older and stay chained.
    std::array<uint16_t, kLzRingSize> head12_{};
    std::array<uint16_t, kLzRingSize> next12_{};
    std::array<uint16_t, (1 << kHash3Bits)> head3_{};
    std::array<uint16_t, kLzRingSize> next3_{};
    std::array<uint16_t, (1 << kHash4Bits)> head4_{};
    std::array<uint16_t, kLzRingSize> next4_{};
    std::array<uint16_t, (1 << kHash6Bits)> head6_{};
    std::array<uint16_t, kLzRingSize> next6_{};
    // Set when a position was taken out of its chains before its time (after a full match).
    std::array<uint8_t, kLzRingSize> removed_{};

    // Pack's input and output chunks.
    std::array<uint8_t, kInputChunk> input_{};
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
    // The last 4096 bytes produced followed by the bytes produced since the last hand-over.
    std::array<uint8_t, kLzRingSize + kOutputChunk + 8 * kSlack> output_{};
};

} // namespace vellumo::detail
