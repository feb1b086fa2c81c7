// The diagnostic window's logic, free of any toolkit: its load (instruction text, window-load
// checks, report), first activation, the three buttons, the clipboard copy and the write test.
// A toolkit window owns one frmMain and shows LabelText() and ReportText().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vellumo {

class cRegistry;
class cMRUFileList;

class frmMain {
public:
    frmMain();
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Window layout in twips (1440 an inch), fixed.
    struct TwipsRect {
        int left, top, width, height;
    };
    static constexpr int kClientWidth = 8130;
    static constexpr int kClientHeight = 8715;
    static constexpr TwipsRect kCmdCopy{240, 300, 2235, 435};
    static constexpr TwipsRect kCmdEmail{2940, 300, 2235, 435};
    static constexpr TwipsRect kCmdExit{5670, 300, 2235, 435};
    static constexpr TwipsRect kLblInfo{270, 990, 7605, 1455};
    static constexpr TwipsRect kTxtInfo{210, 2580, 7695, 5865};
    static constexpr int kTwipsPerInch = 1440;
    [[nodiscard]] static int TwipsToPixels(int twips, int dpi) {
        return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
    }

    // The caption "Vellumo Diagnostic" (the application title build setting).
    [[nodiscard]] static std::string Caption();
    // The three-paragraph instruction text with the support address.
    [[nodiscard]] static std::string InstructionText();

    void Form_Load();
    void Form_Activate();
    void cmdCopy_Click();
    void cmdEmail_Click();

    // Copies the text to the clipboard as plain text; result False when that failed.
    void ClipBoard_SetText(const std::string& text, bool& result);
    // The write test: appends to the report, returns whether a file could be created.
    void CanCreateFileInFolder(const std::string& folder, bool& result);

    // The window handle that launches use as owner (0 when the toolkit gives none).
    void SetWindowHandle(int32_t hwnd) { hwnd_ = hwnd; }
    [[nodiscard]] int32_t WindowHandle() const { return hwnd_; }

    [[nodiscard]] const std::string& LabelText() const { return lblInfo_; }
    [[nodiscard]] const std::string& ReportText() const { return txtInfo_; }
    [[nodiscard]] bool Activated() const { return activated_; }

private:
    // The window-load checks: recent files, the file to open, the write test (report lines).
    void RunWindowLoadChecks();

    std::string lblInfo_ = "lblInfo";
    std::string txtInfo_ = "txtInfo";
    bool activated_ = false;
    int32_t hwnd_ = 0;
    std::unique_ptr<cRegistry> registry_;
    std::unique_ptr<cMRUFileList> mruList_;
};

// Opens the mail client for the address through CShellExecute.LaunchEmail; a result other than
// -1 shows "Error on LaunchEmail: " + the result in a box titled with the application title.
void LaunchEmailFromForm(frmMain& form, const std::string& address);

} // namespace vellumo
