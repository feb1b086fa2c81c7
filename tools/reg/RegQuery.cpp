// vellumo-reg query: the reg tool's listing layout.
#include "RegData.h"
#include "RegOperations.h"
#include "RegTree.h"
#include "platform/RegistryKeyHandle.h"

#include <ostream>

namespace vellumo::regtool {
namespace {

constexpr const char* kValueNotSet = "(value not set)";
// Columns of a value line: four spaces before the name, the type and the data.
constexpr const char* kColumn = "    ";
constexpr std::string_view kDefaultSeparator = "\\0";

class Lister {
public:
    Lister(const Command& command, Console& console)
        : out_(console.Out()),
          separator_(command.separator.value_or(std::string(kDefaultSeparator))) {}

    void PrintValue(const std::string& name, const StoredValue& value) {
        out_ << kColumn << (name.empty() ? kDefaultValueName : name) << kColumn
             << TypeName(value.type) << kColumn << DataToText(value.type, value.data, separator_)
             << '\n';
    }

    // A key as query lists it: its name and its values, and a blank line after them. Without
    // values, the name and the blank line are printed only for keys below the queried one, as
    // the reg tool does in a recursive listing; `alwaysNamed` prints the name of a key without
    // values without the blank line (the queried key of a listing that is not recursive).
    long PrintKey(regapi::RegKey key, const std::string& path, bool below, bool alwaysNamed) {
        std::vector<std::string> names;
        if (const long s = ValueNames(key, names); s != regapi::kSuccess)
            return s;
        if (!names.empty() || below || alwaysNamed)
            out_ << path << '\n';
        for (const auto& name : names) {
            StoredValue value;
            const long s = ReadValue(key, name, value);
            if (s == regapi::kFileNotFound)
                continue; // deleted by another process since it was listed
            if (s != regapi::kSuccess)
                return s;
            PrintValue(name, value);
        }
        if (!names.empty() || below)
            out_ << '\n';
        return regapi::kSuccess;
    }

    // One key of query /v or /ve with /s: the key and the value when it has one.
    long PrintMatch(regapi::RegKey key, const std::string& name, const std::string& path,
                    int& matches) {
        StoredValue value;
        const long s = ReadValue(key, name, value);
        if (s == regapi::kFileNotFound)
            return regapi::kSuccess;
        if (s != regapi::kSuccess)
            return s;
        out_ << path << '\n';
        PrintValue(name, value);
        out_ << '\n';
        ++matches;
        return regapi::kSuccess;
    }

private:
    std::ostream& out_;
    std::string separator_;
};

// query /v or /ve without /s.
int ShowValue(regapi::RegKey key, const Command& command, Lister& lister, Console& console) {
    const std::string name = command.valueName.value_or("");
    StoredValue value;
    const long s = ReadValue(key, name, value);
    std::ostream& out = console.Out();
    if (s == regapi::kSuccess) {
        out << command.key.fullName << '\n';
        lister.PrintValue(name, value);
        out << '\n';
        return kExitSuccess;
    }
    if (s != regapi::kFileNotFound)
        return console.Failure(s);
    if (!name.empty()) {
        console.Err() << kNotFound << '\n';
        return kExitFailure;
    }
    // The default value exists in every key, if only as "not set".
    out << command.key.fullName << '\n'
        << kColumn << kDefaultValueName << kColumn << "REG_SZ" << kColumn << kValueNotSet << '\n';
    return kExitSuccess;
}

} // namespace

int Query(const Command& command, Console& console) {
    const uint32_t access = regapi::KEY_READ | command.view;
    regapi::KeyHandle key;
    if (const long s = key.Open(command.key.root, command.key.path, access); s != regapi::kSuccess)
        return console.Failure(s);
    std::ostream& out = console.Out();
    out << '\n';
    Lister lister(command, console);
    const bool oneValue = command.valueName || command.defaultValue;
    if (oneValue && !command.recurse)
        return ShowValue(key.Get(), command, lister, console);

    std::string path = command.key.fullName;
    long status = regapi::kSuccess;
    if (oneValue) {
        const std::string valueName = command.valueName.value_or("");
        int matches = 0;
        status =
            WalkTree(key.Get(), path, access, [&](regapi::RegKey at, const std::string& atPath) {
                return lister.PrintMatch(at, valueName, atPath, matches);
            });
        if (status == regapi::kSuccess)
            out << "End of search: " << matches << " match(es) found.\n";
    } else if (command.recurse) {
        const regapi::RegKey top = key.Get();
        status = WalkTree(top, path, access, [&](regapi::RegKey at, const std::string& atPath) {
            return lister.PrintKey(at, atPath, at != top, false);
        });
    } else {
        status = lister.PrintKey(key.Get(), path, false, true);
        bool anySubkey = false;
        if (status == regapi::kSuccess) {
            status = ForEachSubkey(key.Get(), [&](const std::string& subkey) {
                out << path << '\\' << subkey << '\n';
                anySubkey = true;
                return regapi::kSuccess;
            });
        }
        if (status == regapi::kSuccess && anySubkey)
            out << '\n';
    }
    return status == regapi::kSuccess ? kExitSuccess : console.Failure(status);
}

} // namespace vellumo::regtool
