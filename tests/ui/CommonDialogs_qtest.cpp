// Drives the real Qt dialogs behind GCommonDialog and CColorDialog on the offscreen platform:
// choosing, cancelling, the outputs, APIReturn, ExtendedError and the notification events.
#include "library/CColorDialog.h"
#include "library/CommonDialogFlags.h"
#include "library/GCommonDialog.h"
#include "support/RecordingUi.h"
#include "support/TestEnvironment.h"
#include "ui/qt/QtDialogBackend.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <functional>
#include <memory>

using namespace vellumo;
using namespace vellumo::cdlg;
using namespace std::string_literals;

namespace {

// Records the events a dialog delivers; can refuse the first OK.
class RecordingTarget : public CommonDialogTarget {
public:
    Variant InitDialog(WindowHandle) override { return Note("InitDialog"); }
    Variant FileChange(WindowHandle) override { return Note("FileChange"); }
    Variant FolderChange(WindowHandle) override { return Note("FolderChange"); }
    bool ConfirmOK() override {
        Note("ConfirmOK");
        if (refusals > 0) {
            --refusals;
            return false;
        }
        return true;
    }
    Variant TypeChange(WindowHandle) override { return Note("TypeChange"); }
    Variant DialogClose() override { return Note("DialogClose"); }

    [[nodiscard]] int Count(const QString& name) const {
        return static_cast<int>(events.count(name));
    }

    QStringList events;
    int refusals = 0;

private:
    Variant Note(const char* name) {
        events << QString::fromLatin1(name);
        return Empty{};
    }
};

class TestPrinter : public PrinterObject {
public:
    void SetCopies(int32_t v) override { copies = v; }
    void SetOrientation(int32_t v) override { orientation = v; }
    void SetPaperSize(int32_t v) override { paperSize = v; }
    void SetPrintQuality(int32_t v) override { printQuality = v; }
    int32_t copies = 0, orientation = 0, paperSize = 0, printQuality = 0;
};

} // namespace

class CommonDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openChoosesAFileAndAFilter();
    void openCancelled();
    void openNameLongerThanTheBufferFails();
    void multiSelectGivesTheDialogsForm();
    void saveAddsTheDefaultExtension();
    void fileDialogEventsReachTheTarget();
    void throwingTargetEndsTheDialog();
    void colourChosenWithCustomColours();
    void colorDialogShow();
    void fontChosen();
    void printWithoutPrinterFails();
    void pageSetupWithoutPrinterFails();
    void printOnAPdfPrinter();
    void pageSetupOnAPdfPrinter();

private:
    // Runs `action` on the modal dialog once it is up.
    void WhenModal(std::function<void(QWidget*)> action);
    static QFileDialog* FileDialog(QWidget* w) { return qobject_cast<QFileDialog*>(w); }
    static void ChooseFile(QWidget* w, const QString& path);
    // The list entry of a file dialog named `name` once its folder has been read; invalid before.
    static QModelIndex Entry(QListView* list, const QString& name);
    // The system's own printer lookup when the machine has no printer, else an empty source.
    void UseNoPrinter();

    std::unique_ptr<test::TempDir> files_;
    std::unique_ptr<QtDialogBackend> backend_;
    std::unique_ptr<ScopedDialogBackend> scopedBackend_;
    ui::RecordingUi ui_;
    std::unique_ptr<ui::ScopedUi> scopedUi_;
    std::vector<QPointer<QTimer>> drivers_;
    bool driven_ = false;
};

void CommonDialogsTest::init() {
    files_ = std::make_unique<test::TempDir>();
    test::WriteFile(files_->Path() / "alpha.txt", "a");
    test::WriteFile(files_->Path() / "beta.log", "b");
    std::filesystem::create_directory(files_->Path() / "sub");
    backend_ = std::make_unique<QtDialogBackend>();
    scopedBackend_ = std::make_unique<ScopedDialogBackend>(*backend_);
    scopedUi_ = std::make_unique<ui::ScopedUi>(ui_);
    driven_ = false;
}

void CommonDialogsTest::cleanup() {
    for (const QPointer<QTimer>& timer : drivers_)
        delete timer.data();
    drivers_.clear();
    scopedUi_.reset();
    scopedBackend_.reset();
    backend_.reset();
    files_.reset();
}

