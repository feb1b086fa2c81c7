// The common dialogs of comdlg32 behind the dialog wrappers: records in, results out, hooks
// forwarded, exceptions of a hook carried past the system's frames.
#include "ui/win32/Win32DialogBackend.h"

#include "platform/CodePage.h"
#include "platform/Text.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace vellumo {
namespace {

// The request's hook for the dialog being shown on this thread, and what it threw.
struct HookSession {
    const DialogHookProc* hook = nullptr;
    // Explorer-style file dialogs hook a child of the dialog: the dialog is its parent.
    bool hookIsChild = false;
    std::exception_ptr failure;
};

thread_local HookSession* g_session = nullptr;

// Installs the session for one dialog call.
class SessionScope {
public:
    SessionScope(HookSession& session) : previous_(g_session) { g_session = &session; }
    ~SessionScope() { g_session = previous_; }
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;

private:
    HookSession* previous_;
};

intptr_t HookAnswer(const Variant& answer) {
    try {
        return VariantToLong(answer);
    } catch (...) {
        return 0; // an answer that is no number is no answer
    }
}

UINT_PTR CALLBACK HookProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HookSession* session = g_session;
    if (session == nullptr || session->hook == nullptr || !*session->hook || session->failure)
        return 0;
    const bool forwarded = message == WM_INITDIALOG || message == WM_NCDESTROY ||
                           (message == WM_NOTIFY && session->hookIsChild);
    if (!forwarded)
        return 0;
    try {
        const intptr_t answer = HookAnswer(
            (*session->hook)(reinterpret_cast<WindowHandle>(dialog), static_cast<int32_t>(message),
                             static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam)));
        // The dialog sets its default focus only when the hook answers WM_INITDIALOG with TRUE.
        return message == WM_INITDIALOG ? TRUE : static_cast<UINT_PTR>(answer);
    } catch (...) {
        session->failure = std::current_exception();
        const HWND owner = session->hookIsChild ? GetParent(dialog) : dialog;
        PostMessageA(owner, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
}

void RethrowHookFailure(const HookSession& session) {
    if (session.failure)
        std::rethrow_exception(session.failure);
}

HWND Owner(WindowHandle owner) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(owner));
}

DialogOutcome Accepted() {
    return {1, 0};
}

DialogOutcome Refused() {
    return {0, static_cast<int32_t>(CommDlgExtendedError())};
}

// A text buffer of `capacity` characters holding `text` (cut to fit with its NUL).
std::vector<char> Buffer(const std::string& text, int32_t capacity) {
    std::vector<char> buffer(static_cast<size_t>(std::max(capacity, 1)), '\0');
    std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size() - 1));
    return buffer;
}

// A text up to its first NUL, from a fixed field.
std::string Field(const char* text, size_t size) {
    return FromAnsi(std::string(text, strnlen(text, size)));
}

// The chosen name, or in the dialog's multiple-file form the names up to the two NULs that end
// them (the buffer starts zeroed, so a single name ends there too).
std::string FileResult(const std::vector<char>& buffer) {
    const std::string_view text(buffer.data(), buffer.size());
    const size_t end = text.find(std::string_view("\0\0", 2));
    return FromAnsi(text.substr(0, end == std::string_view::npos ? text.size() : end));
}

