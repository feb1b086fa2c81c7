// The dialog backend on Windows: the system's common dialogs of comdlg32 (GetOpenFileNameA,
// GetSaveFileNameA, ChooseColorA, ChooseFontA, PrintDlgA, PageSetupDlgA, GetFileTitleA) with the
// records filled from the wrappers' requests, texts in the ANSI code page. A request with a hook
// gets the dialog's hook procedure (explorer-style for the file dialogs), which forwards
// WM_INITDIALOG, the file dialogs' WM_NOTIFY and WM_NCDESTROY to it.
#pragma once

#include "library/DialogBackend.h"

namespace vellumo {

// The records are the platform's own, so their sizes are those of this build's records (the
// 64-bit layouts here; the 32-bit program passed the 32-bit sizes). An exception thrown by a
// hook cancels the dialog and leaves the Show call once the dialog has closed.
class Win32DialogBackend : public DialogBackend {
public:
    DialogOutcome ShowOpenFile(OpenFileRecord& record) override;
    DialogOutcome ShowSaveFile(OpenFileRecord& record) override;
    DialogOutcome ShowColor(ChooseColorRecord& record) override;
    DialogOutcome ShowFont(ChooseFontRecord& record) override;
    DialogOutcome ShowPrint(PrintDlgRecord& record) override;
    DialogOutcome ShowPageSetup(PageSetupRecord& record) override;
    // SetWindowLongPtr(dialog, DWLP_MSGRESULT, result).
    void SetMessageResult(WindowHandle dialog, intptr_t result) override;

    // GetSysColor.
    [[nodiscard]] std::optional<int32_t> SystemColor(int index) const override;
    // The default printer's device context (PrintDlg with PD_RETURNDEFAULT); 0 without one.
    [[nodiscard]] DeviceContext DefaultPrinterDC() override;
    // DeleteDC.
    void ReleasePrinterDC(DeviceContext dc) override;
    // GetFileTitleA.
    [[nodiscard]] int32_t FileTitle(std::string_view file, std::string& title,
                                    int32_t capacity) override;
};

} // namespace vellumo
