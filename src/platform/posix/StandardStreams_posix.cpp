// Standard output and standard error on Linux: the C library's streams.
#include "platform/StandardStreams.h"

#include <cstdio>

namespace vellumo::streams {

void ConnectStandardStreams() {}

bool WriteStandardOutput(std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && written;
}

void WriteStandardError(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace vellumo::streams