DeviceMode ReadDeviceMode(HGLOBAL block) {
    DeviceMode mode;
    if (block == nullptr)
        return mode;
    const auto* devMode = static_cast<const DEVMODEA*>(GlobalLock(block));
    if (devMode == nullptr)
        return mode;
    mode.deviceName =
        Field(reinterpret_cast<const char*>(devMode->dmDeviceName), sizeof devMode->dmDeviceName);
    mode.fields = static_cast<int32_t>(devMode->dmFields);
    mode.orientation = devMode->dmOrientation;
    mode.paperSize = devMode->dmPaperSize;
    mode.paperLength = devMode->dmPaperLength;
    mode.paperWidth = devMode->dmPaperWidth;
    mode.scale = devMode->dmScale;
    mode.copies = devMode->dmCopies;
    mode.defaultSource = devMode->dmDefaultSource;
    mode.printQuality = devMode->dmPrintQuality;
    mode.color = devMode->dmColor;
    mode.duplex = devMode->dmDuplex;
    mode.yResolution = devMode->dmYResolution;
    mode.ttOption = devMode->dmTTOption;
    mode.collate = devMode->dmCollate;
    mode.formName =
        Field(reinterpret_cast<const char*>(devMode->dmFormName), sizeof devMode->dmFormName);
    GlobalUnlock(block);
    return mode;
}

void FreeBlocks(HGLOBAL devMode, HGLOBAL devNames) {
    if (devMode != nullptr)
        GlobalFree(devMode);
    if (devNames != nullptr)
        GlobalFree(devNames);
}

// A dialog record of the system's kind with its size, and the request's owner and flags.
template <typename Dialog, typename Request> Dialog NewDialogRecord(const Request& request) {
    Dialog dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Owner(request.owner);
    dialog.Flags = static_cast<DWORD>(request.flags);
    return dialog;
}

// Shows one dialog through `show` (GetOpenFileNameA, ChooseColorA ...). When the request has a
// hook, the record gets `hookBits` and the hook procedure in `hookField`, and the session is
// installed for the call. What the hook threw stays in the session: the caller rethrows it once
// it has freed what the dialog handed back.
template <typename Dialog, typename HookField, typename Show>
DialogOutcome ShowHooked(Show show, Dialog& dialog, HookField Dialog::*hookField, DWORD hookBits,
                         HookSession& session) {
    if (*session.hook) {
        dialog.Flags |= hookBits;
        dialog.*hookField = HookProcedure;
    }
    BOOL accepted = FALSE;
    {
        SessionScope scope(session);
        accepted = show(&dialog);
    }
    return accepted ? Accepted() : Refused();
}

bool IsAccepted(const DialogOutcome& outcome) {
    return outcome.apiReturn != 0;
}

DialogOutcome ShowFileDialog(OpenFileRecord& record, bool save) {
    const std::string filter = ToAnsi(record.filter);
    const bool hasFilter = filter.find_first_not_of('\0') != std::string::npos;
    std::vector<char> file = Buffer(ToAnsi(record.file), record.maxFile);
    std::vector<char> title = Buffer(ToAnsi(record.fileTitle), record.maxFileTitle);
    const std::string initialDir = ToAnsi(record.initialDir);
    const std::string dialogTitle = ToAnsi(record.title);
    std::string defaultExt = ToAnsi(record.defaultExt);
    if (!defaultExt.empty() && defaultExt.front() == '.')
        defaultExt.erase(0, 1);

    auto dialog = NewDialogRecord<OPENFILENAMEA>(record);
    dialog.lpstrFilter = hasFilter ? filter.c_str() : nullptr;
    dialog.nFilterIndex = static_cast<DWORD>(record.filterIndex);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(record.maxFile);
    dialog.lpstrFileTitle = record.maxFileTitle > 0 ? title.data() : nullptr;
    dialog.nMaxFileTitle = static_cast<DWORD>(record.maxFileTitle);
    dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    dialog.lpstrTitle = dialogTitle.empty() ? nullptr : dialogTitle.c_str();
    dialog.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    HookSession session{&record.hook, true, nullptr};
    const DWORD addedFlags = record.hook ? OFN_ENABLEHOOK | OFN_EXPLORER : 0;
    const DialogOutcome outcome = ShowHooked(save ? GetSaveFileNameA : GetOpenFileNameA, dialog,
                                             &OPENFILENAMEA::lpfnHook, addedFlags, session);
    RethrowHookFailure(session);
    if (!IsAccepted(outcome))
        return outcome;
    record.file = FileResult(file);
    if (record.maxFileTitle > 0)
        record.fileTitle = Field(title.data(), title.size());
    record.flags = static_cast<int32_t>(dialog.Flags & ~addedFlags);
    record.filterIndex = static_cast<int32_t>(dialog.nFilterIndex);
    return outcome;
}

} // namespace

