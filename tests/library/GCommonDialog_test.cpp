// Tests of the dialog wrappers without a toolkit: flag formulas, filter text, font and margin
// conversions, the result rule and the events, over a backend that scripts the dialogs' answers.
#include "library/CColorDialog.h"
#include "library/CommonDialogFlags.h"
#include "library/GCommonDialog.h"
#include "platform/CodePage.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

namespace vellumo {
namespace {

using namespace cdlg;
using namespace std::string_literals;

// A backend whose dialogs answer what the test says; it keeps a copy of every record it gets.
class ScriptedBackend : public DialogBackend {
public:
    template <class Record> using Script = std::function<DialogOutcome(Record&)>;

    DialogOutcome ShowOpenFile(OpenFileRecord& r) override { return Run(openCalls, open, r); }
    DialogOutcome ShowSaveFile(OpenFileRecord& r) override { return Run(saveCalls, save, r); }
    DialogOutcome ShowColor(ChooseColorRecord& r) override { return Run(colorCalls, color, r); }
    DialogOutcome ShowFont(ChooseFontRecord& r) override { return Run(fontCalls, font, r); }
    DialogOutcome ShowPrint(PrintDlgRecord& r) override { return Run(printCalls, print, r); }
    DialogOutcome ShowPageSetup(PageSetupRecord& r) override {
        return Run(pageSetupCalls, pageSetup, r);
    }
    void SetMessageResult(WindowHandle dialog, intptr_t result) override {
        messageResults.emplace_back(dialog, result);
    }
    std::optional<int32_t> SystemColor(int index) const override {
        const auto it = systemColors.find(index);
        return it != systemColors.end() ? std::optional<int32_t>(it->second) : std::nullopt;
    }
    DeviceContext DefaultPrinterDC() override { return defaultPrinterDC; }

    Script<OpenFileRecord> open, save;
    Script<ChooseColorRecord> color;
    Script<ChooseFontRecord> font;
    Script<PrintDlgRecord> print;
    Script<PageSetupRecord> pageSetup;
    std::vector<OpenFileRecord> openCalls, saveCalls;
    std::vector<ChooseColorRecord> colorCalls;
    std::vector<ChooseFontRecord> fontCalls;
    std::vector<PrintDlgRecord> printCalls;
    std::vector<PageSetupRecord> pageSetupCalls;
    std::vector<std::pair<WindowHandle, intptr_t>> messageResults;
    std::map<int, int32_t> systemColors;
    DeviceContext defaultPrinterDC = 0;

private:
    template <class Record>
    static DialogOutcome Run(std::vector<Record>& calls, const Script<Record>& script,
                             Record& record) {
        calls.push_back(record);
        return script ? script(record) : DialogOutcome{0, 0};
    }
};

// The in/out arguments of an open or save call.
struct OpenArgs {
    std::string name, title, filter;
    bool readOnly = false;
    int32_t filterIndex = 0, flags = 0;
};

class CommonDialogTest : public test::IsolatedTest {
protected:
    bool Open(OpenArgs& a) {
        return dialog_.VBGetOpenFileName(a.name, a.title, false, false, a.readOnly, false, a.filter,
                                         a.filterIndex, "", "", "", -1, a.flags);
    }

