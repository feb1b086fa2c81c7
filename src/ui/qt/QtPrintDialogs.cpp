// The print and page-setup dialogs on Qt: the record's page range, options and margins on a
// QPrinter shown in QPrintDialog or QPageSetupDialog, and the printer's settings back as a device
// mode.
#include "ui/qt/QtDialogBackend.h"
#include "ui/qt/QtDialogSupport.h"

#include "library/CommonDialogFlags.h"
#include "platform/NumberText.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace vellumo {

using namespace cdlg;
using qtdlg::HookSession;

namespace {

// Thousandths of an inch or hundredths of a millimetre, as the page-setup flags say.
struct MarginUnit {
    QPageLayout::Unit unit;
    double perUnit;
};

MarginUnit MarginUnitOf(int32_t flags) {
    constexpr double kThousandthsPerInch = 1000.0;
    constexpr double kHundredthsPerMillimetre = 100.0;
    if ((flags & PSD_INHUNDREDTHSOFMILLIMETERS) != 0)
        return {QPageLayout::Millimeter, kHundredthsPerMillimetre};
    return {QPageLayout::Inch, kThousandthsPerInch};
}

QMarginsF ToQMargins(const MarginRect& rect, const MarginUnit& unit) {
    return QMarginsF(rect.left / unit.perUnit, rect.top / unit.perUnit, rect.right / unit.perUnit,
                     rect.bottom / unit.perUnit);
}

MarginRect FromQMargins(const QMarginsF& margins, const MarginUnit& unit) {
    return {RoundToLong(margins.left() * unit.perUnit), RoundToLong(margins.top() * unit.perUnit),
            RoundToLong(margins.right() * unit.perUnit),
            RoundToLong(margins.bottom() * unit.perUnit)};
}

} // namespace

void QtDialogBackend::SetPrinterSource(PrinterSource source) {
    printerSource_ = std::move(source);
}

std::unique_ptr<QPrinter> QtDialogBackend::MakePrinter() const {
    if (printerSource_)
        return printerSource_();
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

DialogOutcome QtDialogBackend::ShowPrint(PrintDlgRecord& record) {
    std::unique_ptr<QPrinter> printer = MakePrinter();
    if (!printer)
        return {0, PDERR_NODEFAULTPRN};

    QPrintDialog dialog(printer.get(), qtdlg::OwnerWidget(record.owner));
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    if ((record.flags & PD_NOPAGENUMS) == 0)
        options |= QAbstractPrintDialog::PrintPageRange;
    if ((record.flags & PD_NOSELECTION) == 0)
        options |= QAbstractPrintDialog::PrintSelection;
    if ((record.flags & (PD_HIDEPRINTTOFILE | PD_DISABLEPRINTTOFILE)) == 0)
        options |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(options);
    dialog.setMinMax(record.minPage, record.maxPage);
    printer->setCollateCopies((record.flags & PD_COLLATE) != 0);
    if ((record.flags & PD_PAGENUMS) != 0) {
        printer->setPrintRange(QPrinter::PageRange);
        if (record.fromPage >= record.minPage && record.fromPage <= record.toPage &&
            record.toPage <= record.maxPage)
            printer->setFromTo(record.fromPage, record.toPage);
    } else if ((record.flags & PD_SELECTION) != 0) {
        printer->setPrintRange(QPrinter::Selection);
    } else {
        printer->setPrintRange(QPrinter::AllPages);
    }

    HookSession session(sessions_, record.hook, dialog);
    if (session.Run() != QDialog::Accepted)
        return {0, 0};

    record.flags &= ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE | PD_COLLATE);
    switch (printer->printRange()) {
    case QPrinter::PageRange:
        record.flags |= PD_PAGENUMS;
        record.fromPage = static_cast<uint16_t>(std::clamp(printer->fromPage(), 0, 0xFFFF));
        record.toPage = static_cast<uint16_t>(std::clamp(printer->toPage(), 0, 0xFFFF));
        break;
    case QPrinter::Selection:
        record.flags |= PD_SELECTION;
        break;
    default:
        break;
    }
    if (!printer->outputFileName().isEmpty())
        record.flags |= PD_PRINTTOFILE;
    if (printer->collateCopies())
        record.flags |= PD_COLLATE;
    record.devMode = qtdlg::DeviceModeFromPrinter(*printer);
    // With PD_USEDEVMODECOPIESANDCOLLATE the copies are in the device mode only.
    record.copies = (record.flags & PD_USEDEVMODECOPIESANDCOLLATE) != 0
                        ? uint16_t{1}
                        : static_cast<uint16_t>(std::clamp(printer->copyCount(), 1, 0xFFFF));
    record.hdc = (record.flags & PD_RETURNDC) != 0 ? KeepPrinter(std::move(printer)) : 0;
    return {1, 0};
}

DialogOutcome QtDialogBackend::ShowPageSetup(PageSetupRecord& record) {
    std::unique_ptr<QPrinter> printer = MakePrinter();
    if (!printer)
        return {0, PDERR_NODEFAULTPRN};

    const MarginUnit unit = MarginUnitOf(record.flags);
    QPageLayout layout = printer->pageLayout();
    layout.setUnits(unit.unit);
    QMarginsF minimum = layout.minimumMargins();
    if ((record.flags & PSD_MINMARGINS) != 0) {
        const QMarginsF asked = ToQMargins(record.minMargins, unit);
        minimum = QMarginsF(
            std::max(minimum.left(), asked.left()), std::max(minimum.top(), asked.top()),
            std::max(minimum.right(), asked.right()), std::max(minimum.bottom(), asked.bottom()));
        layout.setMinimumMargins(minimum);
    }
    if ((record.flags & PSD_MARGINS) != 0) {
        // Margins below the minimum are raised to it, as the dialog would on OK.
        const QMarginsF asked = ToQMargins(record.margins, unit);
        layout.setMargins(QMarginsF(
            std::max(minimum.left(), asked.left()), std::max(minimum.top(), asked.top()),
            std::max(minimum.right(), asked.right()), std::max(minimum.bottom(), asked.bottom())));
    }
    printer->setPageLayout(layout);

    QPageSetupDialog dialog(printer.get(), qtdlg::OwnerWidget(record.owner));
    HookSession session(sessions_, record.hook, dialog);
    if (session.Run() != QDialog::Accepted)
        return {0, 0};

    const QPageLayout result = printer->pageLayout();
    record.margins = FromQMargins(result.margins(unit.unit), unit);
    // The paper as it lies: landscape swaps width and height.
    const QSizeF paper = result.fullRect(unit.unit).size();
    record.paperWidth = RoundToLong(paper.width() * unit.perUnit);
    record.paperHeight = RoundToLong(paper.height() * unit.perUnit);
    record.devMode = qtdlg::DeviceModeFromPrinter(*printer);
    return {1, 0};
}

} // namespace vellumo
