// Fuzzes vellumo-reg's command line in-process: any arguments and any answer on standard input,
// against a store in a private XDG_CONFIG_HOME that earlier commands of the same input filled.
//
// Input: commands separated by a line holding only "--"; in each, the first line is what standard
// input holds and every further line is one argument.
// The tool's sources are compiled into the fuzzer, which drives its entry function.
#include "../tools/reg/RegData.cpp"
#include "../tools/reg/RegTool.cpp"
#include "platform/RegistryApi.h"
#include "support/RecordingUi.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr size_t kMaxCommands = 8;
constexpr size_t kMaxArguments = 24;
constexpr uint32_t kKeyNameBuffer = 1024;
constexpr int64_t kRoots[] = {-2147483647LL - 1, -2147483647LL, -2147483646LL, -2147483645LL,
                              -2147483643LL};

struct Fixture {
    std::string home;
    ui::RecordingUi ui;
};
Fixture* gFixture = nullptr;

void RemoveHome() {
    if (gFixture != nullptr) {
        std::error_code ec;
        fs::remove_all(gFixture->home, ec);
    }
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + separator.size();
    }
}

// Removes what the commands left: every key below each root, and the roots' own values.
void DeleteTree(regapi::RegKey root, const std::string& path) {
    regapi::RegKey key = 0;
    if (regapi::OpenKey(root, path, regapi::KEY_ALL_ACCESS, key) != regapi::kSuccess)
        return;
    std::vector<std::string> subKeys;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (regapi::EnumKey(key, i, name, kKeyNameBuffer) != regapi::kSuccess)
            break;
        subKeys.push_back(name.c_str());
    }
    if (path.empty()) {
        std::vector<std::string> names;
        for (uint32_t i = 0;; ++i) {
            std::string name;
            uint32_t length = kKeyNameBuffer;
            if (regapi::EnumValue(key, i, name, length) != regapi::kSuccess)
                break;
            names.push_back(name.substr(0, length));
        }
        for (const auto& name : names)
            regapi::DeleteValue(key, name);
    }
    regapi::CloseKey(key);
    for (const auto& sub : subKeys)
        DeleteTree(root, path.empty() ? sub : path + "\\" + sub);
    if (!path.empty() && regapi::DeleteKey(root, path) != regapi::kSuccess)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    static Fixture fixture;
    const char* base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/vellumo-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    fixture.home = pattern;
    fs::create_directories(fixture.home + "/.config");
    setenv("HOME", fixture.home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (fixture.home + "/.config").c_str(), 1);
    gFixture = &fixture;
    std::atexit(RemoveHome);
    ui::SetUi(&fixture.ui);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> commands = Split(input, "\n--\n");
    if (commands.size() > kMaxCommands)
        commands.resize(kMaxCommands);
    for (const auto& command : commands) {
        std::vector<std::string> lines = Split(command, "\n");
        std::istringstream in(lines.front());
        std::vector<std::string> args(lines.begin() + 1, lines.end());
        if (args.size() > kMaxArguments)
            args.resize(kMaxArguments);
        std::ostringstream out;
        std::ostringstream err;
        const int status = regtool::Run(args, in, out, err);
        if (status != 0 && status != 1)
            std::abort(); // the tool's exit status is 0 or 1
        if (status == 1 && err.str().empty() && out.str().find("canceled") == std::string::npos)
            std::abort(); // a failure says why (or that the user declined)
    }
    if (!gFixture->ui.boxes.empty())
        std::abort(); // the tool prints its messages; it shows no boxes
    for (const int64_t root : kRoots)
        DeleteTree(root, "");
    return 0;
}