    ScriptedBackend backend_;
    ScopedDialogBackend scopedBackend_{backend_};
    GCommonDialog dialog_;
};

// ---- Flag formulas --------------------------------------------------------------------------

TEST(CommonDialogFlags, OpenAndSaveFlagsAddTheBooleansAndDropHookAndTemplate) {
    EXPECT_EQ(OpenFileFlags(false, false, false, false, 0), 0);
    EXPECT_EQ(OpenFileFlags(true, false, false, false, 0), OFN_FILEMUSTEXIST);
    EXPECT_EQ(OpenFileFlags(false, true, false, false, 0), OFN_ALLOWMULTISELECT);
    EXPECT_EQ(OpenFileFlags(false, false, true, false, 0), OFN_READONLY);
    EXPECT_EQ(OpenFileFlags(false, false, false, true, 0), OFN_HIDEREADONLY);
    EXPECT_EQ(
        OpenFileFlags(true, true, true, true, OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_EXPLORER),
        0x1000 | 0x200 | 0x1 | 0x4 | 0x80000);

    EXPECT_EQ(SaveFileFlags(false, 0), OFN_HIDEREADONLY);
    EXPECT_EQ(SaveFileFlags(true, OFN_ENABLEHOOK | OFN_NOCHANGEDIR), 0x2 | 0x4 | 0x8);
}

TEST(CommonDialogFlags, ColorFlagsAlwaysInitialiseFromTheColour) {
    EXPECT_EQ(ChooseColorFlags(false, false, false), CC_SOLIDCOLOR | CC_RGBINIT);
    EXPECT_EQ(ChooseColorFlags(true, true, true),
              CC_ANYCOLOR | CC_RGBINIT | CC_FULLOPEN | CC_PREVENTFULLOPEN);
}

TEST(CommonDialogFlags, FontFlags) {
    EXPECT_EQ(ChooseFontFlags(0, 0, 0, 0), CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT);
    // Printer fonts replace screen fonts; colour and limits add their bits; apply, hook and
    // template go.
    EXPECT_EQ(
        ChooseFontFlags(CF_PRINTERFONTS | CF_APPLY | CF_ENABLEHOOK | CF_ENABLETEMPLATE, 0xFF, 8, 0),
        CF_PRINTERFONTS | CF_EFFECTS | CF_LIMITSIZE | CF_INITTOLOGFONTSTRUCT);
    EXPECT_EQ(ChooseFontFlags(0, 0, 0, 72) & CF_LIMITSIZE, CF_LIMITSIZE);
}

TEST(CommonDialogFlags, PrintFlags) {
    constexpr int32_t kAlways = PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
    EXPECT_EQ(PrintDlgFlags(0, false, false, true, false, false, false, false), kAlways);
    // Not showing print-to-file hides it; disabling it greys it.
    EXPECT_EQ(PrintDlgFlags(0, false, false, false, false, false, false, false),
              kAlways | PD_HIDEPRINTTOFILE);
    EXPECT_EQ(PrintDlgFlags(0, false, false, true, true, false, false, false),
              kAlways | PD_DISABLEPRINTTOFILE);
    EXPECT_EQ(PrintDlgFlags(1, true, true, true, false, true, true, true),
              kAlways | PD_PAGENUMS | PD_NOPAGENUMS | PD_NOSELECTION | PD_PRINTTOFILE | PD_COLLATE |
                  PD_NOWARNING);
    EXPECT_EQ(PrintDlgFlags(2, false, false, true, false, false, false, false),
              kAlways | PD_SELECTION);
    EXPECT_EQ(PrintDlgFlags(3, false, false, true, false, false, false, false), kAlways);

    EXPECT_EQ(PrintRangeFromFlags(PD_PAGENUMS | PD_SELECTION), 1);
    EXPECT_EQ(PrintRangeFromFlags(PD_SELECTION), 2);
    EXPECT_EQ(PrintRangeFromFlags(PD_RETURNDC), 0);
}

TEST(CommonDialogFlags, PageSetupFlagsAndScale) {
    const PageSetupUnits inches = PageSetupFlags(false, false, false, false, 0);
    EXPECT_EQ(inches.flags, PSD_MARGINS | PSD_MINMARGINS | PSD_INTHOUSANDTHSOFINCHES);
    EXPECT_EQ(inches.scale, 1000);
    const PageSetupUnits millimetres = PageSetupFlags(true, true, true, true, 2);
    EXPECT_EQ(millimetres.flags, PSD_MARGINS | PSD_MINMARGINS | PSD_INHUNDREDTHSOFMILLIMETERS |
                                     PSD_DISABLEMARGINS | PSD_DISABLEORIENTATION |
                                     PSD_DISABLEPAPER | PSD_DISABLEPRINTER);
    EXPECT_EQ(millimetres.scale, 100);
}

// ---- Conversions ----------------------------------------------------------------------------

TEST(CommonDialogConversions, FilterBecomesNulSeparatedAndEndsInTwoNuls) {
    const std::string expected = "Text files\0*.txt\0All files\0*.*\0\0"s;
    EXPECT_EQ(FilterToDialog("Text files|*.txt|All files|*.*"), expected);
    EXPECT_EQ(FilterToDialog("Text files:*.txt|All files:*.*"), expected);
    EXPECT_EQ(FilterToDialog(""), "\0\0"s);

    EXPECT_EQ(ChosenFilterPair(expected, 1), "Text files\0*.txt"s);
    EXPECT_EQ(ChosenFilterPair(expected, 2), "All files\0*.*"s);
    EXPECT_EQ(ChosenFilterPair(expected, 0), "");
    EXPECT_EQ(ChosenFilterPair(expected, 3), "");
    EXPECT_EQ(ChosenFilterPair("\0\0"s, 1), "");
    // A ":" inside a description is a separator too.
    EXPECT_EQ(ChosenFilterPair(FilterToDialog("Notes: text|*.txt"), 1), "Notes\0 text"s);
}

TEST(CommonDialogConversions, FontSizes) {
    // Height = -(points x 20 / twips per pixel), half to even.
    EXPECT_EQ(FontHeightFromSize(Currency::FromWhole(10), 96), -13);
    EXPECT_EQ(FontHeightFromSize(Currency::FromWhole(12), 96), -16);
    EXPECT_EQ(FontHeightFromSize(Currency::FromWhole(10), 120), -17);
    EXPECT_EQ(FontHeightFromSize(Currency{18750}, 96), -2); // 2.5 pixels
    EXPECT_EQ(FontHeightFromSize(Currency{26250}, 96), -4); // 3.5 pixels
    EXPECT_EQ(FontHeightFromSize(Currency::FromWhole(12), 0), -16);

    EXPECT_EQ(TenthsFromSize(Currency{105000}), 105);
    EXPECT_EQ(TenthsFromSize(Currency{102500}), 102);
    EXPECT_EQ(SizeFromTenths(105), Currency{105000});
}

TEST(CommonDialogConversions, FaceNamesFitTheFieldWithTheirNul) {
    EXPECT_EQ(FitFaceName(std::string(40, 'a')), std::string(31, 'a'));
    EXPECT_EQ(FitFaceName("Arial"), "Arial");
    const std::string mixed = std::string(29, 'b') + "\xC3\xA9\xC3\xA9\xC3\xA9"; // e-acute x3
    const std::string fitted = FitFaceName(mixed);
    EXPECT_LE(ToAnsi(fitted).size(), 31u);
    EXPECT_EQ(mixed.rfind(fitted, 0), 0u);
    EXPECT_EQ(LeftChars(mixed, CharLength(fitted)), fitted); // whole characters only
}

TEST(CommonDialogConversions, MarginsScaleAndRound) {
    EXPECT_EQ(MarginToDialog(1, 1000), 1000);
    EXPECT_EQ(MarginToDialog(25, 100), 2500);
    try {
        (void)MarginToDialog(3'000'000, 1000);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kOverflow);
    }
    EXPECT_EQ(MarginFromDialog(1499, 1000), 1);
    EXPECT_EQ(MarginFromDialog(1500, 1000), 2);
    EXPECT_EQ(MarginFromDialog(2500, 1000), 2);
    EXPECT_EQ(MarginFromDialog(-1500, 1000), -2);
}

TEST(CommonDialogConversions, BuffersHold260Characters) {
    EXPECT_NO_THROW(CheckFitsBuffer(std::string(260, 'x'), kFileBufferChars));
    // Characters, not bytes.
    std::string wide;
    for (int i = 0; i < 260; ++i)
        wide += "\xC3\xA9";
    EXPECT_NO_THROW(CheckFitsBuffer(wide, kFileBufferChars));
    try {
        CheckFitsBuffer(std::string(261, 'x'), kFileBufferChars);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kInvalidProcedureCall);
    }
}

