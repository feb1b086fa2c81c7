// Tests of CLZ: the packed file and packed text byte for byte, identical bytes to the reference
// search on many inputs, progress values, round trips and the failure paths.
#include "library/CLZ.h"
#include "library/LzCodec.h"
#include "library/LzReference.h"
#include "platform/RuntimeError.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vellumo::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kSignature = {0x51, 0x52, 0x4E, 0x4C, 0x5A, 0x31};

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
std::string ToString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Inputs of the kinds the coder meets: random bytes, a few repeated patterns, English-like
// words, random bytes with the low nibble cleared (every position in one of 16 chains), zeros,
// and runs of a small alphabet.
Bytes MakeInput(const std::string& kind, size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    if (kind == "random") {
        for (auto& b : data)
            b = static_cast<uint8_t>(random());
    } else if (kind == "nibble") {
        for (auto& b : data)
            b = static_cast<uint8_t>(random() & 0xF0);
    } else if (kind == "zeros") {
        std::fill(data.begin(), data.end(), 0);
    } else if (kind == "alphabet") {
        for (auto& b : data)
            b = static_cast<uint8_t>('a' + random() % 3);
    } else if (kind == "repetitive") {
        const std::string pattern = "abcabcabd" + std::to_string(seed) + "xyz\r\n";
        for (size_t i = 0; i < size; ++i)
            data[i] =
                static_cast<uint8_t>(random() % 50 == 0 ? random() : pattern[i % pattern.size()]);
    } else { // words
        static const char* words[] = {"the ",      "packed ",  "file ",     "of ",   "a ",
                                      "customer ", "support ", "and ",      "text ", "window ",
                                      "match ",    "\r\n",     "position ", "is "};
        size_t i = 0;
        while (i < size) {
            for (const char* c = words[random() % 14]; *c != 0 && i < size; ++c)
                data[i++] = static_cast<uint8_t>(*c);
        }
    }
    return data;
}

std::u16string AsText(const Bytes& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

Bytes ReferenceStream(const Bytes& data, std::vector<float>* progress = nullptr) {
    auto packer = std::make_unique<lzref::ReferencePacker>();
    return packer->Pack(data, progress);
}

class CLZTest : public IsolatedTest {
protected:
    std::string PathOf(const std::string& name) const { return (Home() / name).string(); }

    // Packs the bytes as a file and returns the packed file.
    Bytes PackFile(const Bytes& data, std::vector<float>* progress = nullptr) {
        WriteFile(Home() / "in.bin", ToString(data));
        CLZ lz;
        lz.SetInputFileName(PathOf("in.bin"));
        lz.SetOutputFileName(PathOf("packed.lz"));
        if (progress != nullptr)
            lz.OnFileProgress([progress](float value) { progress->push_back(value); });
        EXPECT_TRUE(lz.Compress());
        return ToBytes(ReadFile(Home() / "packed.lz"));
    }

    Bytes UnpackFile(const Bytes& packed, bool expectSuccess = true,
                     std::vector<float>* progress = nullptr) {
        WriteFile(Home() / "packed.lz", ToString(packed));
        CLZ lz;
        lz.SetInputFileName(PathOf("packed.lz"));
        lz.SetOutputFileName(PathOf("out.bin"));
        if (progress != nullptr)
            lz.OnFileProgress([progress](float value) { progress->push_back(value); });
        EXPECT_EQ(lz.Decompress(), expectSuccess);
        return ToBytes(ReadFile(Home() / "out.bin"));
    }
};

// --- The listed byte sequences ------------------------------------------------------------

TEST_F(CLZTest, ListedByteSequences) {
    // Empty file: the header and one zero flag byte.
    EXPECT_EQ(PackFile({}), Concat({kSignature, {0, 0, 0, 0}, {0}}));
    EXPECT_TRUE(UnpackFile(PackFile({})).empty());
    // Twenty 0x61: a literal, a match at position 0 of 18 bytes, and a literal (the last byte
    // finds no chain because the byte after it in the window is still a space).
    const Bytes twenty = PackFile(Bytes(20, 0x61));
    EXPECT_EQ(twenty, Concat({kSignature, {0x14, 0, 0, 0}, {0x05, 0x61, 0x00, 0x0F, 0x61}}));
    EXPECT_EQ(UnpackFile(twenty), Bytes(20, 0x61));
    // A match may start one byte behind the coding position and repeat it.
    EXPECT_EQ(PackFile(Bytes(4, 0x61)),
              Concat({kSignature, {4, 0, 0, 0}, {0x01, 0x61, 0x00, 0x00}}));

    CLZ lz;
    EXPECT_EQ(lz.CompressString(u"ab"),
              Concat({kSignature, {0x00, 0x00, 0x00, 0x03}, {0x07, 0x61, 0x00, 0x62}, {0x00}}));
    EXPECT_EQ(lz.DecompressString(lz.CompressString(u"ab")), u"ab");
    EXPECT_EQ(lz.CompressString(u""),
              Concat({kSignature, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00}, {0x00}}));
    EXPECT_EQ(lz.DecompressString(lz.CompressString(u"")), u"");
    // 26 letters: 51 coded bytes (the zero last byte is left out), all literals, 7 flag bytes;
    // the packed text outgrows its starting size.
    const std::u16string letters = u"abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(lz.CompressString(letters).size(), 10u + 51u + 7u + 1u);
    EXPECT_EQ(lz.DecompressString(lz.CompressString(letters)), letters);
    EXPECT_TRUE(ui_.boxes.empty());
}

