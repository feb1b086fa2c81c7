// vellumo-reg export and import: registry scripts in the format of the Windows registry tools.
#include "RegFile.h"
#include "RegOperations.h"
#include "RegSystem.h"
#include "RegTree.h"
#include "platform/RegistryConstants.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/Text.h"
#include "platform/WholeFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>

namespace vellumo::regtool {
namespace {

// A registry script larger than this is refused unread: the product's keys export to a few
// kilobytes, and reading no further keeps an endless file (/dev/zero) from filling memory.
constexpr size_t kLargestScript = size_t{64} << 20;
constexpr size_t kReadChunk = 64 * 1024;

bool IsTextType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The sections of a key and every key below it.
long ExportTree(regapi::RegKey top, const std::string& fullName, uint32_t access,
                std::string& text) {
    std::string path = fullName;
    return WalkTree(top, path, access, [&text](regapi::RegKey key, const std::string& keyPath) {
        std::vector<std::string> names;
        if (const long s = ValueNames(key, names); s != regapi::kSuccess)
            return s;
        std::vector<RegFileValue> values;
        for (const std::string& name : names) {
            StoredValue stored;
            const long s = ReadValue(key, name, stored);
            if (s == regapi::kFileNotFound)
                continue; // deleted by another process since it was listed
            if (s != regapi::kSuccess)
                return s;
            values.push_back(
                {SystemTextToUtf8(name), stored.type,
                 IsTextType(stored.type) ? SystemTextToUtf8(stored.data) : std::move(stored.data)});
        }
        text += RegFileSection(SystemTextToUtf8(keyPath), values);
        return regapi::kSuccess;
    });
}

struct FileRead {
    std::string bytes;
    std::string problem; // empty when read
};

FileRead ReadScript(const std::string& file) {
    FileRead read;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(file.c_str(), "rb"),
                                                           &std::fclose);
    if (!stream) {
        read.problem = std::strerror(errno);
        return read;
    }
    std::string chunk(kReadChunk, '\0');
    for (;;) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), stream.get());
        read.bytes.append(chunk, 0, n);
        if (read.bytes.size() > kLargestScript) {
            read.problem = "it is larger than 64 MiB";
            return read;
        }
        if (n < chunk.size()) {
            if (std::ferror(stream.get()))
                read.problem = std::strerror(errno);
            return read;
        }
    }
}

// An entry of the script with its key and names in the registry's encoding.
struct Change {
    RegFileEntry::Kind kind;
    KeyName key;
    std::string name;
    uint32_t type = 0;
    std::string data;
};

} // namespace

int Export(const Command& command, Console& console) {
    const uint32_t access = regapi::KEY_READ | command.view;
    regapi::KeyHandle key;
    if (const long s = key.Open(command.key.root, command.key.path, access); s != regapi::kSuccess)
        return console.Failure(s);
    if (!command.force && PathExists(command.file) &&
        !console.Confirm("File " + command.file + " already exists, overwrite(Yes/No)? "))
        return console.Cancelled();
    std::string text = RegFileStart();
    if (const long s = ExportTree(key.Get(), command.key.fullName, access, text);
        s != regapi::kSuccess)
        return console.Failure(s);
    WholeFileWriter writer(SystemTextToUtf8(command.file));
    if (!writer.IsOpen() || !writer.Write(RegFileBytes(text)) || !writer.Commit()) {
        console.Err() << "ERROR: Unable to write to the file " << command.file << ": "
                      << writer.Error() << ".\n";
        return kExitFailure;
    }
    return console.Completed();
}

int Import(const Command& command, Console& console) {
    std::ostream& err = console.Err();
    const FileRead read = ReadScript(command.file);
    if (!read.problem.empty()) {
        err << "ERROR: Error opening the file " << command.file << ": " << read.problem << ".\n";
        return kExitFailure;
    }
    const RegFileContents contents = ParseRegFile(read.bytes, SystemTextToUtf8);
    if (!contents.isScript) {
        err << "ERROR: The specified file is not a registry script. You can only import binary "
               "registry files from within the registry editor.\n";
        return kExitFailure;
    }
    const auto refuse = [&](size_t line, const std::string& why) {
        err << "ERROR: Line " << line << " of " << command.file << ": " << why
            << ". Nothing was imported.\n";
        return kExitFailure;
    };
    if (!contents.problem.empty())
        return refuse(contents.problemLine, contents.problem);

    // Every key and name is checked before the registry is changed.
    std::vector<Change> changes;
    for (const RegFileEntry& entry : contents.entries) {
        const auto key = ParseKeyName(Utf8ToSystemText(entry.key));
        if (!key || (entry.kind == RegFileEntry::Kind::kDeleteKey && key->path.empty()))
            return refuse(entry.line, "the key name " + entry.key + " is not valid");
        Change change{entry.kind, *key, Utf8ToSystemText(entry.value.name), entry.value.type,
                      IsTextType(entry.value.type) ? Utf8ToSystemText(entry.value.data)
                                                   : entry.value.data};
        if (CharLength(change.name) > regapi::kMaxValueNameLength)
            return refuse(entry.line, "the value name is longer than 16383 characters");
        changes.push_back(std::move(change));
    }

    const uint32_t access = regapi::KEY_ALL_ACCESS | command.view;
    regapi::KeyHandle current;
    for (const Change& change : changes) {
        long s = regapi::kSuccess;
        switch (change.kind) {
        case RegFileEntry::Kind::kKey:
            s = current.Create(change.key.root, change.key.path, access);
            break;
        case RegFileEntry::Kind::kDeleteKey:
            current = regapi::KeyHandle();
            s = DeleteTree(change.key.root, change.key.path, command.view);
            if (s == regapi::kFileNotFound)
                s = regapi::kSuccess; // already gone
            break;
        case RegFileEntry::Kind::kValue:
            s = regapi::SetValue(current.Get(), change.name, change.type,
                                 reinterpret_cast<const uint8_t*>(change.data.data()),
                                 static_cast<uint32_t>(change.data.size()));
            break;
        case RegFileEntry::Kind::kDeleteValue:
            s = regapi::DeleteValue(current.Get(), change.name);
            if (s == regapi::kFileNotFound)
                s = regapi::kSuccess;
            break;
        }
        if (s != regapi::kSuccess)
            return console.Failure(s);
    }
    return console.Completed();
}

} // namespace vellumo::regtool