// ---- Open and save --------------------------------------------------------------------------

TEST_F(CommonDialogTest, OpenPassesTheRecordAndReturnsTheChoice) {
    backend_.open = [](OpenFileRecord& r) {
        r.file = "/home/u/b.log\0junk"s;
        r.fileTitle = "b.log";
        r.filterIndex = 2;
        r.flags |= OFN_EXTENSIONDIFFERENT;
        return DialogOutcome{1, 0};
    };
    OpenArgs a{"a.txt", "", "Text files|*.txt|All files|*.*",
               false,   1,  OFN_ENABLEHOOK | OFN_EXPLORER};
    ASSERT_TRUE(dialog_.VBGetOpenFileName(a.name, a.title, true, false, a.readOnly, true, a.filter,
                                          a.filterIndex, "/home/u", "Pick", "txt", -1, a.flags));

    ASSERT_EQ(backend_.openCalls.size(), 1u);
    const OpenFileRecord& sent = backend_.openCalls[0];
    EXPECT_EQ(sent.owner, 0);
    EXPECT_EQ(sent.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER);
    EXPECT_EQ(sent.filter, "Text files\0*.txt\0All files\0*.*\0\0"s);
    EXPECT_EQ(sent.filterIndex, 1);
    EXPECT_EQ(sent.file, "a.txt");
    EXPECT_EQ(sent.maxFile, 260);
    EXPECT_EQ(sent.maxFileTitle, 260);
    EXPECT_EQ(sent.initialDir + sent.title + sent.defaultExt, "/home/uPicktxt");

    EXPECT_EQ(a.name, "/home/u/b.log");
    EXPECT_EQ(a.title, "b.log");
    EXPECT_EQ(a.filterIndex, 2);
    EXPECT_EQ(a.filter, "All files\0*.*"s);
    EXPECT_EQ(a.flags,
              OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_EXTENSIONDIFFERENT);
    EXPECT_EQ(dialog_.APIReturn(), 1);
    EXPECT_EQ(dialog_.ExtendedError(), 0);
}

TEST_F(CommonDialogTest, OpenReadOnlyFollowsTheReturnedFlag) {
    // The user cleared the box the caller had ticked: the caller learns it.
    backend_.open = [](OpenFileRecord& r) {
        r.flags &= ~OFN_READONLY;
        return DialogOutcome{1, 0};
    };
    OpenArgs a;
    a.readOnly = true;
    ASSERT_TRUE(Open(a));
    EXPECT_EQ(backend_.openCalls[0].flags & OFN_READONLY, OFN_READONLY);
    EXPECT_FALSE(a.readOnly);
}

