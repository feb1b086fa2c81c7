// The UI service without a display: message boxes go to standard error as "title: text" (the
// first button taken), the clipboard is unavailable, and showing the window runs its load only.
#pragma once

#include "ui/UiService.h"

namespace vellumo::ui {

class HeadlessUi : public UiService {
public:
    void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) override;
    void SetMousePointer(int pointer) override { pointer_ = pointer; }
    [[nodiscard]] int MousePointer() const override { return pointer_; }
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    [[nodiscard]] ScreenFacts Screen() const override { return ScreenFacts{}; }
    // Runs the window's load (so the report is complete) and its first activation.
    void ShowDiagnosticWindow() override;

    // True once ShowDiagnosticWindow has run: the run reached the point of showing the window.
    [[nodiscard]] bool WindowShown() const { return windowShown_; }

private:
    int pointer_ = kPointerDefault;
    bool windowShown_ = false;
};

} // namespace vellumo::ui
