#include "windows/CQtShellOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool CQtShellOpener::OpenFile(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
