// Fuzzes vellumo-pack's command line in-process: any arguments over an input file and a password
// file that the input provides, plus round trips through the tool (pack then unpack, encipher
// twice) that must give the file back.
//
// Input: parts separated by a NUL byte: the first is the content of the file "in", the second
// that of the file "pw", every further part one argument (none may hold "/": the files stay in a
// private folder). When the first byte of "in" is odd the round trips run as well. The target
// works in that folder: give it absolute corpus and artifact paths.
#include "PrivateFolder.h"
#include <cstdint>
#include <string>

// The tool's source is compiled into the fuzzer, which calls its entry function.
#define main VellumoPackMain
#include "../tools/pack/main.cpp"
#undef main

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxArguments = 16;
constexpr int kLargestExitStatus = 2; // 0 done, 1 failed, 2 wrong command line

std::string gFolder;

void RemoveFolder() {
    std::error_code ec;
    fs::remove_all(gFolder, ec);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "vellumo-pack");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return VellumoPackMain(static_cast<int>(args.size()), argv.data());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::string pattern = vellumo::fuzz::MakePrivateFolder();
    gFolder = pattern;
    std::atexit(RemoveFolder);
    // The arguments name files relative to the private folder.
    if (chdir(gFolder.c_str()) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t end = input.find('\0', start);
        parts.emplace_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    parts.resize(std::max<size_t>(parts.size(), 2));
    WriteAll("in", parts[0]);
    WriteAll("pw", parts[1]);
    std::vector<std::string> args(parts.begin() + 2, parts.end());
    if (args.size() > kMaxArguments)
        args.resize(kMaxArguments);
    // Only names inside the private folder: the tool replaces its output file.
    for (const auto& arg : args)
        if (arg.find('/') != std::string::npos)
            return -1;

    const int status = RunTool(args);
    if (status < 0 || status > kLargestExitStatus)
        std::abort();

    if (!parts[0].empty() && (static_cast<uint8_t>(parts[0][0]) & 1) != 0) {
        if (RunTool({"--compress", "in", "--out", "packed"}) != 0 ||
            RunTool({"--decompress", "packed", "--out", "back"}) != 0 ||
            ReadAll("back") != parts[0])
            std::abort();
        WriteAll("pw", "secret");
        if (RunTool({"--encipher", "in", "--out", "ciphered", "--password-file", "pw"}) != 0 ||
            RunTool({"--encipher", "ciphered", "--out", "back", "--password-file", "pw"}) != 0 ||
            ReadAll("back") != parts[0])
            std::abort();
    }
    // Whatever the arguments created goes, so that the folder stays small.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(gFolder, ec))
        fs::remove_all(entry.path(), ec);
    return 0;
}