void CommonDialogsTest::WhenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [this, timer, action] {
        QWidget* widget = QApplication::activeModalWidget();
        if (widget == nullptr || !widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        driven_ = true;
        // Any other window that turns modal while the action runs (a message box) is a fault:
        // it is closed so the test ends.
        QTimer sweeper;
        sweeper.setInterval(10);
        connect(&sweeper, &QTimer::timeout, [widget] {
            QWidget* other = QApplication::activeModalWidget();
            if (other == nullptr || other == widget || !other->isVisible())
                return;
            QTest::qFail("an unexpected modal window", __FILE__, __LINE__);
            other->close();
        });
        sweeper.start();
        action(widget);
        sweeper.stop();
        // Every action closes its dialog; one left open (a failed check) is closed here.
        if (widget->isVisible()) {
            if (!QTest::currentTestFailed())
                QTest::qFail("the dialog is still open", __FILE__, __LINE__);
            if (auto* dialog = qobject_cast<QDialog*>(widget))
                dialog->reject();
        }
    });
    drivers_.emplace_back(timer);
    timer->start();
}

void CommonDialogsTest::ChooseFile(QWidget* w, const QString& path) {
    QFileDialog* dialog = FileDialog(w);
    QVERIFY(dialog != nullptr);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit != nullptr);
    edit->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

QModelIndex CommonDialogsTest::Entry(QListView* list, const QString& name) {
    const QAbstractItemModel* model = list->model();
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

void CommonDialogsTest::UseNoPrinter() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        backend_->SetPrinterSource([] { return std::unique_ptr<QPrinter>(); });
}

// ---- Open and save --------------------------------------------------------------------------

void CommonDialogsTest::openChoosesAFileAndAFilter() {
    const QString folder = QString::fromStdString(files_->Path().string());
    WhenModal([folder](QWidget* w) {
        QFileDialog* dialog = FileDialog(w);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Pick a note"));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->nameFilters().size(), 2);
        QCOMPARE(dialog->nameFilters().at(1), QStringLiteral("All files (*)"));
        QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Text files"));
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder).canonicalPath());
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        ChooseFile(w, folder + QStringLiteral("/beta.log"));
    });
    GCommonDialog dialog;
    std::string name, title, filter = "Text files|*.txt|All files|*.*";
    bool readOnly = false;
    int32_t filterIndex = 1, flags = 0;
    QVERIFY(dialog.VBGetOpenFileName(name, title, true, false, readOnly, true, filter, filterIndex,
                                     folder.toStdString(), "Pick a note", "", -1, flags));
    QVERIFY(driven_);
    QCOMPARE(QString::fromStdString(name), folder + QStringLiteral("/beta.log"));
    QCOMPARE(title, "beta.log"s);
    QCOMPARE(filterIndex, 2);
    QCOMPARE(filter, "All files\0*.*"s);
    QCOMPARE(flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    QCOMPARE(readOnly, false);
    QCOMPARE(dialog.APIReturn(), 1);
    QCOMPARE(dialog.ExtendedError(), 0);
}

void CommonDialogsTest::openCancelled() {
    WhenModal([](QWidget* w) { FileDialog(w)->reject(); });
    GCommonDialog dialog;
    std::string name = "x", title = "x", filter = "All|*.*";
    bool readOnly = false;
    int32_t filterIndex = 1, flags = 4;
    QVERIFY(!dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter,
                                      filterIndex, files_->Folder(), "", "", -1, flags));
    QVERIFY(driven_);
    QCOMPARE(name, ""s);
    QCOMPARE(title, ""s);
    QCOMPARE(filter, ""s);
    QCOMPARE(flags, 0);
    QCOMPARE(filterIndex, -1);
    QCOMPARE(dialog.APIReturn(), 0);
    QCOMPARE(dialog.ExtendedError(), 0);
}

void CommonDialogsTest::openNameLongerThanTheBufferFails() {
    // A chosen name of 300 characters does not fit the 260-character buffer.
    std::filesystem::path deep = files_->Path();
    while (deep.string().size() < 300)
        deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    test::WriteFile(deep / "long.txt", "l");
    const QString path = QString::fromStdString((deep / "long.txt").string());
    WhenModal([path](QWidget* w) { ChooseFile(w, path); });
    GCommonDialog dialog;
    std::string name, title, filter;
    bool readOnly = false;
    int32_t filterIndex = 0, flags = 0;
    QVERIFY(!dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter,
                                      filterIndex, "", "", "", -1, flags));
    QVERIFY(driven_);
    QCOMPARE(dialog.APIReturn(), 0);
    QCOMPARE(dialog.ExtendedError(), FNERR_BUFFERTOOSMALL);
    QCOMPARE(name, ""s);
    QCOMPARE(filterIndex, -1);
}

