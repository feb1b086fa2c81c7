// The common dialogs' constants and the toolkit-free arithmetic of the dialog wrappers: the flags
// each operation passes, the filter text, buffer limits, font sizes and page margins.
#pragma once

#include "platform/NumberText.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo::cdlg {

// The platform's constants keep their values: the records and flags are shared with the
// Windows build, where they go to the system's dialogs unchanged.

// Open and save dialogs.
inline constexpr int32_t OFN_READONLY = 0x1;
inline constexpr int32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr int32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr int32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr int32_t OFN_EXTENSIONDIFFERENT = 0x400;
inline constexpr int32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr int32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr int32_t OFN_EXPLORER = 0x80000;

// Colour dialog.
inline constexpr int32_t CC_RGBINIT = 0x1;
inline constexpr int32_t CC_FULLOPEN = 0x2;
inline constexpr int32_t CC_PREVENTFULLOPEN = 0x4;
inline constexpr int32_t CC_ENABLEHOOK = 0x10;
inline constexpr int32_t CC_ENABLETEMPLATE = 0x20;
inline constexpr int32_t CC_SOLIDCOLOR = 0x80;
inline constexpr int32_t CC_ANYCOLOR = 0x100;

// Font dialog.
inline constexpr int32_t CF_SCREENFONTS = 0x1;
inline constexpr int32_t CF_PRINTERFONTS = 0x2;
inline constexpr int32_t CF_ENABLEHOOK = 0x8;
inline constexpr int32_t CF_ENABLETEMPLATE = 0x10;
inline constexpr int32_t CF_INITTOLOGFONTSTRUCT = 0x40;
inline constexpr int32_t CF_EFFECTS = 0x100;
inline constexpr int32_t CF_APPLY = 0x200;
inline constexpr int32_t CF_LIMITSIZE = 0x2000;
inline constexpr int32_t CF_FIXEDPITCHONLY = 0x4000;
inline constexpr int32_t CF_SCALABLEONLY = 0x20000;
inline constexpr int16_t BOLD_FONTTYPE = 0x100;
inline constexpr int16_t ITALIC_FONTTYPE = 0x200;
inline constexpr int16_t REGULAR_FONTTYPE = 0x400;
inline constexpr int16_t SCREEN_FONTTYPE = 0x2000;
inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_BOLD = 700;
// The face-name field holds 32 bytes, its terminating NUL included.
inline constexpr size_t LF_FACESIZE = 32;

// Print dialog.
inline constexpr int32_t PD_SELECTION = 0x1;
inline constexpr int32_t PD_PAGENUMS = 0x2;
inline constexpr int32_t PD_NOSELECTION = 0x4;
inline constexpr int32_t PD_NOPAGENUMS = 0x8;
inline constexpr int32_t PD_COLLATE = 0x10;
inline constexpr int32_t PD_PRINTTOFILE = 0x20;
inline constexpr int32_t PD_NOWARNING = 0x80;
inline constexpr int32_t PD_RETURNDC = 0x100;
inline constexpr int32_t PD_RETURNDEFAULT = 0x400;
inline constexpr int32_t PD_ENABLEPRINTHOOK = 0x1000;
inline constexpr int32_t PD_ENABLESETUPHOOK = 0x2000;
inline constexpr int32_t PD_ENABLEPRINTTEMPLATE = 0x4000;
inline constexpr int32_t PD_ENABLESETUPTEMPLATE = 0x8000;
inline constexpr int32_t PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
inline constexpr int32_t PD_DISABLEPRINTTOFILE = 0x80000;
inline constexpr int32_t PD_HIDEPRINTTOFILE = 0x100000;
inline constexpr int32_t kPrintMinPage = 1;
inline constexpr int32_t kPrintMaxPage = 0xFFFF;

// Page-setup dialog.
inline constexpr int32_t PSD_MINMARGINS = 0x1;
inline constexpr int32_t PSD_MARGINS = 0x2;
inline constexpr int32_t PSD_INTHOUSANDTHSOFINCHES = 0x4;
inline constexpr int32_t PSD_INHUNDREDTHSOFMILLIMETERS = 0x8;
inline constexpr int32_t PSD_DISABLEMARGINS = 0x10;
inline constexpr int32_t PSD_DISABLEPRINTER = 0x20;
inline constexpr int32_t PSD_DISABLEORIENTATION = 0x100;
inline constexpr int32_t PSD_DISABLEPAPER = 0x200;

