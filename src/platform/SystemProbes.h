// Facts about the running program and the platform's optional components that the installation
// checks probe. None of them throws.
#pragma once

#include <string>

namespace vellumo::probes {

// The folder of the running executable without trailing separator; empty when unknown.
[[nodiscard]] std::string ExecutableFolder();
// The data-access layer's version text. Windows: the "Version" of an "ADODB.Connection" object;
// Linux: the SQLite library's version. Empty when it cannot be determined.
[[nodiscard]] std::string DataAccessVersionText();
// Windows: a "Scripting.FileSystemObject" can be created; Linux: /bin/sh is executable.
[[nodiscard]] bool ScriptingRuntimeAvailable();

} // namespace vellumo::probes
