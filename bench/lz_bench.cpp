// Packing and unpacking speed of the LZ coder on English text, an executable, random bytes,
// zeros and a pathological input, against the straightforward transcription of the reference
// search; the inputs are checked for identical bytes before anything is timed.
#include "library/CLZ.h"
#include "library/LzCodec.h"
#include "library/LzReference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr size_t kInputSize = size_t{1} << 20;

Bytes ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Repeat(const Bytes& source, size_t size) {
    Bytes data;
    while (!source.empty() && data.size() < size)
        data.insert(data.end(), source.begin(), source.end());
    data.resize(size);
    return data;
}

// English text: the licence texts every Debian system carries; generated words elsewhere.
Bytes EnglishText() {
    Bytes text;
    const fs::path folder = "/usr/share/common-licenses";
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const Bytes part = ReadWhole(file);
        text.insert(text.end(), part.begin(), part.end());
    }
    if (text.empty()) {
        std::mt19937 random(1);
        static const char* words[] = {"the ",  "of ", "and ",     "to ",        "a ",    "in ",
                                      "that ", "is ", "program ", "license ",   "work ", "any ",
                                      "you ",  "or ", "this ",    "software.\n"};
        while (text.size() < kInputSize)
            for (const char* c = words[random() % 16]; *c != 0; ++c)
                text.push_back(static_cast<uint8_t>(*c));
    }
    return Repeat(text, kInputSize);
}

// An executable: this benchmark program itself.
Bytes Executable() {
    return Repeat(ReadWhole("/proc/self/exe"), kInputSize);
}

Bytes RandomBytes(uint8_t mask) {
    std::mt19937 random(42);
    Bytes data(kInputSize);
    for (auto& b : data)
        b = static_cast<uint8_t>(random() & mask);
    return data;
}

const std::map<std::string, Bytes>& Inputs() {
    static const std::map<std::string, Bytes> inputs = {
        {"text", EnglishText()},
        {"executable", Executable()},
        {"random", RandomBytes(0xFF)},
        {"zeros", Bytes(kInputSize, 0)},
        // Low nibble cleared: every position falls into one of 16 chains of the 12-bit chain key.
        {"pathological", RandomBytes(0xF0)},
    };
    return inputs;
}

Bytes FastPack(vellumo::detail::LzPacker& packer, const Bytes& data) {
    Bytes out;
    out.reserve(data.size() + data.size() / 8 + 16);
    size_t position = 0;
    packer.Pack(
        data.size(),
        [&](uint8_t* destination, size_t count) {
            const size_t n = std::min(count, data.size() - position);
            std::memcpy(destination, data.data() + position, n);
            position += n;
            return n;
        },
        [&](const uint8_t* bytes, size_t count) { out.insert(out.end(), bytes, bytes + count); },
        {});
    return out;
}

const Bytes& Packed(const std::string& name) {
    static std::map<std::string, Bytes> packed;
    auto it = packed.find(name);
    if (it == packed.end()) {
        auto packer = std::make_unique<vellumo::detail::LzPacker>();
        it = packed.emplace(name, FastPack(*packer, Inputs().at(name))).first;
    }
    return it->second;
}

// Identical bytes before any timing: the fast coder against the reference transcription.
void CheckIdentical(const std::string& name) {
    static std::map<std::string, bool> checked;
    if (checked[name])
        return;
    auto reference = std::make_unique<vellumo::test::lzref::ReferencePacker>();
    if (reference->Pack(Inputs().at(name)) != Packed(name)) {
        std::fprintf(stderr, "%s: the fast coder's bytes differ from the reference search\n",
                     name.c_str());
        std::abort();
    }
    checked[name] = true;
}

void BM_Pack(benchmark::State& state, const std::string& name) {
    CheckIdentical(name);
    const Bytes& data = Inputs().at(name);
    auto packer = std::make_unique<vellumo::detail::LzPacker>();
    for (auto _ : state)
        benchmark::DoNotOptimize(FastPack(*packer, data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.counters["ratio"] =
        static_cast<double>(Packed(name).size()) / static_cast<double>(data.size());
}

void BM_PackReference(benchmark::State& state, const std::string& name) {
    const Bytes& data = Inputs().at(name);
    auto reference = std::make_unique<vellumo::test::lzref::ReferencePacker>();
    for (auto _ : state)
        benchmark::DoNotOptimize(reference->Pack(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_Unpack(benchmark::State& state, const std::string& name) {
    const Bytes& data = Inputs().at(name);
    const Bytes& packed = Packed(name);
    auto unpacker = std::make_unique<vellumo::detail::LzUnpacker>();
    Bytes out(data.size());
    for (auto _ : state) {
        size_t in = 0;
        size_t written = 0;
        unpacker->Unpack(
            static_cast<int64_t>(data.size()), static_cast<int64_t>(data.size()), -1,
            [&](uint8_t* destination, size_t count) {
                const size_t n = std::min(count, packed.size() - in);
                std::memcpy(destination, packed.data() + in, n);
                in += n;
                return n;
            },
            [&](const uint8_t* bytes, size_t count) {
                std::memcpy(out.data() + written, bytes, count);
                written += count;
            },
            {});
        benchmark::DoNotOptimize(out.data());
    }
    if (out != data)
        state.SkipWithError("unpacked bytes differ");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_UnpackReference(benchmark::State& state, const std::string& name) {
    const Bytes& data = Inputs().at(name);
    const Bytes& packed = Packed(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            vellumo::test::lzref::ReferenceUnpack(packed, static_cast<int64_t>(data.size())));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

// The public text operations, conversions included.
void BM_DecompressString(benchmark::State& state) {
    const Bytes& data = Inputs().at("text");
    std::u16string text(data.size(), u'\0');
    for (size_t i = 0; i < data.size(); ++i)
        text[i] = data[i];
    vellumo::CLZ lz;
    const vellumo::ByteArray packed = lz.CompressString(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(lz.DecompressString(packed));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}

const int kRegistered = [] {
    for (const char* name : {"text", "executable", "random", "zeros", "pathological"}) {
        const std::string input = name;
        benchmark::RegisterBenchmark(("Pack/" + input).c_str(), BM_Pack, input)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PackReference/" + input).c_str(), BM_PackReference, input)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Unpack/" + input).c_str(), BM_Unpack, input)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("UnpackReference/" + input).c_str(), BM_UnpackReference,
                                     input)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("DecompressString/text", BM_DecompressString)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

} // namespace