void CommonDialogsTest::multiSelectGivesTheDialogsForm() {
    const QString folder = QString::fromStdString(files_->Path().string());
    const auto chooseTwo = [](QWidget* w) {
        QCOMPARE(FileDialog(w)->fileMode(), QFileDialog::ExistingFiles);
        ChooseFile(w, QStringLiteral("\"alpha.txt\" \"beta.log\""));
    };
    GCommonDialog dialog;
    std::string name, title, filter;
    bool readOnly = false;
    int32_t filterIndex = 0, flags = OFN_EXPLORER;
    // Folder NUL name NUL name: the caller sees the folder.
    WhenModal(chooseTwo);
    QVERIFY(dialog.VBGetOpenFileName(name, title, true, true, readOnly, false, filter, filterIndex,
                                     folder.toStdString(), "", "", -1, flags));
    QCOMPARE(QString::fromStdString(name), folder);
    // The older form separates the names with spaces.
    name.clear();
    flags = 0;
    WhenModal(chooseTwo);
    QVERIFY(dialog.VBGetOpenFileName(name, title, true, true, readOnly, false, filter, filterIndex,
                                     folder.toStdString(), "", "", -1, flags));
    QCOMPARE(QString::fromStdString(name), folder + QStringLiteral(" alpha.txt beta.log"));
}

void CommonDialogsTest::saveAddsTheDefaultExtension() {
    WhenModal([](QWidget* w) {
        QFileDialog* dialog = FileDialog(w);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("txt"));
        ChooseFile(w, QStringLiteral("fresh"));
    });
    GCommonDialog dialog;
    std::string name, title, filter = "Text|*.txt";
    int32_t filterIndex = 1, flags = 0;
    QVERIFY(dialog.VBGetSaveFileName(name, title, false, filter, filterIndex, files_->Folder(), "",
                                     ".txt", -1, flags));
    QCOMPARE(name, files_->Folder() + "fresh.txt");
    QCOMPARE(title, "fresh.txt"s);
    QCOMPARE(flags, OFN_HIDEREADONLY);
    QCOMPARE(filter, "Text\0*.txt"s);
    QCOMPARE(filterIndex, 1);

    // Cancelled: FilterIndex 0.
    WhenModal([](QWidget* w) {
        QVERIFY(!FileDialog(w)->testOption(QFileDialog::DontConfirmOverwrite));
        FileDialog(w)->reject();
    });
    QVERIFY(!dialog.VBGetSaveFileName(name, title, true, filter, filterIndex, files_->Folder(), "",
                                      "", -1, flags));
    QCOMPARE(filterIndex, 0);
    QCOMPARE(name, ""s);
}

