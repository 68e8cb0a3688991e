// zentra-update: fetches the changed files of a newer release from the update
// folder named in config.ini and restarts zentra. See UpdateOptions.h.
#include "core/Version.h"
#include "core/config/ConfigFile.h"
#include "core/update/PackageOwner.h"
#include "updater/CNorvane_UpdateDlg.h"
#include "updater/UpdateManager.h"
#include "updater/UpdateOptions.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <memory>

using namespace zentra;
using namespace zentra::updater;

namespace {

// Every question answered OK; each list message and the final message on a
// line of their own.
class PrintingPrompts : public UpdatePrompts {
public:
    bool ask(const QString &) override { return true; }
    void tell(const QString &text) override { print(text); }
    static void print(const QString &text)
    {
        std::fputs(text.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

}

int main(int argc, char **argv)
{
    // The usage and the version need no display, nor does the batch mode.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (raw.contains(QLatin1String("--help")) || raw.contains(QLatin1String("-h"))) {
        std::fputs(kUpdateUsage, stdout);
        return 0;
    }
    if (raw.contains(QLatin1String("--version"))) {
        std::printf("zentra-update %s\n", kVersion);
        return 0;
    }
    std::unique_ptr<QCoreApplication> app;
    if (raw.contains(QLatin1String("--batch")))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(QStringLiteral("zentra-update"));

    // What is left once Qt took its own options (-platform and the like).
    QString error;
    const auto options = parseUpdateOptions(QCoreApplication::arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "zentra-update: %s\n%s", error.toUtf8().constData(), kUpdateUsage);
        return 2;
    }

    UpdateSetup setup;
    setup.home = DataFolder::resolve(options->home.toStdString());
    setup.programDir = options->programDir.isEmpty() ? QCoreApplication::applicationDirPath().toStdString()
                                                     : options->programDir.toStdString();
    const ConfigFile config(setup.home.configPath());
    const QString base =
        options->base.isEmpty() ? QString::fromStdString(config.readText("Update", "baseUrl")) : options->base;
    setup.maxFileBytes = maxReleaseFileBytes(config.readText("Update", "maxFileMB"));
    setup.base = QUrl(base.trimmed(), QUrl::StrictMode);
    setup.timeoutMs = options->timeoutMs;
    setup.restart = options->restart;

    if (options->batch) {
        PrintingPrompts prompts;
        UpdateManager manager(std::move(setup), prompts);
        int exitCode = 1;
        QObject::connect(&manager, &UpdateManager::message, &PrintingPrompts::print);
        QObject::connect(&manager, &UpdateManager::finished, [&](UpdateManager::Outcome outcome) {
            const bool failed = outcome == UpdateManager::Outcome::Failed || outcome == UpdateManager::Outcome::Refused;
            exitCode = failed ? 1 : 0;
            QCoreApplication::exit(exitCode);
        });
        QTimer::singleShot(0, &manager, &UpdateManager::start);
        app->exec();
        return exitCode;
    }

    // Qt's own button texts ("确定", "取消") in Chinese, like zentra's.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    CNorvane_UpdateDlg dialog(std::move(setup));
    dialog.exec();
    // Run by hand on a packaged install: the message box said why; the shell
    // learns it from the exit code and the same text.
    if (dialog.outcome() == UpdateManager::Outcome::Refused) {
        std::fprintf(stderr, "zentra-update: %s\n", kPackageManagedText);
        return 1;
    }
    return 0;
}
