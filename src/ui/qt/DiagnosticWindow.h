// The diagnostic window in Qt: the fixed twips layout at the screen's DPI, three buttons, the
// instruction label and the read-only report box. The logic lives in frmMain.
#pragma once

#include "diagnostic/frmMain.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vellumo::ui {

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
    void LayOut(int dpiX, int dpiY);

    frmMain form_;
    QPushButton* cmdCopy_ = nullptr;
    QPushButton* cmdEmail_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QPlainTextEdit* txtInfo_ = nullptr;
};

} // namespace vellumo::ui