void CommonDialogsTest::fileDialogEventsReachTheTarget() {
    const QString folder = QString::fromStdString(files_->Path().string());
    auto target = std::make_shared<RecordingTarget>();
    target->refusals = 1;
    WhenModal([folder, target](QWidget* w) {
        QFileDialog* dialog = FileDialog(w);
        QCOMPARE(target->events.value(0), QStringLiteral("InitDialog"));
        // A folder opened from the list, a file made current, a filter picked from the list.
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(list != nullptr);
        QModelIndex sub;
        QTRY_VERIFY((sub = Entry(list, QStringLiteral("sub"))).isValid());
        list->setFocus();
        const int beforeSub = target->Count(QStringLiteral("FileChange"));
        list->setCurrentIndex(sub);
        QCOMPARE(target->Count(QStringLiteral("FileChange")), beforeSub + 1);
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE(target->Count(QStringLiteral("FolderChange")), 1);
        dialog->setDirectory(folder);
        QModelIndex alpha;
        QTRY_VERIFY((alpha = Entry(list, QStringLiteral("alpha.txt"))).isValid());
        const int fileChanges = target->Count(QStringLiteral("FileChange"));
        list->setCurrentIndex(alpha);
        QCOMPARE(target->Count(QStringLiteral("FileChange")), fileChanges + 1);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types != nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(target->Count(QStringLiteral("TypeChange")), 1);
        // The first OK is refused and the dialog stays; the second goes through.
        ChooseFile(w, folder + QStringLiteral("/alpha.txt"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(target->Count(QStringLiteral("ConfirmOK")), 1);
        ChooseFile(w, folder + QStringLiteral("/alpha.txt"));
    });
    GCommonDialog dialog;
    dialog.SetNotificationTarget(target);
    std::string name, title, filter = "Text|*.txt|All|*.*";
    bool readOnly = false;
    int32_t filterIndex = 1, flags = 0;
    QVERIFY(dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, filterIndex,
                                     folder.toStdString(), "", "", -1, flags));
    QVERIFY(driven_);
    QCOMPARE(title, "alpha.txt"s);
    QCOMPARE(filterIndex, 2);
    QCOMPARE(target->events.first(), QStringLiteral("InitDialog"));
    QCOMPARE(target->events.last(), QStringLiteral("DialogClose"));
    QCOMPARE(target->Count(QStringLiteral("FolderChange")), 1);
    QCOMPARE(target->Count(QStringLiteral("TypeChange")), 1);
    QCOMPARE(target->Count(QStringLiteral("ConfirmOK")), 2);
    QCOMPARE(target->Count(QStringLiteral("InitDialog")), 1);
    QCOMPARE(target->Count(QStringLiteral("DialogClose")), 1);
    // The target served this dialog only.
    QVERIFY(dialog.NotificationTarget() == nullptr);
}

void CommonDialogsTest::throwingTargetEndsTheDialog() {
    class Refuser : public CommonDialogTarget {
        bool ConfirmOK() override { throw RuntimeError(err::kTypeMismatch); }
    };
    const QString folder = QString::fromStdString(files_->Path().string());
    WhenModal([folder](QWidget* w) { ChooseFile(w, folder + QStringLiteral("/alpha.txt")); });
    GCommonDialog dialog;
    dialog.SetNotificationTarget(std::make_shared<Refuser>());
    std::string name, title, filter;
    bool readOnly = false;
    int32_t filterIndex = 0, flags = 0;
    try {
        dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, filterIndex,
                                 folder.toStdString(), "", "", -1, flags);
        QFAIL("no error");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.Number(), err::kTypeMismatch);
    }
    QVERIFY(driven_);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// ---- Colour ---------------------------------------------------------------------------------

void CommonDialogsTest::colourChosenWithCustomColours() {
    GCommonDialog dialog;
    // The table starts from the palette: entry 5 is the window background.
    const QColor base = QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(dialog.CustomColor(5), Rgb(base.red(), base.green(), base.blue()));
    dialog.SetCustomColor(2, Rgb(10, 20, 30));
    auto target = std::make_shared<RecordingTarget>();
    dialog.SetNotificationTarget(target);
    WhenModal([](QWidget* w) {
        auto* colors = qobject_cast<QColorDialog*>(w);
        QVERIFY(colors != nullptr);
        // The dialog opens on the caller's colour with the class's custom colours.
        QCOMPARE(colors->currentColor(), QColor(200, 100, 50));
        QCOMPARE(QColorDialog::customColor(2), QColor(10, 20, 30));
        QColorDialog::setCustomColor(3, QColor(1, 2, 3));
        colors->setCurrentColor(QColor(0x12, 0x34, 0x56));
        colors->accept();
    });
    int32_t color = Rgb(200, 100, 50);
    QVERIFY(dialog.VBChooseColor(color, false, true, false, -1, 0));
    QVERIFY(driven_);
    QCOMPARE(color, Rgb(0x12, 0x34, 0x56));
    QCOMPARE(dialog.CustomColor(3), Rgb(1, 2, 3));
    QCOMPARE(dialog.APIReturn(), 1);
    QCOMPARE(target->events,
             (QStringList{QStringLiteral("InitDialog"), QStringLiteral("DialogClose")}));
}

void CommonDialogsTest::colorDialogShow() {
    CColorDialog picker;
    picker.SetColor(Rgb(9, 9, 9));
    WhenModal([](QWidget* w) {
        auto* colors = qobject_cast<QColorDialog*>(w);
        QCOMPARE(colors->currentColor(), QColor(9, 9, 9));
        // Its own custom colours, all zero.
        QCOMPARE(QColorDialog::customColor(0), QColor(0, 0, 0));
        colors->setCurrentColor(QColor(255, 0, 0));
        colors->accept();
    });
    QVERIFY(picker.Show());
    QCOMPARE(picker.Color(), Rgb(255, 0, 0));

    WhenModal([](QWidget* w) { qobject_cast<QColorDialog*>(w)->reject(); });
    QVERIFY(!picker.Show());
    QCOMPARE(picker.Color(), Rgb(255, 0, 0));
    QVERIFY(ui_.boxes.empty());
}

