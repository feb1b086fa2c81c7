// CColorDialog: a small stand-alone colour picker over the installed dialog backend.
#pragma once

#include "library/DialogBackend.h"

#include <cstdint>

namespace vellumo {

class CColorDialog {
public:
    // 0x00BBGGRR; 0 at first.
    [[nodiscard]] int32_t Color() const { return color_; }
    void SetColor(int32_t value) { color_ = value; }
    // Passed to the dialog unchanged; CC_RGBINIT OR CC_FULLOPEN at first.
    [[nodiscard]] int32_t Flags() const { return flags_; }
    void SetFlags(int32_t value) { flags_ = value; }
    // The owner window; 0 (none) at first.
    [[nodiscard]] WindowHandle hWndParent() const { return parent_; }
    void SetHWndParent(WindowHandle value) { parent_ = value; }

    // Shows the dialog on Color with sixteen custom colours of its own, all zero. Accepted: Color
    // receives the chosen colour and the result is true; otherwise false and Color is untouched.
    // A failure shows the error box titled "Show" and returns false.
    bool Show();

private:
    int32_t color_ = 0;
    int32_t flags_ = 3;
    WindowHandle parent_ = 0;
};

} // namespace vellumo
