// GCommonDialog: the file open, file save, file title, colour, font, print and page-setup dialogs
// behind plain arguments. The conversions are toolkit-free; the dialogs come from the installed
// DialogBackend (library/DialogBackend.h).
#pragma once

#include "library/DialogBackend.h"
#include "platform/NumberText.h"
#include "platform/Variant.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vellumo {

// The font a caller hands to VBChooseFont and gets back. Weight carries the boldness into the
// dialog (400 normal, 700 bold); Bold is read back from the dialog's font type.
struct DialogFont {
    std::string Name;
    Currency Size = Currency::FromWhole(10);
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int16_t Weight = 400;
};

// The printer object VBPrintDlg and VBPageSetupDlg update. A setter may throw; the dialogs ignore
// each setter's failure and go on with the next.
class PrinterObject {
public:
    virtual ~PrinterObject() = default;
    virtual void SetCopies(int32_t value) = 0;
    virtual void SetOrientation(int32_t value) = 0;
    virtual void SetPaperSize(int32_t value) = 0;
    virtual void SetPrintQuality(int32_t value) = 0;
};

// The receiver of the dialog events DialogHook forwards. Override what you need; the defaults
// answer Empty, and ConfirmOK accepts.
class CommonDialogTarget {
public:
    virtual ~CommonDialogTarget() = default;
    virtual Variant InitDialog(WindowHandle /*hDlg*/) { return Empty{}; }
    virtual Variant FileChange(WindowHandle /*hDlg*/) { return Empty{}; }
    virtual Variant FolderChange(WindowHandle /*hDlg*/) { return Empty{}; }
    // False refuses the OK: the file dialog stays open.
    virtual bool ConfirmOK() { return true; }
    virtual Variant TypeChange(WindowHandle /*hDlg*/) { return Empty{}; }
    virtual Variant DialogClose() { return Empty{}; }
};

// Errors: the class has no handler of its own; a run-time failure (a Filename or FileTitle longer
// than the 260-character buffer: RuntimeError 5; a margin or page number that does not fit:
// RuntimeError 6; whatever a notification target throws) reaches the caller.
//
// Result rule of the open, save, colour, font, print and page-setup operations: the dialog call's
// return value goes to APIReturn. 1 means accepted: the outputs are filled and the operation
// returns true. 0 with no extended error means cancelled: the outputs take their empty values
// and it returns false. Anything else is a failure: ExtendedError receives the extended error
// code, the outputs are set as for a cancel, and it returns false.
//
// Owner is a window handle; -1 (and 0) means no owner window.
class GCommonDialog {
public:
    // Forwards a dialog event to the notification target and returns its answer; Empty when no
    // target is set or the message is none of these:
    //   272 WM_INITDIALOG                 -> InitDialog(hDlg)
    //   78  WM_NOTIFY, code -602 (SELCHANGE)    -> FileChange(hDlg)
    //   78  WM_NOTIFY, code -603 (FOLDERCHANGE) -> FolderChange(hDlg)
    //   78  WM_NOTIFY, code -606 (FILEOK)       -> ConfirmOK(); false sets the dialog's message
    //       result to 1 (refuse) and returns 1, true sets it to 0 and returns Empty
    //   78  WM_NOTIFY, code -607 (TYPECHANGE)   -> TypeChange(hDlg)
    //   130 WM_NCDESTROY                  -> DialogClose()
    // For WM_NOTIFY, lParam is the address of a NotifyHeader; 0 forwards nothing.
    Variant DialogHook(WindowHandle hDlg, int32_t msg, intptr_t wParam, intptr_t lParam);

    // The last dialog call's return value; 0 before any call. The open, save, font, print and
    // page-setup operations reset it (and ExtendedError) to 0 when they start; VBChooseColor
    // resets neither, sets APIReturn after its call and ExtendedError only on failure.
    [[nodiscard]] int32_t APIReturn() const { return apiReturn_; }
    [[nodiscard]] int32_t ExtendedError() const { return extendedError_; }

    // The notification target: set it before an operation to receive that dialog's events
    // through DialogHook. Every dialog operation clears it after its dialog call (also when the
    // call fails or throws), so a target serves one dialog.
    void SetNotificationTarget(std::shared_ptr<CommonDialogTarget> target);
    [[nodiscard]] const std::shared_ptr<CommonDialogTarget>& NotificationTarget() const {
        return target_;
    }

