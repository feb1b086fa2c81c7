// The process-wide UI service pointer and the platform layer's error box.
#include "ui/UiService.h"

#include "ui/HeadlessUi.h"

namespace vellumo::ui {
namespace {

UiService* g_service = nullptr;

UiService& DefaultService() {
    static HeadlessUi headless;
    return headless;
}

} // namespace

UiService& Ui() { return g_service != nullptr ? *g_service : DefaultService(); }

UiService* SetUi(UiService* service) {
    UiService* previous = g_service;
    g_service = service;
    return previous;
}

void ShowErrorBox(std::string_view procedure, const RuntimeError& error) {
    Ui().MsgBox(ErrorBoxText(error), MsgIcon::None, procedure);
}

} // namespace vellumo::ui