TEST_F(CommonDialogTest, CancelledOrFailedFileDialogsEmptyTheOutputs) {
    OpenArgs a{"a", "a", "All|*.*", true, 1, 5};
    EXPECT_FALSE(Open(a));
    EXPECT_EQ(a.name + a.title + a.filter, "");
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.filterIndex, -1);
    EXPECT_TRUE(a.readOnly);
    EXPECT_EQ(dialog_.APIReturn(), 0);
    EXPECT_EQ(dialog_.ExtendedError(), 0);

    // A failure keeps the extended error; save empties FilterIndex to 0.
    backend_.save = [](OpenFileRecord&) { return DialogOutcome{0, FNERR_BUFFERTOOSMALL}; };
    a = {"a", "a", "All|*.*", false, 1, 5};
    EXPECT_FALSE(dialog_.VBGetSaveFileName(a.name, a.title, true, a.filter, a.filterIndex, "", "",
                                           "", -1, a.flags));
    EXPECT_EQ(backend_.saveCalls[0].flags, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | 0x1);
    EXPECT_EQ(a.name + a.title + a.filter, "");
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.filterIndex, 0);
    EXPECT_EQ(dialog_.ExtendedError(), FNERR_BUFFERTOOSMALL);

    // The next operation starts afresh.
    backend_.open = [](OpenFileRecord&) { return DialogOutcome{1, 0}; };
    EXPECT_TRUE(Open(a));
    EXPECT_EQ(dialog_.ExtendedError(), 0);
}

TEST_F(CommonDialogTest, NamesLongerThanTheBufferAreAnError) {
    OpenArgs a;
    a.name.assign(261, 'n');
    try {
        Open(a);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kInvalidProcedureCall);
    }
    a.name.clear();
    a.title.assign(261, 't');
    EXPECT_THROW(Open(a), RuntimeError);
    EXPECT_TRUE(backend_.openCalls.empty());
}

TEST_F(CommonDialogTest, WithoutAToolkitTheDialogsFail) {
    NullDialogBackend none;
    ScopedDialogBackend scoped(none);
    OpenArgs a;
    EXPECT_FALSE(Open(a));
    EXPECT_EQ(dialog_.ExtendedError(), CDERR_DIALOGFAILURE);
    // No toolkit colours: the fixed table.
    EXPECT_EQ(dialog_.CustomColor(13), Rgb(0, 120, 215));
}

TEST_F(CommonDialogTest, FileTitle) {
    EXPECT_EQ(dialog_.VBGetFileTitle("/home/u/notes.txt"), "notes.txt");
    EXPECT_EQ(dialog_.VBGetFileTitle("notes"), "notes");
    EXPECT_EQ(dialog_.VBGetFileTitle(""), "");
    EXPECT_EQ(dialog_.VBGetFileTitle("/home/u/"), "");
    EXPECT_EQ(dialog_.VBGetFileTitle("/x/" + std::string(260, 'a')), "");
    EXPECT_EQ(dialog_.VBGetFileTitle("/x/" + std::string(259, 'a')), std::string(259, 'a'));
}

// ---- Colour ---------------------------------------------------------------------------------

TEST_F(CommonDialogTest, CustomColoursStartAsTheSystemColours) {
    backend_.systemColors = {{0, 0x111111}, {15, 0x222222}};
    EXPECT_EQ(dialog_.CustomColor(0), 0x111111);
    EXPECT_EQ(dialog_.CustomColor(15), 0x222222);
    // Colours the toolkit does not give come from the fixed table.
    EXPECT_EQ(dialog_.CustomColor(5), *FallbackSystemColor(5));
    EXPECT_EQ(dialog_.CustomColor(16), -1);
    EXPECT_EQ(dialog_.CustomColor(-1), -1);

    dialog_.SetCustomColor(16, 0x333333);
    dialog_.SetCustomColor(-1, 0x333333);
    dialog_.SetCustomColor(3, 0x444444);
    EXPECT_EQ(dialog_.CustomColor(3), 0x444444);
    EXPECT_EQ(dialog_.CustomColor(16), -1);

    // Later changes of the system colours do not refill the table.
    backend_.systemColors[0] = 0x555555;
    EXPECT_EQ(dialog_.CustomColor(0), 0x111111);
}

