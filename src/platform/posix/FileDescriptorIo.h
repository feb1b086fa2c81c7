// Whole reads and writes on a file descriptor, retried when a signal interrupts them: the
// clipboard hand-over and the keeper pass the copied text through a pipe.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <poll.h>
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

// One read into text: 1 when bytes came, 0 at the end of input, -1 on a read error or when
// more than `limit` bytes would be held.
[[nodiscard]] inline int ReadSome(int fd, std::string& text, size_t limit) {
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? 0 : -1;
        if (text.size() + static_cast<size_t>(n) > limit)
            return -1;
        text.append(buffer, static_cast<size_t>(n));
        return 1;
    }
}

// Reads to the end of input into text; false on a read error or when more than `limit` bytes
// come.
[[nodiscard]] inline bool ReadAll(int fd, std::string& text, size_t limit) {
    int got = 0;
    while ((got = ReadSome(fd, text, limit)) > 0) {
    }
    return got == 0;
}

// Reads to the end of input (the writer closed its end) into text, waiting no longer than `wait`
// in all: false when the time ran out first, on a read error or beyond `limit` bytes. For an
// answer from a child process that may be stuck.
[[nodiscard]] inline bool ReadAllWithin(int fd, std::string& text, size_t limit,
                                        std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd readable{fd, POLLIN, 0};
        const int ready = poll(&readable, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const int got = ReadSome(fd, text, limit);
        if (got <= 0)
            return got == 0;
    }
}

} // namespace vellumo::posixio
