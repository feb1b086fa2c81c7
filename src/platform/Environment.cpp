// Environment variables through the C library, the same on every platform.
#include "platform/Environment.h"

#include <cstdlib>

namespace vellumo {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool HasEnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace vellumo
