#include "ui/DesktopPlatform.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopPlatform::openPath(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
