// The headless UI service: message boxes on standard error.
#include "platform/HeadlessUi.h"

#include <cstdio>
#include <string>

namespace vellumo::ui {

void HeadlessUi::MsgBox(std::string_view text, MsgIcon /*icon*/, std::string_view title) {
    std::string line(title);
    line += ": ";
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

bool HeadlessUi::SetClipboardText(const std::string& /*text*/) {
    // Without a display there is no clipboard to open.
    return false;
}

} // namespace vellumo::ui