DialogOutcome Win32DialogBackend::ShowOpenFile(OpenFileRecord& record) {
    return ShowFileDialog(record, false);
}

DialogOutcome Win32DialogBackend::ShowSaveFile(OpenFileRecord& record) {
    return ShowFileDialog(record, true);
}

DialogOutcome Win32DialogBackend::ShowColor(ChooseColorRecord& record) {
    COLORREF custom[16] = {};
    for (size_t i = 0; i < record.customColors.size(); ++i)
        custom[i] = static_cast<COLORREF>(record.customColors[i]);
    auto dialog = NewDialogRecord<CHOOSECOLORA>(record);
    dialog.rgbResult = static_cast<COLORREF>(record.rgbResult);
    dialog.lpCustColors = custom;
    HookSession session{&record.hook, false, nullptr};
    const DialogOutcome outcome =
        ShowHooked(ChooseColorA, dialog, &CHOOSECOLORA::lpfnHook, CC_ENABLEHOOK, session);
    RethrowHookFailure(session);
    if (IsAccepted(outcome)) {
        record.rgbResult = static_cast<int32_t>(dialog.rgbResult);
        for (size_t i = 0; i < record.customColors.size(); ++i)
            record.customColors[i] = static_cast<int32_t>(custom[i]);
    }
    return outcome;
}

DialogOutcome Win32DialogBackend::ShowFont(ChooseFontRecord& record) {
    LOGFONTA font{};
    font.lfHeight = record.logFont.height;
    font.lfWeight = record.logFont.weight;
    font.lfItalic = record.logFont.italic ? TRUE : FALSE;
    font.lfUnderline = record.logFont.underline ? TRUE : FALSE;
    font.lfStrikeOut = record.logFont.strikeOut ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    const std::string face = ToAnsi(record.logFont.faceName);
    std::memcpy(font.lfFaceName, face.data(), std::min(face.size(), sizeof font.lfFaceName - 1));

    auto dialog = NewDialogRecord<CHOOSEFONTA>(record);
    dialog.hDC = reinterpret_cast<HDC>(static_cast<intptr_t>(record.printerDC));
    dialog.lpLogFont = &font;
    dialog.iPointSize = record.pointSize;
    dialog.rgbColors = static_cast<COLORREF>(record.color);
    dialog.nSizeMin = record.sizeMin;
    dialog.nSizeMax = record.sizeMax;
    HookSession session{&record.hook, false, nullptr};
    const DialogOutcome outcome =
        ShowHooked(ChooseFontA, dialog, &CHOOSEFONTA::lpfnHook, CF_ENABLEHOOK, session);
    RethrowHookFailure(session);
    if (IsAccepted(outcome)) {
        record.logFont.height = font.lfHeight;
        record.logFont.weight = font.lfWeight;
        record.logFont.italic = font.lfItalic != 0;
        record.logFont.underline = font.lfUnderline != 0;
        record.logFont.strikeOut = font.lfStrikeOut != 0;
        record.logFont.faceName = Field(font.lfFaceName, sizeof font.lfFaceName);
        record.pointSize = dialog.iPointSize;
        record.flags = static_cast<int32_t>(dialog.Flags & ~static_cast<DWORD>(CF_ENABLEHOOK));
        record.color = static_cast<int32_t>(dialog.rgbColors);
        record.fontType = static_cast<int16_t>(dialog.nFontType);
    }
    return outcome;
}

