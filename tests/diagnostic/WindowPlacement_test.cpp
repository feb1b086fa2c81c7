// Where the diagnostic window goes: centred at the form's size where that fits the work area,
// else inside it with the title bar reachable and the report box taking the loss.
#include "diagnostic/WindowPlacement.h"

#include <gtest/gtest.h>

namespace vellumo {
namespace {

// At 96 dpi the form is 542 x 581 pixels and its report box 513 x 391 at (14, 172); the report
// box keeps at least an inch (96 pixels) each way.
struct Expected {
    int frameLeft, frameTop, clientWidth, clientHeight, reportWidth, reportHeight;
};
struct Case {
    const char* what;
    PixelRect area;
    FrameMargins frame;
    int dpi;
    Expected expected;
};

// clang-format off
const Case kCases[] = {
    {"fits: centred, title bar included",
     {0, 0, 1280, 1024}, {1, 20, 1, 1}, 96, {368, 211, 542, 581, 513, 391}},
    {"fits below a panel: centred in the work area",
     {0, 30, 1280, 994}, {1, 20, 1, 1}, 96, {368, 226, 542, 581, 513, 391}},
    {"no window manager: no frame",
     {0, 0, 800, 600}, {0, 0, 0, 0}, 96, {129, 9, 542, 581, 513, 391}},
    {"too high with its title bar: at the top, shorter",
     {0, 0, 800, 600}, {1, 20, 1, 1}, 96, {128, 0, 542, 579, 513, 389}},
    {"too wide and too high: at the work area's corner",
     {100, 50, 500, 400}, {1, 20, 1, 1}, 96, {100, 50, 498, 379, 469, 189}},
    {"tiny: the report box keeps an inch, the window reaches past the bottom",
     {0, 0, 200, 200}, {1, 20, 1, 1}, 96, {0, 0, 198, 286, 169, 96}},
    {"unknown screen: the form's size at the origin",
     {0, 0, 0, 0}, {1, 20, 1, 1}, 96, {0, 0, 542, 581, 513, 391}},
    {"twice the DPI on a 1080-line screen with a taskbar",
     {0, 0, 1920, 1040}, {8, 31, 8, 8}, 192, {410, 0, 1084, 1001, 1026, 621}},
};
// clang-format on

TEST(WindowPlacementTest, CentredWhereItFitsElseInsideWithTheReportBoxTakingTheLoss) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const WindowPlacement p = PlaceDiagnosticWindow(c.area, c.frame, c.dpi, c.dpi);
        EXPECT_EQ(p.frameLeft, c.expected.frameLeft);
        EXPECT_EQ(p.frameTop, c.expected.frameTop);
        EXPECT_EQ(p.clientWidth, c.expected.clientWidth);
        EXPECT_EQ(p.clientHeight, c.expected.clientHeight);
        // The report box stays where the form puts it; only its size gives way.
        EXPECT_EQ(p.report.left, frmMain::TwipsToPixels(frmMain::kTxtInfo.left, c.dpi));
        EXPECT_EQ(p.report.top, frmMain::TwipsToPixels(frmMain::kTxtInfo.top, c.dpi));
        EXPECT_EQ(p.report.width, c.expected.reportWidth);
        EXPECT_EQ(p.report.height, c.expected.reportHeight);
        // The title bar is never above or left of the work area.
        EXPECT_GE(p.frameLeft, c.area.left);
        EXPECT_GE(p.frameTop, c.area.top);
    }
}

} // namespace
} // namespace vellumo
