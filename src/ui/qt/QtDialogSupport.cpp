// Conversions, owner windows, device modes and hook sessions of the Qt dialogs.
#include "ui/qt/QtDialogSupport.h"

#include "library/CommonDialogFlags.h"

#include <QDialog>
#include <QEvent>
#include <QPageSize>
#include <QPrinter>
#include <QWidget>

#include <algorithm>

namespace vellumo::qtdlg {

using namespace cdlg;

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QWidget* OwnerWidget(WindowHandle owner) {
    if (owner == 0)
        return nullptr;
    return QWidget::find(static_cast<WId>(owner));
}

int32_t ColorRefFromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return Rgb(rgb.red(), rgb.green(), rgb.blue());
}

QColor QColorFromColorRef(int32_t colorRef) {
    const auto value = static_cast<uint32_t>(colorRef);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

DeviceMode DeviceModeFromPrinter(const QPrinter& printer) {
    // Paper lengths and widths are in tenths of a millimetre.
    constexpr double kTenthsPerMillimetre = 10.0;
    const QPageLayout layout = printer.pageLayout();
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
    const auto narrow = [](int value) {
        return static_cast<int16_t>(std::clamp(value, -32768, 32767));
    };

    DeviceMode mode;
    mode.deviceName = FitTextField(ToUtf8(printer.printerName()), CCHDEVICENAME);
    mode.fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_PRINTQUALITY | DM_COLOR |
                  DM_DUPLEX | DM_YRESOLUTION | DM_COLLATE;
    mode.orientation =
        layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.paperSize = narrow(layout.pageSize().windowsId());
    mode.paperLength = narrow(qRound(paper.height() * kTenthsPerMillimetre));
    mode.paperWidth = narrow(qRound(paper.width() * kTenthsPerMillimetre));
    mode.scale = 100;
    mode.copies = narrow(printer.copyCount());
    mode.printQuality = narrow(printer.resolution());
    mode.color = printer.colorMode() == QPrinter::Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        mode.duplex = DMDUP_VERTICAL;
        break;
    case QPrinter::DuplexShortSide:
        mode.duplex = DMDUP_HORIZONTAL;
        break;
    default:
        mode.duplex = DMDUP_SIMPLEX;
        break;
    }
    mode.yResolution = narrow(printer.resolution());
    mode.collate = printer.collateCopies() ? DMCOLLATE_TRUE : 0;
    mode.formName = FitTextField(ToUtf8(layout.pageSize().name()), CCHFORMNAME);
    return mode;
}

HookSession::HookSession(std::vector<HookSession*>& sessions, const DialogHookProc& hook,
                         QDialog& dialog)
    : sessions_(sessions), hook_(hook), dialog_(dialog) {
    if (hook_)
        handle_ = static_cast<WindowHandle>(dialog_.winId());
    sessions_.push_back(this);
}

HookSession::~HookSession() {
    std::erase(sessions_, this);
}

int HookSession::Run() {
    if (hook_)
        dialog_.installEventFilter(this);
    const int result = dialog_.exec();
    if (hook_) {
        dialog_.removeEventFilter(this);
        Send(WM_NCDESTROY, 0);
    }
    if (error_)
        std::rethrow_exception(error_);
    return result;
}

Variant HookSession::Notify(int32_t code) {
    messageResult_ = 0;
    NotifyHeader header;
    header.hwndFrom = static_cast<intptr_t>(handle_);
    header.code = static_cast<uint32_t>(code);
    return Send(WM_NOTIFY, reinterpret_cast<intptr_t>(&header));
}

bool HookSession::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &dialog_ && event->type() == QEvent::Show && !initSent_) {
        initSent_ = true;
        Send(WM_INITDIALOG, 0);
    }
    return QObject::eventFilter(watched, event);
}

Variant HookSession::Send(int32_t msg, intptr_t lParam) {
    if (!hook_ || error_)
        return Empty{};
    try {
        return hook_(handle_, msg, 0, lParam);
    } catch (...) {
        error_ = std::current_exception();
        // Leave the dialog once control is back in its event loop.
        QMetaObject::invokeMethod(
            &dialog_, [dialog = &dialog_] { dialog->reject(); }, Qt::QueuedConnection);
        return Empty{};
    }
}

} // namespace vellumo::qtdlg
