// vellumo-reg add and delete.
#include "RegData.h"
#include "RegOperations.h"
#include "RegTree.h"
#include "platform/RegistryConstants.h"
#include "platform/RegistryKeyHandle.h"

#include <ostream>

namespace vellumo::regtool {
namespace {

std::string ValueLabel(const std::string& name) {
    return name.empty() ? kDefaultValueName : name;
}

} // namespace

int Add(const Command& command, Console& console) {
    const std::string& operation = command.operation;
    const auto type = TypeFromName(command.typeName.value_or("REG_SZ"));
    if (!type || (command.separator && *type != REG_MULTI_SZ))
        return console.InvalidSyntax(operation);
    // Without any value option the key's default value is set to an empty text, as the reg
    // tool does; a number type needs its number (0 is not taken for a missing one).
    const auto data = command.separator ? DataFromText(*type, command.data, *command.separator)
                                        : DataFromText(*type, command.data);
    if (!data)
        return console.InvalidSyntax(operation);
    regapi::KeyHandle key;
    if (const long s =
            key.Create(command.key.root, command.key.path, regapi::KEY_ALL_ACCESS | command.view);
        s != regapi::kSuccess)
        return console.Failure(s);
    const std::string name = command.valueName.value_or("");
    uint32_t existingType = 0;
    const long found = regapi::QueryValue(key.Get(), name, &existingType, nullptr, nullptr);
    if (found != regapi::kSuccess && found != regapi::kFileNotFound)
        return console.Failure(found);
    if (found == regapi::kSuccess && !command.force &&
        !console.Confirm("Value " + ValueLabel(name) + " exists, overwrite(Yes/No)? "))
        return console.Cancelled();
    const long s =
        regapi::SetValue(key.Get(), name, *type, reinterpret_cast<const uint8_t*>(data->data()),
                         static_cast<uint32_t>(data->size()));
    return s == regapi::kSuccess ? console.Completed() : console.Failure(s);
}

int Delete(const Command& command, Console& console) {
    const bool wholeKey = !command.valueName && !command.defaultValue && !command.allValues;
    if (wholeKey && command.key.path.empty())
        return console.InvalidKeyName(command.operation); // a predefined root cannot be deleted
    const uint32_t access = regapi::KEY_ALL_ACCESS | command.view;
    regapi::KeyHandle key;
    if (const long s = key.Open(command.key.root, command.key.path, access); s != regapi::kSuccess)
        return console.Failure(s);
    long status = regapi::kSuccess;
    if (command.valueName || command.defaultValue) {
        const std::string name = command.valueName.value_or("");
        uint32_t type = 0;
        status = regapi::QueryValue(key.Get(), name, &type, nullptr, nullptr);
        if (status == regapi::kSuccess) {
            if (!command.force &&
                !console.Confirm("Delete the registry value " + ValueLabel(name) + " (Yes/No)? "))
                return console.Cancelled();
            status = regapi::DeleteValue(key.Get(), name);
        }
    } else if (command.allValues) {
        if (!command.force && !console.Confirm("Delete all values under the registry key " +
                                               command.key.fullName + " (Yes/No)? "))
            return console.Cancelled();
        // All names first, then the deletions: deleting while enumerating would shift the
        // positions still to come.
        std::vector<std::string> names;
        status = ValueNames(key.Get(), names);
        for (const auto& name : names) {
            if (status = regapi::DeleteValue(key.Get(), name); status != regapi::kSuccess)
                break;
        }
    } else {
        if (!command.force && !console.Confirm("Permanently delete the registry key " +
                                               command.key.fullName + " (Yes/No)? "))
            return console.Cancelled();
        key = regapi::KeyHandle(); // the tree's walk opens the key again
        status = DeleteTree(command.key.root, command.key.path, command.view);
    }
    return status == regapi::kSuccess ? console.Completed() : console.Failure(status);
}

} // namespace vellumo::regtool
