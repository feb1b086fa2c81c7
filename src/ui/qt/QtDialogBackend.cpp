// The Qt dialog backend's own state (open dialogs, kept printers, system colours) and its colour
// and font dialogs.
#include "ui/qt/QtDialogBackend.h"
#include "ui/qt/QtDialogSupport.h"

#include "library/CommonDialogFlags.h"
#include "platform/NumberText.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QPalette>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace vellumo {

using namespace cdlg;
using qtdlg::HookSession;

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kDefaultDpi = 96.0;

double ScreenDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : kDefaultDpi;
}

// The font a LOGFONT and a size in tenths describe. Qt sizes can be fractional, so the exact
// tenths are used; the pixel height only when no size is given.
QFont FontFromRecord(const ChooseFontRecord& record) {
    QFont font(qtdlg::ToQString(record.logFont.faceName));
    if (record.pointSize > 0)
        font.setPointSizeF(record.pointSize / 10.0);
    else if (record.logFont.height < 0)
        font.setPointSizeF(-record.logFont.height * kPointsPerInch / ScreenDpiY());
    else if (record.logFont.height > 0)
        font.setPixelSize(record.logFont.height);
    // Weight 0 is "don't care".
    const int weight = record.logFont.weight > 0 ? std::clamp(record.logFont.weight, 1, 1000)
                                                 : static_cast<int>(QFont::Normal);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(record.logFont.italic);
    font.setUnderline(record.logFont.underline);
    font.setStrikeOut(record.logFont.strikeOut);
    return font;
}

void FontToRecord(const QFont& font, ChooseFontRecord& record) {
    double points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * kPointsPerInch / ScreenDpiY();
    if ((record.flags & CF_LIMITSIZE) != 0) {
        if (record.sizeMin > 0)
            points = std::max(points, static_cast<double>(record.sizeMin));
        if (record.sizeMax > 0)
            points = std::min(points, static_cast<double>(record.sizeMax));
    }
    record.pointSize = RoundToLong(points * 10.0);
    record.logFont.height = -RoundToLong(points * ScreenDpiY() / kPointsPerInch);
    // Qt's weights are on the same 100 to 900 scale.
    record.logFont.weight = static_cast<int32_t>(font.weight());
    record.logFont.italic = font.italic();
    record.logFont.underline = font.underline();
    record.logFont.strikeOut = font.strikeOut();
    record.logFont.faceName = FitFaceName(qtdlg::ToUtf8(font.family()));
    int16_t type = SCREEN_FONTTYPE;
    type |= record.logFont.weight >= static_cast<int32_t>(QFont::DemiBold) ? BOLD_FONTTYPE
                                                                           : REGULAR_FONTTYPE;
    if (font.italic())
        type |= ITALIC_FONTTYPE;
    record.fontType = type;
}

} // namespace

QtDialogBackend::QtDialogBackend() = default;
QtDialogBackend::~QtDialogBackend() = default;

void QtDialogBackend::SetMessageResult(WindowHandle dialog, intptr_t result) {
    for (HookSession* session : sessions_) {
        if (session->Hooked() && session->Handle() == dialog)
            session->SetMessageResult(result);
    }
}

std::optional<int32_t> QtDialogBackend::SystemColor(int index) const {
    struct Role {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    static constexpr Role kRoles[16] = {
        {QPalette::Active, QPalette::Button},
        {QPalette::Active, QPalette::Shadow},
        {QPalette::Active, QPalette::Highlight},
        {QPalette::Inactive, QPalette::Highlight},
        {QPalette::Active, QPalette::Window},
        {QPalette::Active, QPalette::Base},
        {QPalette::Active, QPalette::Dark},
        {QPalette::Active, QPalette::WindowText},
        {QPalette::Active, QPalette::Text},
        {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Mid},
        {QPalette::Active, QPalette::Midlight},
        {QPalette::Active, QPalette::Dark},
        {QPalette::Active, QPalette::Highlight},
        {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Button},
    };
    if (index < 0 || index >= 16 || QGuiApplication::instance() == nullptr)
        return std::nullopt;
    const Role& role = kRoles[index];
    return qtdlg::ColorRefFromQColor(QGuiApplication::palette().color(role.group, role.role));
}

DeviceContext QtDialogBackend::DefaultPrinterDC() {
    std::unique_ptr<QPrinter> printer = MakePrinter();
    return printer ? KeepPrinter(std::move(printer)) : 0;
}

void QtDialogBackend::ReleasePrinterDC(DeviceContext dc) {
    printers_.erase(dc);
}

QPrinter* QtDialogBackend::PrinterForDC(DeviceContext dc) const {
    const auto it = printers_.find(dc);
    return it != printers_.end() ? it->second.get() : nullptr;
}

DeviceContext QtDialogBackend::KeepPrinter(std::unique_ptr<QPrinter> printer) {
    const DeviceContext dc = nextDC_++;
    printers_[dc] = std::move(printer);
    return dc;
}

DialogOutcome QtDialogBackend::ShowColor(ChooseColorRecord& record) {
    QColorDialog dialog(qtdlg::OwnerWidget(record.owner));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if ((record.flags & CC_RGBINIT) != 0)
        dialog.setCurrentColor(qtdlg::QColorFromColorRef(record.rgbResult));
    // Qt keeps one application-wide table of custom colours; it holds the record's while the
    // dialog is up.
    const int count = std::min(QColorDialog::customCount(), static_cast<int>(16));
    for (int i = 0; i < count; ++i)
        QColorDialog::setCustomColor(
            i, qtdlg::QColorFromColorRef(record.customColors[static_cast<size_t>(i)]));

    HookSession session(sessions_, record.hook, dialog);
    if (session.Run() != QDialog::Accepted)
        return {0, 0};
    record.rgbResult = qtdlg::ColorRefFromQColor(dialog.selectedColor());
    for (int i = 0; i < count; ++i)
        record.customColors[static_cast<size_t>(i)] =
            qtdlg::ColorRefFromQColor(QColorDialog::customColor(i));
    return {1, 0};
}

DialogOutcome QtDialogBackend::ShowFont(ChooseFontRecord& record) {
    QFontDialog dialog(FontFromRecord(record), qtdlg::OwnerWidget(record.owner));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if ((record.flags & CF_FIXEDPITCHONLY) != 0)
        dialog.setOption(QFontDialog::MonospacedFonts);
    if ((record.flags & CF_SCALABLEONLY) != 0)
        dialog.setOption(QFontDialog::ScalableFonts);

    HookSession session(sessions_, record.hook, dialog);
    if (session.Run() != QDialog::Accepted)
        return {0, 0};
    FontToRecord(dialog.selectedFont(), record);
    return {1, 0};
}

} // namespace vellumo
