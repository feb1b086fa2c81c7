// Qt implementation of the UI service.
#include "ui/qt/QtUi.h"

#include "ui/qt/ClipboardHandOver.h"
#include "ui/qt/DiagnosticWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

namespace vellumo::ui {

namespace {
// How long the clipboard's change of owner may take to reach Qt after the keeper took it.
constexpr int kOwnershipChangeWaitMs = 1000;
// A window title's width as the window manager draws it, against the application's bold font.
constexpr int kTitleFontGrowthPercent = 125;
// The title bar's icon and its buttons, and the space between them, in title-bar heights.
constexpr int kTitleBarControls = 5;

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The width a window needs for the window manager to show its whole title: an estimate, as the
// window manager draws the title in a font of its own, usually a bold face a little larger than
// the application's, beside the window's icon and buttons (each about as wide as the bar is high).
int TitleWidth(const QWidget& window) {
    QFont titleFont = window.font();
    titleFont.setBold(true);
    const int text = QFontMetrics(titleFont).horizontalAdvance(window.windowTitle());
    const int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return text * kTitleFontGrowthPercent / 100 + kTitleBarControls * bar;
}

void WidenForTitle(QMessageBox& box) {
    // The box sizes itself to its text, which may be shorter than its title: a strut in its
    // layout keeps it at least as wide as the title needs.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(TitleWidth(box), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QtUi::QtUi() = default;

QtUi::~QtUi() {
    if (overrideActive_)
        QGuiApplication::restoreOverrideCursor();
}

void QtUi::MsgBox(std::string_view text, MsgIcon icon, std::string_view title) {
    QMessageBox box(ToQt(icon), FromUtf8(title),
                    FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::Ok);
    WidenForTitle(box);
    // A modal box shows the normal arrow even while the hourglass is set.
    box.exec();
}

void QtUi::SetMousePointer(int pointer) {
    pointer_ = pointer;
    if (pointer == kPointerHourglass && !overrideActive_) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        overrideActive_ = true;
    } else if (pointer == kPointerDefault && overrideActive_) {
        QGuiApplication::restoreOverrideCursor();
        overrideActive_ = false;
    }
}

bool QtUi::SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->setText(FromUtf8(text), QClipboard::Clipboard);
    return true;
}

void QtUi::KeepClipboardAfterExit() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Another program's text since the copy is not ours to keep. Ours is the Copy button's
    // report or a copy from the report box, as the clipboard holds it.
    if (clipboard == nullptr || !clipboard->ownsClipboard())
        return;
    if (!HandClipboardToKeeper(clipboard->text(QClipboard::Clipboard).toStdString()))
        return;
    // Let Qt learn that the keeper owns the clipboard now; otherwise it would offer the text to a
    // clipboard manager once more when it shuts down, and wait for an answer that never comes.
    QElapsedTimer waited;
    waited.start();
    while (clipboard->ownsClipboard() && waited.elapsed() < kOwnershipChangeWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kOwnershipChangeWaitMs / 10);
}

ScreenFacts QtUi::Screen() const {
    ScreenFacts facts;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return facts;
    facts.bitsPerPixel = screen->depth();
    facts.planes = 1;
    facts.logicalDpiX = qRound(screen->logicalDotsPerInchX());
    facts.logicalDpiY = qRound(screen->logicalDotsPerInchY());
    const QRect area = screen->availableGeometry();
    facts.workLeft = area.left();
    facts.workTop = area.top();
    facts.workRight = area.left() + area.width();
    facts.workBottom = area.top() + area.height();
    return facts;
}

void QtUi::ShowDiagnosticWindow() {
    window_ = new DiagnosticWindow(); // deletes itself on close (WA_DeleteOnClose)
    window_->show();
    window_->activateWindow();
    windowShown_ = true;
}

DiagnosticWindow* QtUi::Window() const {
    return window_.data();
}

} // namespace vellumo::ui
