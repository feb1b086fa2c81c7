// Flag formulas, filter text, buffer limits, font sizes and margins of the dialog wrappers.
#include "library/CommonDialogFlags.h"

#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/Utf8Char.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace vellumo::cdlg {

namespace {

constexpr int32_t Bit(bool on, int32_t flag) {
    return on ? flag : 0;
}

constexpr int32_t kFileHookBits = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
constexpr int32_t kColorHookBits = CC_ENABLEHOOK | CC_ENABLETEMPLATE;
constexpr int32_t kFontRemovedBits = CF_APPLY | CF_ENABLEHOOK | CF_ENABLETEMPLATE;
constexpr int32_t kPrintHookBits =
    PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_ENABLEPRINTTEMPLATE | PD_ENABLESETUPTEMPLATE;

constexpr int kDefaultDpi = 96;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
// Currency keeps four decimals; tenths of a point are a thousandth of its scale.
constexpr int64_t kScaledPerTenth = Currency::kScale / 10;

constexpr int32_t kThousandthsOfInch = 1000;
constexpr int32_t kHundredthsOfMillimetre = 100;

} // namespace

int32_t OpenFileFlags(bool fileMustExist, bool multiSelect, bool readOnly, bool hideReadOnly,
                      int32_t callerFlags) {
    return Bit(fileMustExist, OFN_FILEMUSTEXIST) | Bit(multiSelect, OFN_ALLOWMULTISELECT) |
           Bit(readOnly, OFN_READONLY) | Bit(hideReadOnly, OFN_HIDEREADONLY) |
           (callerFlags & ~kFileHookBits);
}

int32_t SaveFileFlags(bool overWritePrompt, int32_t callerFlags) {
    return Bit(overWritePrompt, OFN_OVERWRITEPROMPT) | OFN_HIDEREADONLY |
           (callerFlags & ~kFileHookBits);
}

int32_t ChooseColorFlags(bool anyColor, bool fullOpen, bool disableFullOpen) {
    return ((anyColor ? CC_ANYCOLOR : CC_SOLIDCOLOR) | CC_RGBINIT | Bit(fullOpen, CC_FULLOPEN) |
            Bit(disableFullOpen, CC_PREVENTFULLOPEN)) &
           ~kColorHookBits;
}

int32_t ChooseFontFlags(int32_t flags, int32_t color, int32_t minSize, int32_t maxSize) {
    if ((flags & CF_PRINTERFONTS) == 0)
        flags |= CF_SCREENFONTS;
    if (color != 0)
        flags |= CF_EFFECTS;
    if (minSize != 0 || maxSize != 0)
        flags |= CF_LIMITSIZE;
    flags |= CF_INITTOLOGFONTSTRUCT;
    return flags & ~kFontRemovedBits;
}

int32_t PrintDlgFlags(int32_t printRange, bool disablePageNumbers, bool disableSelection,
                      bool showPrintToFile, bool disablePrintToFile, bool printToFile, bool collate,
                      bool preventWarning) {
    int32_t flags = Bit(disablePageNumbers, PD_NOPAGENUMS) |
                    Bit(disablePrintToFile, PD_DISABLEPRINTTOFILE) |
                    Bit(disableSelection, PD_NOSELECTION) | Bit(printToFile, PD_PRINTTOFILE) |
                    Bit(!showPrintToFile, PD_HIDEPRINTTOFILE) | Bit(preventWarning, PD_NOWARNING) |
                    Bit(collate, PD_COLLATE) | PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
    if (printRange == 1)
        flags |= PD_PAGENUMS;
    else if (printRange == 2)
        flags |= PD_SELECTION;
    return flags & ~kPrintHookBits;
}

int32_t PrintRangeFromFlags(int32_t flags) {
    if ((flags & PD_PAGENUMS) != 0)
        return 1;
    if ((flags & PD_SELECTION) != 0)
        return 2;
    return 0;
}

PageSetupUnits PageSetupFlags(bool disableMargins, bool disableOrientation, bool disablePaper,
                              bool disablePrinter, int32_t units) {
    PageSetupUnits result;
    result.flags = Bit(disableMargins, PSD_DISABLEMARGINS) |
                   Bit(disableOrientation, PSD_DISABLEORIENTATION) |
                   Bit(disablePaper, PSD_DISABLEPAPER) | Bit(disablePrinter, PSD_DISABLEPRINTER) |
                   PSD_MARGINS | PSD_MINMARGINS;
    if (units == 0) {
        result.flags |= PSD_INTHOUSANDTHSOFINCHES;
        result.scale = kThousandthsOfInch;
    } else {
        result.flags |= PSD_INHUNDREDTHSOFMILLIMETERS;
        result.scale = kHundredthsOfMillimetre;
    }
    return result;
}

