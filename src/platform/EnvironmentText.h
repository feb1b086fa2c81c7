// Expansion of environment references in texts: "%NAME%", as the system expands registry texts
// and the paths of shell launches, and on request a POSIX shell's "$NAME" and "${NAME}".
#pragma once

#include <string>
#include <string_view>

namespace vellumo {

// Whether "$NAME" and "${NAME}" are references too, besides "%NAME%".
enum class DollarReferences { kKept, kExpanded };

// The text with its references replaced by the values of the variables in `environment`, a
// list of "NAME=value" entries ended by a null pointer (the layout of the POSIX `environ`; a
// null list is empty). One pass from left to right: a value put in is not searched again.
//
// "%NAME%": a "%", the name, the next "%". The name compares without regard to the case of
// ASCII letters, as the system's variables do (an exact match wins). An unknown name, and the
// empty one ("%%"), is kept as written with both percent signs and the text goes on after the
// second; a "%" with no other after it stays as it is.
//
// With DollarReferences::kExpanded also "$NAME" and "${NAME}" (NAME: ASCII letters, digits and
// "_", not starting with a digit), with the name compared exactly, as a shell does. An unknown
// name stays as written, and so does any other "$" (an unclosed "${", "$" before a digit).
[[nodiscard]] std::string ExpandEnvironmentText(std::string_view text, DollarReferences dollar,
                                                const char* const* environment);

} // namespace vellumo