// ---- Font -----------------------------------------------------------------------------------

// The suite's own family (tests/data/fonts) has regular, bold and italic faces on every machine,
// whatever fonts the machine itself has and in whatever order it lists them.
namespace {
QString LoadTestFontFamily() {
    const char* faces[] = {"Regular", "Bold", "Italic", "BoldItalic"};
    QString family;
    for (const char* face : faces) {
        const QString file =
            QStringLiteral(VELLUMO_SOURCE_DIR "/tests/data/fonts/VellumoTestSans-%1.ttf")
                .arg(QLatin1String(face));
        const int id = QFontDatabase::addApplicationFont(file);
        if (id < 0)
            return {};
        family = QFontDatabase::applicationFontFamilies(id).value(0);
    }
    return family;
}
} // namespace

void CommonDialogsTest::fontChosen() {
    const QString family = LoadTestFontFamily();
    QCOMPARE(family, QStringLiteral("Vellumo Test Sans"));
    QVERIFY(QFontDatabase::styles(family).contains(QStringLiteral("Italic")));
    WhenModal([family](QWidget* w) {
        auto* fonts = qobject_cast<QFontDialog*>(w);
        QVERIFY(fonts != nullptr);
        // The dialog opens on the caller's size and effects.
        QCOMPARE(fonts->currentFont().pointSizeF(), 12.0);
        QVERIFY(fonts->currentFont().italic());
        QFont chosen(family);
        chosen.setPointSizeF(14);
        chosen.setWeight(QFont::Bold);
        chosen.setUnderline(true);
        fonts->setCurrentFont(chosen);
        fonts->accept();
    });
    GCommonDialog dialog;
    DialogFont font;
    font.Name = family.toStdString();
    font.Size = Currency::FromWhole(12);
    font.Italic = true;
    DeviceContext printerDC = -1;
    int32_t color = 0, flags = 0;
    QVERIFY(dialog.VBChooseFont(font, printerDC, -1, color, 0, 0, flags));
    QVERIFY(driven_);
    QCOMPARE(printerDC, DeviceContext{0});
    QCOMPARE(flags, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT);
    QCOMPARE(font.Size, Currency::FromWhole(14));
    QCOMPARE(QString::fromStdString(font.Name), QFont(family).family());
    QVERIFY(font.Underline);
    QCOMPARE(font.Weight, int16_t{700});
    QVERIFY(font.Bold);
    QCOMPARE(dialog.APIReturn(), 1);
}

// ---- Print and page setup -------------------------------------------------------------------

void CommonDialogsTest::printWithoutPrinterFails() {
    UseNoPrinter();
    GCommonDialog dialog;
    DeviceContext hdc = 0;
    int32_t range = 0, from = 1, to = 1, copies = 0;
    bool toFile = false, collate = false;
    QVERIFY(!dialog.VBPrintDlg(hdc, range, false, from, to, false, copies, true, false, toFile,
                               collate, false, -1, nullptr, 0));
    QCOMPARE(dialog.APIReturn(), 0);
    QCOMPARE(dialog.ExtendedError(), PDERR_NODEFAULTPRN);
    QCOMPARE(hdc, DeviceContext{0});
    // Nor is there a printer for printer fonts.
    QCOMPARE(backend_->DefaultPrinterDC(), DeviceContext{0});
}

void CommonDialogsTest::pageSetupWithoutPrinterFails() {
    UseNoPrinter();
    GCommonDialog dialog;
    int32_t left = 1, minLeft = 0, right = 1, minRight = 0, top = 1, minTop = 0, bottom = 1,
            minBottom = 0, paper = 0, orientation = 0, quality = 0;
    QVERIFY(!dialog.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right, minRight,
                                   top, minTop, bottom, minBottom, paper, orientation, quality, 0,
                                   nullptr, 0));
    QCOMPARE(dialog.ExtendedError(), PDERR_NODEFAULTPRN);
    QCOMPARE(left, 1);
}

namespace {
std::unique_ptr<QPrinter> PdfPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}
} // namespace

