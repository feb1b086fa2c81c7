// The commands of vellumo-reg over the registry functions: parsing the reg tool's command line,
// checking it against the registry's limits, printing its layout and messages.
#include "RegTool.h"

#include "RegData.h"
#include "RegTree.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/Text.h"

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
constexpr const char* kInvalidParameter = "ERROR: The parameter is incorrect.";
constexpr const char* kOutputFailed = "ERROR: The output could not be written.";
constexpr const char* kCancelled = "The operation was canceled by the user.";
constexpr const char* kDefaultValueName = "(Default)";
constexpr const char* kValueNotSet = "(value not set)";
// Columns of a value line: four spaces before the name, the type and the data.
constexpr const char* kColumn = "    ";
// The longest answer line read at a question. A yes or no needs a few characters; anything
// longer is not an answer, and reading no further keeps endless input (/dev/zero) from filling
// memory.
constexpr size_t kLongestAnswer = 4096;

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
        err_ << "ERROR: Invalid syntax.\n";
        return UsageHint(command);
    }
    int InvalidKeyName(std::string_view command) {
        err_ << kInvalidKeyName << '\n';
        return UsageHint(command);
    }
    // Points at the usage of the command, or of the tool when there is no command yet.
    int UsageHint(std::string_view command) {
        err_ << "Type \"REG " << command << (command.empty() ? "" : " ") << "/?\" for usage.\n";
        return kExitFailure;
    }
    int Failure(long status);
    int Usage(std::string_view command);
    bool ParseKey(const std::string& text, Command& command);
    bool Confirm(const std::string& question);
    std::optional<std::string> ReadAnswer();
    std::string ValueLabel(const std::string& name) const {
        return name.empty() ? kDefaultValueName : name;
    }

    int Query(const Command& command);
    int ShowValue(regapi::RegKey key, const std::string& name, const std::string& path);
    long PrintMatch(regapi::RegKey key, const std::string& name, const std::string& path,
                    int& matches);
    long PrintKey(regapi::RegKey key, const std::string& path);
    void PrintValue(const std::string& name, uint32_t type, const std::string& data);
    int Add(const Command& command);
    int Delete(const Command& command);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
};

struct Value {
    uint32_t type = 0;
    std::string data;
};