TEST_F(CommonDialogTest, ChooseColour) {
    backend_.color = [](ChooseColorRecord& r) {
        r.rgbResult = Rgb(1, 2, 3);
        r.customColors[1] = 0x0A0B0C;
        return DialogOutcome{1, 0};
    };
    int32_t color = Rgb(200, 100, 50);
    ASSERT_TRUE(dialog_.VBChooseColor(color, false, true, false, -1, 0x7FFFFFFF));
    const ChooseColorRecord& sent = backend_.colorCalls[0];
    EXPECT_EQ(sent.flags, CC_SOLIDCOLOR | CC_RGBINIT | CC_FULLOPEN);
    EXPECT_EQ(sent.rgbResult, Rgb(200, 100, 50));
    EXPECT_EQ(sent.owner, 0);
    EXPECT_EQ(sent.customColors[5], *FallbackSystemColor(5));
    EXPECT_EQ(color, Rgb(1, 2, 3));
    EXPECT_EQ(dialog_.CustomColor(1), 0x0A0B0C);
    EXPECT_EQ(dialog_.APIReturn(), 1);

    // Cancelled: -1. A failure records the extended error, which a later cancel keeps: the
    // colour dialog does not reset the results.
    backend_.color = [](ChooseColorRecord&) { return DialogOutcome{0, CDERR_INITIALIZATION}; };
    EXPECT_FALSE(dialog_.VBChooseColor(color, true, false, true, 42, 0));
    EXPECT_EQ(backend_.colorCalls[1].flags, CC_ANYCOLOR | CC_RGBINIT | CC_PREVENTFULLOPEN);
    EXPECT_EQ(backend_.colorCalls[1].owner, 42);
    EXPECT_EQ(color, -1);
    EXPECT_EQ(dialog_.ExtendedError(), CDERR_INITIALIZATION);
    backend_.color = nullptr;
    color = 7;
    EXPECT_FALSE(dialog_.VBChooseColor(color, true, false, false, -1, 0));
    EXPECT_EQ(color, -1);
    EXPECT_EQ(dialog_.APIReturn(), 0);
    EXPECT_EQ(dialog_.ExtendedError(), CDERR_INITIALIZATION);
}

// ---- Font -----------------------------------------------------------------------------------

TEST_F(CommonDialogTest, FontRecordFromTheFont) {
    ui_.screen.logicalDpiY = 120;
    DialogFont font;
    font.Name = std::string(40, 'F');
    font.Size = Currency{105000};
    font.Weight = 700;
    font.Italic = true;
    font.Underline = true;
    font.Strikethrough = false;
    DeviceContext printerDC = -1;
    int32_t color = 0xFF, flags = CF_APPLY;
    dialog_.VBChooseFont(font, printerDC, 9, color, 6, 0, flags);

    ASSERT_EQ(backend_.fontCalls.size(), 1u);
    const ChooseFontRecord& sent = backend_.fontCalls[0];
    EXPECT_EQ(sent.logFont.height, -18); // 10.5 x 20 / 12 = 17.5, half to even
    EXPECT_EQ(sent.logFont.weight, 700);
    EXPECT_TRUE(sent.logFont.italic && sent.logFont.underline && !sent.logFont.strikeOut);
    EXPECT_EQ(sent.logFont.faceName, std::string(31, 'F'));
    EXPECT_EQ(sent.pointSize, 105);
    EXPECT_EQ(sent.owner, 9);
    EXPECT_EQ(sent.color, 0xFF);
    EXPECT_EQ(sent.sizeMin, 6);
    EXPECT_EQ(sent.printerDC, 0);
    EXPECT_EQ(sent.flags, CF_SCREENFONTS | CF_EFFECTS | CF_LIMITSIZE | CF_INITTOLOGFONTSTRUCT);
    // Cancelled: the font and colour stay; Flags and PrinterDC keep what was passed.
    EXPECT_EQ(font.Name, std::string(40, 'F'));
    EXPECT_EQ(color, 0xFF);
    EXPECT_EQ(flags, sent.flags);
    EXPECT_EQ(printerDC, 0);
}

TEST_F(CommonDialogTest, FontPrinterDeviceContext) {
    backend_.defaultPrinterDC = 77;
    DialogFont font;
    int32_t color = 0;

    // -1 without printer fonts: screen fonts and no device context.
    DeviceContext printerDC = -1;
    int32_t flags = 0;
    dialog_.VBChooseFont(font, printerDC, -1, color, 0, 0, flags);
    EXPECT_EQ(printerDC, 0);
    EXPECT_EQ(backend_.fontCalls.back().flags, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT);

    // -1 with printer fonts: the default printer's device context.
    printerDC = -1;
    flags = CF_PRINTERFONTS;
    dialog_.VBChooseFont(font, printerDC, -1, color, 0, 0, flags);
    EXPECT_EQ(printerDC, 77);
    EXPECT_EQ(backend_.fontCalls.back().printerDC, 77);
    EXPECT_EQ(backend_.fontCalls.back().flags, CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT);

    // A given device context asks for printer fonts.
    printerDC = 55;
    flags = 0;
    dialog_.VBChooseFont(font, printerDC, -1, color, 0, 0, flags);
    EXPECT_EQ(backend_.fontCalls.back().flags, CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT);
}

