// vellumo-pack's operations.
#include "PackJob.h"

#include "PackFiles.h"
#include "library/KeyStream.h"
#include "library/LzCodec.h"
#include "platform/CodePage.h"
#include "platform/RuntimeError.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace vellumo::pack {
namespace {

// The packed file: "QRNLZ1", the unpacked length as 32-bit little-endian, the coded stream
// (docs/packed-format.md).
constexpr std::array<uint8_t, 6> kSignature = {'Q', 'R', 'N', 'L', 'Z', '1'};
constexpr size_t kHeaderBytes = kSignature.size() + 4;
constexpr uint64_t kLargestPackable = std::numeric_limits<int32_t>::max();
constexpr size_t kCipherChunk = 64 * 1024;
// A password is one line; a first line longer than this is not a password file (a device such as
// /dev/zero, a binary file) and is refused without reading further.
constexpr size_t kLongestPasswordLine = 64 * 1024;

detail::LzSource SourceOf(InputFile& input) {
    return [&input](uint8_t* destination, size_t count) { return input.Read(destination, count); };
}

detail::LzSink SinkOf(OutputFile& output) {
    return [&output](const uint8_t* bytes, size_t count) { output.Write(bytes, count); };
}

detail::LzProgress ProgressOf(ProgressDisplay& progress) {
    return [&progress](float fraction) { progress.Show(fraction); };
}

void Compress(const Request& request, ProgressDisplay& progress) {
    InputFile input(request.input);
    if (input.Length() > kLargestPackable)
        throw Failure{"cannot pack " + request.input + ": " +
                      Numbered("a packed file holds less than 2 GiB", err::kOverflow)};
    RefuseOutputOverInput(request.input, request.output);
    OutputFile output(request.output);
    std::array<uint8_t, kHeaderBytes> header{};
    std::memcpy(header.data(), kSignature.data(), kSignature.size());
    for (size_t i = 0; i < 4; ++i)
        header[kSignature.size() + i] = static_cast<uint8_t>(input.Length() >> (8 * i));
    output.Write(header.data(), header.size());
    auto packer = std::make_unique<detail::LzPacker>();
    packer->Pack(input.Length(), SourceOf(input), SinkOf(output), ProgressOf(progress));
    progress.Show(1.0f);
    output.Commit();
}

void Decompress(const Request& request, ProgressDisplay& progress) {
    InputFile input(request.input);
    RefuseOutputOverInput(request.input, request.output);
    std::array<uint8_t, kHeaderBytes> header{};
    const size_t headerRead = input.Read(header.data(), header.size());
    if (headerRead < kSignature.size() ||
        std::memcmp(header.data(), kSignature.data(), kSignature.size()) != 0)
        throw Failure{request.input + " is not a packed file"};
    const std::string damaged = request.input +
                                " is damaged: it ends before all its bytes are unpacked: " +
                                Numbered("Input past end of file", err::kInputPastEndOfFile);
    if (headerRead < kHeaderBytes)
        throw Failure{damaged};
    uint32_t length = 0;
    for (size_t i = 0; i < 4; ++i)
        length |= static_cast<uint32_t>(header[kSignature.size() + i]) << (8 * i);
    const auto storedLength = static_cast<int32_t>(length);
    // Packing never stores a length above 2^31 - 1: a negative one (such as FF FF FF FF) is a
    // damaged file, not an empty one.
    if (storedLength < 0)
        throw Failure{request.input + " is damaged: its stored length " + std::to_string(length) +
                      " is beyond what a packed file can hold: " +
                      Numbered("Subscript out of range", err::kSubscriptOutOfRange)};
    OutputFile output(request.output);
    auto unpacker = std::make_unique<detail::LzUnpacker>();
    const detail::LzUnpackResult result = unpacker->Unpack(
        storedLength, storedLength, -1, SourceOf(input), SinkOf(output), ProgressOf(progress));
    if (result.inputEnded)
        throw Failure{damaged};
    progress.Show(1.0f);
    output.Commit();
}

// The first line of the password file, read no further than its end, in UTF-8.
std::string ReadPassword(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec))
        throw Failure{"the password file " + path + " is a folder"};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file)
        throw Failure{"cannot read the password file " + path + ": " + std::strerror(errno)};
    std::string line;
    std::array<char, 4096> buffer{};
    for (;;) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        const std::string_view chunk(buffer.data(), n);
        const size_t end = chunk.find_first_of("\r\n");
        line.append(chunk.substr(0, end));
        if (line.size() > kLongestPasswordLine)
            throw Failure{"the first line of the password file " + path + " is longer than " +
                          std::to_string(kLongestPasswordLine) + " bytes"};
        if (end != std::string_view::npos)
            break;
        if (n < buffer.size()) {
            if (std::ferror(file.get()))
                throw Failure{"cannot read the password file " + path + ": " +
                              std::strerror(errno)};
            break;
        }
    }
    if (line.empty())
        throw Failure{"the password file " + path + " holds no password"};
    return FromAnsi(line); // the password is typed in the locale's character set
}

void Encipher(const Request& request, ProgressDisplay& progress) {
    const std::string password = ReadPassword(request.passwordFile);
    InputFile input(request.input);
    RefuseOutputOverInput(request.input, request.output);
    OutputFile output(request.output);
    auto stream = std::make_unique<detail::KeyStream>(password);
    std::vector<uint8_t> chunk(kCipherChunk);
    const uint64_t total = input.Length();
    uint64_t done = 0;
    progress.Show(0.0f);
    for (;;) {
        const size_t n = input.Read(chunk.data(), chunk.size());
        if (n == 0)
            break;
        stream->Apply(chunk.data(), n);
        output.Write(chunk.data(), n);
        done += n;
        progress.Show(static_cast<float>(static_cast<double>(done) / static_cast<double>(total)));
    }
    progress.Show(1.0f);
    output.Commit();
}

} // namespace

int RunRequest(const Request& request, ProgressDisplay& progress) {
    try {
        switch (request.operation) {
        case Operation::kCompress:
            Compress(request, progress);
            break;
        case Operation::kDecompress:
            Decompress(request, progress);
            break;
        case Operation::kEncipher:
            Encipher(request, progress);
            break;
        }
        progress.Finish();
        return kExitSuccess;
    } catch (const Failure& failure) {
        progress.Finish();
        std::fprintf(stderr, "vellumo-pack: %s\n", failure.message.c_str());
    } catch (const RuntimeError& error) {
        // The coder's own: an input that ends before its length (it changed while being read).
        progress.Finish();
        std::fprintf(stderr, "vellumo-pack: %s: %s\n", request.input.c_str(),
                     Numbered(error.Description(), error.Number()).c_str());
    }
    return kExitFailed;
}

} // namespace vellumo::pack