std::string FilterToDialog(std::string_view filter) {
    std::string result(filter);
    for (char& c : result) {
        if (c == '|' || c == ':')
            c = '\0';
    }
    result.append(2, '\0');
    return result;
}

std::string ChosenFilterPair(std::string_view dialogFilter, int32_t filterIndex) {
    if (filterIndex < 1)
        return {};
    // The list ends at the first empty description (the closing double NUL).
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= dialogFilter.size()) {
        const size_t nul = dialogFilter.find('\0', start);
        const std::string_view part =
            dialogFilter.substr(start, nul == std::string_view::npos ? nul : nul - start);
        if (part.empty() && parts.size() % 2 == 0)
            break;
        parts.push_back(part);
        if (nul == std::string_view::npos)
            break;
        start = nul + 1;
    }
    const size_t first = 2 * static_cast<size_t>(filterIndex - 1);
    if (first >= parts.size())
        return {};
    std::string pair(parts[first]);
    pair += '\0';
    if (first + 1 < parts.size())
        pair += parts[first + 1];
    return pair;
}

void CheckFitsBuffer(std::string_view text, int32_t bufferChars) {
    if (CharLength(text) > static_cast<size_t>(bufferChars))
        throw RuntimeError(err::kInvalidProcedureCall);
}

int32_t FontHeightFromSize(Currency size, int dpiY) {
    const double twipsPerPixel = kTwipsPerInch / (dpiY > 0 ? dpiY : kDefaultDpi);
    const double points = static_cast<double>(size.scaled) / Currency::kScale;
    return -RoundToLong(points * kTwipsPerPoint / twipsPerPixel);
}

int32_t TenthsFromSize(Currency size) {
    return RoundToLong(static_cast<double>(size.scaled) / kScaledPerTenth);
}

Currency SizeFromTenths(int32_t tenths) {
    return Currency{int64_t{tenths} * kScaledPerTenth};
}

std::string FitTextField(std::string_view text, size_t fieldBytes) {
    std::string fitted;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t len = Utf8CharSize(text, pos);
        std::string candidate = fitted;
        candidate.append(text.substr(pos, len));
        if (ToAnsi(candidate).size() + 1 > fieldBytes)
            break;
        fitted = std::move(candidate);
        pos += len;
    }
    return fitted;
}

int32_t MarginToDialog(int32_t margin, int32_t scale) {
    const int64_t product = int64_t{margin} * scale;
    if (product > std::numeric_limits<int32_t>::max() ||
        product < std::numeric_limits<int32_t>::min())
        throw RuntimeError(err::kOverflow);
    return static_cast<int32_t>(product);
}

int32_t MarginFromDialog(int32_t value, int32_t scale) {
    return RoundToLong(static_cast<double>(value) / scale);
}

int32_t PortableFileTitle(std::string_view file, std::string& title, int32_t capacity) {
    // The platform's error value for a name that has no title.
    constexpr int32_t kNoTitle = -1;
    const std::string name = CutAtNul(file);
    if (name.empty() || name.back() == '/')
        return kNoTitle;
    const size_t slash = name.rfind('/');
    std::string result = slash == std::string::npos ? name : name.substr(slash + 1);
    const auto needed = static_cast<int32_t>(CharLength(result) + 1);
    if (needed > capacity)
        return needed;
    title = std::move(result);
    return 0;
}

std::optional<int32_t> FallbackSystemColor(int index) {
    static constexpr std::array<int32_t, 16> kColors = {
        Rgb(200, 200, 200), // 0 scroll bar
        Rgb(0, 0, 0),       // 1 desktop
        Rgb(153, 180, 209), // 2 active caption
        Rgb(191, 205, 219), // 3 inactive caption
        Rgb(240, 240, 240), // 4 menu
        Rgb(255, 255, 255), // 5 window
        Rgb(100, 100, 100), // 6 window frame
        Rgb(0, 0, 0),       // 7 menu text
        Rgb(0, 0, 0),       // 8 window text
        Rgb(0, 0, 0),       // 9 caption text
        Rgb(180, 180, 180), // 10 active border
        Rgb(244, 247, 252), // 11 inactive border
        Rgb(171, 171, 171), // 12 application workspace
        Rgb(0, 120, 215),   // 13 highlight
        Rgb(255, 255, 255), // 14 highlighted text
        Rgb(240, 240, 240), // 15 button face
    };
    if (index < 0 || index >= static_cast<int>(kColors.size()))
        return std::nullopt;
    return kColors[static_cast<size_t>(index)];
}

} // namespace vellumo::cdlg
