// vellumo-pack's command line: one operation, its files and switches, read with CLI11.
#pragma once

#include <string>
#include <variant>

namespace vellumo::pack {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1; // the operation failed
inline constexpr int kExitUsage = 2;  // the command line was wrong

enum class Operation { kCompress, kDecompress, kEncipher };

struct Request {
    Operation operation = Operation::kCompress;
    std::string input; // file names as given, byte for byte
    std::string output;
    std::string passwordFile; // --encipher only
    bool progress = false;
};

// The request, or the exit status once the help text or the reason for refusing the command
// line has been printed (the help to standard output, a refusal to standard error).
[[nodiscard]] std::variant<Request, int> ReadCommandLine(int argc, char** argv);

} // namespace vellumo::pack
