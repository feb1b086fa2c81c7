// Pieces the Qt dialogs share: text and colour conversions, owner windows, the printer's device
// mode, and the session that turns one dialog's life into hook events.
#pragma once

#include "library/DialogBackend.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <exception>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

namespace vellumo::qtdlg {

[[nodiscard]] QString ToQString(std::string_view utf8);
[[nodiscard]] std::string ToUtf8(const QString& text);

// The widget of a native window id; nullptr for 0 and unknown ids.
[[nodiscard]] QWidget* OwnerWidget(WindowHandle owner);

// 0x00BBGGRR and back.
[[nodiscard]] int32_t ColorRefFromQColor(const QColor& color);
[[nodiscard]] QColor QColorFromColorRef(int32_t colorRef);

// The device-mode fields of a printer's current settings.
[[nodiscard]] DeviceMode DeviceModeFromPrinter(const QPrinter& printer);

// Delivers one dialog's events to a record's hook: WM_INITDIALOG when the dialog is first shown,
// WM_NOTIFY codes while it runs, WM_NCDESTROY when it has closed. Registered in the backend's
// list of open dialogs for SetMessageResult. An exception from the hook is kept, the dialog is
// rejected, and Run throws it again once the dialog has closed.
class HookSession : public QObject {
public:
    HookSession(std::vector<HookSession*>& sessions, const DialogHookProc& hook, QDialog& dialog);
    ~HookSession() override;
    HookSession(const HookSession&) = delete;
    HookSession& operator=(const HookSession&) = delete;

    [[nodiscard]] bool Hooked() const { return static_cast<bool>(hook_); }
    [[nodiscard]] WindowHandle Handle() const { return handle_; }

    // Runs the dialog modally and returns its result code.
    int Run();
    // Sends WM_NOTIFY with a notification code; the hook's answer (Empty without a hook).
    Variant Notify(int32_t code);
    // The message result the hook set during the last Notify (0 when it set none).
    [[nodiscard]] intptr_t MessageResult() const { return messageResult_; }
    void SetMessageResult(intptr_t result) { messageResult_ = result; }
    // True once the hook has thrown; the dialog is then on its way out.
    [[nodiscard]] bool Failed() const { return static_cast<bool>(error_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Variant Send(int32_t msg, intptr_t lParam);

    std::vector<HookSession*>& sessions_;
    DialogHookProc hook_;
    QDialog& dialog_;
    WindowHandle handle_ = 0;
    intptr_t messageResult_ = 0;
    bool initSent_ = false;
    std::exception_ptr error_;
};

} // namespace vellumo::qtdlg
