// The process-wide UI service pointer and the platform layer's error box.
#include "platform/UiService.h"

#include "platform/HeadlessUi.h"

namespace vellumo::ui {
namespace {

UiService& DefaultService() {
    static HeadlessUi headless;
    return headless;
}

} // namespace

UiService& Ui() {
    return ServiceSlot<UiService>::Get(DefaultService());
}

UiService* SetUi(UiService* service) {
    return ServiceSlot<UiService>::Set(service);
}

void ShowErrorBox(std::string_view procedure, const RuntimeError& error) {
    Ui().MsgBox(ErrorBoxText(error), MsgIcon::None, procedure);
}

} // namespace vellumo::ui
