// The diagnostic window's logic: load, first activation, Copy To Clipboard and Send Email.
#include "diagnostic/frmMain.h"

#include "BuildSettings.h"
#include "diagnostic/ReportView.h"
#include "diagnostic/modMain.h"
#include "platform/CShellExecute.h"
#include "platform/UiService.h"
#include "platform/cRegistry.h"
#include "settings/cMRUFileList.h"

namespace vellumo {

namespace {
// SW_SHOWDEFAULT: the show command the mail client is started with.
constexpr int32_t kShowDefault = 10;
// What a successful launch returns.
constexpr int32_t kLaunchAccepted = -1;
} // namespace

frmMain::frmMain() = default;
frmMain::~frmMain() = default;

std::string frmMain::Caption() {
    return build::kAppTitle;
}

std::string frmMain::InstructionText() {
    const std::string paragraphBreak = "\r\n\r\n";
    return "Please click button 'Copy To Clipboard', then 'Send Email'. Once email window is "
           "loaded please "
           "click its message area and press Crl + V to paste the contents of the Clipboard." +
           paragraphBreak +
           "If the email window doesn't load, please launch your email program manually and then "
           "paste the "
           "contents of the Clipboard." +
           paragraphBreak + "Please send your email to " + build::kSupportEmail + ".";
}

void frmMain::Form_Load() {
    lblInfo_ = InstructionText();
    RunWindowLoadChecks();
    txtInfo_ = ShownReport(modMain::gstrDiagnosticReport);
}

void frmMain::Form_Activate() {
    if (activated_)
        return;
    activated_ = true;
    ui::Ui().SetMousePointer(ui::kPointerDefault);
}

void frmMain::cmdCopy_Click() {
    bool ignored = false;
    ClipBoard_SetText(ShownReport(modMain::gstrDiagnosticReport), ignored);
}

void frmMain::cmdEmail_Click() {
    LaunchEmailFromForm(*this, build::kSupportEmail);
}

void frmMain::ClipBoard_SetText(const std::string& text, bool& result) {
    result = false;
    try {
        result = ui::Ui().SetClipboardText(text);
    } catch (...) {
        // Any failing step leaves the clipboard as it was and shows nothing.
        result = false;
    }
}

void LaunchEmailFromForm(frmMain& form, const std::string& address) {
    CShellExecute shell;
    const int32_t result = shell.LaunchEmail(form.WindowHandle(), address, kShowDefault);
    if (result != kLaunchAccepted)
        ui::Ui().MsgBox("Error on LaunchEmail: " + std::to_string(result), ui::MsgIcon::None,
                        build::kAppTitle);
}

} // namespace vellumo
