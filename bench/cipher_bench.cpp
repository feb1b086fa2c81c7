// Enciphering speed of CEncryption::EncryptString for passwords of several lengths, against the
// keystream applied one byte at a time, as the cipher is described (docs/cipher.md).
#include "library/CEncryption.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextCharacters = size_t{8} << 20; // 16 MB of UTF-16LE bytes

std::u16string Text() {
    std::u16string text(kTextCharacters, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(i * 2654435761u);
    return text;
}

std::string Password(int64_t characters) {
    std::string password;
    for (int64_t i = 0; i < characters; ++i)
        password += static_cast<char>('a' + (i * 7) % 26);
    return password;
}

void BM_EncryptString(benchmark::State& state) {
    static const std::u16string text = Text();
    vellumo::CEncryption cipher;
    cipher.SetPassword(Password(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.EncryptString(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_EncryptString)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(12)
    ->Arg(16)
    ->Arg(32)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond);

// The keystream one byte at a time, with the key index and key bytes kept as the description
// keeps them.
void BM_EncryptByteAtATime(benchmark::State& state) {
    std::vector<uint8_t> data(kTextCharacters * 2, 0x5A);
    const std::string password = Password(state.range(0));
    for (auto _ : state) {
        std::vector<uint8_t> key;
        for (char c : password) {
            key.push_back(static_cast<uint8_t>(c));
            key.push_back(0);
        }
        const size_t last = key.size() - 1;
        size_t j = 0;
        for (auto& b : data) {
            b = static_cast<uint8_t>(b ^ key[j] ^ ((key[j] * j) & 0xFF));
            if (j < last) {
                key[j] = static_cast<uint8_t>(key[j] + key[j + 1]);
                ++j;
            } else {
                key[j] = static_cast<uint8_t>(key[1] + key[j]);
                j = 1;
            }
        }
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_EncryptByteAtATime)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