    // Filter: description|pattern pairs separated by "|" or ":". Accepted: Filename and FileTitle
    // are the chosen name and its title (with MultiSelect, the dialog's multiple-file form up to
    // its first NUL), Flags the returned flags, FilterIndex the chosen filter, Filter the chosen
    // pair as description NUL pattern, ReadOnly the returned OFN_READONLY. Cancelled or failed:
    // Filename, FileTitle and Filter empty, Flags 0, FilterIndex -1, ReadOnly untouched.
    bool VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist,
                           bool MultiSelect, bool& ReadOnly, bool HideReadOnly, std::string& Filter,
                           int32_t& FilterIndex, const std::string& InitDir,
                           const std::string& DlgTitle, const std::string& DefaultExt,
                           WindowHandle Owner, int32_t& Flags);
    // As VBGetOpenFileName, always with OFN_HIDEREADONLY; on cancel or failure FilterIndex is 0.
    bool VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                           std::string& Filter, int32_t& FilterIndex, const std::string& InitDir,
                           const std::string& DlgTitle, const std::string& DefaultExt,
                           WindowHandle Owner, int32_t& Flags);
    // The file's display title (the name without its folder); the empty text when it has none.
    [[nodiscard]] std::string VBGetFileTitle(const std::string& sFIle);

    // The dialog opens on Color with the class's custom colours. Accepted: Color is the chosen
    // colour and the table keeps what the user changed in it; cancelled or failed: Color is -1.
    // Flags is accepted for compatibility and not used: the Booleans cover the dialog's options.
    bool VBChooseColor(int32_t& Color, bool AnyColor, bool FullOpen, bool DisableFullOpen,
                       WindowHandle Owner, int32_t Flags);
    // Custom colour i (0 to 15); the table is filled from the system colours 0 to 15 on first
    // use. Reading outside 0 to 15 gives -1; setting outside it is ignored.
    [[nodiscard]] int32_t CustomColor(int32_t i);
    void SetCustomColor(int32_t i, int32_t iValue);

    // PrinterDC -1 becomes 0, or with CF_PRINTERFONTS in Flags the default printer's device
    // context; a device context adds CF_PRINTERFONTS. Flags then gets the font dialog's other
    // fixed bits (see cdlg::ChooseFontFlags) before the call; Flags and PrinterDC keep these
    // values whatever the outcome. Accepted: Flags, Color and CurFont receive the dialog's
    // values; cancelled or failed: CurFont and Color are untouched. MinSize and MaxSize are in
    // points.
    bool VBChooseFont(DialogFont& CurFont, DeviceContext& PrinterDC, WindowHandle Owner,
                      int32_t& Color, int32_t MinSize, int32_t MaxSize, int32_t& Flags);

    // PrintRange: 0 all pages, 1 page numbers, 2 selection. FromPage and ToPage must be 0 to
    // 0xFFFF (RuntimeError 6 otherwise). Accepted: hdc is the printer's device context (release
    // it with CurrentDialogBackend().ReleasePrinterDC), PrintRange, FromPage, ToPage, PrintToFile
    // the returned values, Copies and Collate from the returned device mode, which is also kept
    // as DeviceModeCopy(); Printer (when given) gets Copies, Orientation, PaperSize and
    // PrintQuality. Cancelled or failed: the outputs are untouched. Flags is not used.
    bool VBPrintDlg(DeviceContext& hdc, int32_t& PrintRange, bool DisablePageNumbers,
                    int32_t& FromPage, int32_t& ToPage, bool DisableSelection, int32_t& Copies,
                    bool ShowPrintToFile, bool DisablePrintToFile, bool& PrintToFile, bool& Collate,
                    bool PreventWarning, WindowHandle Owner, PrinterObject* Printer, int32_t Flags);

    // Margins in whole inches (Units 0) or whole millimetres (any other Units). Accepted: every
    // margin argument receives the returned value, rounded to a whole unit; PaperSize,
    // Orientation and PrintQuality come from the returned device mode, which Printer (when
    // given) also receives. Otherwise the arguments are untouched and the result is false;
    // APIReturn and ExtendedError tell a cancel from a failure as for the other dialogs. Flags is
    // not used.
    bool VBPageSetupDlg(WindowHandle Owner, bool DisableMargins, bool DisableOrientation,
                        bool DisablePaper, bool DisablePrinter, int32_t& LeftMargin,
                        int32_t& MinLeftMargin, int32_t& RightMargin, int32_t& MinRightMargin,
                        int32_t& TopMargin, int32_t& MinTopMargin, int32_t& BottomMargin,
                        int32_t& MinBottomMargin, int32_t& PaperSize, int32_t& Orientation,
                        int32_t& PrintQuality, int32_t Units, PrinterObject* Printer,
                        int32_t Flags);

    // The device mode the last accepted print or page-setup dialog returned.
    [[nodiscard]] const DeviceMode& DeviceModeCopy() const { return devMode_; }

private:
    // The arguments the open and save operations share, as their callers passed them.
    struct FileDialogArguments {
        std::string& Filename;
        std::string& FileTitle;
        std::string& Filter;
        int32_t& FilterIndex;
        const std::string& InitDir;
        const std::string& DlgTitle;
        const std::string& DefaultExt;
        WindowHandle Owner;
        int32_t& Flags;
    };
    // The open (save false) or save dialog with the record's flags `recordFlags`: fills the
    // arguments as those operations say, FilterIndex `cancelledFilterIndex` when it is not
    // accepted, and returns whether it was.
    bool ShowFileDialog(bool save, int32_t recordFlags, const FileDialogArguments& args,
                        int32_t cancelledFilterIndex);
    void FillCustomColorsIfNeeded();
    // Starts an operation that resets APIReturn and ExtendedError.
    void ResetResults();
    // Records a dialog call's outcome; true when it was accepted.
    bool RecordOutcome(const DialogOutcome& outcome);
    [[nodiscard]] DialogHookProc HookForTarget();

    int32_t apiReturn_ = 0;
    int32_t extendedError_ = 0;
    std::array<int32_t, 16> customColors_{};
    bool customColorsFilled_ = false;
    DeviceMode devMode_;
    std::shared_ptr<CommonDialogTarget> target_;
};

} // namespace vellumo
