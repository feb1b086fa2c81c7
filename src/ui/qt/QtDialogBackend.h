// The dialog backend on Qt: QFileDialog, QColorDialog and QFontDialog (Qt's own widgets, never the
// desktop's native dialogs), QPrintDialog and QPageSetupDialog, with the dialogs' signals turned
// into the hook events of DialogBackend. Install it with ScopedDialogBackend once a QApplication
// exists.
#pragma once

#include "library/DialogBackend.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;

namespace vellumo {

namespace qtdlg {
class HookSession;
}

// Where Qt has no counterpart of an option, the backend says so here:
// - Owner handles are native window ids (QWidget::winId()); an unknown id gives no owner.
// - The file dialog has no read-only box: OFN_READONLY comes back as it went in.
// - CC_FULLOPEN, CC_PREVENTFULLOPEN, CC_SOLIDCOLOR and CC_ANYCOLOR have no effect: Qt's colour
//   dialog is always fully open and works in true colour.
// - The font dialog always offers underline and strike-out; the text colour comes back as it went
//   in. With CF_LIMITSIZE a size outside MinSize to MaxSize comes back clamped into the range.
// - The print dialog cannot grey out print-to-file: PD_DISABLEPRINTTOFILE hides it, as
//   PD_HIDEPRINTTOFILE does. The page-setup dialog cannot disable its parts: the PSD_DISABLE*
//   flags have no effect.
// - Without a default printer the print and page-setup dialogs fail with PDERR_NODEFAULTPRN.
// - A device context is a handle to a QPrinter this backend keeps until ReleasePrinterDC.
class QtDialogBackend : public DialogBackend {
public:
    // Makes the printer a print or page-setup dialog works on; nullptr when there is none.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    QtDialogBackend();
    ~QtDialogBackend() override;
    QtDialogBackend(const QtDialogBackend&) = delete;
    QtDialogBackend& operator=(const QtDialogBackend&) = delete;

    DialogOutcome ShowOpenFile(OpenFileRecord& record) override;
    DialogOutcome ShowSaveFile(OpenFileRecord& record) override;
    DialogOutcome ShowColor(ChooseColorRecord& record) override;
    DialogOutcome ShowFont(ChooseFontRecord& record) override;
    DialogOutcome ShowPrint(PrintDlgRecord& record) override;
    DialogOutcome ShowPageSetup(PageSetupRecord& record) override;
    void SetMessageResult(WindowHandle dialog, intptr_t result) override;

    // From the application palette: scroll bar = Button, desktop = Shadow, active caption =
    // Highlight, inactive caption = inactive Highlight, menu = Window, window = Base, window
    // frame = Dark, menu text = WindowText, window text = Text, caption text = HighlightedText,
    // active border = Mid, inactive border = Midlight, application workspace = Dark, highlight =
    // Highlight, highlighted text = HighlightedText, button face = Button.
    [[nodiscard]] std::optional<int32_t> SystemColor(int index) const override;
    // A QPrinter on the default printer, kept under a new handle; 0 when there is no printer.
    [[nodiscard]] DeviceContext DefaultPrinterDC() override;
    void ReleasePrinterDC(DeviceContext dc) override;

    // The printer behind a device context handed out here; nullptr for other handles.
    [[nodiscard]] QPrinter* PrinterForDC(DeviceContext dc) const;
    // Replaces where printers come from (the system's default printer, nullptr when the system
    // has none); an empty source restores that default.
    void SetPrinterSource(PrinterSource source);

private:
    DialogOutcome ShowFileDialog(OpenFileRecord& record, bool save);
    [[nodiscard]] std::unique_ptr<QPrinter> MakePrinter() const;
    [[nodiscard]] DeviceContext KeepPrinter(std::unique_ptr<QPrinter> printer);

    PrinterSource printerSource_;
    std::map<DeviceContext, std::unique_ptr<QPrinter>> printers_;
    DeviceContext nextDC_ = 1;
    // The dialogs up now, innermost last.
    std::vector<qtdlg::HookSession*> sessions_;
};

} // namespace vellumo
