// Fuzzes vellumo-reg's command line in-process: any arguments and any answer on standard input,
// against a store in a private XDG_CONFIG_HOME that earlier commands of the same input filled.
//
// Input: commands separated by a line holding only "--"; in each, the first line is what standard
// input holds and every further line is one argument. The target works in its private folder:
// export and import commands whose file name holds "/" are passed over, so that every file
// stays there (give the target absolute corpus and artifact paths).
// The tool's sources are compiled into the fuzzer, which drives its entry function.
#include "PrivateFolder.h"
#include "RegTool.h"
#include "RegistryCleanup.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "support/RecordingUi.h"

#include <cctype>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr size_t kMaxCommands = 8;
constexpr size_t kMaxArguments = 24;
// The roots the tool can reach; what the commands left below them goes after every input.
constexpr int64_t kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                              HKEY_CURRENT_CONFIG};

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

// Whether an export or import names its file with a "/": a path that may lead out of the
// private folder.
bool NamesAFileElsewhere(const std::vector<std::string>& args) {
    if (args.empty())
        return false;
    std::string operation = args[0];
    for (char& c : operation)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t file = operation == "export" ? 2 : operation == "import" ? 1 : 0;
    return file != 0 && args.size() > file && args[file].find('/') != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    static Fixture fixture;
    const std::string pattern = vellumo::fuzz::MakePrivateFolder();
    fixture.home = pattern;
    fs::create_directories(fixture.home + "/.config");
    setenv("HOME", fixture.home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (fixture.home + "/.config").c_str(), 1);
    gFixture = &fixture;
    std::atexit(RemoveHome);
    if (chdir(fixture.home.c_str()) != 0)
        std::abort();
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
        if (NamesAFileElsewhere(args))
            continue;
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
        fuzz::DeleteTree(root, "");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(gFixture->home, ec)) {
        if (entry.is_regular_file(ec))
            fs::remove(entry.path(), ec); // what export wrote
    }
    return 0;
}
