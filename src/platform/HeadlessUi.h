// The UI service without a display: message boxes go to standard error as "title: text" (the
// first button taken) and the clipboard is unavailable.
#pragma once

#include "platform/UiService.h"

namespace vellumo::ui {

class HeadlessUi : public UiService {
public:
    void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) override;
    void SetMousePointer(int pointer) override { pointer_ = pointer; }
    [[nodiscard]] int MousePointer() const override { return pointer_; }
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    [[nodiscard]] ScreenFacts Screen() const override { return ScreenFacts{}; }

private:
    int pointer_ = kPointerDefault;
};

} // namespace vellumo::ui