TEST_F(CommonDialogTest, FontFromTheAcceptedDialog) {
    backend_.font = [](ChooseFontRecord& r) {
        r.logFont.faceName = "Serif"s + '\0' + "junk";
        r.logFont.weight = 700;
        r.logFont.italic = false;
        r.logFont.underline = true;
        r.logFont.strikeOut = true;
        r.pointSize = 125;
        r.fontType = REGULAR_FONTTYPE; // bold comes from the font type, not the weight
        r.color = 0x123456;
        r.flags |= CF_FIXEDPITCHONLY;
        return DialogOutcome{1, 0};
    };
    DialogFont font;
    font.Italic = true;
    DeviceContext printerDC = 0;
    int32_t color = 0, flags = 0;
    ASSERT_TRUE(dialog_.VBChooseFont(font, printerDC, -1, color, 0, 0, flags));
    EXPECT_EQ(font.Name, "Serif");
    EXPECT_EQ(font.Size, Currency{125000});
    EXPECT_FALSE(font.Bold);
    EXPECT_FALSE(font.Italic);
    EXPECT_TRUE(font.Underline);
    EXPECT_TRUE(font.Strikethrough);
    EXPECT_EQ(font.Weight, 700);
    EXPECT_EQ(color, 0x123456);
    EXPECT_EQ(flags, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FIXEDPITCHONLY);
}

// ---- Print and page setup -------------------------------------------------------------------

class RecordingPrinter : public PrinterObject {
public:
    void SetCopies(int32_t v) override { copies = v; }
    void SetOrientation(int32_t) override { throw std::runtime_error("read-only"); }
    void SetPaperSize(int32_t v) override { paperSize = v; }
    void SetPrintQuality(int32_t v) override { printQuality = v; }
    int32_t copies = 0, paperSize = 0, printQuality = 0;
};

DeviceMode SampleDeviceMode() {
    DeviceMode mode;
    mode.deviceName = "Office";
    mode.copies = 3;
    mode.collate = DMCOLLATE_TRUE;
    mode.orientation = DMORIENT_LANDSCAPE;
    mode.paperSize = 9;
    mode.printQuality = 600;
    return mode;
}

TEST_F(CommonDialogTest, PrintDialog) {
    backend_.print = [](PrintDlgRecord& r) {
        r.hdc = 4242;
        r.flags = (r.flags & ~PD_PAGENUMS) | PD_SELECTION | PD_PRINTTOFILE;
        r.fromPage = 0xFFFF;
        r.toPage = 3;
        r.devMode = SampleDeviceMode();
        return DialogOutcome{1, 0};
    };
    DeviceContext hdc = 0;
    int32_t range = 1, from = 2, to = 5, copies = 0;
    bool toFile = false, collate = false;
    RecordingPrinter printer;
    ASSERT_TRUE(dialog_.VBPrintDlg(hdc, range, false, from, to, true, copies, false, false, toFile,
                                   collate, true, -1, &printer, 0x7FFFFFFF));

    const PrintDlgRecord& sent = backend_.printCalls[0];
    EXPECT_EQ(sent.flags, PD_PAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_NOWARNING |
                              PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC);
    EXPECT_EQ(sent.fromPage, 2);
    EXPECT_EQ(sent.toPage, 5);
    EXPECT_EQ(sent.minPage, 1);
    EXPECT_EQ(sent.maxPage, 0xFFFF);

    EXPECT_EQ(hdc, 4242);
    EXPECT_EQ(range, 2);
    EXPECT_EQ(from, 0xFFFF);
    EXPECT_EQ(to, 3);
    EXPECT_TRUE(toFile);
    EXPECT_EQ(copies, 3);
    EXPECT_TRUE(collate);
    EXPECT_EQ(dialog_.DeviceModeCopy(), SampleDeviceMode());
    // The orientation setter failed; the others were still set.
    EXPECT_EQ(printer.copies, 3);
    EXPECT_EQ(printer.paperSize, 9);
    EXPECT_EQ(printer.printQuality, 600);
}

TEST_F(CommonDialogTest, PrintDialogFailureAndPageLimits) {
    backend_.print = [](PrintDlgRecord&) { return DialogOutcome{0, PDERR_NODEFAULTPRN}; };
    DeviceContext hdc = 1;
    int32_t range = 0, from = 1, to = 1, copies = 8;
    bool toFile = true, collate = true;
    EXPECT_FALSE(dialog_.VBPrintDlg(hdc, range, false, from, to, false, copies, true, false, toFile,
                                    collate, false, -1, nullptr, 0));
    EXPECT_EQ(dialog_.ExtendedError(), PDERR_NODEFAULTPRN);
    EXPECT_EQ(dialog_.APIReturn(), 0);
    EXPECT_EQ(hdc, 1);
    EXPECT_EQ(copies, 8);
    EXPECT_TRUE(toFile);
    EXPECT_EQ(backend_.printCalls[0].flags,
              PD_PRINTTOFILE | PD_COLLATE | PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC);

    // Pages travel in 16 bits.
    from = 0x10000;
    try {
        dialog_.VBPrintDlg(hdc, range, false, from, to, false, copies, true, false, toFile, collate,
                           false, -1, nullptr, 0);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kOverflow);
    }
}

