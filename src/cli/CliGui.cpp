#include "cli/CliGui.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <clocale>
#include <cmath>

namespace zentra::cli {

Gui::Gui()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Outside a desktop session (cron, ssh, a container) the user has no
    // runtime folder and Qt would complain about it on stderr. The command
    // gets a private one (mode 0700) that goes away when it ends.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zentra-cli-XXXXXX"));
        if (runtimeDir_->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir_->path()));
    }
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    // Qt applies the user's locale; numbers in files are read with ".".
    std::setlocale(LC_NUMERIC, "C");
    render::installFontSubstitutions();
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        screen.x = static_cast<int>(std::lround(s->logicalDotsPerInchX()));
        screen.y = static_cast<int>(std::lround(s->logicalDotsPerInchY()));
    }
}

Gui::~Gui() = default;

}
