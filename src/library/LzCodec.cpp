// The packed stream's coder and decoder. The coder finds exactly the match that the reference
// hash-chain search finds (the longest, the newest among equals, with the same removal after a
// full match) but walks far fewer candidates; the decoder copies whole groups at a time.
#include "library/LzCodec.h"

#include "platform/RuntimeError.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace vellumo::detail {
namespace {

constexpr uint64_t kKey3Mask = 0xFFFFFFull;       // first three bytes of a little-endian word
constexpr uint64_t kKey6Mask = 0xFFFFFFFFFFFFull; // first six bytes
constexpr int kKey6Length = 6;
constexpr uint64_t kEveryByte = 0x0101010101010101ull;
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

template <int Bits> inline size_t Hash3(uint64_t word) {
    return (static_cast<uint32_t>(word & kKey3Mask) * 0x9E3779B1u) >> (32 - Bits);
}

template <int Bits> inline size_t Hash6(uint64_t word) {
    return static_cast<size_t>(((word & kKey6Mask) * 0x9E3779B97F4A7C15ull) >> (64 - Bits));
}

// True when the word's first six bytes are one value.
inline bool StartsWithRun(uint64_t word) {
    return ((word ^ (word >> 8)) << 24) == 0;
}

// Bit j of the result is set when bytes[j] is `first` and the low four bits of bytes[j + 1] are
// `second`, for j = 0..15: the positions of a 12-bit chain key.
constexpr int kKeyedBlock = 16;
inline uint32_t KeyedPositions(const uint8_t* bytes, uint8_t first, uint8_t second) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i seconds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 1));
    const __m128i keyed =
        _mm_and_si128(_mm_cmpeq_epi8(firsts, _mm_set1_epi8(static_cast<char>(first))),
                      _mm_cmpeq_epi8(_mm_and_si128(seconds, _mm_set1_epi8(0x0F)),
                                     _mm_set1_epi8(static_cast<char>(second))));
    return static_cast<uint32_t>(_mm_movemask_epi8(keyed));
#else
    uint32_t hits = 0;
    for (int j = 0; j < kKeyedBlock; ++j)
        if (bytes[j] == first && (bytes[j + 1] & 0x0F) == second)
            hits |= uint32_t{1} << j;
    return hits;
#endif
}

