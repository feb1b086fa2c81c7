// The UI service on Qt: QMessageBox, the application's override cursor, QClipboard, QScreen and
// the diagnostic window.
#pragma once

#include "diagnostic/WindowHost.h"
#include "platform/UiService.h"

#include <QPointer>

namespace vellumo::ui {

class DiagnosticWindow;

// Also the window host of this build: the window and its message boxes belong together.
class QtUi : public UiService, public WindowHost {
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

    // Called when the event loop has ended: when the clipboard still holds a text this program
    // copied (by Copy To Clipboard or from the report box), hands it to the clipboard keeper (or,
    // through it, to a clipboard manager) so that it survives the program, as a copy does on the
    // product's home platform.
    void KeepClipboardAfterExit();

private:
    int pointer_ = kPointerDefault;
    bool overrideActive_ = false;
    bool windowShown_ = false;
    QPointer<DiagnosticWindow> window_;
};

} // namespace vellumo::ui
