// vellumo-reg's command line in the reg tool's syntax: the operation, the key, the file and the
// options, checked against each other and against the registry's limits before anything runs.
#pragma once

#include "RegConsole.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vellumo::regtool {

// The access bits that choose a registry view on 64-bit Windows (/reg:64 and /reg:32). The
// Linux store has one view and passes over them.
inline constexpr uint32_t kView64 = 0x0100; // KEY_WOW64_64KEY
inline constexpr uint32_t kView32 = 0x0200; // KEY_WOW64_32KEY

// A key name taken apart.
struct KeyName {
    int64_t root = 0;
    std::string path;     // below the root, without a trailing "\"; empty for the root itself
    std::string fullName; // the root's long name and the path, as the tool prints it
};

// A key name as the registry and the reg tool accept it: a root (short or long name, in any
// case), then "\" and a path of key names, which may end in one "\". A root followed by "\"
// alone, a path ending in more than one "\", an empty level or one beyond the registry's limits
// is not a key name (nullopt).
[[nodiscard]] std::optional<KeyName> ParseKeyName(std::string_view text);

struct Command {
    std::string operation;                // QUERY, ADD, DELETE, EXPORT or IMPORT
    KeyName key;                          // all but IMPORT
    std::string file;                     // EXPORT and IMPORT, as given
    std::optional<std::string> valueName; // /v
    bool defaultValue = false;            // /ve
    bool allValues = false;               // /va
    bool recurse = false;                 // /s of QUERY
    bool force = false;                   // /f, and /y of EXPORT
    std::optional<std::string> typeName;  // /t
    std::optional<std::string> data;      // /d
    std::optional<std::string> separator; // /s of ADD, /se of QUERY
    uint32_t view = 0;                    // kView32, kView64 or 0
};

// The command to run, or the exit status once usage or a syntax error has been printed.
[[nodiscard]] std::variant<Command, int> ParseCommand(const std::vector<std::string>& args,
                                                      Console& console);

} // namespace vellumo::regtool
