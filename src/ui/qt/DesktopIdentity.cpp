// The application's desktop identity: name, desktop file and window icon.
#include "ui/qt/DesktopIdentity.h"

#include <QApplication>
#include <QIcon>

namespace vellumo::ui {

void ApplyDesktopIdentity() {
    // Qt's X11 window class is the application's name (the instance stays the program's file
    // name); its Wayland app id is the desktop file's name.
    QCoreApplication::setApplicationName(QString::fromLatin1(kDesktopEntryId));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/%1/vellumo-diagnostic.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
}

} // namespace vellumo::ui