DialogOutcome Win32DialogBackend::ShowPrint(PrintDlgRecord& record) {
    auto dialog = NewDialogRecord<PRINTDLGA>(record);
    dialog.nFromPage = record.fromPage;
    dialog.nToPage = record.toPage;
    dialog.nMinPage = record.minPage;
    dialog.nMaxPage = record.maxPage;
    dialog.nCopies = record.copies;
    HookSession session{&record.hook, false, nullptr};
    const DialogOutcome outcome =
        ShowHooked(PrintDlgA, dialog, &PRINTDLGA::lpfnPrintHook, PD_ENABLEPRINTHOOK, session);
    if (IsAccepted(outcome)) {
        record.hdc = reinterpret_cast<intptr_t>(dialog.hDC);
        record.flags = static_cast<int32_t>(dialog.Flags & ~static_cast<DWORD>(PD_ENABLEPRINTHOOK));
        record.fromPage = dialog.nFromPage;
        record.toPage = dialog.nToPage;
        record.minPage = dialog.nMinPage;
        record.maxPage = dialog.nMaxPage;
        record.copies = dialog.nCopies;
        record.devMode = ReadDeviceMode(dialog.hDevMode);
    }
    FreeBlocks(dialog.hDevMode, dialog.hDevNames);
    RethrowHookFailure(session);
    return outcome;
}

DialogOutcome Win32DialogBackend::ShowPageSetup(PageSetupRecord& record) {
    auto dialog = NewDialogRecord<PAGESETUPDLGA>(record);
    dialog.rtMinMargin = {record.minMargins.left, record.minMargins.top, record.minMargins.right,
                          record.minMargins.bottom};
    dialog.rtMargin = {record.margins.left, record.margins.top, record.margins.right,
                       record.margins.bottom};
    HookSession session{&record.hook, false, nullptr};
    const DialogOutcome outcome = ShowHooked(
        PageSetupDlgA, dialog, &PAGESETUPDLGA::lpfnPageSetupHook, PSD_ENABLEPAGESETUPHOOK, session);
    if (IsAccepted(outcome)) {
        record.flags =
            static_cast<int32_t>(dialog.Flags & ~static_cast<DWORD>(PSD_ENABLEPAGESETUPHOOK));
        record.paperWidth = dialog.ptPaperSize.x;
        record.paperHeight = dialog.ptPaperSize.y;
        record.margins = {dialog.rtMargin.left, dialog.rtMargin.top, dialog.rtMargin.right,
                          dialog.rtMargin.bottom};
        record.devMode = ReadDeviceMode(dialog.hDevMode);
    }
    FreeBlocks(dialog.hDevMode, dialog.hDevNames);
    RethrowHookFailure(session);
    return outcome;
}

void Win32DialogBackend::SetMessageResult(WindowHandle dialog, intptr_t result) {
    const HWND window = Owner(dialog);
    if (IsWindow(window))
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
}

std::optional<int32_t> Win32DialogBackend::SystemColor(int index) const {
    return static_cast<int32_t>(GetSysColor(index));
}

DeviceContext Win32DialogBackend::DefaultPrinterDC() {
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    DeviceContext dc = 0;
    if (PrintDlgA(&dialog))
        dc = reinterpret_cast<intptr_t>(dialog.hDC);
    FreeBlocks(dialog.hDevMode, dialog.hDevNames);
    return dc;
}

void Win32DialogBackend::ReleasePrinterDC(DeviceContext dc) {
    if (dc != 0)
        DeleteDC(reinterpret_cast<HDC>(static_cast<intptr_t>(dc)));
}

int32_t Win32DialogBackend::FileTitle(std::string_view file, std::string& title, int32_t capacity) {
    std::vector<char> buffer(static_cast<size_t>(std::max(capacity, 1)), '\0');
    const short result = GetFileTitleA(ToAnsi(file).c_str(), buffer.data(),
                                       static_cast<WORD>(std::min(capacity, 0xFFFF)));
    if (result == 0)
        title = Field(buffer.data(), buffer.size());
    return result;
}

} // namespace vellumo
