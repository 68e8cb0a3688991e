#include "ui/app/ShellServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace zentra::ui {

void DesktopShell::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

QString DesktopShell::findProgram(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

bool DesktopShell::fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

}
