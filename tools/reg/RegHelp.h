// vellumo-reg's usage texts: the tool's and one for each operation, with every option and
// examples.
#pragma once

#include <iosfwd>
#include <string_view>

namespace vellumo::regtool {

// Prints the usage of the operation ("QUERY" ...; the tool's for an empty or unknown one) to
// `out`; returns the exit status of a help request, 0.
int PrintUsage(std::string_view operation, std::ostream& out);

} // namespace vellumo::regtool
