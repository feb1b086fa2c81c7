// Parsing vellumo-reg's command line.
#include "RegCommand.h"

#include "RegHelp.h"
#include "RegTree.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "platform/Text.h"

#include <array>
#include <ostream>
#include <utility>

namespace vellumo::regtool {
namespace {

struct Root {
    std::string_view shortName;
    std::string_view longName;
    int64_t key;
};

constexpr std::array<Root, 5> kRoots = {{
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCC", "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
}};

constexpr std::array<std::string_view, 5> kOperations = {"QUERY", "ADD", "DELETE", "EXPORT",
                                                         "IMPORT"};

// The spellings that ask for help, in any letter case.
constexpr std::array<std::string_view, 5> kHelpSwitches = {"/?", "-?", "/H", "-H", "--HELP"};

// Where a file name is expected, these are options given too early, never names.
constexpr std::array<std::string_view, 3> kOptionsNotNames = {"Y", "REG:32", "REG:64"};

// The one-character separator of multi-string items, or the two characters of the default one.
constexpr std::string_view kDefaultSeparator = "\\0";

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool IsHelp(std::string_view arg) {
    const std::string upper = Upper(arg);
    for (const std::string_view help : kHelpSwitches) {
        if (upper == help)
            return true;
    }
    return false;
}

bool IsOptionWord(std::string_view arg) {
    if (IsHelp(arg))
        return true;
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return false;
    const std::string option = Upper(arg.substr(1));
    for (const std::string_view known : kOptionsNotNames) {
        if (option == known)
            return true;
    }
    return false;
}

// "HKCUSoftwareKestrova": a root name run into the rest, as an unquoted key name reaches the
// tool from a shell that took its backslashes as escapes.
bool LooksUnquoted(std::string_view text) {
    if (text.find('\\') != std::string_view::npos)
        return false;
    const std::string upper = Upper(text);
    for (const Root& root : kRoots) {
        for (const std::string_view name : {root.longName, root.shortName}) {
            if (upper.size() > name.size() && upper.compare(0, name.size(), name) == 0)
                return true;
        }
    }
    return false;
}

bool IsSeparator(std::string_view separator) {
    return CharLength(separator) == 1 || separator == kDefaultSeparator;
}

} // namespace

std::optional<KeyName> ParseKeyName(std::string_view text) {
    const size_t slash = text.find('\\');
    const std::string rootName = Upper(text.substr(0, slash));
    for (const Root& root : kRoots) {
        if (rootName != root.shortName && rootName != root.longName)
            continue;
        KeyName key{root.key, {}, std::string(root.longName)};
        if (slash == std::string_view::npos)
            return key;
        std::string_view path = text.substr(slash + 1);
        if (path.empty())
            return std::nullopt; // a root followed by "\" alone names no key below it
        if (path.back() == '\\') {
            path.remove_suffix(1);
            if (path.empty() || path.back() == '\\')
                return std::nullopt;
        }
        if (!IsKeyPath(path))
            return std::nullopt;
        key.path = std::string(path);
        key.fullName += "\\" + key.path;
        return key;
    }
    return std::nullopt;
}

std::variant<Command, int> ParseCommand(const std::vector<std::string>& args, Console& console) {
    if (args.empty())
        return console.InvalidSyntax("");
    if (IsHelp(args[0]))
        return PrintUsage("", console.Out());
    Command command;
    command.operation = Upper(args[0]);
    bool known = false;
    for (const std::string_view operation : kOperations)
        known = known || command.operation == operation;
    if (!known)
        return console.InvalidSyntax("");
    const std::string& operation = command.operation;
    const bool query = operation == "QUERY";
    const bool add = operation == "ADD";
    const bool remove = operation == "DELETE";
    const bool exporting = operation == "EXPORT";
    const bool importing = operation == "IMPORT";
    if (args.size() >= 2 && IsHelp(args[1]))
        return PrintUsage(operation, console.Out());

    size_t next = 1;
    if (!importing) {
        if (args.size() < 2 || args[1].empty() || args[1][0] == '/')
            return console.InvalidSyntax(operation);
        const auto key = ParseKeyName(args[1]);
        if (!key) {
            const int status = console.InvalidKeyName(operation);
            if (LooksUnquoted(args[1]))
                console.Err() << "The key name has no backslash: if the shell took them away, "
                                 "quote the key name, as in \"HKCU\\Software\\Kestrova\".\n";
            return status;
        }
        command.key = *key;
        next = 2;
    }
    if (exporting || importing) {
        if (args.size() <= next || args[next].empty() || IsOptionWord(args[next]))
            return console.InvalidSyntax(operation);
        command.file = args[next++];
    }

    // Options: "/" or "-" and a case-insensitive code, each at most once.
    for (size_t i = next; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsHelp(arg))
            return PrintUsage(operation, console.Out());
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
            return console.InvalidSyntax(operation);
        const std::string option = Upper(arg.substr(1));
        const auto take = [&](std::optional<std::string>& into) {
            if (into || i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        const auto set = [](bool& flag) { return !std::exchange(flag, true); };
        const bool keyed = query || add || remove;
        bool accepted = false;
        if (option == "V" && keyed)
            accepted = take(command.valueName);
        else if (option == "VE" && keyed)
            accepted = set(command.defaultValue);
        else if (option == "VA" && remove)
            accepted = set(command.allValues);
        else if (option == "S" && query)
            accepted = set(command.recurse);
        else if ((option == "SE" && query) || (option == "S" && add))
            accepted = take(command.separator);
        else if ((option == "F" && (add || remove)) || (option == "Y" && exporting))
            accepted = set(command.force);
        else if (option == "T" && add)
            accepted = take(command.typeName);
        else if (option == "D" && add)
            accepted = take(command.data);
        else if ((option == "REG:32" || option == "REG:64") && command.view == 0) {
            command.view = option == "REG:32" ? kView32 : kView64;
            accepted = true;
        }
        if (!accepted)
            return console.InvalidSyntax(operation);
    }

    const int valueOptions =
        (command.valueName ? 1 : 0) + (command.defaultValue ? 1 : 0) + (command.allValues ? 1 : 0);
    if (valueOptions > 1 || (command.separator && !IsSeparator(*command.separator)))
        return console.InvalidSyntax(operation);
    if (command.valueName && CharLength(*command.valueName) > regapi::kMaxValueNameLength) {
        console.Err() << kInvalidParameter << '\n';
        return kExitFailure;
    }
    return command;
}

} // namespace vellumo::regtool