void CommonDialogsTest::printOnAPdfPrinter() {
    backend_->SetPrinterSource(PdfPrinter);
    WhenModal([](QWidget* w) {
        auto* print = qobject_cast<QPrintDialog*>(w);
        QVERIFY(print != nullptr);
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintToFile));
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintSelection));
        QVERIFY(print->testOption(QAbstractPrintDialog::PrintPageRange));
        QCOMPARE(print->minPage(), 1);
        QCOMPARE(print->maxPage(), 0xFFFF);
        print->printer()->setCopyCount(2);
        print->printer()->setPrintRange(QPrinter::PageRange);
        print->printer()->setFromTo(3, 4);
        // QPrintDialog's accept applies the widgets to the printer; accept as QDialog does.
        print->QDialog::accept();
    });
    GCommonDialog dialog;
    DeviceContext hdc = 0;
    int32_t range = 1, from = 2, to = 5, copies = 0;
    bool toFile = false, collate = true;
    TestPrinter printer;
    QVERIFY(dialog.VBPrintDlg(hdc, range, false, from, to, true, copies, false, false, toFile,
                              collate, false, -1, &printer, 0));
    QVERIFY(driven_);
    QCOMPARE(dialog.APIReturn(), 1);
    QVERIFY(hdc != 0);
    QVERIFY(backend_->PrinterForDC(hdc) != nullptr);
    QCOMPARE(range, 1);
    QCOMPARE(from, 3);
    QCOMPARE(to, 4);
    QCOMPARE(copies, 2);
    QVERIFY(collate);
    QCOMPARE(printer.copies, 2);
    QCOMPARE(printer.paperSize, 9); // A4
    QCOMPARE(printer.orientation, 1);
    QVERIFY(printer.printQuality > 0);
    backend_->ReleasePrinterDC(hdc);
    QVERIFY(backend_->PrinterForDC(hdc) == nullptr);
}

void CommonDialogsTest::pageSetupOnAPdfPrinter() {
    backend_->SetPrinterSource(PdfPrinter);
    // Qt warns that a PDF printer is not a system printer; the dialog works all the same.
    const char* const kNotNative = "QPageSetupDialog: Cannot be used on non-native printers";
    QTest::ignoreMessage(QtWarningMsg, kNotNative);
    WhenModal([](QWidget* w) {
        auto* setup = qobject_cast<QPageSetupDialog*>(w);
        QVERIFY(setup != nullptr);
        // The margins arrive in the layout: 1 inch left, 2 inches top.
        const QMarginsF margins = setup->printer()->pageLayout().margins(QPageLayout::Inch);
        QCOMPARE(margins.left(), 1.0);
        QCOMPARE(margins.top(), 2.0);
        setup->QDialog::accept();
    });
    GCommonDialog dialog;
    int32_t left = 1, minLeft = 0, right = 1, minRight = 0, top = 2, minTop = 0, bottom = 1,
            minBottom = 0, paper = 0, orientation = 0, quality = 0;
    QVERIFY(dialog.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right, minRight,
                                  top, minTop, bottom, minBottom, paper, orientation, quality, 0,
                                  nullptr, 0));
    QVERIFY(driven_);
    QCOMPARE(left, 1);
    QCOMPARE(top, 2);
    QCOMPARE(paper, 9);
    QCOMPARE(orientation, 1);
    QCOMPARE(dialog.APIReturn(), 1);

    // In millimetres.
    WhenModal([](QWidget* w) {
        auto* setup = qobject_cast<QPageSetupDialog*>(w);
        QCOMPARE(setup->printer()->pageLayout().margins(QPageLayout::Millimeter).left(), 25.0);
        setup->QDialog::accept();
    });
    left = 25;
    QTest::ignoreMessage(QtWarningMsg, kNotNative);
    QVERIFY(dialog.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right, minRight,
                                  top, minTop, bottom, minBottom, paper, orientation, quality, 1,
                                  nullptr, 0));
    QCOMPARE(left, 25);
}

// Qt's file and colour dialogs keep their state in the user's settings: every run gets a
// private home.
int main(int argc, char** argv) {
    test::TempDir home;
    const std::string config = (home.Path() / ".config").string();
    const std::string data = (home.Path() / ".local/share").string();
    const std::string cache = (home.Path() / ".cache").string();
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        CommonDialogsTest tests;
        result = QTest::qExec(&tests, argc, argv);
    }
    return result;
}

#include "CommonDialogs_qtest.moc"