// --- The packed text keeps the last character's high byte ---------------------------------

TEST_F(CLZTest, TextEndingAboveU00FFComesBackWhole) {
    CLZ lz;
    for (const std::u16string& text :
         {std::u16string(u"\u20AC"), std::u16string(u"price 10\u20AC"),
          std::u16string(u"\u0100\u0101\u0102"), std::u16string(500, u'\u4E2D')}) {
        const Bytes packed = lz.CompressString(text);
        const int32_t count = (packed[6] << 24) | (packed[7] << 16) | (packed[8] << 8) | packed[9];
        EXPECT_EQ(count, static_cast<int32_t>(text.size() * 2 - 1)); // the count field is unchanged
        EXPECT_EQ(lz.DecompressString(packed), text);
    }
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(CLZTest, OlderPackedTextsStillRead) {
    // The older form codes bytes 0 to U - 1 only; its last character comes back with a zero high
    // byte, as it always did.
    CLZ lz;
    const Bytes data = {'c', 0, 'a', 0, 'f', 0, 0xE9, 0, ' ', 0, 0xAC, 0x20};
    const std::u16string text = AsText(data); // "café €"
    const Bytes coded(data.begin(), data.end() - 1);
    const Bytes older = Concat({kSignature,
                                {0, 0, 0, static_cast<uint8_t>(data.size() - 1)},
                                ReferenceStream(coded),
                                {0}});
    std::u16string expected = text;
    expected.back() = static_cast<char16_t>(expected.back() & 0xFF);
    EXPECT_EQ(lz.DecompressString(older), expected);

    // And an older reader (decoding U bytes into U + 1) reads the new form.
    const Bytes packed = lz.CompressString(text);
    bool ended = false;
    const Bytes read = lzref::ReferenceUnpack(
        std::span(packed).subspan(10), static_cast<int64_t>(data.size() - 1), nullptr, &ended);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(std::equal(coded.begin(), coded.end(), read.begin()));
}

// --- Identical bytes to the reference search ----------------------------------------------

TEST_F(CLZTest, StreamMatchesTheReferenceSearch) {
    // Every kind at the sizes around the lookahead and the ring, then inputs that switch kinds
    // (chains empty, refill and get cut by full matches; a small alphabet gives many equally
    // long candidates, where the newest must win), packed as texts.
    auto packer = std::make_unique<lzref::ReferencePacker>();
    static const char* kinds[] = {"random", "nibble", "zeros", "alphabet", "repetitive", "words"};
    uint32_t seed = 1;
    for (const char* kind : kinds) {
        for (size_t size : {0, 1, 2, 3, 17, 18, 19, 20, 4095, 4096, 4097, 8192 + 18, 70000}) {
            const Bytes data = MakeInput(kind, size, seed++);
            const Bytes packed = PackFile(data);
            EXPECT_EQ(Bytes(packed.begin() + 10, packed.end()), packer->Pack(data))
                << kind << " " << size;
            EXPECT_EQ(UnpackFile(packed), data) << kind << " " << size;
        }
    }
    std::mt19937 random(20240607);
    CLZ lz;
    for (int round = 0; round < 60; ++round) {
        Bytes data;
        const size_t target = random() % 30000;
        while (data.size() < target) {
            const Bytes part = MakeInput(kinds[random() % 6], random() % 3000, random());
            data.insert(data.end(), part.begin(), part.end());
        }
        data.resize(data.size() / 2 * 2);
        const std::u16string text = AsText(data);
        if (!data.empty() && data.back() == 0)
            data.pop_back(); // the zero last byte is not coded
        const Bytes packed = lz.CompressString(text);
        EXPECT_EQ(Bytes(packed.begin() + 10, packed.end() - 1), packer->Pack(data))
            << "round " << round;
        EXPECT_EQ(lz.DecompressString(packed), text) << "round " << round;
    }
}

// Packs `data` with the coder, the source handing out at most `piece` bytes a call (and only
// `available` bytes in all), and returns the stream; `progress` gets every value.
Bytes PackInPieces(const Bytes& data, size_t piece, size_t available,
                   std::vector<float>* progress = nullptr) {
    detail::LzPacker packer;
    Bytes stream;
    size_t position = 0;
    packer.Pack(
        data.size(),
        [&](uint8_t* destination, size_t count) {
            const size_t n = std::min({count, piece, available - position});
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(position), n, destination);
            position += n;
            return n;
        },
        [&stream](const uint8_t* bytes, size_t count) {
            stream.insert(stream.end(), bytes, bytes + count);
        },
        [progress](float value) {
            if (progress != nullptr)
                progress->push_back(value);
        });
    return stream;
}

