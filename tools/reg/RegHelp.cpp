// vellumo-reg's usage texts.
#include "RegHelp.h"

#include "RegConsole.h"

#include <array>
#include <ostream>
#include <utility>

namespace vellumo::regtool {
namespace {

constexpr const char* kToolUsage = R"(
REG Operation [Parameter List]

  Operation  [ QUERY | ADD | DELETE | EXPORT | IMPORT ]

Return code: 0 - Successful
             1 - Failed

For help on a specific operation type:

  REG Operation /?

Examples:

  REG QUERY /?
  REG ADD /?
  REG DELETE /?
  REG EXPORT /?
  REG IMPORT /?
)";

// The key name's description, shared by the operations that take one.
constexpr const char* kKeyNameHelp = R"(
  KeyName  ROOTKEY\SubKey
    ROOTKEY  [ HKLM | HKCU | HKCR | HKU | HKCC ], or the long names
             HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT,
             HKEY_USERS and HKEY_CURRENT_CONFIG, in any letter case
    SubKey   The full name of a registry key under the selected ROOTKEY,
             its levels separated by backslashes.
    Quote the key name on a Linux shell's command line, as in
    "HKCU\Software\Kestrova": unquoted, the shell takes the backslashes away.
)";

// The registry view options, shared by every operation; printed after the operation's own.
constexpr const char* kViewHelp =
    "  /reg:32  Uses the 32-bit view of the registry (64-bit Windows).\n"
    "  /reg:64  Uses the 64-bit view of the registry (64-bit Windows).\n"
    "           The registry store on Linux has one view: both are accepted\n"
    "           there and change nothing.\n";

constexpr const char* kQueryUsage = R"(
REG QUERY KeyName [/v ValueName | /ve] [/s] [/se Separator] [/reg:32 | /reg:64]
)";

constexpr const char* kQueryOptions = R"(
  /v       Queries the value named ValueName of the key.
  /ve      Queries the key's default value, the value without a name,
           shown as (Default).
  /s       Queries the key, all keys below it and their values. With /v or
           /ve, shows every key below that has the value, and the number of
           matches.
  /se      The character shown between the items of REG_MULTI_SZ data;
           \0 when not given.

Examples:

  REG QUERY "HKCU\Software\Kestrova\Vellumo\Debug" /v On
    Shows the value On of the key HKCU\Software\Kestrova\Vellumo\Debug.

  REG QUERY "HKCU\Software\Kestrova\Vellumo" /s
    Shows the key, all keys below it and all their values.

  REG QUERY "HKCU\Software\Kestrova\Vellumo" /v Files /s /se #
    Shows every value named Files below the key, with # between the
    items of REG_MULTI_SZ data.
)";

constexpr const char* kAddUsage = R"(
REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]
        [/reg:32 | /reg:64]
)";

constexpr const char* kAddOptions = R"(
  /v       The name of the value to add or change.
  /ve      Adds or changes the key's default value, the value without a
           name. /t and /d without /v also set the default value. With none
           of /v, /ve, /t and /d, the key is created and its default value
           set to an empty REG_SZ.
  /t       The value's type, REG_SZ when not given:
             [ REG_SZ | REG_MULTI_SZ | REG_EXPAND_SZ | REG_DWORD | REG_QWORD |
               REG_BINARY | REG_NONE | REG_DWORD_BIG_ENDIAN |
               REG_DWORD_LITTLE_ENDIAN ]
  /s       The one character that separates the items of REG_MULTI_SZ data
           in /d; \0 (a backslash and a zero) when not given.
  /d       The data of the value:
             REG_SZ, REG_EXPAND_SZ, REG_NONE   a text (empty when not given)
             REG_DWORD, REG_QWORD              a number, decimal or hexadecimal
                                               after 0x; /d is required
             REG_BINARY                        hexadecimal digits, two a byte
             REG_MULTI_SZ                      texts with the separator between
  /f       Overwrites an existing value without asking.

Examples:

  REG ADD "HKCU\Software\Kestrova\Vellumo\Debug" /v On /t REG_DWORD /d 1 /f
    Switches the debug mode on, overwriting the value if it exists.

  REG ADD "HKCU\Software\Kestrova\Vellumo" /v Paths /t REG_MULTI_SZ /s # /d a#b
    Adds a REG_MULTI_SZ value with the two texts a and b.

  REG ADD "HKCU\Software\Kestrova\Vellumo" /v Mask /t REG_BINARY /d 0aff
    Adds a REG_BINARY value of the two bytes 0A and FF.

  REG ADD "HKCU\Software\Kestrova\Vellumo\Files"
    Creates the key, with an empty default value.
)";

constexpr const char* kDeleteUsage = R"(
REG DELETE KeyName [/v ValueName | /ve | /va] [/f] [/reg:32 | /reg:64]
)";

constexpr const char* kDeleteOptions = R"(
  /v       Deletes the value named ValueName of the key.
  /ve      Deletes the key's default value, the value without a name.
  /va      Deletes all values of the key; the keys below it are kept.
           Without /v, /ve and /va the key is deleted with everything below it.
  /f       Deletes without asking.

Examples:

  REG DELETE "HKCU\Software\Kestrova\Vellumo\Debug" /v On /f
    Deletes the value On without asking.

  REG DELETE "HKCU\Software\Kestrova\Vellumo\Files"
    Deletes the key and everything below it, after asking.
)";

constexpr const char* kExportUsage = R"(
REG EXPORT KeyName FileName [/y] [/reg:32 | /reg:64]
)";

constexpr const char* kExportOptions = R"(
  FileName The registry script to write: a .reg file in the format of the
           Windows registry tools (UTF-16LE with a byte-order mark, CR LF),
           holding the key, all keys below it and their values.
  /y       Overwrites an existing file without asking.

Examples:

  REG EXPORT "HKCU\Software\Kestrova\Vellumo" vellumo.reg
    Writes the product's settings to vellumo.reg, to send to support.
)";

constexpr const char* kImportUsage = R"(
REG IMPORT FileName [/reg:32 | /reg:64]
)";

constexpr const char* kImportOptions = R"(
  FileName The registry script to read: a .reg file written by REG EXPORT or
           by the Windows registry tools, or by hand in their format. It
           creates the keys in brackets and sets the values below them;
           [-Key] deletes a key, "Name"=- a value. The whole file is checked
           before anything is changed.

Examples:

  REG IMPORT vellumo.reg
    Sets the keys and values that vellumo.reg holds.
)";

struct OperationHelp {
    std::string_view name;
    const char* usage;
    bool keyName;
    const char* options;
};

constexpr std::array<OperationHelp, 5> kOperationHelp = {{
    {"QUERY", kQueryUsage, true, kQueryOptions},
    {"ADD", kAddUsage, true, kAddOptions},
    {"DELETE", kDeleteUsage, true, kDeleteOptions},
    {"EXPORT", kExportUsage, true, kExportOptions},
    {"IMPORT", kImportUsage, false, kImportOptions},
}};

} // namespace

int PrintUsage(std::string_view operation, std::ostream& out) {
    for (const OperationHelp& help : kOperationHelp) {
        if (help.name == operation) {
            const std::string_view options = help.options;
            const size_t examples = options.find("\nExamples:");
            out << help.usage << (help.keyName ? kKeyNameHelp : "") << options.substr(0, examples)
                << kViewHelp << options.substr(examples);
            return kExitSuccess;
        }
    }
    out << kToolUsage;
    return kExitSuccess;
}

} // namespace vellumo::regtool
