// The installed dialog backend, the default behaviour of its optional members and the backend
// that shows nothing.
#include "library/DialogBackend.h"

#include "library/CommonDialogFlags.h"

namespace vellumo {

namespace {

DialogBackend& DefaultBackend() {
    static NullDialogBackend none;
    return none;
}

constexpr DialogOutcome kNoDialog{0, cdlg::CDERR_DIALOGFAILURE};

} // namespace

std::optional<int32_t> DialogBackend::SystemColor(int /*index*/) const {
    return std::nullopt;
}

DeviceContext DialogBackend::DefaultPrinterDC() {
    return 0;
}

void DialogBackend::ReleasePrinterDC(DeviceContext /*dc*/) {}

int32_t DialogBackend::FileTitle(std::string_view file, std::string& title, int32_t capacity) {
    return cdlg::PortableFileTitle(file, title, capacity);
}

DialogOutcome NullDialogBackend::ShowOpenFile(OpenFileRecord& /*record*/) {
    return kNoDialog;
}
DialogOutcome NullDialogBackend::ShowSaveFile(OpenFileRecord& /*record*/) {
    return kNoDialog;
}
DialogOutcome NullDialogBackend::ShowColor(ChooseColorRecord& /*record*/) {
    return kNoDialog;
}
DialogOutcome NullDialogBackend::ShowFont(ChooseFontRecord& /*record*/) {
    return kNoDialog;
}
DialogOutcome NullDialogBackend::ShowPrint(PrintDlgRecord& /*record*/) {
    return kNoDialog;
}
DialogOutcome NullDialogBackend::ShowPageSetup(PageSetupRecord& /*record*/) {
    return kNoDialog;
}
void NullDialogBackend::SetMessageResult(WindowHandle /*dialog*/, intptr_t /*result*/) {}

DialogBackend& CurrentDialogBackend() {
    return ServiceSlot<DialogBackend>::Get(DefaultBackend());
}

DialogBackend* SetDialogBackend(DialogBackend* backend) {
    return ServiceSlot<DialogBackend>::Set(backend);
}

} // namespace vellumo
