// The diagnostic window in Qt: the fixed twips layout at the screen's DPI, placed inside the work
// area, three buttons (Enter or Space presses the focused one), the instruction label and the
// read-only report box. The logic lives in frmMain.
#pragma once

#include "diagnostic/WindowPlacement.h"
#include "diagnostic/frmMain.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vellumo::ui {

class ReportBox;

class DiagnosticWindow : public QWidget {
    Q_OBJECT
public:
    // Runs the window's load (which finishes the report) while constructing.
    explicit DiagnosticWindow(QWidget* parent = nullptr);
    ~DiagnosticWindow() override;

    [[nodiscard]] frmMain& Form() { return form_; }

protected:
    bool event(QEvent* e) override;

private slots:
    void cmdCopy_Click();
    void cmdEmail_Click();
    void cmdExit_Click();

private:
    // Sizes and places the window and its controls for the work area and the window's frame
    // (before the window is shown: a shown window is the window manager's to move).
    void LayOut(const FrameMargins& frame);

    frmMain form_;
    QPushButton* cmdCopy_ = nullptr;
    QPushButton* cmdEmail_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    ReportBox* txtInfo_ = nullptr;
};

} // namespace vellumo::ui
