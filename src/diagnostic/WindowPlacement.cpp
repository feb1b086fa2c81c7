// The diagnostic window's place and size in the work area.
#include "diagnostic/WindowPlacement.h"

#include <algorithm>

namespace vellumo {
namespace {

// One direction: the client extent that fits (never below `minimum`) and the frame's start,
// centred when the whole window fits, else at the work area's start.
struct Span {
    int start = 0;
    int client = 0;
};

Span Fit(int areaStart, int areaExtent, int wanted, int minimum, int marginBefore,
         int marginAfter) {
    const int frameWanted = marginBefore + wanted + marginAfter;
    if (areaExtent <= 0)
        return {areaStart, wanted};
    if (frameWanted <= areaExtent)
        return {areaStart + (areaExtent - frameWanted) / 2, wanted};
    const int room = areaExtent - marginBefore - marginAfter;
    return {areaStart, std::max(room, minimum)};
}

} // namespace

WindowPlacement PlaceDiagnosticWindow(const PixelRect& workArea, const FrameMargins& frame,
                                      int dpiX, int dpiY) {
    const auto px = [](int twips, int dpi) { return frmMain::TwipsToPixels(twips, dpi); };
    const int wantedWidth = px(frmMain::kClientWidth, dpiX);
    const int wantedHeight = px(frmMain::kClientHeight, dpiY);
    const frmMain::TwipsRect& box = frmMain::kTxtInfo;
    const int reportWidth = px(box.width, dpiX);
    const int reportHeight = px(box.height, dpiY);
    const int minimumReportWidth = std::min(reportWidth, px(kMinimumReportTwips, dpiX));
    const int minimumReportHeight = std::min(reportHeight, px(kMinimumReportTwips, dpiY));

    const Span across =
        Fit(workArea.left, workArea.width, wantedWidth,
            wantedWidth - (reportWidth - minimumReportWidth), frame.left, frame.right);
    const Span down =
        Fit(workArea.top, workArea.height, wantedHeight,
            wantedHeight - (reportHeight - minimumReportHeight), frame.top, frame.bottom);

    WindowPlacement placement;
    placement.frameLeft = across.start;
    placement.frameTop = down.start;
    placement.clientWidth = across.client;
    placement.clientHeight = down.client;
    placement.report = {px(box.left, dpiX), px(box.top, dpiY),
                        reportWidth - (wantedWidth - across.client),
                        reportHeight - (wantedHeight - down.client)};
    return placement;
}

} // namespace vellumo
