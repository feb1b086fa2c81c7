// A UI service for the fuzz targets: error boxes are counted, nothing is shown.
#pragma once

#include "platform/UiService.h"

namespace vellumo::fuzz {

class SilentUi : public ui::UiService {
public:
    void MsgBox(std::string_view, ui::MsgIcon, std::string_view) override { ++boxes; }
    void SetMousePointer(int) override {}
    [[nodiscard]] int MousePointer() const override { return ui::kPointerDefault; }
    [[nodiscard]] bool SetClipboardText(const std::string&) override { return false; }
    [[nodiscard]] ui::ScreenFacts Screen() const override { return {}; }
    int boxes = 0;
};

// Installs the silent UI for the whole run.
inline SilentUi& InstallSilentUi() {
    static SilentUi silent;
    ui::SetUi(&silent);
    return silent;
}

} // namespace vellumo::fuzz
