// Tests of CEncryption: the keystream byte for byte, chunks and progress, round trips and the
// refusal of an empty password.
#include "library/CEncryption.h"
#include "support/TestEnvironment.h"

#include <random>
#include <string>
#include <vector>

namespace vellumo::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The keystream straight from its description, one byte at a time.
Bytes ReferenceEncipher(const std::u16string& password, Bytes data) {
    Bytes key;
    for (char16_t c : password) {
        key.push_back(static_cast<uint8_t>(c & 0xFF));
        key.push_back(static_cast<uint8_t>(c >> 8));
    }
    const size_t last = key.size() - 1;
    size_t j = 0;
    for (auto& b : data) {
        b = static_cast<uint8_t>(b ^ key[j]);
        b = static_cast<uint8_t>(b ^ ((key[j] * j) & 0xFF));
        if (j < last) {
            key[j] = static_cast<uint8_t>(key[j] + key[j + 1]);
            ++j;
        } else {
            key[j] = static_cast<uint8_t>(key[1] + key[j]);
            j = 1;
        }
    }
    return data;
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& b : data)
        b = static_cast<uint8_t>(random());
    return data;
}

std::u16string AsText(const Bytes& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

class CEncryptionTest : public IsolatedTest {
protected:
    std::string PathOf(const std::string& name) const { return (Home() / name).string(); }

    Bytes EncipherFile(const std::string& password, const Bytes& data,
                       std::vector<float>* progress = nullptr) {
        WriteFile(Home() / "in.bin", std::string(data.begin(), data.end()));
        CEncryption cipher;
        cipher.SetInputFileName(PathOf("in.bin"));
        cipher.SetOutputFileName(PathOf("out.bin"));
        cipher.SetPassword(password);
        if (progress != nullptr)
            cipher.OnFileProgress([progress](float value) { progress->push_back(value); });
        EXPECT_TRUE(cipher.EncryptFile());
        const std::string out = ReadFile(Home() / "out.bin");
        return Bytes(out.begin(), out.end());
    }
};

TEST_F(CEncryptionTest, ListedKeystreams) {
    // Key bytes K0, 00, K1, 00 (U = 3): the first four bytes are XORed with K0; 00;
    // K1 XOR (2 x K1 AND 0xFF); 00, and the fifth (j = 1 after the wrap) passes unchanged.
    const uint8_t k0 = 'q', k1 = 'z';
    EXPECT_EQ(EncipherFile("qz", Bytes(5, 0)),
              (Bytes{k0, 0, static_cast<uint8_t>(k1 ^ ((2 * k1) & 0xFF)), 0, 0}));
    // A one-byte file is XORed with K[0].
    EXPECT_EQ(EncipherFile("K", Bytes{0x5A}), Bytes{static_cast<uint8_t>(0x5A ^ 'K')});
}

TEST_F(CEncryptionTest, MatchesTheReferenceKeystreamForManyPasswords) {
    // Short and long passwords (the product K[j] x j is taken modulo 256 at any index), non-ASCII
    // characters, and lengths that end inside a pass and inside a chunk.
    const std::vector<std::pair<std::string, std::u16string>> passwords = {
        {"a", u"a"},
        {"ab", u"ab"},
        {"abc", u"abc"},
        {"secret", u"secret"},
        {"p\xC3\xA4ssw\xC3\xB6rd", u"p\u00E4ssw\u00F6rd"},
        {"\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
        {"\xF0\x9F\x94\x91key", u"\U0001F511key"},
        {"abcdefghijklmnopqrstuvwxyz0123", u"abcdefghijklmnopqrstuvwxyz0123"},
        {std::string(65, 'x'), std::u16string(65, u'x')},
        {std::string(300, '~'), std::u16string(300, u'~')}};
    const Bytes data = RandomBytes(100000, 7);
    for (const auto& [utf8, password] : passwords) {
        const Bytes expected = ReferenceEncipher(password, data);
        EXPECT_EQ(EncipherFile(utf8, data), expected) << password.size();
        CEncryption cipher;
        cipher.SetPassword(utf8);
        for (size_t length : {size_t{0}, size_t{2}, size_t{18}, size_t{8194}, size_t{50000}}) {
            const Bytes part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(cipher.EncryptString(AsText(part)),
                      AsText(ReferenceEncipher(password, part)));
        }
    }
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(CEncryptionTest, EncipheringTwiceRestoresFilesAndTexts) {
    for (size_t size :
         {size_t{0}, size_t{1}, size_t{32767}, size_t{32768}, size_t{32769}, size_t{100001}}) {
        const Bytes data = RandomBytes(size, static_cast<uint32_t>(size));
        EXPECT_EQ(EncipherFile("tw1ce", EncipherFile("tw1ce", data)), data) << size;
    }
    CEncryption cipher;
    cipher.SetPassword("tw1ce");
    const std::u16string text = u"Dear support, my notes are gone \u263A";
    EXPECT_NE(cipher.EncryptString(text), text);
    EXPECT_EQ(cipher.EncryptString(cipher.EncryptString(text)), text);
    EXPECT_EQ(cipher.EncryptString(u""), u"");
}

TEST_F(CEncryptionTest, ProgressFollowsTheChunks) {
    std::vector<float> progress;
    EXPECT_TRUE(EncipherFile("pw", {}, &progress).empty());
    EXPECT_EQ(progress, std::vector<float>{0.0f});

    progress.clear();
    EXPECT_EQ(EncipherFile("pw", Bytes(40000, 1), &progress).size(), 40000u);
    EXPECT_EQ(progress, (std::vector<float>{0.0f, static_cast<float>(32767.0 / 40000.0), 1.0f}));

    progress.clear(); // the last chunk takes the whole remainder: one chunk of 32768
    EncipherFile("pw", Bytes(32768, 1), &progress);
    EXPECT_EQ(progress, (std::vector<float>{0.0f, 1.0f}));
}

TEST_F(CEncryptionTest, FailuresTouchNothing) {
    // An empty password is refused once, before anything is opened.
    WriteFile(Home() / "in.bin", std::string(1000, 'p'));
    WriteFile(Home() / "out.bin", "keep");
    CEncryption cipher;
    cipher.SetInputFileName(PathOf("in.bin"));
    cipher.SetOutputFileName(PathOf("out.bin"));
    bool raised = false;
    cipher.OnFileProgress([&raised](float) { raised = true; });
    EXPECT_FALSE(cipher.EncryptFile());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "EncryptFile");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 5. Invalid procedure call or argument");
    EXPECT_EQ(ReadFile(Home() / "out.bin"), "keep");
    EXPECT_FALSE(raised);

    EXPECT_EQ(cipher.EncryptString(u"plain text"), u"");
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].title, "EncryptString");

    // A missing input fails at its opening, before the output is touched.
    cipher.SetPassword("pw");
    cipher.SetInputFileName(PathOf("missing.bin"));
    EXPECT_FALSE(cipher.EncryptFile());
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[2].title, "EncryptFile");
    EXPECT_EQ(ui_.boxes[2].text, "Error: 53. File not found");
    EXPECT_EQ(ReadFile(Home() / "out.bin"), "keep");

    // An output that leads to the input itself (here through a hard link) is refused before
    // anything is deleted: enciphering in place would lose the file on any failure.
    test::fs::create_hard_link(Home() / "in.bin", Home() / "same.bin");
    cipher.SetInputFileName(PathOf("in.bin"));
    cipher.SetOutputFileName(PathOf("same.bin"));
    EXPECT_FALSE(cipher.EncryptFile());
    ASSERT_EQ(ui_.boxes.size(), 4u);
    EXPECT_EQ(ui_.boxes[3].title, "EncryptFile");
    EXPECT_EQ(ui_.boxes[3].text, "Error: 55. File already open");
    EXPECT_EQ(ReadFile(Home() / "in.bin"), std::string(1000, 'p'));
}

} // namespace
} // namespace vellumo::test
