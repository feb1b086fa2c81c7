// The Qt diagnostic window: layout and placement, tab order, activation and the three button
// slots.
#include "ui/qt/DiagnosticWindow.h"

#include "ui/qt/FrameExtents.h"
#include "ui/qt/ReportBox.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace vellumo::ui {

namespace {

constexpr int kDialogFontPoints = 8;

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The label and report texts use CR LF; Qt shows "\r" as a visible glyph in some fonts.
QString ForDisplay(const std::string& s) {
    return FromUtf8(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void Place(QWidget* w, const frmMain::TwipsRect& r, int dpiX, int dpiY) {
    w->setGeometry(frmMain::TwipsToPixels(r.left, dpiX), frmMain::TwipsToPixels(r.top, dpiY),
                   frmMain::TwipsToPixels(r.width, dpiX), frmMain::TwipsToPixels(r.height, dpiY));
}

} // namespace

DiagnosticWindow::DiagnosticWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(FromUtf8(frmMain::Caption()));
    // The layout in twips was drawn for an 8-point dialog font; larger fonts would cut the label.
    QFont dialogFont = font();
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);

    txtInfo_ = new ReportBox(this);
    txtInfo_->setObjectName(QStringLiteral("txtInfo"));
    txtInfo_->setReadOnly(true);
    txtInfo_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    txtInfo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtInfo_->setTabChangesFocus(true);

    cmdCopy_ = new QPushButton(QStringLiteral("Copy To Clipboard"), this);
    cmdCopy_->setObjectName(QStringLiteral("cmdCopy"));
    cmdEmail_ = new QPushButton(QStringLiteral("Send Email"), this);
    cmdEmail_->setObjectName(QStringLiteral("cmdEmail"));
    cmdExit_ = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    // As on the product's home platform, Enter presses the focused button, as Space does.
    for (QPushButton* b : {cmdCopy_, cmdEmail_, cmdExit_}) {
        b->setAutoDefault(true);
        b->setFocusPolicy(Qt::StrongFocus);
    }

    lblInfo_ = new QLabel(QStringLiteral("lblInfo"), this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setWordWrap(true);
    lblInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Tab order: the report box first (it holds the initial focus), then the buttons in a row.
    setTabOrder(txtInfo_, cmdCopy_);
    setTabOrder(cmdCopy_, cmdEmail_);
    setTabOrder(cmdEmail_, cmdExit_);

    connect(cmdCopy_, &QPushButton::clicked, this, &DiagnosticWindow::cmdCopy_Click);
    connect(cmdEmail_, &QPushButton::clicked, this, &DiagnosticWindow::cmdEmail_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &DiagnosticWindow::cmdExit_Click);

    // Placed once, before it is shown, with the frame the window manager expects to give it:
    // whole and centred from the start. (Its estimate is for the window at its fixed size, which
    // gets no resize handle; a window manager that gives none leaves the frame out of the sums.)
    LayOut(FrameMargins{});
    winId();
    LayOut(ExpectedFrameMargins(*this));

    form_.SetWindowHandle(static_cast<int32_t>(winId()));
    form_.Form_Load();
    lblInfo_->setText(ForDisplay(form_.LabelText()));
    txtInfo_->setPlainText(ForDisplay(form_.ReportText()));
    txtInfo_->setFocus(Qt::OtherFocusReason);
}

DiagnosticWindow::~DiagnosticWindow() = default;

void DiagnosticWindow::LayOut(const FrameMargins& frame) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const int dpiX = screen != nullptr ? qRound(screen->logicalDotsPerInchX()) : 96;
    const int dpiY = screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    const WindowPlacement placed = PlaceDiagnosticWindow(
        {area.left(), area.top(), area.width(), area.height()}, frame, dpiX, dpiY);

    setFixedSize(placed.clientWidth, placed.clientHeight);
    Place(cmdCopy_, frmMain::kCmdCopy, dpiX, dpiY);
    Place(cmdEmail_, frmMain::kCmdEmail, dpiX, dpiY);
    Place(cmdExit_, frmMain::kCmdExit, dpiX, dpiY);
    Place(lblInfo_, frmMain::kLblInfo, dpiX, dpiY);
    txtInfo_->setGeometry(placed.report.left, placed.report.top, placed.report.width,
                          placed.report.height);
    if (screen == nullptr)
        return;
    if (frame.left == 0 && frame.top == 0) {
        // Frame unknown: the position is the frame's, wherever the window manager puts the
        // client (the title bar starts where asked).
        move(placed.frameLeft, placed.frameTop);
    } else {
        // Frame known: the client's own position, which needs no guess of the frame.
        setGeometry(placed.frameLeft + frame.left, placed.frameTop + frame.top, placed.clientWidth,
                    placed.clientHeight);
    }
}

bool DiagnosticWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        form_.Form_Activate();
    return QWidget::event(e);
}

void DiagnosticWindow::cmdCopy_Click() {
    form_.cmdCopy_Click();
}

void DiagnosticWindow::cmdEmail_Click() {
    form_.cmdEmail_Click();
}

void DiagnosticWindow::cmdExit_Click() {
    close();
}

} // namespace vellumo::ui
