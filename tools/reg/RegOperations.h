// vellumo-reg's operations, each run on a parsed command line with the reg tool's output,
// messages and exit status (0 success, 1 failure; a question answered no is a success).
#pragma once

#include "RegCommand.h"
#include "RegConsole.h"

namespace vellumo::regtool {

// query: a key's values and subkeys, a value, or (/s) a whole tree or a search for a value.
int Query(const Command& command, Console& console);
// add: creates the key and sets a value, asking before one is overwritten.
int Add(const Command& command, Console& console);
// delete: a value, all values, or the key with everything below it, asking first.
int Delete(const Command& command, Console& console);
// export: the key's tree as a registry script, asking before an existing file is replaced. The
// file is written whole or not at all.
int Export(const Command& command, Console& console);
// import: the keys and values of a registry script, once the whole file has been read.
int Import(const Command& command, Console& console);

} // namespace vellumo::regtool
