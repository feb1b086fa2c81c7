// Keeps a text on the X11 clipboard after the program that copied it has ended: the keeper owns
// the CLIPBOARD selection and answers requests for it until another program takes the clipboard.
// When a clipboard manager runs, the text is handed to it instead (its SAVE_TARGETS request).
#pragma once

#include <functional>
#include <string>

namespace vellumo::x11 {

enum class KeepResult {
    Replaced,       // another program took the clipboard: nothing is left to keep
    SavedByManager, // a clipboard manager holds a copy now
    NoDisplay,      // the X11 display could not be opened
    NotOwner,       // the clipboard could not be taken
    DisplayClosed,  // the display went away
};

// Takes the CLIPBOARD selection with `text` (UTF-8) on the display named by DISPLAY, calls
// `onOwned` once the selection is ours (or not at all on NoDisplay and NotOwner), then serves it
// (UTF8_STRING, STRING, TEXT, text/plain, large texts in increments) until the result says
// why it stopped. Blocks; one thread.
KeepResult KeepClipboardText(const std::string& text, const std::function<void()>& onOwned);

} // namespace vellumo::x11