inline void RaiseProgress(const LzProgress& progress, uint64_t done, uint64_t total) {
    if (progress)
        progress(static_cast<float>(static_cast<double>(done) / static_cast<double>(total)));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Coder
//
// The reference search keeps every position in a chain by a 12-bit key for 4078 positions and
// walks that chain at each coding position. This coder finds the same match with three facts:
// (1) a position q is a candidate at the coding position r while its age r - q is 1 to 4078 and
// it was not taken out after a full match; (2) bytes q..q+17 do not change meanwhile, so a
// string is the input as read (past the input's end, the bytes the window holds there); (3) a
// match of three bytes or more shares the first three bytes, of six or more the first six. So
// positions are chained by a hash of their first three and of their first six bytes, linked in
// batches ahead of the coding position (a link always leads to the previous position with the
// same hash, so a walk goes strictly back and ends at the first position that is too old).

uint64_t LzPacker::Word(int64_t position) const {
    return LoadLittle64(At(position));
}

void LzPacker::Begin(uint64_t length) {
    // Every head reads as far back: none of them belongs to this input.
    const auto far = static_cast<uint16_t>(-kFarBack);
    head3_.fill(far);
    head6_.fill(far);
    length_ = static_cast<int64_t>(length);
    base_ = -kHistory;
    loaded_ = 0;
    linked_ = 0;
    sourceEnded_ = false;
    std::memset(bytes_.data(), ' ', kHistory); // the window starts as spaces
}

int64_t LzPacker::Advance(int64_t r, const LzSource& source) {
    if (r + kLzMaxMatch > loaded_ && loaded_ < length_ && !sourceEnded_) {
        // Keep the 4096 bytes before r and read the next block after the rest.
        const int64_t keep = r - kHistory;
        std::memmove(bytes_.data(), At(keep), static_cast<size_t>(loaded_ - keep));
        base_ = keep;
        const int64_t end = std::min(length_, base_ + kHistory + kBlock);
        while (loaded_ < end) {
            const size_t n =
                source(bytes_.data() + (loaded_ - base_), static_cast<size_t>(end - loaded_));
            if (n == 0) {
                sourceEnded_ = true;
                break;
            }
            loaded_ += static_cast<int64_t>(n);
        }
        if (loaded_ == length_) {
            // Past the end the window still holds the bytes read 4096 positions earlier (or
            // its initial spaces); the reference comparisons read them as they are.
            for (int64_t x = length_; x < length_ + kTail; ++x)
                bytes_[static_cast<size_t>(x - base_)] = *At(x - kLzRingSize);
        }
    }
    // Bytes below `known` are final. A position is linked by its first eight bytes and searched
    // with its first 18 (the reads beyond those are masked).
    const int64_t known = loaded_ == length_ ? length_ + kTail : loaded_;
    const int64_t linkEnd = std::min({length_, known - 7, r + kLinkAhead});
    if (linkEnd > linked_) {
        Link(linked_, linkEnd);
        linked_ = linkEnd;
    }
    return std::min(linked_, known - (kLzMaxMatch - 1));
}

void LzPacker::Link(int64_t from, int64_t to) {
    while (from < to) {
        if (from % kRefreshPeriod == 0 && from > 0)
            Refresh(static_cast<uint16_t>(from));
        // Up to the next refresh, and not across the end of the link ring.
        const int64_t end = std::min({to, from - from % kRefreshPeriod + kRefreshPeriod,
                                      from - from % kLinkRing + kLinkRing});
        std::memset(&removed_[Slot(from)], 0, static_cast<size_t>(end - from));
        const uint8_t* const bytes = At(from);
        for (int64_t a = from; a < end; ++a) {
            const uint64_t word = LoadLittle64(bytes + (a - from));
            const auto self = static_cast<uint16_t>(a);
            uint16_t& head3 = head3_[Hash3<kHashBits>(word)];
            uint16_t& head6 = head6_[Hash6<kHashBits>(word)];
            Links& links = links_[Slot(a)];
            links.back3 = static_cast<uint16_t>(self - head3);
            head3 = self;
            links.back6 = static_cast<uint16_t>(self - head6);
            head6 = self;
        }
        from = end;
    }
}

void LzPacker::Refresh(uint16_t now) {
    const auto far = static_cast<uint16_t>(now - kFarBack);
    for (auto* heads : {head3_.data(), head6_.data()})
        for (size_t i = 0; i < kHeads; ++i)
            heads[i] = static_cast<uint16_t>(now - heads[i]) > kFarBack ? far : heads[i];
}

// Number of equal leading bytes of the strings at `candidate` and `r`, at most 18, given the
// difference of their first eight bytes.
int LzPacker::CommonLength(int64_t candidate, int64_t r, uint64_t firstDifference) const {
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

// Number of leading bytes equal to the pattern's byte, at most 18.
int LzPacker::RunLength(int64_t position, uint64_t pattern) const {
    uint64_t difference = Word(position) ^ pattern;
    if (difference != 0)
        return std::countr_zero(difference) >> 3;
    difference = Word(position + 8) ^ pattern;
    if (difference != 0)
        return 8 + (std::countr_zero(difference) >> 3);
    difference = (Word(position + 16) ^ pattern) & 0xFFFF;
    if (difference != 0)
        return 16 + (std::countr_zero(difference) >> 3);
    return kLzMaxMatch;
}

// The first position, not below `oldest`, of the run of the pattern's byte that holds `position`.
int64_t LzPacker::RunStart(int64_t position, uint64_t pattern, int64_t oldest) const {
    int64_t start = position;
    while (start > oldest) {
        const uint64_t difference = Word(start - 8) ^ pattern; // the eight bytes before start
        if (difference != 0) {
            start -= std::countl_zero(difference) >> 3;
            break;
        }
        start -= 8;
    }
    return std::max(start, oldest);
}

// Every match of six bytes or more is in the six-byte chain, newest first: the longest there, the
// first one found among equals, is the reference result. A first match of six bytes or more heads
// that chain already.
inline LzPacker::Match LzPacker::FindSix(int64_t r, uint64_t key, Match first) const {
    const int64_t oldest = r - kSearched;
    Match six;
    int64_t q = r - links_[Slot(r)].back6;
    if (first.length >= kKey6Length) {
        six = first;
        q = first.position - links_[Slot(first.position)].back6;
    }
    for (; q >= oldest; q -= links_[Slot(q)].back6) {
        const uint64_t difference = Word(q) ^ key;
        // Only a candidate that also matches at the current best length can beat it.
        if ((difference & kKey6Mask) != 0 || At(q)[six.length] != At(r)[six.length] || Removed(q))
            continue;
        const int length = CommonLength(q, r, difference);
        if (length > six.length) {
            six = {length, q};
            if (length == kLzMaxMatch)
                break;
        }
    }
    return six;
}

// No position shares six bytes, so the best has 3 to 5: the newest position that shares five
// bytes, else four, else the first. The rest of the three-byte chain after the first holds them
// newest first.
inline LzPacker::Match LzPacker::FindFourOrFive(int64_t r, uint64_t key, Match first) const {
    const int64_t oldest = r - kSearched;
    Match best = first;
    for (int64_t q = first.position - links_[Slot(first.position)].back3;
         q >= oldest && best.length < kKey6Length - 1; q -= links_[Slot(q)].back3) {
        const uint64_t difference = Word(q) ^ key;
        if ((difference & kKey3Mask) != 0 || At(q)[best.length] != At(r)[best.length] || Removed(q))
            continue;
        const int length = CommonLength(q, r, difference);
        if (length > best.length)
            best = {length, q};
    }
    return best;
}

// The string at r starts with a run of m >= 6 bytes of one value (18: 18 or more). Every position
// sharing six bytes with it starts with such a run too, and the six-byte chain holds each run's
// positions one after the other, down to the run's start: the walk takes a run at a time. A
// position whose run is k shares min(k, m) bytes with r, and more only when k = m and the bytes
// after both runs match.
LzPacker::Match LzPacker::FindInRuns(int64_t r, uint64_t key) const {
    // Runs are followed by their bytes, so the spaces before the input must not count.
    const int64_t oldest = std::max<int64_t>(r - kSearched, 0);
    const uint64_t pattern = (key & 0xFF) * kEveryByte;
    const int m = RunLength(r, pattern);
    Match best;
    int64_t q = r - links_[Slot(r)].back6;
    while (q >= oldest) {
        if (((Word(q) ^ pattern) & kKey6Mask) != 0) {
            q -= links_[Slot(q)].back6; // another string with the same hash
            continue;
        }
        // q is the newest searched position of a run that starts at `start`; the run of a
        // position x of it is min(18, newest + q - x).
        const int newest = RunLength(q, pattern);
        const int64_t start = RunStart(q, pattern, oldest);
        auto runAt = [&](int64_t x) {
            return static_cast<int>(std::min<int64_t>(kLzMaxMatch, newest + (q - x)));
        };
        // The newest position whose run is m or more shares m bytes (more when its run is
        // exactly m); the positions before it share m too; those after it share their run.
        const int64_t top = newest >= m ? q : q - (m - newest);
        Match found;
        for (int64_t x = top; x >= start && found.length == 0; --x) {
            if (Removed(x))
                continue;
            found = {m, x};
            if (x == top && m < kLzMaxMatch && runAt(x) == m)
                found.length = CommonLength(x, r, Word(x) ^ key);
        }
        for (int64_t x = std::max(start, top + 1); x <= q && found.length == 0; ++x)
            if (!Removed(x))
                found = {runAt(x), x};
        if (found.length > best.length) {
            best = found;
            if (best.length == kLzMaxMatch)
                break;
        }
        q = start - links_[Slot(start)].back6;
    }
    return best;
}

[[gnu::always_inline]] inline LzPacker::Match LzPacker::FindMatch(int64_t r) {
    const uint64_t key = Word(r);
    const int64_t oldest = r - kSearched;

    // The newest position sharing the first three bytes. Without one there is no match of three
    // bytes or more and the item is a literal, whatever shorter match the reference walk saw.
    Match first;
    for (int64_t q = r - links_[Slot(r)].back3; q >= oldest; q -= links_[Slot(q)].back3) {
        const uint64_t difference = Word(q) ^ key;
        if ((difference & kKey3Mask) == 0 && !Removed(q)) {
            first = {CommonLength(q, r, difference), q};
            break;
        }
    }
    if (first.length == 0)
        return {};

    Match best = first;
    if (first.length < kLzMaxMatch) {
        const Match six = StartsWithRun(key) ? FindInRuns(r, key) : FindSix(r, key, first);
        best = six.length >= kKey6Length ? six : FindFourOrFive(r, key, first);
    }
    if (best.length == kLzMaxMatch)
        RemoveNextInChain(r, best.position);
    return best;
}

// The reference search stops at the first full match and takes the position after it in its
// 12-bit chain out of the search: the next older searched position whose first byte and the low
// four bits of whose second byte are those of `position`. That removal changes later matches, so
// it is kept. The next older position of the three-byte chain has that key too, so only the
// positions between the two need a look, 16 at a time, newest first.
void LzPacker::RemoveNextInChain(int64_t r, int64_t position) {
    const int64_t oldest = r - kSearched;
    const uint64_t key = Word(position);
    int64_t bound = position - links_[Slot(position)].back3;
    while (bound >= oldest && (((Word(bound) ^ key) & kKey3Mask) != 0 || Removed(bound)))
        bound -= links_[Slot(bound)].back3;
    bound = std::max(bound, oldest - 1);
    const auto first = static_cast<uint8_t>(key & 0xFF);
    const auto second = static_cast<uint8_t>((key >> 8) & 0x0F);
    for (int64_t newest = position - 1; newest > bound; newest -= kKeyedBlock) {
        const int64_t block = newest - (kKeyedBlock - 1);
        uint32_t hits = KeyedPositions(At(block), first, second);
        if (block <= bound)
            hits &= ~uint32_t{0} << (bound - block + 1);
        while (hits != 0) {
            const int top = 31 - std::countl_zero(hits);
            if (!Removed(block + top)) {
                removed_[Slot(block + top)] = 1;
                return;
            }
            hits &= ~(uint32_t{1} << top);
        }
    }
    if (bound >= oldest)
        removed_[Slot(bound)] = 1;
}

namespace {

// The coder's output while it packs. It lives in Pack's frame, not in the coder: the bytes
// stored into the buffer may alias anything the compiler cannot see apart, and members would be
// reloaded after every byte.

// The coded stream, handed to the sink in chunks. A group's flag byte is stored with each of
// its items, so that it never has to be read back; a full group is closed when the next item
// comes.
class StreamChunks {
public:
    StreamChunks(uint8_t* buffer, size_t capacity, const LzSink& sink)
        : buffer_(buffer), capacity_(capacity), sink_(sink) {}

    // One item: a literal's byte (`second` is ignored), or a match's two bytes. Written without
    // branches on the kind: literals and matches follow each other unpredictably.
    void Item(bool literal, uint8_t first, uint8_t second) {
        const bool begin = count_ == kGroupItems;
        if (begin && position_ + kGroupMaxBytes > capacity_) {
            sink_(buffer_, position_);
            position_ = 0;
        }
        flagIndex_ = begin ? position_ : flagIndex_;
        position_ += begin ? 1 : 0;
        flags_ = begin ? 0 : flags_;
        count_ = begin ? 0 : count_;
        flags_ |= static_cast<unsigned>(literal) << count_++;
        buffer_[flagIndex_] = static_cast<uint8_t>(flags_);
        buffer_[position_] = first;
        buffer_[position_ + 1] = second; // a literal's next item overwrites it
        position_ += literal ? 1 : 2;
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
    if (length > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        throw RuntimeError(err::kOverflow);
    Begin(length);
    StreamChunks output(output_.data(), kOutputChunk, sink);
    const auto total = static_cast<int64_t>(length);
    int64_t ready = 0; // positions below this one have their bytes and links
    int64_t r = 0;     // coding position
    while (r < total) {
        if (r >= ready) {
            ready = Advance(r, source);
            if (r >= ready)
                throw RuntimeError(err::kInputPastEndOfFile);
        }
        const Match match = FindMatch(r);
        // A match longer than the rest of the input is cut to it; 2 bytes or fewer go as a
        // literal. A match is the ring position's low eight bits, then its high four bits over
        // length - 3.
        const int cut = static_cast<int>(std::min<int64_t>(match.length, total - r));
        const bool literal = cut < kLzMinMatch;
        const auto ring = static_cast<unsigned>(match.position & kLzRingMask);
        output.Item(literal, literal ? *At(r) : static_cast<uint8_t>(ring & 0xFF),
                    static_cast<uint8_t>(((ring >> 4) & 0xF0) | ((cut - kLzMinMatch) & 0x0F)));
        const int steps = literal ? 1 : cut;
        // The reference reads the byte 18 ahead at every position: after position p it has read
        // min(length, p + 19) bytes, and it raises progress at multiples of 4096 after each
        // position and again after the item.
        const int64_t end = r + steps;
        const int64_t readAfter = std::min(total, end + kLzMaxMatch);
        const bool sourceShort = sourceEnded_ && end + kLzMaxMatch > loaded_;
        if (sourceShort || (progress && end + kLzMaxMatch > total)) {
            for (int64_t p = r; p < end; ++p) {
                if (sourceShort && p + kLzMaxMatch >= loaded_)
                    throw RuntimeError(err::kInputPastEndOfFile); // the byte p + 18 is missing
                const int64_t read = std::min(total, p + kLzMaxMatch + 1);
                if (read % kLzProgressStep == 0)
                    RaiseProgress(progress, static_cast<uint64_t>(read), length);
            }
        } else if (progress && (r + kLzMaxMatch) / kLzProgressStep != readAfter / kLzProgressStep) {
            // The bytes read pass one multiple of 4096 within the item.
            RaiseProgress(progress, static_cast<uint64_t>(readAfter - readAfter % kLzProgressStep),
                          length);
        }
        if (readAfter % kLzProgressStep == 0)
            RaiseProgress(progress, static_cast<uint64_t>(readAfter), length);
        r = end;
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

// The step back that repeats a match closer than 8 bytes eight bytes at a time: the smallest
// multiple of its distance that is 8 or more.
constexpr std::array<uint8_t, 8> kRepeatStep = {0, 8, 8, 9, 8, 10, 12, 14};

// A match closer than 8 bytes: its first `distance` bytes repeat.
[[gnu::noinline]] void CopyCloseMatch(uint8_t* to, size_t distance, unsigned length) {
    const uint8_t* from = to - distance;
    if (distance == 1) {
        std::memset(to, *from, 24);
        return;
    }
    for (int j = 0; j < 8; ++j)
        to[j] = from[j];
    const size_t step = kRepeatStep[distance];
    for (unsigned j = 8; j < length; j += 8)
        std::memcpy(to + j, to + j - step, 8);
}

// Copies a match of 3 to 18 bytes from `back` + 1 (1 to 4096) bytes back, as if byte by byte, so
// that a close match repeats the bytes it produces. Copies eight bytes at a time where the
// distance allows and may write up to 24 bytes past `to`: the output has slack.
inline void CopyMatch(uint8_t* to, size_t back, unsigned length) {
    if (back >= 7) [[likely]] {
        const uint8_t* const from = to - 1 - back;
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        std::memcpy(to + 16, from + 16, 8);
    } else {
        CopyCloseMatch(to, back + 1, length);
    }
}

// The items of a group by its flag byte: the number of matches, the literals before each match,
// and the literals after the last. Sixteen bytes each, so that an entry's place is a shift away.
struct alignas(16) GroupShape {
    uint8_t matches;
    std::array<uint8_t, kGroupItems + 1> runs;
};
constexpr std::array<GroupShape, 256> kGroupShapes = [] {
    std::array<GroupShape, 256> table{};
    for (unsigned flags = 0; flags < 256; ++flags) {
        GroupShape& shape = table[flags];
        uint8_t run = 0;
        for (int item = 0; item < kGroupItems; ++item) {
            if ((flags >> item) & 1) {
                ++run;
            } else {
                shape.runs[shape.matches++] = run;
                run = 0;
            }
        }
        shape.runs[shape.matches] = run;
    }
    return table;
}();

// A match's two bytes b1, b2: the ring position b1 + (b2 AND 0xF0) x 16 and the length
// (b2 AND 0x0F) + 3. Read byte by byte: a 16-bit load costs more to take apart.
inline unsigned MatchLength(const uint8_t* match) {
    return (match[1] & 0x0FU) + kLzMinMatch;
}
// The output is laid out so that the ring index of the byte at an address is the address's low
// 12 bits: a match's distance back needs no count of the bytes produced. Returns the distance
// less one, 0 to 4095.
inline size_t StepsBack(const uint8_t* to, const uint8_t* match) {
    const unsigned position = match[0] | ((match[1] & 0xF0U) << 4);
    return (reinterpret_cast<uintptr_t>(to) - 1 - position) & kLzRingMask;
}

} // namespace

LzUnpackResult LzUnpacker::Unpack(int64_t storedLength, int64_t target, int64_t capacity,
                                  const LzSource& source, const LzSink& sink,
                                  const LzProgress& progress) {
    source_ = &source;
    inputPos_ = inputEnd_ = 0;
    sourceDone_ = false;
    // The ring starts at an address that is a multiple of 4096, and the bytes produced follow it
    // (produced byte n lies at an address that is n mod 4096).
    const auto address = reinterpret_cast<uintptr_t>(output_.data());
    uint8_t* const ring = output_.data() + ((kLzRingSize - address % kLzRingSize) % kLzRingSize);
    std::memset(ring, ' ', kLzRingSize);
    uint8_t* chunk = ring + kLzRingSize; // the bytes produced since the last hand-over
    uint8_t* to = chunk;                 // the next byte
    int64_t produced = 0;
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
    // Hands the chunk over and moves the last 4096 bytes (the ring) back to the start, keeping
    // their addresses mod 4096.
    auto flush = [&] {
        sink(chunk, static_cast<size_t>(to - chunk));
        uint8_t* const kept = ring + (reinterpret_cast<uintptr_t>(to) % kLzRingSize);
        std::memmove(kept, to - kLzRingSize, kLzRingSize);
        chunk = to = kept + kLzRingSize;
    };

    while (produced < target) {
        if (to >= chunk + kOutputChunk)
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
            groups = std::min(groups,
                              static_cast<size_t>(chunk + kOutputChunk - to + kGroupMaxOutput - 1) /
                                  kGroupMaxOutput);
            if (progress)
                groups = std::min(
                    groups, static_cast<size_t>(kLzProgressStep - 1 - produced % kLzProgressStep) /
                                kGroupMaxOutput);
            const uint8_t* in = input_.data() + inputPos_;
            uint8_t* const from = to;
            for (; groups > 0; --groups) {
                // Each match with the run of literals before it, then the literals after the
                // last match. A run's eight bytes are copied at once, the run kept. The next
                // group's place is known from the flag byte alone (eight items, a match two
                // bytes), so it does not wait for this group's items.
                const GroupShape& shape = kGroupShapes[*in];
                const uint8_t* const next = in + 1 + kGroupItems + shape.matches;
                ++in;
                for (unsigned match = 0; match < shape.matches; ++match) {
                    const unsigned run = shape.runs[match];
                    std::memcpy(to, in, 8);
                    in += run;
                    to += run;
                    const unsigned length = MatchLength(in);
                    CopyMatch(to, StepsBack(to, in), length);
                    in += 2;
                    to += length;
                }
                std::memcpy(to, in, 8);
                to += shape.runs[shape.matches];
                in = next;
            }
            produced += to - from;
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
            *to++ = input_[inputPos_++];
            if (++produced % kLzProgressStep == 0)
                report(produced);
        } else {
            if (!Refill(2)) {
                result.inputEnded = true;
                break;
            }
            const uint8_t* const match = input_.data() + inputPos_;
            const unsigned length = MatchLength(match);
            if (capacity >= 0 && produced + length > capacity)
                throw RuntimeError(err::kSubscriptOutOfRange);
            inputPos_ += 2;
            CopyMatch(to, StepsBack(to, match), length);
            to += length;
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
