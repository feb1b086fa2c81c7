// Registry scripts (.reg files) as the Windows registry tools write and read them: a key's
// section for export, and a whole file read into the keys and values it sets or deletes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::regtool {

// One value to write or one read. For the text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// `data` is the text in UTF-8 with its NUL characters as stored (a REG_SZ normally ends with
// one); for every other type it is the stored bytes.
struct RegFileValue {
    std::string name; // empty for the default value
    uint32_t type = 0;
    std::string data;
};

// The start of a file: the version line and a blank line (UTF-8, CR LF).
[[nodiscard]] std::string RegFileStart();

// One key's section: "[full name]", a line for each value (the default value, "@", first) and
// a blank line. A REG_SZ that is one line of text ending in its only NUL is written as a quoted
// text; every other text, and the texts of REG_EXPAND_SZ and REG_MULTI_SZ, as UTF-16LE bytes
// (hex(1), hex(2), hex(7)); a four-byte REG_DWORD as dword:; everything else as hex bytes,
// "hex:" for REG_BINARY and "hex(type):" for the others. Byte lists are wrapped with "\" so that
// no line is longer than 80 characters.
[[nodiscard]] std::string RegFileSection(std::string_view fullName,
                                         const std::vector<RegFileValue>& values);

// The file's bytes: a UTF-16LE byte-order mark and the text in UTF-16LE.
[[nodiscard]] std::string RegFileBytes(std::string_view utf8);

// What one line of a script does.
struct RegFileEntry {
    enum class Kind {
        kKey,         // [Key]: create the key; the values after it go into it
        kDeleteKey,   // [-Key]: delete the key and everything below it
        kValue,       // "Name"=data or @=data: set the value in the last key
        kDeleteValue, // "Name"=-: delete the value from the last key
    };
    Kind kind = Kind::kKey;
    std::string key; // the full key name, as written between the brackets
    RegFileValue value;
    size_t line = 0; // where it starts, from 1
};

struct RegFileContents {
    // False when the file does not start with a version line: it is not a registry script.
    bool isScript = false;
    std::vector<RegFileEntry> entries;
    // Why the file cannot be read (empty when it can), and the line it concerns.
    std::string problem;
    size_t problemLine = 0;
};

// Reads a whole script: UTF-16LE after its byte-order mark, or 8-bit text (UTF-8 after its mark,
// or text that `narrowToUtf8` converts: the system's encoding). The first line is
// "Windows Registry Editor Version 5.00", whose hex(1), hex(2) and hex(7) data are UTF-16LE, or
// "REGEDIT4", whose are 8-bit text. Lines end with CR LF or LF; blank lines and lines starting
// with ";" are passed over; a byte list continues on the next line after a "\". Texts and
// names are quoted, with "\\" for a backslash and "\"" for a quote. The whole file is read
// before anything is returned: a line that is not valid gives its reason and no entries.
[[nodiscard]] RegFileContents
ParseRegFile(std::string_view bytes,
             const std::function<std::string(std::string_view)>& narrowToUtf8);

} // namespace vellumo::regtool
