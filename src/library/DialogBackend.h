// The seam between the dialog wrappers and a toolkit: the request records the wrappers fill (the
// fields of the platform's dialog records) and the interface that shows each dialog. The Qt
// implementation lives in ui/qt/; the Windows build hands the records to the system.
#pragma once

#include "platform/InstalledService.h"
#include "platform/Variant.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo {

// A window handle; 0 is none. (The wrappers take -1 from their callers for none.)
using WindowHandle = int64_t;
// A printer device-context handle; 0 is none.
using DeviceContext = int64_t;

// The notification header a WM_NOTIFY message's lParam points at (the platform's layout:
// sender, sender id, code).
struct NotifyHeader {
    intptr_t hwndFrom = 0;
    uintptr_t idFrom = 0;
    uint32_t code = 0;
};

// A dialog's hook: the dialog's own handle, the message, wParam and lParam, as a dialog procedure
// receives them; returns the hook's answer. Empty when nobody listens.
using DialogHookProc = std::function<Variant(WindowHandle, int32_t, intptr_t, intptr_t)>;

// What a dialog call gives back: its return value (1 accepted, 0 cancelled or failed) and the
// extended error code the platform reports for it (0 after acceptance or a plain cancel).
struct DialogOutcome {
    int32_t apiReturn = 0;
    int32_t extendedError = 0;
};

// Open and save dialogs.
struct OpenFileRecord {
    WindowHandle owner = 0;
    // Description NUL pattern NUL ... NUL NUL; only NULs when there are no filters.
    std::string filter;
    // In/out: the selected filter, from 1.
    int32_t filterIndex = 0;
    // In: the initial name. Out: the chosen name, or with OFN_ALLOWMULTISELECT several names in
    // the dialog's multiple-file form (folder NUL name NUL name ... with OFN_EXPLORER, else
    // folder, space, names separated by spaces).
    std::string file;
    // The file buffer's capacity in characters, its terminating NUL included. A result that does
    // not fit fails with FNERR_BUFFERTOOSMALL.
    int32_t maxFile = 0;
    // In/out: the chosen file's name without its folder.
    std::string fileTitle;
    int32_t maxFileTitle = 0;
    std::string initialDir;
    std::string title;
    // The extension given to a name typed without one; a leading dot is ignored.
    std::string defaultExt;
    // In/out: the flags the dialog returns (OFN_READONLY as the user left it,
    // OFN_EXTENSIONDIFFERENT when the chosen extension is not defaultExt).
    int32_t flags = 0;
    DialogHookProc hook;
};

struct ChooseColorRecord {
    WindowHandle owner = 0;
    // In/out: 0x00BBGGRR.
    int32_t rgbResult = 0;
    // In/out: the custom colours the dialog offers and the user may change.
    std::array<int32_t, 16> customColors{};
    int32_t flags = 0;
    DialogHookProc hook;
};

// The logical-font fields the font dialog reads and fills.
struct LogFont {
    // Pixels; negative for the character height.
    int32_t height = 0;
    int32_t weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    // UTF-8; its code-page form fits the 32-byte field with its NUL.
    std::string faceName;
};

struct ChooseFontRecord {
    WindowHandle owner = 0;
    DeviceContext printerDC = 0;
    // In/out.
    LogFont logFont;
    // In/out: the size in tenths of a point.
    int32_t pointSize = 0;
    // In/out.
    int32_t flags = 0;
    // In/out: the text colour (with CF_EFFECTS).
    int32_t color = 0;
    // Out: BOLD_FONTTYPE, ITALIC_FONTTYPE, REGULAR_FONTTYPE, SCREEN_FONTTYPE.
    int16_t fontType = 0;
    // Points; used with CF_LIMITSIZE.
    int32_t sizeMin = 0;
    int32_t sizeMax = 0;
    DialogHookProc hook;
};

// The leading fields of the platform's printer device-mode record.
struct DeviceMode {
    std::string deviceName;
    int32_t fields = 0;
    int16_t orientation = 0;
    int16_t paperSize = 0;
    int16_t paperLength = 0;
    int16_t paperWidth = 0;
    int16_t scale = 0;
    int16_t copies = 0;
    int16_t defaultSource = 0;
    int16_t printQuality = 0;
    int16_t color = 0;
    int16_t duplex = 0;
    int16_t yResolution = 0;
    int16_t ttOption = 0;
    int16_t collate = 0;
    std::string formName;
    friend bool operator==(const DeviceMode&, const DeviceMode&) = default;
};

