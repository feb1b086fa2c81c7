// The commands of vellumo-reg: "query", "add", "delete", "export" and "import" with the Windows
// reg tool's options, output layout, messages and exit status (0 success, 1 failure).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vellumo::regtool {

// Runs one command. Questions that would need an answer (overwrite, delete without /f) are
// read from `in` as a line starting with y or n; the end of input counts as no.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

} // namespace vellumo::regtool
