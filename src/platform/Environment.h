// Reading the process's environment variables.
#pragma once

#include <string>

namespace vellumo {

// The variable's value; the empty text when it is not set.
[[nodiscard]] std::string EnvironmentValue(const char* name);
// True when the variable is set to a non-empty value: an empty DISPLAY names no display, as an
// unset one does.
[[nodiscard]] bool HasEnvironmentValue(const char* name);

} // namespace vellumo
