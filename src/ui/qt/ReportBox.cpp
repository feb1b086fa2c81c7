// The report box's copy with CR LF line ends.
#include "ui/qt/ReportBox.h"

#include <QMimeData>
#include <QTextCursor>

namespace vellumo::ui {

ReportBox::ReportBox(QWidget* parent) : QPlainTextEdit(parent) {}

QMimeData* ReportBox::createMimeDataFromSelection() const {
    // The selection's paragraph separators (U+2029) are its line ends; every other character
    // is copied as the report has it.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

} // namespace vellumo::ui
