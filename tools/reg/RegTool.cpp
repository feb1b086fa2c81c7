// The commands of vellumo-reg over the registry functions: parsing the reg tool's command line,
// printing its layout and messages, and the whole-tree delete that the registry call refuses.
#include "RegTool.h"

#include "RegData.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "platform/RegistryKeyHandle.h"

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <utility>

namespace vellumo::regtool {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

constexpr const char* kCompleted = "The operation completed successfully.";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kInvalidKeyName = "ERROR: Invalid key name.";
constexpr const char* kCancelled = "The operation was canceled by the user.";
constexpr const char* kDefaultValueName = "(Default)";
constexpr const char* kValueNotSet = "(value not set)";
// Columns of a value line: four spaces before the name, the type and the data.
constexpr const char* kColumn = "    ";
// The longest key name and its terminator.
constexpr uint32_t kKeyNameBuffer = regapi::kMaxKeyNameLength + 1;

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

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The parsed command line.
struct Command {
    std::string name; // QUERY, ADD or DELETE
    int64_t root = 0;
    std::string path;                     // below the root, without trailing "\"
    std::string fullName;                 // the long root name and the path, as printed
    std::optional<std::string> valueName; // /v
    bool defaultValue = false;            // /ve
    bool allValues = false;               // /va
    bool recurse = false;                 // /s
    bool force = false;                   // /f
    std::optional<std::string> typeName;  // /t
    std::optional<std::string> data;      // /d
};

class Tool {
public:
    Tool(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

    int Run(const std::vector<std::string>& args);

private:
    int InvalidSyntax(std::string_view command) {
        err_ << "ERROR: Invalid syntax.\nType \"REG " << command << " /?\" for usage.\n";
        return kExitFailure;
    }
    int Failure(long status);
    int Usage(std::string_view command);
    bool ParseKey(const std::string& text, Command& command);
    bool Confirm(const std::string& question);
    std::string ValueLabel(const std::string& name) const {
        return name.empty() ? kDefaultValueName : name;
    }

    int Query(const Command& command);
    int QueryOne(regapi::RegKey key, const std::string& name, const std::string& path, bool recurse,
                 int& matches);
    void QueryAll(regapi::RegKey key, const std::string& path, bool recurse);
    void PrintValue(const std::string& name, uint32_t type, const std::string& data);
    int Add(const Command& command);
    int Delete(const Command& command);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
};

// The whole stored value; nullopt when it cannot be read.
std::optional<std::pair<uint32_t, std::string>> ReadValue(regapi::RegKey key,
                                                          const std::string& name) {
    uint32_t type = 0;
    uint32_t size = 0;
    if (regapi::QueryValue(key, name, &type, nullptr, &size) != regapi::kSuccess)
        return std::nullopt;
    std::string data(size, '\0');
    if (regapi::QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(data.data()), &size) !=
        regapi::kSuccess)
        return std::nullopt;
    data.resize(size);
    return std::make_pair(type, data);
}

std::vector<std::string> ValueNames(regapi::RegKey key) {
    std::vector<std::string> names;
    uint32_t longest = 0;
    if (regapi::QueryInfoKey(key, nullptr, nullptr, &longest) != regapi::kSuccess)
        return names;
    for (uint32_t index = 0;; ++index) {
        std::string name;
        uint32_t length = longest + 1;
        if (regapi::EnumValue(key, index, name, length) != regapi::kSuccess)
            break;
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> SubkeyNames(regapi::RegKey key) {
    std::vector<std::string> names;
    for (uint32_t index = 0;; ++index) {
        std::string name;
        if (regapi::EnumKey(key, index, name, kKeyNameBuffer) != regapi::kSuccess)
            break;
        names.push_back(name);
    }
    return names;
}

// Deletes the key and everything below it, deepest keys first (the registry's own delete
// refuses a key that has subkeys).
long DeleteTree(regapi::RegKey parent, const std::string& path) {
    {
        regapi::KeyHandle key;
        if (const long s = key.Open(parent, path, regapi::KEY_ALL_ACCESS); s != regapi::kSuccess)
            return s;
        for (;;) {
            std::string name;
            long s = regapi::EnumKey(key.Get(), 0, name, kKeyNameBuffer);
            if (s == regapi::kNoMoreItems)
                break;
            if (s == regapi::kSuccess)
                s = DeleteTree(key.Get(), name);
            if (s != regapi::kSuccess)
                return s;
        }
    } // closed before the key itself goes
    return regapi::DeleteKey(parent, path);
}

int Tool::Failure(long status) {
    switch (status) {
    case regapi::kFileNotFound:
        err_ << kNotFound << '\n';
        break;
    case regapi::kAccessDenied:
        err_ << "ERROR: Access is denied.\n";
        break;
    case regapi::kBadPathname:
    case regapi::kInvalidParameter:
        err_ << kInvalidKeyName << '\n';
        break;
    case regapi::kBadDatabase:
        err_ << "ERROR: The configuration registry database is corrupt.\n";
        break;
    case regapi::kBusy:
        err_ << "ERROR: The requested resource is in use.\n";
        break;
    case regapi::kDiskFull:
        err_ << "ERROR: There is not enough space on the disk.\n";
        break;
    case regapi::kOutOfMemory:
        err_ << "ERROR: Not enough memory resources are available to complete this operation.\n";
        break;
    case regapi::kKeyDeleted:
        err_ << "ERROR: Illegal operation attempted on a registry key that has been marked for "
                "deletion.\n";
        break;
    default:
        err_ << "ERROR: An I/O operation initiated by the registry failed unrecoverably (error "
             << status << ").\n";
        break;
    }
    return kExitFailure;
}

int Tool::Usage(std::string_view command) {
    if (command == "QUERY")
        out_ << "REG QUERY KeyName [/v ValueName | /ve] [/s]\n";
    else if (command == "ADD")
        out_ << "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/d Data] [/f]\n";
    else if (command == "DELETE")
        out_ << "REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n";
    else
        out_ << "REG Operation [Parameter List]\n\n  Operation  [ QUERY | ADD | DELETE ]\n";
    out_ << "\n  KeyName  ROOTKEY\\SubKey\n"
            "    ROOTKEY  [ HKLM | HKCU | HKCR | HKU | HKCC ] or their long names\n";
    return kExitSuccess;
}

bool Tool::ParseKey(const std::string& text, Command& command) {
    const auto slash = text.find('\\');
    const std::string rootName = Upper(text.substr(0, slash));
    for (const Root& root : kRoots) {
        if (rootName == root.shortName || rootName == root.longName) {
            command.root = root.key;
            command.path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
            while (!command.path.empty() && command.path.back() == '\\')
                command.path.pop_back();
            command.fullName =
                std::string(root.longName) + (command.path.empty() ? "" : "\\" + command.path);
            return true;
        }
    }
    return false;
}

bool Tool::Confirm(const std::string& question) {
    for (;;) {
        out_ << question << std::flush;
        std::string answer;
        if (!std::getline(in_, answer)) {
            out_ << '\n';
            return false; // the end of input answers no
        }
        const auto first = answer.find_first_not_of(" \t\r");
        const char c = first == std::string::npos ? '\0' : answer[first];
        if (c == 'y' || c == 'Y')
            return true;
        if (c == 'n' || c == 'N')
            return false;
    }
}

int Tool::Run(const std::vector<std::string>& args) {
    if (args.empty())
        return InvalidSyntax("");
    Command command;
    command.name = Upper(args[0]);
    if (command.name == "/?" || command.name == "-?")
        return Usage("");
    const bool query = command.name == "QUERY";
    const bool add = command.name == "ADD";
    const bool remove = command.name == "DELETE";
    if (!query && !add && !remove) {
        err_ << "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n";
        return kExitFailure;
    }
    if (args.size() >= 2 && (args[1] == "/?" || args[1] == "-?"))
        return Usage(command.name);
    if (args.size() < 2 || args[1].empty() || args[1][0] == '/')
        return InvalidSyntax(command.name);
    if (!ParseKey(args[1], command)) {
        err_ << kInvalidKeyName << "\nType \"REG " << command.name << " /?\" for usage.\n";
        return kExitFailure;
    }

    // Options: "/" or "-" and a case-insensitive letter code, each at most once.
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
            return InvalidSyntax(command.name);
        const std::string option = Upper(arg.substr(1));
        const auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (option == "?") {
            return Usage(command.name);
        } else if (option == "V" && !command.valueName) {
            command.valueName = next();
            if (!command.valueName)
                return InvalidSyntax(command.name);
        } else if (option == "VE" && !command.defaultValue) {
            command.defaultValue = true;
        } else if (option == "VA" && remove && !command.allValues) {
            command.allValues = true;
        } else if (option == "S" && query && !command.recurse) {
            command.recurse = true;
        } else if (option == "F" && (add || remove) && !command.force) {
            command.force = true;
        } else if (option == "T" && add && !command.typeName) {
            command.typeName = next();
            if (!command.typeName)
                return InvalidSyntax(command.name);
        } else if (option == "D" && add && !command.data) {
            command.data = next();
            if (!command.data)
                return InvalidSyntax(command.name);
        } else {
            return InvalidSyntax(command.name);
        }
    }
    const int valueOptions =
        (command.valueName ? 1 : 0) + (command.defaultValue ? 1 : 0) + (command.allValues ? 1 : 0);
    if (valueOptions > 1)
        return InvalidSyntax(command.name);
    if (query)
        return Query(command);
    if (add)
        return Add(command);
    return Delete(command);
}

void Tool::PrintValue(const std::string& name, uint32_t type, const std::string& data) {
    out_ << kColumn << ValueLabel(name) << kColumn << TypeName(type) << kColumn
         << DataToText(type, data) << '\n';
}

int Tool::Query(const Command& command) {
    regapi::KeyHandle key;
    if (const long s = key.Open(command.root, command.path, regapi::KEY_READ);
        s != regapi::kSuccess)
        return Failure(s);
    out_ << '\n';
    int status = kExitSuccess;
    if (command.valueName || command.defaultValue) {
        int matches = 0;
        status = QueryOne(key.Get(), command.valueName.value_or(""), command.fullName,
                          command.recurse, matches);
        if (command.recurse)
            out_ << "End of search: " << matches << " match(es) found.\n";
    } else {
        QueryAll(key.Get(), command.fullName, command.recurse);
    }
    return status;
}

int Tool::QueryOne(regapi::RegKey key, const std::string& name, const std::string& path,
                   bool recurse, int& matches) {
    if (const auto value = ReadValue(key, name)) {
        out_ << path << '\n';
        PrintValue(name, value->first, value->second);
        out_ << '\n';
        ++matches;
    } else if (!recurse) {
        if (!name.empty()) {
            err_ << kNotFound << '\n';
            return kExitFailure;
        }
        // The default value exists in every key, if only as "not set".
        out_ << path << '\n'
             << kColumn << kDefaultValueName << kColumn << "REG_SZ" << kColumn << kValueNotSet
             << '\n';
        return kExitSuccess;
    }
    if (!recurse)
        return kExitSuccess;
    for (const auto& subkey : SubkeyNames(key)) {
        regapi::KeyHandle child;
        if (child.Open(key, subkey, regapi::KEY_READ) == regapi::kSuccess)
            QueryOne(child.Get(), name, path + "\\" + subkey, recurse, matches);
    }
    return kExitSuccess;
}

void Tool::QueryAll(regapi::RegKey key, const std::string& path, bool recurse) {
    out_ << path << '\n';
    const auto names = ValueNames(key);
    for (const auto& name : names) {
        if (const auto value = ReadValue(key, name))
            PrintValue(name, value->first, value->second);
    }
    if (!names.empty())
        out_ << '\n';
    const auto subkeys = SubkeyNames(key);
    for (const auto& subkey : subkeys) {
        const std::string subpath = path + "\\" + subkey;
        if (!recurse) {
            out_ << subpath << '\n';
            continue;
        }
        regapi::KeyHandle child;
        if (child.Open(key, subkey, regapi::KEY_READ) == regapi::kSuccess)
            QueryAll(child.Get(), subpath, recurse);
    }
    if (!subkeys.empty() && !recurse)
        out_ << '\n';
}

int Tool::Add(const Command& command) {
    const auto type = TypeFromName(command.typeName.value_or("REG_SZ"));
    if (!type)
        return InvalidSyntax(command.name);
    const auto data = DataFromText(*type, command.data);
    if (!data)
        return InvalidSyntax(command.name);
    regapi::KeyHandle key;
    if (const long s = key.Create(command.root, command.path, regapi::KEY_ALL_ACCESS);
        s != regapi::kSuccess)
        return Failure(s);
    // Without a value option, "/t" or "/d" apply to the default value; without any, only the
    // key is created.
    const bool setsValue =
        command.valueName || command.defaultValue || command.typeName || command.data;
    if (setsValue) {
        const std::string name = command.valueName.value_or("");
        uint32_t existingType = 0;
        const bool exists = regapi::QueryValue(key.Get(), name, &existingType, nullptr, nullptr) ==
                            regapi::kSuccess;
        if (exists && !command.force &&
            !Confirm("Value " + ValueLabel(name) + " exists, overwrite(Yes/No)? ")) {
            out_ << kCancelled << '\n';
            return kExitSuccess;
        }
        const long s =
            regapi::SetValue(key.Get(), name, *type, reinterpret_cast<const uint8_t*>(data->data()),
                             static_cast<uint32_t>(data->size()));
        if (s != regapi::kSuccess)
            return Failure(s);
    }
    out_ << kCompleted << '\n';
    return kExitSuccess;
}

int Tool::Delete(const Command& command) {
    const bool wholeKey = !command.valueName && !command.defaultValue && !command.allValues;
    if (wholeKey && command.path.empty()) {
        err_ << kInvalidKeyName << "\nType \"REG DELETE /?\" for usage.\n";
        return kExitFailure; // a predefined root cannot be deleted
    }
    regapi::KeyHandle key;
    if (const long s = key.Open(command.root, command.path, regapi::KEY_ALL_ACCESS);
        s != regapi::kSuccess)
        return Failure(s);
    long status = regapi::kSuccess;
    bool cancelled = false;
    if (command.valueName || command.defaultValue) {
        const std::string name = command.valueName.value_or("");
        uint32_t type = 0;
        status = regapi::QueryValue(key.Get(), name, &type, nullptr, nullptr);
        if (status == regapi::kSuccess) {
            if (command.force ||
                Confirm("Delete the registry value " + ValueLabel(name) + " (Yes/No)? "))
                status = regapi::DeleteValue(key.Get(), name);
            else
                cancelled = true;
        }
    } else if (command.allValues) {
        if (command.force || Confirm("Delete all values under the registry key " +
                                     command.fullName + " (Yes/No)? ")) {
            for (const auto& name : ValueNames(key.Get())) {
                if (status = regapi::DeleteValue(key.Get(), name); status != regapi::kSuccess)
                    break;
            }
        } else {
            cancelled = true;
        }
    } else {
        if (command.force ||
            Confirm("Permanently delete the registry key " + command.fullName + " (Yes/No)? "))
            status = DeleteTree(command.root, command.path);
        else
            cancelled = true;
    }
    if (cancelled) {
        out_ << kCancelled << '\n';
        return kExitSuccess;
    }
    if (status != regapi::kSuccess)
        return Failure(status);
    out_ << kCompleted << '\n';
    return kExitSuccess;
}

} // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    return Tool(in, out, err).Run(args);
}

} // namespace vellumo::regtool
