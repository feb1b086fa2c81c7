// What the program and its window module on Linux agree on: the module's file name, its entry
// and the status by which the entry says that no display could be opened.
#pragma once

#include <cstddef>

namespace vellumo::window_module {

inline constexpr const char* kFileName = "libvellumo-gui.so";
inline constexpr const char* kEntryName = "vellumo_run_with_window";
// The entry's status when no display can be opened: the program then runs headless.
inline constexpr int kNoDisplay = -1;

// Runs the program with its window and returns its exit status; kNoDisplay, with the reason in
// `reason` (NUL-terminated, cut to reasonSize), when no display can be opened.
using Entry = int (*)(int argc, char* argv[], char* reason, size_t reasonSize);

} // namespace vellumo::window_module