TEST_F(CLZTest, StreamMatchesTheReferenceAcrossTheCodersBlocks) {
    // The coder reads 64 KiB at a time, links positions 4096 ahead and renews its hash heads
    // every 32768 positions; runs, full matches (and what they take out of the search) and a
    // source that hands out odd pieces must not change a byte anywhere near those edges.
    auto reference = std::make_unique<lzref::ReferencePacker>();
    Bytes data;
    uint32_t seed = 7;
    for (const char* kind : {"zeros", "words", "nibble", "repetitive", "alphabet", "zeros",
                             "random", "words", "alphabet", "repetitive"})
        for (const Bytes& part : {MakeInput(kind, 23000, seed++), Bytes(300, 'x')})
            data.insert(data.end(), part.begin(), part.end());
    std::vector<float> expected;
    const Bytes want = reference->Pack(data, &expected);
    for (size_t piece : {size_t{1} << 20, size_t{37}, size_t{1}}) {
        std::vector<float> progress;
        EXPECT_EQ(PackInPieces(data, piece, data.size(), &progress), want) << piece;
        EXPECT_EQ(progress, expected) << piece;
    }
}

TEST_F(CLZTest, PackingASourceThatEndsEarlyFailsWhereTheByteIsMissing) {
    // The reference coder reads the byte 18 positions ahead of each position it codes, so it
    // fails at the position whose byte is missing, after raising progress for the bytes it had.
    const Bytes data = MakeInput("words", 20000, 9);
    for (size_t available : {size_t{0}, size_t{17}, size_t{18}, size_t{8192}, size_t{19999}}) {
        std::vector<float> progress;
        try {
            PackInPieces(data, 1000, available, &progress);
            ADD_FAILURE() << available;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), err::kInputPastEndOfFile) << available;
        }
        std::vector<int64_t> read;
        for (float value : progress)
            read.push_back(std::llround(value * static_cast<double>(data.size())));
        // Every multiple of 4096 read before the failure, once or twice, in order.
        std::vector<int64_t> multiples;
        for (int64_t multiple = 4096; multiple <= static_cast<int64_t>(available); multiple += 4096)
            multiples.push_back(multiple);
        const auto last = std::unique(read.begin(), read.end());
        EXPECT_EQ(std::vector<int64_t>(read.begin(), last), multiples) << available;
    }
    // A length the packed file cannot describe is refused before anything is read.
    detail::LzPacker packer;
    try {
        packer.Pack(
            uint64_t{1} << 31, [](uint8_t*, size_t) -> size_t { throw 1; },
            [](const uint8_t*, size_t) {}, {});
        ADD_FAILURE();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), err::kOverflow);
    }
}