TEST_F(CommonDialogTest, PageSetupMarginsInInchesAndMillimetres) {
    backend_.pageSetup = [](PageSetupRecord& r) {
        r.margins = {1499, 1500, 2500, 500};
        r.devMode = SampleDeviceMode();
        return DialogOutcome{1, 0};
    };
    int32_t left = 1, minLeft = 0, right = 2, minRight = 0, top = 3, minTop = 1, bottom = 4,
            minBottom = 0, paper = 0, orientation = 0, quality = 0;
    RecordingPrinter printer;
    ASSERT_TRUE(dialog_.VBPageSetupDlg(-1, false, true, false, false, left, minLeft, right,
                                       minRight, top, minTop, bottom, minBottom, paper, orientation,
                                       quality, 0, &printer, 0));
    const PageSetupRecord& sent = backend_.pageSetupCalls[0];
    EXPECT_EQ(sent.flags,
              PSD_MARGINS | PSD_MINMARGINS | PSD_INTHOUSANDTHSOFINCHES | PSD_DISABLEORIENTATION);
    EXPECT_EQ(sent.margins, (MarginRect{1000, 3000, 2000, 4000}));
    EXPECT_EQ(sent.minMargins, (MarginRect{0, 1000, 0, 0}));
    EXPECT_EQ(sent.owner, 0);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(top, 2);
    EXPECT_EQ(right, 2);
    EXPECT_EQ(bottom, 0);
    EXPECT_EQ(minTop, 1);
    EXPECT_EQ(paper, 9);
    EXPECT_EQ(orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(quality, 600);
    EXPECT_EQ(printer.copies, 3);

    backend_.pageSetup = [](PageSetupRecord& r) {
        r.margins.left = 2049;
        return DialogOutcome{1, 0};
    };
    left = 25;
    ASSERT_TRUE(dialog_.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right,
                                       minRight, top, minTop, bottom, minBottom, paper, orientation,
                                       quality, 1, nullptr, 0));
    EXPECT_EQ(backend_.pageSetupCalls[1].margins.left, 2500);
    EXPECT_EQ(backend_.pageSetupCalls[1].flags & PSD_INHUNDREDTHSOFMILLIMETERS,
              PSD_INHUNDREDTHSOFMILLIMETERS);
    EXPECT_EQ(left, 20);
}

TEST_F(CommonDialogTest, PageSetupFailureLeavesTheArgumentsAndTellsWhy) {
    backend_.pageSetup = [](PageSetupRecord&) { return DialogOutcome{0, PDERR_NODEFAULTPRN}; };
    int32_t left = 1, minLeft = 0, right = 2, minRight = 0, top = 3, minTop = 0, bottom = 4,
            minBottom = 0, paper = 5, orientation = 6, quality = 7;
    EXPECT_FALSE(dialog_.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right,
                                        minRight, top, minTop, bottom, minBottom, paper,
                                        orientation, quality, 0, nullptr, 0));
    EXPECT_EQ(left, 1);
    EXPECT_EQ(paper, 5);
    EXPECT_EQ(dialog_.ExtendedError(), PDERR_NODEFAULTPRN);
}

// ---- Notification target --------------------------------------------------------------------

class RecordingTarget : public CommonDialogTarget {
public:
    Variant InitDialog(WindowHandle h) override { return Note("InitDialog", h); }
    Variant FileChange(WindowHandle h) override { return Note("FileChange", h); }
    Variant FolderChange(WindowHandle h) override { return Note("FolderChange", h); }
    bool ConfirmOK() override {
        events.push_back("ConfirmOK");
        return confirm;
    }
    Variant TypeChange(WindowHandle h) override { return Note("TypeChange", h); }
    Variant DialogClose() override {
        events.push_back("DialogClose");
        return Empty{};
    }
    std::vector<std::string> events;
    bool confirm = true;

private:
    Variant Note(const std::string& name, WindowHandle h) {
        events.push_back(name + " " + std::to_string(h));
        return int32_t{static_cast<int32_t>(events.size())};
    }
};

Variant Notify(GCommonDialog& dialog, WindowHandle h, int32_t code) {
    NotifyHeader header;
    header.code = static_cast<uint32_t>(code);
    return dialog.DialogHook(h, WM_NOTIFY, 0, reinterpret_cast<intptr_t>(&header));
}

