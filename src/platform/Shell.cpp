#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopShell::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