// --- Progress -------------------------------------------------------------------------------

TEST_F(CLZTest, PackingProgressOfTenThousandBytes) {
    std::vector<float> progress;
    PackFile(MakeInput("words", 10000, 3), &progress);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 1.0f);
    progress.pop_back();
    EXPECT_NE(std::find(progress.begin(), progress.end(), 0.4096f), progress.end());
    EXPECT_NE(std::find(progress.begin(), progress.end(), 0.8192f), progress.end());
    for (float value : progress)
        EXPECT_TRUE(value == 0.4096f || value == 0.8192f) << value;
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(CLZTest, ProgressValuesAndOrderMatchTheReferenceOnes) {
    // A length that is a multiple of 4096 raises 1 at every position after the input is read.
    for (const auto& [kind, size] :
         std::vector<std::pair<std::string, size_t>>{{"random", 8192},
                                                     {"zeros", 12288},
                                                     {"words", 20000},
                                                     {"repetitive", 4096},
                                                     {"alphabet", 4100}}) {
        const Bytes data = MakeInput(kind, size, 11);
        std::vector<float> expected;
        ReferenceStream(data, &expected);
        expected.push_back(1.0f);
        std::vector<float> packing;
        const Bytes packed = PackFile(data, &packing);
        EXPECT_EQ(packing, expected) << kind << " " << size;

        std::vector<float> expectedUnpacking;
        lzref::ReferenceUnpack(std::span(packed).subspan(10), static_cast<int64_t>(size),
                               &expectedUnpacking);
        expectedUnpacking.push_back(1.0f);
        std::vector<float> unpacking;
        EXPECT_EQ(UnpackFile(packed, true, &unpacking), data);
        EXPECT_EQ(unpacking, expectedUnpacking) << kind << " " << size;
    }
    // A packed text counts its coded bytes: 5000 characters, 9999 coded bytes.
    CLZ lz;
    std::vector<float> progress;
    lz.OnFileProgress([&progress](float value) { progress.push_back(value); });
    Bytes data(10000, 'x');
    for (size_t i = 1; i < data.size(); i += 2)
        data[i] = 0;
    const Bytes packed = lz.CompressString(AsText(data));
    data.pop_back();
    std::vector<float> expected;
    ReferenceStream(data, &expected);
    expected.push_back(1.0f);
    EXPECT_EQ(progress, expected);
    EXPECT_EQ(expected.front(), static_cast<float>(4096.0 / 9999.0));
}

// --- Round trips ----------------------------------------------------------------------------

TEST_F(CLZTest, RoundTripsOfManySizes) {
    CLZ lz;
    for (size_t size : {size_t{0}, size_t{1}, size_t{17}, size_t{18}, size_t{19}, size_t{4095},
                        size_t{4096}, size_t{4097}, size_t{1} << 20}) {
        for (const std::string kind : {"random", "repetitive"}) {
            const Bytes data = MakeInput(kind, size, static_cast<uint32_t>(size));
            EXPECT_EQ(UnpackFile(PackFile(data)), data) << kind << " " << size;
            const std::u16string text = AsText(Concat({data, data}));
            EXPECT_EQ(lz.DecompressString(lz.CompressString(text)), text) << kind << " " << size;
        }
    }
    EXPECT_TRUE(ui_.boxes.empty());
}

