// The UI service on Qt: QMessageBox, the application's override cursor, QClipboard, QScreen and
// the diagnostic window.
#pragma once

#include "ui/UiService.h"

#include <QPointer>

namespace vellumo::ui {

class DiagnosticWindow;

class QtUi : public UiService {
public:
    QtUi();
    ~QtUi() override;

    void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) override;
    void SetMousePointer(int pointer) override;
    [[nodiscard]] int MousePointer() const override { return pointer_; }
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    [[nodiscard]] ScreenFacts Screen() const override;
    void ShowDiagnosticWindow() override;

    // The window shown by ShowDiagnosticWindow while it is open (it deletes itself on close).
    [[nodiscard]] DiagnosticWindow* Window() const;
    [[nodiscard]] bool WindowShown() const { return windowShown_; }

private:
    int pointer_ = kPointerDefault;
    bool overrideActive_ = false;
    bool windowShown_ = false;
    QPointer<DiagnosticWindow> window_;
};

} // namespace vellumo::ui
