// zentra: the main program. Usage: zentra [--home DIR] [--database URL]
#include "core/config/AppState.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CQuorvelApp.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>

int main(int argc, char **argv)
{
    // The order pages' browser shares its graphics context with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Number conversions in the core expect "C" whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Zentra"));
    // Also the caption of message boxes that have none of their own.
    QCoreApplication::setApplicationName(QStringLiteral("Zentra"));
    zentra::ui::CQuorvelApp::applyInterfaceFont();
    // Qt's own texts (standard buttons such as "确定" and "取消", file dialogs)
    // in Chinese, like the rest of the interface.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    zentra::AppState state;
    zentra::ui::QtDialogs dialogs;
    zentra::ui::DesktopShell shell;
    zentra::ui::CQuorvelApp zentraApp(state, dialogs, shell);
    if (auto exitCode = zentraApp.initInstance(app.arguments().mid(1)))
        return *exitCode;
    return app.exec();
}
