// The frame (title bar and borders) the window manager will put around a top-level window, known
// before the window is shown, so that it can be placed whole inside the work area.
#pragma once

#include "diagnostic/WindowPlacement.h"

class QWidget;

namespace vellumo::ui {

// On X11, asks the window manager for its estimate (_NET_REQUEST_FRAME_EXTENTS, answered in the
// window's _NET_FRAME_EXTENTS) and waits briefly for the answer; elsewhere, the frame Qt itself
// draws. In the toolkit's device-independent pixels. Zero margins when no window manager runs
// or it gives no answer in time. The window must have been created (winId()) and not yet shown.
[[nodiscard]] FrameMargins ExpectedFrameMargins(QWidget& window);

} // namespace vellumo::ui