// The whole stored value: kSuccess, kFileNotFound for a missing value, or why it cannot be read.
long ReadValue(regapi::RegKey key, const std::string& name, Value& value) {
    uint32_t size = 0;
    if (const long s = regapi::QueryValue(key, name, &value.type, nullptr, &size);
        s != regapi::kSuccess)
        return s;
    // Another process may make the value larger between the two calls; the second then says
    // how large, and is asked again while the value keeps growing.
    for (;;) {
        value.data.assign(size, '\0');
        uint32_t stored = size;
        const long s = regapi::QueryValue(key, name, &value.type,
                                          reinterpret_cast<uint8_t*>(value.data.data()), &stored);
        if (s == regapi::kMoreData && stored > size) {
            size = stored;
            continue;
        }
        if (s != regapi::kSuccess)
            return s;
        value.data.resize(stored);
        return regapi::kSuccess;
    }
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
        err_ << kInvalidKeyName << '\n';
        break;
    case regapi::kInvalidParameter:
        err_ << kInvalidParameter << '\n';
        break;
    case regapi::kMoreData:
        err_ << "ERROR: More data is available.\n";
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

// One line of standard input without its end; nullopt at the end of input, and for a line longer
// than kLongestAnswer, of which no more is read. A last line without an end counts.
std::optional<std::string> Tool::ReadAnswer() {
    std::string line;
    for (;;) {
        const auto c = in_.get();
        if (c == std::istream::traits_type::eof())
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n')
            return line;
        if (line.size() == kLongestAnswer)
            return std::nullopt;
        line += static_cast<char>(c);
    }
}

bool Tool::Confirm(const std::string& question) {
    // A person who has not answered after this many questions is not going to; a pipe that
    // never says yes or no (`yes x |`) must not keep the tool asking for ever.
    constexpr int kMostQuestions = 100;
    for (int asked = 0;; ++asked) {
        if (asked == kMostQuestions) {
            out_ << '\n';
            return false;
        }
        out_ << question << std::flush;
        const auto line = ReadAnswer();
        if (!line) {
            out_ << '\n';
            return false; // the end of input, or a line that is no answer at all, answers no
        }
        const std::string& answer = *line;
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
    if (!ParseKey(args[1], command) || !IsKeyPath(command.path))
        return InvalidKeyName(command.name);

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
    if (command.valueName && CharLength(*command.valueName) > regapi::kMaxValueNameLength) {
        err_ << kInvalidParameter << '\n';
        return kExitFailure;
    }
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
    const bool oneValue = command.valueName || command.defaultValue;
    const std::string valueName = command.valueName.value_or("");
    if (oneValue && !command.recurse)
        return ShowValue(key.Get(), valueName, command.fullName);

    std::string path = command.fullName;
    long status = regapi::kSuccess;
    if (oneValue) {
        int matches = 0;
        status = WalkTree(key.Get(), path, regapi::KEY_READ,
                          [&](regapi::RegKey at, const std::string& atPath) {
                              return PrintMatch(at, valueName, atPath, matches);
                          });
        if (status == regapi::kSuccess)
            out_ << "End of search: " << matches << " match(es) found.\n";
    } else if (command.recurse) {
        status = WalkTree(
            key.Get(), path, regapi::KEY_READ,
            [&](regapi::RegKey at, const std::string& atPath) { return PrintKey(at, atPath); });
    } else {
        status = PrintKey(key.Get(), path);
        bool anySubkey = false;
        if (status == regapi::kSuccess) {
            status = ForEachSubkey(key.Get(), [&](const std::string& subkey) {
                out_ << path << '\\' << subkey << '\n';
                anySubkey = true;
                return regapi::kSuccess;
            });
        }
        if (status == regapi::kSuccess && anySubkey)
            out_ << '\n';
    }
    return status == regapi::kSuccess ? kExitSuccess : Failure(status);
}

// query /v or /ve without /s.
int Tool::ShowValue(regapi::RegKey key, const std::string& name, const std::string& path) {
    Value value;
    const long s = ReadValue(key, name, value);
    if (s == regapi::kSuccess) {
        out_ << path << '\n';
        PrintValue(name, value.type, value.data);
        out_ << '\n';
        return kExitSuccess;
    }
    if (s != regapi::kFileNotFound)
        return Failure(s);
    if (!name.empty()) {
        err_ << kNotFound << '\n';
        return kExitFailure;
    }
    // The default value exists in every key, if only as "not set".
    out_ << path << '\n'
         << kColumn << kDefaultValueName << kColumn << "REG_SZ" << kColumn << kValueNotSet << '\n';
    return kExitSuccess;
}

// One key of query /v or /ve with /s: the key and the value when it has one.
long Tool::PrintMatch(regapi::RegKey key, const std::string& name, const std::string& path,
                      int& matches) {
    Value value;
    const long s = ReadValue(key, name, value);
    if (s == regapi::kFileNotFound)
        return regapi::kSuccess;
    if (s != regapi::kSuccess)
        return s;
    out_ << path << '\n';
    PrintValue(name, value.type, value.data);
    out_ << '\n';
    ++matches;
    return regapi::kSuccess;
}

// A key as query lists it: its name, its values and a blank line after them.
long Tool::PrintKey(regapi::RegKey key, const std::string& path) {
    out_ << path << '\n';
    std::vector<std::string> names;
    if (const long s = ValueNames(key, names); s != regapi::kSuccess)
        return s;
    for (const auto& name : names) {
        Value value;
        const long s = ReadValue(key, name, value);
        if (s == regapi::kFileNotFound)
            continue; // deleted by another process since it was listed
        if (s != regapi::kSuccess)
            return s;
        PrintValue(name, value.type, value.data);
    }
    if (!names.empty())
        out_ << '\n';
    return regapi::kSuccess;
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
        const long found = regapi::QueryValue(key.Get(), name, &existingType, nullptr, nullptr);
        if (found != regapi::kSuccess && found != regapi::kFileNotFound)
            return Failure(found);
        const bool exists = found == regapi::kSuccess;
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
    if (wholeKey && command.path.empty())
        return InvalidKeyName(command.name); // a predefined root cannot be deleted
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
            // All names first, then the deletions: deleting while enumerating would shift the
            // positions still to come.
            std::vector<std::string> names;
            status = ValueNames(key.Get(), names);
            for (const auto& name : names) {
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
    const int status = Tool(in, out, err).Run(args);
    // What could not be written is lost (a full disk, a closed pipe): the caller must not take
    // the command's output for complete.
    if (!out.flush()) {
        err << kOutputFailed << '\n';
        return kExitFailure;
    }
    return status;
}

} // namespace vellumo::regtool
