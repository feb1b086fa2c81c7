// The Qt diagnostic window on the offscreen platform: texts, twips layout, tab order, focus,
// the first-activation rule, Copy To Clipboard and a failing Send Email, Enter on the focused
// button, Ctrl+C in the report box, and a message box as wide as its title.
#include "diagnostic/frmMain.h"
#include "diagnostic/modMain.h"
#include "support/RecordingUi.h"
#include "support/TestEnvironment.h"
#include "ui/qt/DiagnosticWindow.h"
#include "ui/qt/QtUi.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <memory>

using namespace vellumo;

class DiagnosticWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> home_;
    std::unique_ptr<ui::QtUi> qtUi_;
    std::unique_ptr<ui::ScopedUi> scoped_;
    std::unique_ptr<ScopedWindowHost> scopedWindows_;
    QPointer<ui::DiagnosticWindow> window_;

    template <typename T> T* Child(const char* name) {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    int Px(int twips, bool horizontal) const {
        QScreen* s = QGuiApplication::primaryScreen();
        const int dpi = qRound(horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY());
        return frmMain::TwipsToPixels(twips, dpi);
    }

private slots:
    void init() {
        home_ = std::make_unique<test::TempDir>();
        for (const char* sub : {"/.config", "/.local/share", "/Documents", "/app"})
            test::fs::create_directories(home_->Path().string() + sub);
        setenv("HOME", home_->Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_->Path() / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home_->Path() / ".local/share").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (home_->Path() / "Documents").c_str(), 1);
        test::ResetAllModules();
        modMain::SetProgramFolderForTesting((home_->Path() / "app").string());
        qtUi_ = std::make_unique<ui::QtUi>();
        scoped_ = std::make_unique<ui::ScopedUi>(*qtUi_);
        scopedWindows_ = std::make_unique<ScopedWindowHost>(*qtUi_);
        modMain::Main();
        window_ = qtUi_->Window();
        QVERIFY(window_ != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    void cleanup() {
        delete window_.data();
        scopedWindows_.reset();
        scoped_.reset();
        qtUi_.reset();
        test::ResetAllModules();
        home_.reset();
    }

    void captionAndTexts() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Vellumo Diagnostic"));
        QCOMPARE(Child<QPushButton>("cmdCopy")->text(), QStringLiteral("Copy To Clipboard"));
        QCOMPARE(Child<QPushButton>("cmdEmail")->text(), QStringLiteral("Send Email"));
        QCOMPARE(Child<QPushButton>("cmdExit")->text(), QStringLiteral("Exit"));
        const QString label = Child<QLabel>("lblInfo")->text();
        QVERIFY(label.startsWith(
            QStringLiteral("Please click button 'Copy To Clipboard', then 'Send Email'. Once "
                           "email window is loaded please click its message area and press "
                           "Crl + V to paste the contents of the Clipboard.\n\nIf the email")));
        QVERIFY(
            label.endsWith(QStringLiteral("\n\nPlease send your email to support@kestrova.com.")));
        QCOMPARE(label.count(QStringLiteral("\n\n")), 2);

        auto* report = Child<QPlainTextEdit>("txtInfo");
        QVERIFY(report->isReadOnly());
        QCOMPARE(report->toPlainText(), QString::fromStdString(modMain::gstrDiagnosticReport)
                                            .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    void fixedTwipsLayoutCentredWithoutMinMax() {
        QCOMPARE(window_->width(), Px(8130, true));
        QCOMPARE(window_->height(), Px(8715, false));
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        const struct {
            const char* name;
            frmMain::TwipsRect r;
        } controls[] = {{"cmdCopy", frmMain::kCmdCopy},
                        {"cmdEmail", frmMain::kCmdEmail},
                        {"cmdExit", frmMain::kCmdExit},
                        {"lblInfo", frmMain::kLblInfo},
                        {"txtInfo", frmMain::kTxtInfo}};
        for (const auto& c : controls) {
            QWidget* w = window_->findChild<QWidget*>(QString::fromLatin1(c.name));
            QVERIFY2(w != nullptr, c.name);
            QCOMPARE(w->geometry(), QRect(Px(c.r.left, true), Px(c.r.top, false),
                                          Px(c.r.width, true), Px(c.r.height, false)));
        }
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(qAbs(window_->geometry().center().x() - area.center().x()) <= 2,
                 qPrintable(QStringLiteral("%1 vs %2")
                                .arg(window_->geometry().center().x())
                                .arg(area.center().x())));
    }

    void reportHasInitialFocusAndTabOrder() {
        window_->activateWindow();
        QTRY_VERIFY(window_->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), Child<QWidget>("txtInfo"));
        const char* order[] = {"cmdCopy", "cmdEmail", "cmdExit", "txtInfo"};
        for (const char* name : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        }
    }

    void firstActivationOnlyEndsTheHourglass() {
        window_->activateWindow();
        QTRY_VERIFY(window_->Form().Activated());
        QCOMPARE(qtUi_->MousePointer(), 0);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // A later activation must not touch the pointer.
        qtUi_->SetMousePointer(11);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window_, &activate);
        QCOMPARE(qtUi_->MousePointer(), 11);
        qtUi_->SetMousePointer(0);
    }

    void copyPutsExactlyTheReportOnTheClipboard() {
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        QTest::mouseClick(Child<QPushButton>("cmdCopy"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(modMain::gstrDiagnosticReport));
    }

    void emailWithoutHandlerShowsTheErrorAndKeepsTheWindow() {
        ui::RecordingUi recording;
        ui::ScopedUi scoped(recording);
        QTest::mouseClick(Child<QPushButton>("cmdEmail"), Qt::LeftButton);
        QCOMPARE(recording.boxes.size(), size_t{1});
        QVERIFY(QString::fromStdString(recording.boxes[0].text)
                    .startsWith(QStringLiteral("Error on LaunchEmail: ")));
        QCOMPARE(QString::fromStdString(recording.boxes[0].title),
                 QStringLiteral("Vellumo Diagnostic"));
        QVERIFY(window_->isVisible());
    }

    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::newRow("Copy, Return") << QStringLiteral("cmdCopy") << int(Qt::Key_Return);
        QTest::newRow("Send Email, keypad Enter")
            << QStringLiteral("cmdEmail") << int(Qt::Key_Enter);
        QTest::newRow("Exit, Return") << QStringLiteral("cmdExit") << int(Qt::Key_Return);
    }

    void enterPressesTheFocusedButton() {
        QFETCH(QString, button);
        QFETCH(int, key);
        ui::RecordingUi recording;
        ui::ScopedUi scoped(recording);
        QPointer<ui::DiagnosticWindow> w = window_;
        auto* pressed = Child<QPushButton>(qPrintable(button));
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key(key));
        QCOMPARE(recording.clipboard, button == QStringLiteral("cmdCopy")
                                          ? modMain::gstrDiagnosticReport
                                          : std::string());
        QCOMPARE(recording.boxes.size(), size_t{button == QStringLiteral("cmdEmail") ? 1u : 0u});
        if (button == QStringLiteral("cmdExit"))
            QTRY_VERIFY(w.isNull());
        else
            QVERIFY(!w.isNull() && w->isVisible());
    }

    void ctrlCInTheReportBoxKeepsTheReportsLineEnds() {
        auto* report = Child<QPlainTextEdit>("txtInfo");
        QVERIFY(modMain::gstrDiagnosticReport.find("\r\n") != std::string::npos);
        report->setFocus();
        report->selectAll();
        QTest::keyClick(report, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(modMain::gstrDiagnosticReport));
    }

    void messageBoxIsAtLeastAsWideAsItsTitle() {
        // A short text under a longer title: the window manager needs the title's width and
        // room for the title bar's icon and buttons (about four bar heights).
        const QString title = QStringLiteral("Vellumo Diagnostic: a title longer than its text");
        QString shownTitle, shownText;
        int width = 0, needed = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            shownTitle = box->windowTitle();
            shownText = box->text();
            width = box->width();
            QFont titleFont = box->font();
            titleFont.setBold(true);
            const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
            needed = QFontMetrics(titleFont).horizontalAdvance(title) + 4 * bar;
            box->accept();
        });
        qtUi_->MsgBox("Error on LaunchEmail: 31", ui::MsgIcon::None, title.toStdString());
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownText, QStringLiteral("Error on LaunchEmail: 31"));
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
    }

    void exitClosesTheWindow() {
        QPointer<ui::DiagnosticWindow> w = window_;
        QTest::mouseClick(Child<QPushButton>("cmdExit"), Qt::LeftButton);
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_MAIN(DiagnosticWindowTest)
#include "DiagnosticWindow_qtest.moc"
