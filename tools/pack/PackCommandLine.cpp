// Reading vellumo-pack's command line.
#include "PackCommandLine.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <vector>

namespace vellumo::pack {
namespace {

constexpr const char* kUsage =
    "Usage: vellumo-pack --compress IN --out OUT [--progress]\n"
    "       vellumo-pack --decompress IN --out OUT [--progress]\n"
    "       vellumo-pack --encipher IN --out OUT --password-file FILE [--progress]\n"
    "       vellumo-pack --compress --out OUT [--progress] -- IN   (and so for the others)\n"
    "\n"
    "  --compress IN         pack IN into the packed file OUT\n"
    "  --decompress IN       unpack the packed file IN into OUT\n"
    "  --encipher IN         encipher IN into OUT; enciphering the result again with the same\n"
    "                        password deciphers it\n"
    "  --out OUT             the output file\n"
    "  --password-file FILE  the password: the first line of FILE (never given on the command\n"
    "                        line, where other users could read it)\n"
    "  --progress            show the progress on standard error: a bar on a terminal, a line\n"
    "                        for every 10 % otherwise\n"
    "  -h, --help            show this text\n"
    "\n"
    "A switch's value is the argument after it, whatever it holds, or follows \"=\"\n"
    "(--out=OUT). \"--\" ends the switches: an input named after it may start with \"-\".\n"
    "Names are taken byte for byte. OUT is replaced only when the operation succeeds; an\n"
    "existing OUT is kept as it was by a run that fails or is interrupted.\n"
    "Exit status: 0 done, 1 the operation failed, 2 the command line is wrong.\n";

int Refuse(const std::string& why) {
    std::fprintf(stderr, "vellumo-pack: %s\n", why.c_str());
    return kExitUsage;
}

struct OperationSwitch {
    const char* name;
    Operation operation;
};

constexpr std::array<OperationSwitch, 3> kOperations = {{
    {"--compress", Operation::kCompress},
    {"--decompress", Operation::kDecompress},
    {"--encipher", Operation::kEncipher},
}};

} // namespace

std::variant<Request, int> ReadCommandLine(int argc, char** argv) {
    if (argc <= 1)
        return Refuse("no operation given (see --help)");
    CLI::App app("vellumo-pack");
    app.set_help_flag("-h,--help")->ignore_case();
    Request request;
    // An operation's input follows it, or comes as the one operand (after "--" when it starts
    // with "-"); the other switches take the next argument whatever it holds.
    std::array<std::string, 3> inputs;
    std::array<CLI::Option*, 3> operations{};
    for (size_t i = 0; i < kOperations.size(); ++i)
        operations[i] = app.add_option(kOperations[i].name, inputs[i])->expected(0, 1);
    CLI::Option* out = app.add_option("--out", request.output);
    CLI::Option* password = app.add_option("--password-file", request.passwordFile);
    app.add_flag("--progress", request.progress)->disable_flag_override();
    std::vector<std::string> operands;
    app.add_option("operands", operands);
    std::vector<CLI::Option*> switches;
    for (CLI::Option* option : app.get_options()) {
        if (option->get_name() == "operands" || option->get_name() == "--help")
            continue;
        // A switch given twice is refused below, with its name.
        option->ignore_case()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        switches.push_back(option);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(kUsage, stdout);
        return kExitSuccess;
    } catch (const CLI::ArgumentMismatch&) {
        return Refuse("--progress takes no value"); // the one switch whose value is refused
    } catch (const CLI::ParseError& e) {
        return Refuse(std::string(e.what()) + " (see --help)");
    }
    for (const CLI::Option* option : switches) {
        if (option->count() > 1)
            return Refuse(option->get_name() + " is given twice");
    }

    const CLI::Option* chosen = nullptr;
    for (size_t i = 0; i < kOperations.size(); ++i) {
        if (operations[i]->count() == 0)
            continue;
        if (chosen != nullptr)
            return Refuse("give only one of --compress, --decompress and --encipher");
        chosen = operations[i];
        request.operation = kOperations[i].operation;
        request.input = inputs[i];
    }
    if (chosen == nullptr)
        return Refuse("give one of --compress, --decompress and --encipher");
    const std::string name = chosen->get_name();
    const bool inputFollows = !request.input.empty();
    if (inputFollows && !operands.empty())
        return Refuse("\"" + operands.front() + "\" is not a switch, and " + name +
                      " has its input already");
    if (!inputFollows) {
        if (operands.size() != 1)
            return Refuse(name + " needs the input file");
        request.input = operands.front();
    }
    if (request.input.empty())
        return Refuse(name + " needs the input file");
    if (out->count() == 0)
        return Refuse("--out is missing");
    if (request.output.empty())
        return Refuse("--out needs the output file");
    const bool enciphering = request.operation == Operation::kEncipher;
    if (enciphering && (password->count() == 0 || request.passwordFile.empty()))
        return Refuse("--encipher needs --password-file");
    if (!enciphering && password->count() != 0)
        return Refuse("--password-file belongs to --encipher");
    return request;
}

} // namespace vellumo::pack