// Printer device-mode values.
inline constexpr int32_t DM_ORIENTATION = 0x1;
inline constexpr int32_t DM_PAPERSIZE = 0x2;
inline constexpr int32_t DM_COPIES = 0x100;
inline constexpr int32_t DM_PRINTQUALITY = 0x400;
inline constexpr int32_t DM_COLOR = 0x800;
inline constexpr int32_t DM_DUPLEX = 0x1000;
inline constexpr int32_t DM_YRESOLUTION = 0x2000;
inline constexpr int32_t DM_COLLATE = 0x8000;
inline constexpr int16_t DMORIENT_PORTRAIT = 1;
inline constexpr int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr int16_t DMCOLLATE_TRUE = 1;
inline constexpr int16_t DMCOLOR_MONOCHROME = 1;
inline constexpr int16_t DMCOLOR_COLOR = 2;
inline constexpr int16_t DMDUP_SIMPLEX = 1;
inline constexpr int16_t DMDUP_VERTICAL = 2;
inline constexpr int16_t DMDUP_HORIZONTAL = 3;
// The device-name and form-name fields hold 32 bytes, their NULs included.
inline constexpr size_t CCHDEVICENAME = 32;
inline constexpr size_t CCHFORMNAME = 32;

// Extended error codes (what the platform's extended-error call reports after a failed dialog).
inline constexpr int32_t CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr int32_t CDERR_INITIALIZATION = 0x2;
inline constexpr int32_t PDERR_NODEFAULTPRN = 0x1008;
inline constexpr int32_t CFERR_NOFONTS = 0x2001;
inline constexpr int32_t FNERR_BUFFERTOOSMALL = 0x3003;

// Dialog messages and file-dialog notification codes delivered to DialogHook.
inline constexpr int32_t WM_NOTIFY = 78;
inline constexpr int32_t WM_NCDESTROY = 130;
inline constexpr int32_t WM_INITDIALOG = 272;
inline constexpr int32_t CDN_SELCHANGE = -602;
inline constexpr int32_t CDN_FOLDERCHANGE = -603;
inline constexpr int32_t CDN_FILEOK = -606;
inline constexpr int32_t CDN_TYPECHANGE = -607;

// The file and title buffers of the open and save dialogs hold 260 characters.
inline constexpr int32_t kFileBufferChars = 260;

// ---- Flag formulas. Booleans count as 1 when true. -----------------------------------------

// OFN_FILEMUSTEXIST, OFN_ALLOWMULTISELECT, OFN_READONLY, OFN_HIDEREADONLY as asked, plus the
// caller's flags without OFN_ENABLEHOOK and OFN_ENABLETEMPLATE.
[[nodiscard]] int32_t OpenFileFlags(bool fileMustExist, bool multiSelect, bool readOnly,
                                    bool hideReadOnly, int32_t callerFlags);
// OFN_OVERWRITEPROMPT as asked, OFN_HIDEREADONLY always, plus the caller's flags without the
// hook and template bits.
[[nodiscard]] int32_t SaveFileFlags(bool overWritePrompt, int32_t callerFlags);
// CC_ANYCOLOR or CC_SOLIDCOLOR, CC_RGBINIT always, CC_FULLOPEN and CC_PREVENTFULLOPEN as asked;
// never the hook and template bits.
[[nodiscard]] int32_t ChooseColorFlags(bool anyColor, bool fullOpen, bool disableFullOpen);
// Step 2 of the font dialog: CF_SCREENFONTS unless CF_PRINTERFONTS is there, CF_EFFECTS for a
// non-zero colour, CF_LIMITSIZE for a non-zero limit, CF_INITTOLOGFONTSTRUCT always; CF_APPLY,
// CF_ENABLEHOOK and CF_ENABLETEMPLATE removed.
[[nodiscard]] int32_t ChooseFontFlags(int32_t flags, int32_t color, int32_t minSize,
                                      int32_t maxSize);
