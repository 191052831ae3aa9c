#include "windows/CQtShellOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool CQtShellOpener::OpenFile(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool CQtShellOpener::OpenUrl(const std::string& url)
{
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    // Only a well-formed web address goes to the browser; nothing else is
    // handed to the desktop as if it were one.
    if (!address.isValid() || (address.scheme() != QLatin1String("https") && address.scheme() != QLatin1String("http")))
        return false;
    return QDesktopServices::openUrl(address);
}
