// Value types and data in the reg tool's text forms: type names, "/d" data to stored bytes,
// stored bytes to the text that "query" prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo::regtool {

// The value of a hexadecimal digit in either case; -1 for any other character.
[[nodiscard]] int HexDigit(char c);
// The type's name ("REG_SZ"), or "0x" and its number in hex for a type without one.
[[nodiscard]] std::string TypeName(uint32_t type);
// The type named (case-insensitive, as "add /t" takes it); nullopt for an unsupported name.
[[nodiscard]] std::optional<uint32_t> TypeFromName(std::string_view name);
// The bytes to store for "/d" data of a type; nullopt when the data does not suit the type (a
// number that is not one, a hex string with other characters, empty items of a list) and for a
// number type without data. `separator` stands between the items of REG_MULTI_SZ data.
[[nodiscard]] std::optional<std::string> DataFromText(uint32_t type,
                                                      const std::optional<std::string>& text,
                                                      std::string_view separator = "\\0");
// The data as "query" prints it: texts up to their NUL, DWORDs as 0x hex, multi-strings with
// `separator` between items, everything else as hex bytes.
[[nodiscard]] std::string DataToText(uint32_t type, std::string_view data,
                                     std::string_view separator = "\\0");

} // namespace vellumo::regtool
