// A UI service that records what the program shows, for tests: message boxes, pointer changes
// and clipboard texts.
#pragma once

#include "platform/UiService.h"

#include <string>
#include <vector>

namespace vellumo::ui {

struct RecordedBox {
    std::string title;
    std::string text;
    MsgIcon icon = MsgIcon::None;
};

class RecordingUi : public UiService {
public:
    void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) override {
        boxes.push_back({std::string(title), std::string(text), icon});
    }
    void SetMousePointer(int pointer) override {
        pointer_ = pointer;
        pointerHistory.push_back(pointer);
    }
    [[nodiscard]] int MousePointer() const override { return pointer_; }
    [[nodiscard]] bool SetClipboardText(const std::string& text) override {
        if (!clipboardAvailable)
            return false;
        clipboard = text;
        return true;
    }
    [[nodiscard]] ScreenFacts Screen() const override { return screen; }

    std::vector<RecordedBox> boxes;
    std::vector<int> pointerHistory;
    std::string clipboard;
    bool clipboardAvailable = true;
    ScreenFacts screen;

private:
    int pointer_ = kPointerDefault;
};

} // namespace vellumo::ui