// --- Failures -------------------------------------------------------------------------------

TEST_F(CLZTest, MissingInputFailsBeforeTheOutputIsTouched) {
    WriteFile(Home() / "out.bin", "keep");
    for (bool packing : {true, false}) {
        ui_.boxes.clear();
        CLZ lz;
        lz.SetInputFileName(PathOf("missing.bin"));
        lz.SetOutputFileName(PathOf("out.bin"));
        EXPECT_FALSE(packing ? lz.Compress() : lz.Decompress());
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].title, packing ? "Compress" : "Decompress");
        EXPECT_EQ(ui_.boxes[0].text, "Error: 53. File not found");
        EXPECT_EQ(ReadFile(Home() / "out.bin"), "keep");
    }
    ui_.boxes.clear();
    CLZ lz;
    lz.SetInputFileName(PathOf("out.bin"));
    lz.SetOutputFileName(PathOf("no/such/folder/out.lz"));
    EXPECT_FALSE(lz.Compress());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error: 76. Path not found");
}

TEST_F(CLZTest, OutputThatIsTheInputIsRefusedAndTheInputKept) {
    const std::string original = "the only copy of a customer's notes";
    WriteFile(Home() / "notes.txt", original);
    test::fs::create_directories(Home() / "sub");
    test::fs::create_hard_link(Home() / "notes.txt", Home() / "hard-link.txt");
    std::vector<std::string> sameFile = {PathOf("notes.txt"),
                                         (Home() / "sub" / ".." / "notes.txt").string(),
                                         PathOf("hard-link.txt")};
    std::error_code ec;
    test::fs::create_symlink(Home() / "notes.txt", Home() / "symlink.txt", ec);
    if (!ec)
        sameFile.push_back(PathOf("symlink.txt"));
    for (const std::string& output : sameFile) {
        for (bool packing : {true, false}) {
            ui_.boxes.clear();
            CLZ lz;
            lz.SetInputFileName(PathOf("notes.txt"));
            lz.SetOutputFileName(output);
            EXPECT_FALSE(packing ? lz.Compress() : lz.Decompress()) << output;
            ASSERT_EQ(ui_.boxes.size(), 1u) << output;
            EXPECT_EQ(ui_.boxes[0].title, packing ? "Compress" : "Decompress");
            EXPECT_EQ(ui_.boxes[0].text, "Error: 55. File already open");
            EXPECT_EQ(ReadFile(Home() / "notes.txt"), original) << output;
        }
    }
    // Another file of the same content is another file.
    WriteFile(Home() / "copy.txt", original);
    CLZ lz;
    lz.SetInputFileName(PathOf("notes.txt"));
    lz.SetOutputFileName(PathOf("copy.txt"));
    EXPECT_TRUE(lz.Compress());
}

