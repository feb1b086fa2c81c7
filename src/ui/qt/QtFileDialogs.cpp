// The open and save dialogs on Qt: the record's filter, flags and buffers on a QFileDialog, and
// its signals as file-dialog notifications.
#include "ui/qt/QtDialogBackend.h"
#include "ui/qt/QtDialogSupport.h"

#include "library/CommonDialogFlags.h"
#include "platform/Text.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vellumo {

using namespace cdlg;
using qtdlg::HookSession;
using qtdlg::ToQString;
using qtdlg::ToUtf8;

namespace {

// A QFileDialog that asks the hook before it accepts (CDN_FILEOK): a message result of 1
// refuses, and the dialog stays open.
class HookedFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void SetSession(HookSession* session) { session_ = session; }

    void done(int result) override {
        if (result == QDialog::Accepted && session_ != nullptr && session_->Hooked()) {
            session_->Notify(CDN_FILEOK);
            if (session_->Failed()) {
                QFileDialog::done(QDialog::Rejected);
                return;
            }
            if (session_->MessageResult() != 0)
                return;
        }
        QFileDialog::done(result);
    }

private:
    HookSession* session_ = nullptr;
};

struct FilterPair {
    QString description;
    QString patterns;
};

// The pairs of a filter in the dialog's form (description NUL pattern ... NUL NUL).
std::vector<FilterPair> FilterPairs(const std::string& dialogFilter) {
    std::vector<FilterPair> pairs;
    for (int32_t index = 1;; ++index) {
        const std::string pair = ChosenFilterPair(dialogFilter, index);
        if (pair.empty())
            break;
        const size_t nul = pair.find('\0');
        pairs.push_back({ToQString(pair.substr(0, nul)), ToQString(pair.substr(nul + 1))});
    }
    return pairs;
}

// "*.txt;*.log" as Qt's space-separated patterns; "*.*" matches every name, as it does on the
// system the filters were written for.
QString QtPatterns(const QString& patterns) {
    QStringList result;
    for (const QString& part : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        result << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    return result.join(u' ');
}

QString DefaultSuffix(const std::string& defaultExt) {
    QString suffix = ToQString(defaultExt);
    while (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    return suffix;
}

// The chosen names in the record's form: one full name, or the folder followed by the names.
std::string FileBufferText(const QStringList& files, int32_t flags) {
    if (files.size() == 1)
        return ToUtf8(QDir::toNativeSeparators(files.first()));
    const QString folder = QFileInfo(files.first()).absolutePath();
    const bool explorer = (flags & OFN_EXPLORER) != 0;
    std::string text = ToUtf8(QDir::toNativeSeparators(folder));
    for (const QString& file : files) {
        text += explorer ? '\0' : ' ';
        text += ToUtf8(QFileInfo(file).fileName());
    }
    if (explorer)
        text += '\0'; // the list ends with an empty name
    return text;
}

// The chosen filter from 1. The filter list is the dialog's own (several filters may share a
// description, which is all the dialog shows of them); its text only when the list is not there.
int32_t ChosenFilterIndex(const QFileDialog& dialog, const QStringList& nameFilters) {
    const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (types != nullptr && types->count() == nameFilters.size() && types->currentIndex() >= 0)
        return types->currentIndex() + 1;
    const qsizetype chosen = nameFilters.indexOf(dialog.selectedNameFilter());
    return chosen >= 0 ? static_cast<int32_t>(chosen) + 1 : 1;
}

} // namespace

DialogOutcome QtDialogBackend::ShowOpenFile(OpenFileRecord& record) {
    return ShowFileDialog(record, false);
}

DialogOutcome QtDialogBackend::ShowSaveFile(OpenFileRecord& record) {
    return ShowFileDialog(record, true);
}

DialogOutcome QtDialogBackend::ShowFileDialog(OpenFileRecord& record, bool save) {
    HookedFileDialog dialog(qtdlg::OwnerWidget(record.owner));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if ((record.flags & OFN_ALLOWMULTISELECT) != 0)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if ((record.flags & OFN_FILEMUSTEXIST) != 0)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    if (save && (record.flags & OFN_OVERWRITEPROMPT) == 0)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!record.title.empty())
        dialog.setWindowTitle(ToQString(record.title));

    const std::vector<FilterPair> pairs = FilterPairs(record.filter);
    QStringList nameFilters;
    for (const FilterPair& pair : pairs)
        nameFilters << pair.description + QStringLiteral(" (") + QtPatterns(pair.patterns) + u')';
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int32_t index = record.filterIndex >= 1 && record.filterIndex <= nameFilters.size()
                                  ? record.filterIndex
                                  : 1;
        dialog.selectNameFilter(nameFilters.at(index - 1));
    }
    const QString suffix = DefaultSuffix(record.defaultExt);
    dialog.setDefaultSuffix(suffix);

    const QString initialFile = ToQString(CutAtNul(record.file));
    if (!record.initialDir.empty())
        dialog.setDirectory(ToQString(record.initialDir));
    else if (initialFile.contains(u'/'))
        dialog.setDirectory(QFileInfo(initialFile).absolutePath());
    if (!initialFile.isEmpty())
        dialog.selectFile(initialFile);

    HookSession session(sessions_, record.hook, dialog);
    if (session.Hooked()) {
        dialog.SetSession(&session);
        QObject::connect(&dialog, &QFileDialog::currentChanged, &session,
                         [&session] { session.Notify(CDN_SELCHANGE); });
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &session,
                         [&session] { session.Notify(CDN_FOLDERCHANGE); });
        QObject::connect(&dialog, &QFileDialog::filterSelected, &session,
                         [&session] { session.Notify(CDN_TYPECHANGE); });
    }
    if (session.Run() != QDialog::Accepted)
        return {0, 0};

    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {0, 0};
    const std::string fileText = FileBufferText(files, record.flags);
    if (static_cast<int64_t>(CharLength(fileText)) + 1 > record.maxFile)
        return {0, FNERR_BUFFERTOOSMALL};

    record.file = fileText;
    const std::string title = ToUtf8(QFileInfo(files.first()).fileName());
    record.fileTitle = record.maxFileTitle > 0
                           ? LeftChars(title, static_cast<size_t>(record.maxFileTitle - 1))
                           : std::string();
    if (!suffix.isEmpty() &&
        QFileInfo(files.first()).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        record.flags |= OFN_EXTENSIONDIFFERENT;
    else
        record.flags &= ~OFN_EXTENSIONDIFFERENT;
    if (!nameFilters.isEmpty())
        record.filterIndex = ChosenFilterIndex(dialog, nameFilters);
    return {1, 0};
}

} // namespace vellumo