struct PrintDlgRecord {
    WindowHandle owner = 0;
    // Out: with PD_RETURNDC, the chosen printer's device context; the caller releases it with
    // DialogBackend::ReleasePrinterDC.
    DeviceContext hdc = 0;
    // In/out.
    int32_t flags = 0;
    // In/out: pages 0 to 0xFFFF.
    uint16_t fromPage = 0;
    uint16_t toPage = 0;
    uint16_t minPage = 0;
    uint16_t maxPage = 0;
    // Out: 1 with PD_USEDEVMODECOPIESANDCOLLATE (the copies are in the device mode).
    uint16_t copies = 0;
    // Out, after acceptance.
    DeviceMode devMode;
    DialogHookProc hook;
};

// Left, top, right, bottom.
struct MarginRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const MarginRect&, const MarginRect&) = default;
};

struct PageSetupRecord {
    WindowHandle owner = 0;
    int32_t flags = 0;
    // Out: the paper's width and height in the units of the flags.
    int32_t paperWidth = 0;
    int32_t paperHeight = 0;
    // In (with PSD_MINMARGINS) and in/out (with PSD_MARGINS), in the units of the flags.
    MarginRect minMargins;
    MarginRect margins;
    // Out, after acceptance.
    DeviceMode devMode;
    DialogHookProc hook;
};

// Shows the platform's dialogs. Each Show call is modal, fills the record's out fields only when
// it returns apiReturn 1, and calls the record's hook (when set) with the dialog's events:
// WM_INITDIALOG when the dialog is up, for file dialogs WM_NOTIFY with CDN_SELCHANGE,
// CDN_FOLDERCHANGE, CDN_TYPECHANGE and CDN_FILEOK (a message result of 1 set through
// SetMessageResult refuses the OK), and WM_NCDESTROY when it goes. An exception the hook throws
// ends the dialog (as a cancel) and leaves the Show call.
class DialogBackend {
public:
    virtual ~DialogBackend() = default;

    virtual DialogOutcome ShowOpenFile(OpenFileRecord& record) = 0;
    virtual DialogOutcome ShowSaveFile(OpenFileRecord& record) = 0;
    virtual DialogOutcome ShowColor(ChooseColorRecord& record) = 0;
    virtual DialogOutcome ShowFont(ChooseFontRecord& record) = 0;
    // Without a printer: apiReturn 0 and PDERR_NODEFAULTPRN.
    virtual DialogOutcome ShowPrint(PrintDlgRecord& record) = 0;
    virtual DialogOutcome ShowPageSetup(PageSetupRecord& record) = 0;

    // Sets the message result of the dialog `dialog` for the event being delivered (refusing
    // CDN_FILEOK with 1). Ignored for a dialog that is not up.
    virtual void SetMessageResult(WindowHandle dialog, intptr_t result) = 0;

    // The system colour `index` (0 to 15, numbered by display element as the system numbers them);
    // nullopt when the toolkit has none, and the wrappers use cdlg::FallbackSystemColor.
    [[nodiscard]] virtual std::optional<int32_t> SystemColor(int index) const;
    // A device context of the default printer, or 0 when there is none.
    [[nodiscard]] virtual DeviceContext DefaultPrinterDC();
    // Releases a device context handed out by ShowPrint or DefaultPrinterDC. Unknown handles are
    // ignored.
    virtual void ReleasePrinterDC(DeviceContext dc);
    // The display title of a file name: 0 and the title, or non-zero when there is none or it
    // does not fit in capacity characters. The default is cdlg::PortableFileTitle.
    [[nodiscard]] virtual int32_t FileTitle(std::string_view file, std::string& title,
                                            int32_t capacity);
};

// The backend that shows no dialog: every Show call fails with CDERR_DIALOGFAILURE. It is used
// until a toolkit installs its own (headless runs, tests of the wrappers' other parts).
class NullDialogBackend : public DialogBackend {
public:
    DialogOutcome ShowOpenFile(OpenFileRecord& record) override;
    DialogOutcome ShowSaveFile(OpenFileRecord& record) override;
    DialogOutcome ShowColor(ChooseColorRecord& record) override;
    DialogOutcome ShowFont(ChooseFontRecord& record) override;
    DialogOutcome ShowPrint(PrintDlgRecord& record) override;
    DialogOutcome ShowPageSetup(PageSetupRecord& record) override;
    void SetMessageResult(WindowHandle dialog, intptr_t result) override;
};

// The backend in use (a NullDialogBackend until one is installed).
[[nodiscard]] DialogBackend& CurrentDialogBackend();
// Installs a backend (not owned) and returns the previous one; nullptr restores the default.
DialogBackend* SetDialogBackend(DialogBackend* backend);

// Installs a backend for the lifetime of the guard.
using ScopedDialogBackend = ScopedInstall<DialogBackend, &SetDialogBackend>;

} // namespace vellumo
