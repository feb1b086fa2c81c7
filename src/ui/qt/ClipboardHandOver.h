// Hands a copied text to the clipboard keeper (vellumo-clipboard-keeper, beside the program or in
// its installed folder), so that the clipboard keeps it after the program has ended.
#pragma once

#include <string>

namespace vellumo::ui {

// Starts the keeper with the text and waits (a few seconds at most) until it holds the
// clipboard. False when the keeper is missing, fails or does not answer in time; the clipboard
// then ends with the program, as it did before.
[[nodiscard]] bool HandClipboardToKeeper(const std::string& text);

} // namespace vellumo::ui
