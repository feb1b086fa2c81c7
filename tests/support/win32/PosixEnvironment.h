// setenv and unsetenv for the Windows test programs (the suites shared with Linux use them):
// both the C runtime's copy of the environment and the process's own block are changed, so
// getenv, ExpandEnvironmentStrings and child processes all see the change. Included in every
// Windows test program by the build.
#pragma once

#include <stdlib.h>

#include <string>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (name == nullptr || *name == '\0' || std::string(name).find('=') != std::string::npos)
        return -1;
    if (!overwrite && getenv(name) != nullptr)
        return 0;
    // An empty value would remove the variable: the closest a Windows environment gets.
    return _putenv_s(name, value != nullptr ? value : "") == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) {
    if (name == nullptr || *name == '\0')
        return -1;
    return _putenv_s(name, "") == 0 ? 0 : -1;
}
