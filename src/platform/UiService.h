// The small UI service through which the program shows message boxes, sets the mouse pointer,
// writes the clipboard and reads the screen's facts. Implementations: Qt, Win32, headless
// (standard error, first button taken) and, in the tests, a recording one. The diagnostic window
// itself is shown through diagnostic/WindowHost.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/InstalledService.h"
#include "platform/RuntimeError.h"

namespace vellumo::ui {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

// Screen mouse pointer values.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

struct ScreenFacts {
    int bitsPerPixel = 24;
    int planes = 1;
    int logicalDpiX = 96;
    int logicalDpiY = 96;
    int workLeft = 0;
    int workTop = 0;
    int workRight = 1024;
    int workBottom = 768;
};

class UiService {
public:
    virtual ~UiService() = default;

    // A modal message box with only an OK button. Returns when the user has closed it.
    virtual void MsgBox(std::string_view text, MsgIcon icon, std::string_view title) = 0;
    virtual void SetMousePointer(int pointer) = 0;
    [[nodiscard]] virtual int MousePointer() const = 0;
    // Replaces the clipboard's content with plain text (UTF-8 here; the toolkit stores it in the
    // form the platform's plain-text format needs). False when the clipboard cannot be opened.
    [[nodiscard]] virtual bool SetClipboardText(const std::string& text) = 0;
    [[nodiscard]] virtual ScreenFacts Screen() const = 0;
};

// The service in use. Before one is installed, a headless service is used.
[[nodiscard]] UiService& Ui();
// Installs a service (not owned) and returns the previous one; nullptr restores the default.
UiService* SetUi(UiService* service);

// Installs a service for the lifetime of the guard.
using ScopedUi = ScopedInstall<UiService, &SetUi>;

// The platform layer's error box: OK only, no icon, titled with the procedure's name,
// text "Error: " + number + ". " + description.
void ShowErrorBox(std::string_view procedure, const RuntimeError& error);

// Runs a utility routine's body; any failure shows the routine's error box (ShowErrorBox) and
// gives `failure`, so the routine reports and returns instead of raising.
template <typename R, typename Body>
R ReportingFailures(std::string_view procedure, R failure, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        ShowErrorBox(procedure, CurrentRuntimeError());
        return failure;
    }
}

} // namespace vellumo::ui
