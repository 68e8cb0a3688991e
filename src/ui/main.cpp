// zentra: the main program. Usage: zentra [--home DIR] [--database URL] | --help | --version
#include "core/Version.h"
#include "core/config/AppState.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CQuorvelApp.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Answered before any window or data folder is made.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("usage: zentra [--home DIR] [--database URL]\n"
                       "       zentra --help | --version\n\n"
                       "The data folder is DIR, else $ZENTRA_HOME, else $XDG_DATA_HOME/zentra.\n"
                       "The database is URL (postgresql://user@host:port/dbname), else config.ini's\n"
                       "[Database] url, else the data folder's data/data.db.\n",
                       stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zentra %s\n", zentra::kVersion);
            return 0;
        }
    }
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
