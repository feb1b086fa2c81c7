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

// A file that comes with the program, beside the executable (the build tree, an installed tree
// wherever it was moved to, a copied program): its full path, or the empty text when it is not
// there. The executable's folder is its real one, even when the program was started through a
// link.
[[nodiscard]] std::string CompanionFile(const std::string& name);

} // namespace vellumo::probes
