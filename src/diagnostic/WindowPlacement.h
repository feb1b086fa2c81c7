// Where the diagnostic window goes on the screen and how large it is: its fixed size, centred,
// where that fits the work area; otherwise inside the work area with its title bar reachable and
// the report box taking the loss. Toolkit-free: both toolkits place their window with it.
#pragma once

#include "diagnostic/frmMain.h"

namespace vellumo {

// A rectangle in the toolkit's screen pixels.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// What the window manager or the system adds around the client area (title bar, borders).
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowPlacement {
    // The outer window's top-left corner (the frame's, title bar included).
    int frameLeft = 0;
    int frameTop = 0;
    // The client area: the form's size, less what did not fit.
    int clientWidth = 0;
    int clientHeight = 0;
    // The report box in the client area; it alone gives up what did not fit. Every other control
    // keeps its place and size from the form's layout.
    PixelRect report;
};

// The report box keeps at least this much of itself, each way, however small the work area is
// (the window then reaches past the work area's right or bottom edge, never its top or left).
inline constexpr int kMinimumReportTwips = 1440;

// Places the window of the form's client size at the given DPI (twips scaled as
// frmMain::TwipsToPixels does) in the work area, with the frame margins the window will get.
// Centred in each direction where it fits; otherwise flush with the work area's top or left edge,
// the client area shortened or narrowed by the excess (down to kMinimumReportTwips of report box).
// An empty work area (unknown screen) places the window at its full size at the origin.
[[nodiscard]] WindowPlacement PlaceDiagnosticWindow(const PixelRect& workArea,
                                                    const FrameMargins& frame, int dpiX, int dpiY);

} // namespace vellumo