TEST_F(CLZTest, FileThatIsNotPackedLeavesAnEmptyOutputSilently) {
    std::vector<float> progress;
    EXPECT_TRUE(UnpackFile(ToBytes("QRNLZ2 this is not packed"), false, &progress).empty());
    EXPECT_TRUE(UnpackFile(ToBytes("QRN"), false, &progress).empty());
    EXPECT_TRUE(progress.empty());
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(CLZTest, TruncatedPackedFileStopsAtTheEndOfItsInput) {
    const Bytes data = MakeInput("words", 50000, 5);
    const Bytes packed = PackFile(data);
    const Bytes cut(packed.begin(),
                    packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
    const Bytes out = UnpackFile(cut, false);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "Decompress");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 62. Input past end of file");
    // What was produced stays, and it is the start of the data.
    EXPECT_GT(out.size(), 0u);
    EXPECT_LT(out.size(), data.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));

    // A header claiming 2 GB followed by a few bytes writes a few bytes, not gigabytes.
    ui_.boxes.clear();
    const Bytes claim = Concat({kSignature, {0xFF, 0xFF, 0xFF, 0x7F}, {0x00, 0x00, 0x00}});
    EXPECT_LE(UnpackFile(claim, false).size(), 18u);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    // A header cut inside its length field is truncated too.
    EXPECT_TRUE(UnpackFile(Concat({kSignature, {0x10}}), false).empty());

    // A length that packing never stores (above 2^31 - 1) is damage, not an empty file.
    for (const Bytes& length : {Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0x00, 0x00, 0x00, 0x80}}) {
        ui_.boxes.clear();
        EXPECT_TRUE(UnpackFile(Concat({kSignature, length, {0x01, 0x61}}), false).empty());
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].title, "Decompress");
        EXPECT_EQ(ui_.boxes[0].text, "Error: 9. Subscript out of range");
    }
}

TEST_F(CLZTest, FileOfTwoGigabytesCannotBeDescribed) {
    // A sparse file: no disk space is used.
    std::filesystem::path big = Home() / "big.bin";
    { std::ofstream touch(big); }
    std::filesystem::resize_file(big, uint64_t{1} << 31);
    WriteFile(Home() / "out.lz", "keep");
    CLZ lz;
    lz.SetInputFileName(big.string());
    lz.SetOutputFileName(PathOf("out.lz"));
    EXPECT_FALSE(lz.Compress());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error: 6. Overflow");
    EXPECT_EQ(ReadFile(Home() / "out.lz"), "keep");
}

TEST_F(CLZTest, DamagedPackedTextsGiveTheEmptyText) {
    CLZ lz;
    std::vector<float> progress;
    lz.OnFileProgress([&progress](float value) { progress.push_back(value); });
    // Too short or not packed: no message, no event.
    EXPECT_EQ(lz.DecompressString(Concat({kSignature, {0, 0, 0, 3}, {0x07}})), u"");
    EXPECT_EQ(lz.DecompressString(
                  Concat({{'Q', 'R', 'N', 'L', 'Z', '0'}, {0, 0, 0, 3}, {7, 'a', 0, 'b'}, {0}})),
              u"");
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(progress.empty());

    const std::vector<Bytes> damaged = {
        Concat({kSignature, {0xFF, 0xFF, 0xFF, 0xFE}, {0x00, 0x00}}),       // count below -1
        Concat({kSignature, {0x7F, 0xFF, 0xFF, 0xFF}, Bytes(10, 0xFF)}),    // 2 GB from 10 bytes
        Concat({kSignature, {0x00, 0x00, 0x00, 0x09}, {0x07, 0x61, 0x00}}), // ends early
        Concat({kSignature, {0x00, 0x00, 0x00, 0x03}, {0x00, 0x00, 0x0F}}), // 18 bytes into 4
    };
    for (const Bytes& packed : damaged) {
        ui_.boxes.clear();
        EXPECT_EQ(lz.DecompressString(packed), u"");
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].title, "DecompressString");
        EXPECT_EQ(ui_.boxes[0].text, "Error: 9. Subscript out of range");
    }
}

TEST_F(CLZTest, ACraftedStreamDecodesTheSameEveryTime) {
    // A match into ring bytes that were never written reads the spaces the ring starts with,
    // not what an earlier operation of the object left there.
    CLZ lz;
    const Bytes crafted =
        Concat({kSignature, {0x00, 0x00, 0x00, 0x03}, {0x00, 0x10, 0x01}, {0x00}});
    EXPECT_EQ(lz.DecompressString(crafted), u"\u2020\u2020");
    (void)lz.DecompressString(lz.CompressString(std::u16string(3000, u'Z')));
    EXPECT_EQ(lz.DecompressString(crafted), u"\u2020\u2020");
}

} // namespace
} // namespace vellumo::test
