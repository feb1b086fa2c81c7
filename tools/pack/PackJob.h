// vellumo-pack's operations: packing and unpacking with the library's LZ coder, enciphering
// with the password keystream, each into an output written whole or not at all.
#pragma once

#include "PackCommandLine.h"
#include "PackProgress.h"

namespace vellumo::pack {

// Runs the request. Returns kExitSuccess, or kExitFailed once the reason is on standard error;
// an existing output file is then as it was. Throws Interrupted (Windows) when Ctrl+C stops it.
int RunRequest(const Request& request, ProgressDisplay& progress);

} // namespace vellumo::pack
