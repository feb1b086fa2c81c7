// GCommonDialog: fills the dialog records from plain arguments, hands them to the installed
// backend and turns the records back into the arguments.
#include "library/GCommonDialog.h"

#include "library/CommonDialogFlags.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/UiService.h"

#include <utility>

namespace vellumo {

using namespace cdlg;

namespace {

// What FilterIndex becomes when the open or the save dialog is cancelled or fails.
constexpr int32_t kOpenCancelledFilterIndex = -1;
constexpr int32_t kSaveCancelledFilterIndex = 0;

// Callers say -1 for "no owner window"; the records say 0.
WindowHandle OwnerHandle(WindowHandle owner) {
    return owner == -1 ? 0 : owner;
}

// Page numbers travel in 16-bit fields.
uint16_t PageNumber(int32_t page) {
    if (page < 0 || page > kPrintMaxPage)
        throw RuntimeError(err::kOverflow);
    return static_cast<uint16_t>(page);
}

// Each assignment's failure is ignored on its own.
void ApplyToPrinter(PrinterObject* printer, const DeviceMode& mode) {
    if (printer == nullptr)
        return;
    try {
        printer->SetCopies(mode.copies);
    } catch (...) {
    }
    try {
        printer->SetOrientation(mode.orientation);
    } catch (...) {
    }
    try {
        printer->SetPaperSize(mode.paperSize);
    } catch (...) {
    }
    try {
        printer->SetPrintQuality(mode.printQuality);
    } catch (...) {
    }
}

// Clears the notification target when a dialog operation ends, however it ends.
class TargetClearer {
public:
    explicit TargetClearer(std::shared_ptr<CommonDialogTarget>& target) : target_(target) {}
    ~TargetClearer() { target_.reset(); }
    TargetClearer(const TargetClearer&) = delete;
    TargetClearer& operator=(const TargetClearer&) = delete;

private:
    std::shared_ptr<CommonDialogTarget>& target_;
};

} // namespace

Variant GCommonDialog::DialogHook(WindowHandle hDlg, int32_t msg, intptr_t /*wParam*/,
                                  intptr_t lParam) {
    // A target may clear or replace itself while it is being called.
    const std::shared_ptr<CommonDialogTarget> target = target_;
    if (!target)
        return Empty{};
    switch (msg) {
    case WM_INITDIALOG:
        return target->InitDialog(hDlg);
    case WM_NCDESTROY:
        return target->DialogClose();
    case WM_NOTIFY: {
        if (lParam == 0)
            return Empty{};
        const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
        switch (static_cast<int32_t>(header->code)) {
        case CDN_SELCHANGE:
            return target->FileChange(hDlg);
        case CDN_FOLDERCHANGE:
            return target->FolderChange(hDlg);
        case CDN_TYPECHANGE:
            return target->TypeChange(hDlg);
        case CDN_FILEOK:
            if (!target->ConfirmOK()) {
                CurrentDialogBackend().SetMessageResult(hDlg, 1);
                return int32_t{1};
            }
            CurrentDialogBackend().SetMessageResult(hDlg, 0);
            return Empty{};
        default:
            return Empty{};
        }
    }
    default:
        return Empty{};
    }
}

void GCommonDialog::SetNotificationTarget(std::shared_ptr<CommonDialogTarget> target) {
    target_ = std::move(target);
}

void GCommonDialog::ResetResults() {
    apiReturn_ = 0;
    extendedError_ = 0;
}

bool GCommonDialog::RecordOutcome(const DialogOutcome& outcome) {
    apiReturn_ = outcome.apiReturn;
    if (outcome.apiReturn == 1)
        return true;
    // The dialog calls return 0 both when the user cancels and when they fail; the extended
    // error tells the two apart.
    if (outcome.apiReturn != 0 || outcome.extendedError != 0)
        extendedError_ = outcome.extendedError;
    return false;
}

DialogHookProc GCommonDialog::HookForTarget() {
    if (!target_)
        return {};
    return [this](WindowHandle hDlg, int32_t msg, intptr_t wParam, intptr_t lParam) {
        return DialogHook(hDlg, msg, wParam, lParam);
    };
}

bool GCommonDialog::ShowFileDialog(bool save, int32_t recordFlags, const FileDialogArguments& args,
                                   int32_t cancelledFilterIndex) {
    TargetClearer clearer(target_);
    ResetResults();
    CheckFitsBuffer(args.Filename, kFileBufferChars);
    CheckFitsBuffer(args.FileTitle, kFileBufferChars);

    OpenFileRecord record;
    record.owner = OwnerHandle(args.Owner);
    record.flags = recordFlags;
    record.initialDir = args.InitDir;
    record.title = args.DlgTitle;
    record.defaultExt = args.DefaultExt;
    record.filter = FilterToDialog(args.Filter);
    record.filterIndex = args.FilterIndex;
    record.file = args.Filename;
    record.maxFile = kFileBufferChars;
    record.fileTitle = args.FileTitle;
    record.maxFileTitle = kFileBufferChars;
    record.hook = HookForTarget();

    DialogBackend& backend = CurrentDialogBackend();
    if (RecordOutcome(save ? backend.ShowSaveFile(record) : backend.ShowOpenFile(record))) {
        args.Filename = CutAtNul(record.file);
        args.FileTitle = CutAtNul(record.fileTitle);
        args.Flags = record.flags;
        args.FilterIndex = record.filterIndex;
        args.Filter = ChosenFilterPair(record.filter, record.filterIndex);
        return true;
    }
    args.Filename.clear();
    args.FileTitle.clear();
    args.Filter.clear();
    args.Flags = 0;
    args.FilterIndex = cancelledFilterIndex;
    return false;
}

bool GCommonDialog::VBGetOpenFileName(std::string& Filename, std::string& FileTitle,
                                      bool FileMustExist, bool MultiSelect, bool& ReadOnly,
                                      bool HideReadOnly, std::string& Filter, int32_t& FilterIndex,
                                      const std::string& InitDir, const std::string& DlgTitle,
                                      const std::string& DefaultExt, WindowHandle Owner,
                                      int32_t& Flags) {
    const int32_t recordFlags =
        OpenFileFlags(FileMustExist, MultiSelect, ReadOnly, HideReadOnly, Flags);
    if (!ShowFileDialog(
            false, recordFlags,
            {Filename, FileTitle, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner, Flags},
            kOpenCancelledFilterIndex))
        return false;
    // The user may have cleared the read-only box as well as ticked it.
    ReadOnly = (Flags & OFN_READONLY) != 0;
    return true;
}

bool GCommonDialog::VBGetSaveFileName(std::string& Filename, std::string& FileTitle,
                                      bool OverWritePrompt, std::string& Filter,
                                      int32_t& FilterIndex, const std::string& InitDir,
                                      const std::string& DlgTitle, const std::string& DefaultExt,
                                      WindowHandle Owner, int32_t& Flags) {
    return ShowFileDialog(
        true, SaveFileFlags(OverWritePrompt, Flags),
        {Filename, FileTitle, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner, Flags},
        kSaveCancelledFilterIndex);
}

std::string GCommonDialog::VBGetFileTitle(const std::string& sFIle) {
    std::string title;
    if (CurrentDialogBackend().FileTitle(sFIle, title, kFileBufferChars) != 0)
        return {};
    return CutAtNul(title);
}

void GCommonDialog::FillCustomColorsIfNeeded() {
    if (customColorsFilled_)
        return;
    const DialogBackend& backend = CurrentDialogBackend();
    for (int i = 0; i < static_cast<int>(customColors_.size()); ++i) {
        const std::optional<int32_t> color = backend.SystemColor(i);
        customColors_[static_cast<size_t>(i)] = color ? *color : *FallbackSystemColor(i);
    }
    customColorsFilled_ = true;
}

int32_t GCommonDialog::CustomColor(int32_t i) {
    FillCustomColorsIfNeeded();
    if (i < 0 || i >= static_cast<int32_t>(customColors_.size()))
        return -1;
    return customColors_[static_cast<size_t>(i)];
}

void GCommonDialog::SetCustomColor(int32_t i, int32_t iValue) {
    FillCustomColorsIfNeeded();
    if (i < 0 || i >= static_cast<int32_t>(customColors_.size()))
        return;
    customColors_[static_cast<size_t>(i)] = iValue;
}

bool GCommonDialog::VBChooseColor(int32_t& Color, bool AnyColor, bool FullOpen,
                                  bool DisableFullOpen, WindowHandle Owner, int32_t /*Flags*/) {
    TargetClearer clearer(target_);
    FillCustomColorsIfNeeded();

    ChooseColorRecord record;
    record.owner = OwnerHandle(Owner);
    record.rgbResult = Color;
    record.customColors = customColors_;
    record.flags = ChooseColorFlags(AnyColor, FullOpen, DisableFullOpen);
    record.hook = HookForTarget();

    if (RecordOutcome(CurrentDialogBackend().ShowColor(record))) {
        Color = record.rgbResult;
        customColors_ = record.customColors;
        return true;
    }
    Color = -1;
    return false;
}

bool GCommonDialog::VBChooseFont(DialogFont& CurFont, DeviceContext& PrinterDC, WindowHandle Owner,
                                 int32_t& Color, int32_t MinSize, int32_t MaxSize, int32_t& Flags) {
    TargetClearer clearer(target_);
    ResetResults();
    DialogBackend& backend = CurrentDialogBackend();

    if (PrinterDC == -1) {
        PrinterDC = 0;
        if ((Flags & CF_PRINTERFONTS) != 0)
            PrinterDC = backend.DefaultPrinterDC();
    }
    if (PrinterDC != 0)
        Flags |= CF_PRINTERFONTS;
    Flags = ChooseFontFlags(Flags, Color, MinSize, MaxSize);

    ChooseFontRecord record;
    record.owner = OwnerHandle(Owner);
    record.printerDC = PrinterDC;
    record.logFont.height = FontHeightFromSize(CurFont.Size, ui::Ui().Screen().logicalDpiY);
    record.logFont.weight = CurFont.Weight;
    record.logFont.italic = CurFont.Italic;
    record.logFont.underline = CurFont.Underline;
    record.logFont.strikeOut = CurFont.Strikethrough;
    record.logFont.faceName = FitFaceName(CurFont.Name);
    record.pointSize = TenthsFromSize(CurFont.Size);
    record.flags = Flags;
    record.color = Color;
    record.sizeMin = MinSize;
    record.sizeMax = MaxSize;
    record.hook = HookForTarget();

    if (!RecordOutcome(backend.ShowFont(record)))
        return false;
    Flags = record.flags;
    Color = record.color;
    CurFont.Bold = (record.fontType & BOLD_FONTTYPE) != 0;
    CurFont.Italic = record.logFont.italic;
    CurFont.Strikethrough = record.logFont.strikeOut;
    CurFont.Underline = record.logFont.underline;
    CurFont.Weight = static_cast<int16_t>(record.logFont.weight);
    CurFont.Size = SizeFromTenths(record.pointSize);
    CurFont.Name = CutAtNul(record.logFont.faceName);
    return true;
}

bool GCommonDialog::VBPrintDlg(DeviceContext& hdc, int32_t& PrintRange, bool DisablePageNumbers,
                               int32_t& FromPage, int32_t& ToPage, bool DisableSelection,
                               int32_t& Copies, bool ShowPrintToFile, bool DisablePrintToFile,
                               bool& PrintToFile, bool& Collate, bool PreventWarning,
                               WindowHandle Owner, PrinterObject* Printer, int32_t /*Flags*/) {
    TargetClearer clearer(target_);
    ResetResults();

    PrintDlgRecord record;
    record.owner = OwnerHandle(Owner);
    record.flags = PrintDlgFlags(PrintRange, DisablePageNumbers, DisableSelection, ShowPrintToFile,
                                 DisablePrintToFile, PrintToFile, Collate, PreventWarning);
    record.fromPage = PageNumber(FromPage);
    record.toPage = PageNumber(ToPage);
    record.minPage = kPrintMinPage;
    record.maxPage = kPrintMaxPage;
    record.hook = HookForTarget();

    if (!RecordOutcome(CurrentDialogBackend().ShowPrint(record)))
        return false;
    hdc = record.hdc;
    PrintRange = PrintRangeFromFlags(record.flags);
    FromPage = record.fromPage;
    ToPage = record.toPage;
    PrintToFile = (record.flags & PD_PRINTTOFILE) != 0;
    devMode_ = record.devMode;
    Copies = devMode_.copies;
    Collate = devMode_.collate == DMCOLLATE_TRUE;
    ApplyToPrinter(Printer, devMode_);
    return true;
}

bool GCommonDialog::VBPageSetupDlg(WindowHandle Owner, bool DisableMargins, bool DisableOrientation,
                                   bool DisablePaper, bool DisablePrinter, int32_t& LeftMargin,
                                   int32_t& MinLeftMargin, int32_t& RightMargin,
                                   int32_t& MinRightMargin, int32_t& TopMargin,
                                   int32_t& MinTopMargin, int32_t& BottomMargin,
                                   int32_t& MinBottomMargin, int32_t& PaperSize,
                                   int32_t& Orientation, int32_t& PrintQuality, int32_t Units,
                                   PrinterObject* Printer, int32_t /*Flags*/) {
    TargetClearer clearer(target_);
    ResetResults();
    const PageSetupUnits units =
        PageSetupFlags(DisableMargins, DisableOrientation, DisablePaper, DisablePrinter, Units);

    PageSetupRecord record;
    record.owner = OwnerHandle(Owner);
    record.flags = units.flags;
    record.margins = {
        MarginToDialog(LeftMargin, units.scale), MarginToDialog(TopMargin, units.scale),
        MarginToDialog(RightMargin, units.scale), MarginToDialog(BottomMargin, units.scale)};
    record.minMargins = {
        MarginToDialog(MinLeftMargin, units.scale), MarginToDialog(MinTopMargin, units.scale),
        MarginToDialog(MinRightMargin, units.scale), MarginToDialog(MinBottomMargin, units.scale)};
    record.hook = HookForTarget();

    // Any non-zero return is acceptance here.
    const DialogOutcome outcome = CurrentDialogBackend().ShowPageSetup(record);
    apiReturn_ = outcome.apiReturn;
    if (outcome.apiReturn == 0) {
        extendedError_ = outcome.extendedError;
        return false;
    }
    LeftMargin = MarginFromDialog(record.margins.left, units.scale);
    TopMargin = MarginFromDialog(record.margins.top, units.scale);
    RightMargin = MarginFromDialog(record.margins.right, units.scale);
    BottomMargin = MarginFromDialog(record.margins.bottom, units.scale);
    MinLeftMargin = MarginFromDialog(record.minMargins.left, units.scale);
    MinTopMargin = MarginFromDialog(record.minMargins.top, units.scale);
    MinRightMargin = MarginFromDialog(record.minMargins.right, units.scale);
    MinBottomMargin = MarginFromDialog(record.minMargins.bottom, units.scale);
    devMode_ = record.devMode;
    PaperSize = devMode_.paperSize;
    Orientation = devMode_.orientation;
    PrintQuality = devMode_.printQuality;
    ApplyToPrinter(Printer, devMode_);
    return true;
}

} // namespace vellumo
