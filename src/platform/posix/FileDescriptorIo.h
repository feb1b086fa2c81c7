// Whole reads and writes on a file descriptor, retried when a signal interrupts them: the
// clipboard hand-over and the keeper pass the copied text through a pipe.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>
#include <unistd.h>

namespace vellumo::posixio {

// Writes every byte; false when the descriptor fails (a closed pipe, a full disk).
[[nodiscard]] inline bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Reads to the end of input into text; false on a read error or when more than `limit` bytes
// come.
[[nodiscard]] inline bool ReadAll(int fd, std::string& text, size_t limit) {
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (text.size() + static_cast<size_t>(n) > limit)
            return false;
        text.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace vellumo::posixio