TEST_F(CommonDialogTest, DialogHookForwardsTheTableToTheTarget) {
    EXPECT_TRUE(IsEmpty(dialog_.DialogHook(5, WM_INITDIALOG, 0, 0)));

    auto target = std::make_shared<RecordingTarget>();
    dialog_.SetNotificationTarget(target);
    EXPECT_EQ(std::get<int32_t>(dialog_.DialogHook(5, WM_INITDIALOG, 0, 0)), 1);
    Notify(dialog_, 5, CDN_SELCHANGE);
    Notify(dialog_, 5, CDN_FOLDERCHANGE);
    Notify(dialog_, 5, CDN_TYPECHANGE);
    EXPECT_TRUE(IsEmpty(Notify(dialog_, 5, CDN_FILEOK)));
    target->confirm = false;
    EXPECT_EQ(std::get<int32_t>(Notify(dialog_, 5, CDN_FILEOK)), 1);
    EXPECT_TRUE(IsEmpty(Notify(dialog_, 5, -601)));
    EXPECT_TRUE(IsEmpty(dialog_.DialogHook(5, WM_NOTIFY, 0, 0)));
    dialog_.DialogHook(5, WM_NCDESTROY, 0, 0);
    EXPECT_TRUE(IsEmpty(dialog_.DialogHook(5, 15, 0, 0)));

    EXPECT_EQ(target->events,
              (std::vector<std::string>{"InitDialog 5", "FileChange 5", "FolderChange 5",
                                        "TypeChange 5", "ConfirmOK", "ConfirmOK", "DialogClose"}));
    EXPECT_EQ(backend_.messageResults,
              (std::vector<std::pair<WindowHandle, intptr_t>>{{5, 0}, {5, 1}}));
}

TEST_F(CommonDialogTest, ATargetServesOneDialog) {
    auto target = std::make_shared<RecordingTarget>();
    backend_.open = [](OpenFileRecord& r) {
        EXPECT_TRUE(r.hook);
        r.hook(8, WM_INITDIALOG, 0, 0);
        NotifyHeader header;
        header.code = static_cast<uint32_t>(CDN_FILEOK);
        r.hook(8, WM_NOTIFY, 0, reinterpret_cast<intptr_t>(&header));
        r.hook(8, WM_NCDESTROY, 0, 0);
        return DialogOutcome{1, 0};
    };
    OpenArgs a;
    dialog_.SetNotificationTarget(target);
    Open(a);
    EXPECT_EQ(target->events,
              (std::vector<std::string>{"InitDialog 8", "ConfirmOK", "DialogClose"}));
    EXPECT_EQ(dialog_.NotificationTarget(), nullptr);

    // Without a target the dialog gets no hook.
    backend_.open = nullptr;
    Open(a);
    EXPECT_FALSE(backend_.openCalls.back().hook);

    // An operation that fails before its dialog clears the target too.
    dialog_.SetNotificationTarget(target);
    a.name.assign(300, 'x');
    EXPECT_THROW(Open(a), RuntimeError);
    EXPECT_EQ(dialog_.NotificationTarget(), nullptr);
}

// ---- CColorDialog ---------------------------------------------------------------------------

TEST_F(CommonDialogTest, ColorDialogShow) {
    CColorDialog picker;
    EXPECT_EQ(picker.Color(), 0);
    EXPECT_EQ(picker.Flags(), CC_RGBINIT | CC_FULLOPEN);
    EXPECT_EQ(picker.hWndParent(), 0);

    picker.SetColor(Rgb(9, 8, 7));
    picker.SetFlags(0x7FFF);
    picker.SetHWndParent(31);
    backend_.color = [](ChooseColorRecord& r) {
        r.rgbResult = Rgb(1, 1, 1);
        return DialogOutcome{1, 0};
    };
    ASSERT_TRUE(picker.Show());
    const ChooseColorRecord& sent = backend_.colorCalls[0];
    EXPECT_EQ(sent.flags, 0x7FFF);
    EXPECT_EQ(sent.owner, 31);
    EXPECT_EQ(sent.rgbResult, Rgb(9, 8, 7));
    EXPECT_EQ(sent.customColors, (std::array<int32_t, 16>{}));
    EXPECT_EQ(picker.Color(), Rgb(1, 1, 1));

    backend_.color = nullptr;
    EXPECT_FALSE(picker.Show());
    EXPECT_EQ(picker.Color(), Rgb(1, 1, 1));
    EXPECT_TRUE(ui_.boxes.empty());

    backend_.color = [](ChooseColorRecord&) -> DialogOutcome {
        throw RuntimeError(err::kOutOfMemory);
    };
    EXPECT_FALSE(picker.Show());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "Show");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 7. Out of memory");
}

} // namespace
} // namespace vellumo
