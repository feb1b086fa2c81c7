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

// A file that comes with the program: beside the executable (the build tree, a copied program),
// else in `installedFolder` relative to the executable's folder (an installed tree, wherever it
// was moved to). The full path, or the empty text when it is in neither place.
[[nodiscard]] std::string CompanionFile(const std::string& name,
                                        const std::string& installedFolder);

} // namespace vellumo::probes