// The print dialog's flags; printRange 1 adds PD_PAGENUMS, 2 adds PD_SELECTION, anything else
// means all pages. PD_USEDEVMODECOPIESANDCOLLATE and PD_RETURNDC always; hook and template bits
// never.
[[nodiscard]] int32_t PrintDlgFlags(int32_t printRange, bool disablePageNumbers,
                                    bool disableSelection, bool showPrintToFile,
                                    bool disablePrintToFile, bool printToFile, bool collate,
                                    bool preventWarning);
// The print range a returned flag set names: 1 page numbers, 2 selection, 0 all pages.
[[nodiscard]] int32_t PrintRangeFromFlags(int32_t flags);

// The page-setup dialog's flags and its margin scale: Units 0 is thousandths of an inch (scale
// 1000, whole inches in the arguments), anything else hundredths of a millimetre (scale 100).
struct PageSetupUnits {
    int32_t flags = 0;
    int32_t scale = 0;
};
[[nodiscard]] PageSetupUnits PageSetupFlags(bool disableMargins, bool disableOrientation,
                                            bool disablePaper, bool disablePrinter, int32_t units);

// ---- Conversions. -------------------------------------------------------------------------

// "Text files|*.txt:All files|*.*" to the dialog's form: every "|" and ":" becomes NUL and two
// NULs end the list.
[[nodiscard]] std::string FilterToDialog(std::string_view filter);
// The pair numbered filterIndex (from 1) of a filter in the dialog's form, as description, NUL,
// pattern. The empty text when there is no such pair.
[[nodiscard]] std::string ChosenFilterPair(std::string_view dialogFilter, int32_t filterIndex);

// Throws RuntimeError 5 (Invalid procedure call) when the text is longer than the buffer's
// characters: the text cannot be padded to the buffer.
void CheckFitsBuffer(std::string_view text, int32_t bufferChars);

// The font height in pixels for a size in points: -(points x 20 / twips per pixel), to the
// nearest integer (half to even), with 1440 / dpiY twips per pixel. A dpiY of 0 or less counts
// as 96.
[[nodiscard]] int32_t FontHeightFromSize(Currency size, int dpiY);
// Points to tenths of a point and back.
[[nodiscard]] int32_t TenthsFromSize(Currency size);
[[nodiscard]] Currency SizeFromTenths(int32_t tenths);
// The longest start of a text whose code-page form, with its NUL, fits a field of fieldBytes
// bytes; whole characters only.
[[nodiscard]] std::string FitTextField(std::string_view text, size_t fieldBytes);
// A face name fitted to the 32-byte field.
[[nodiscard]] inline std::string FitFaceName(std::string_view name) {
    return FitTextField(name, LF_FACESIZE);
}

// A margin argument in whole units times the scale; throws RuntimeError 6 (Overflow) when the
// product does not fit in 32 bits.
[[nodiscard]] int32_t MarginToDialog(int32_t margin, int32_t scale);
// A returned margin divided by the scale, to the nearest integer (half to even).
[[nodiscard]] int32_t MarginFromDialog(int32_t value, int32_t scale);

// The display title of a file name on a system without a shell-specific rule: the part after the
// last "/". Returns 0 and fills title on success; a non-zero value when the name has no title
// (empty, or ending in "/") or when the title with its NUL needs more than capacity characters
// (then the value is the characters needed).
[[nodiscard]] int32_t PortableFileTitle(std::string_view file, std::string& title,
                                        int32_t capacity);

// The colour table used when the toolkit does not give system colour `index` (0 to 15): the
// customary desktop colours of scroll bar, desktop, active and inactive caption, menu, window,
// window frame, menu text, window text, caption text, active and inactive border, application
// workspace, highlight, highlighted text and button face, as 0x00BBGGRR values. nullopt outside
// 0 to 15.
[[nodiscard]] std::optional<int32_t> FallbackSystemColor(int index);

// 0x00BBGGRR from red, green and blue.
[[nodiscard]] constexpr int32_t Rgb(int red, int green, int blue) {
    return static_cast<int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

} // namespace vellumo::cdlg
