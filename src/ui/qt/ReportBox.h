// The report box: a read-only plain-text box whose copies (Ctrl+C, the context menu, a drag,
// the X11 selection) carry the report's own CR LF line ends.
#pragma once

#include <QPlainTextEdit>

namespace vellumo::ui {

class ReportBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ReportBox(QWidget* parent = nullptr);

protected:
    // The selection as plain text with every line end CR LF: the box shows the report with
    // LF alone, which some fonts would otherwise draw a glyph for.
    [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;
};

} // namespace vellumo::ui
