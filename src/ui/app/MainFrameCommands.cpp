// The commands the main window does itself: new waybill, single print, the
// design mode, exit, help, calculator, online upgrade and the about box.
#include "ui/app/CMainFrame.h"

#include "core/Version.h"
#include "core/config/AppState.h"
#include "core/update/PackageOwner.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ST_SplitterWnd.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"

#include <QCoreApplication>
#include <QDir>

namespace zentra::ui {

void CMainFrame::newWaybill()
{
    if (state_.waybillModified && dialogs_.ask(this, QStringLiteral("是否将当前快递单添加到打印列表?")))
        hooks_.addToPrintList();
    hooks_.clearOrderInfo();
    hooks_.clearSender();
    hooks_.clearReceiver();
    hooks_.clearCargo();
    state_.waybillModified = false;
}

void CMainFrame::singlePrint()
{
    state_.canvasPrintJob = 1;
    hooks_.printCanvas();
}

void CMainFrame::toggleDesignMode()
{
    if (state_.designMode != 1) {
        setDesignMode(true);
        return;
    }
    // Cancel keeps the changes on the canvas, unsaved.
    if (state_.templateModified && dialogs_.ask(this, QStringLiteral("是否保存当前模板?")) &&
        !state_.currentTemplateName.empty())
        hooks_.saveTemplate(folder_.templateDir() + state_.currentTemplateName + ".ttp");
    setDesignMode(false);
}

void CMainFrame::setDesignMode(bool on)
{
    if (on == (state_.designMode == 1))
        return;
    if (on) {
        nested_->showSecondPane();
        state_.designMode = 1;
        state_.templateModified = false;
        hooks_.enterDesignMode();
    } else {
        hooks_.leaveDesignMode();
        nested_->hideSecondPane();
        state_.designMode = 0;
        state_.templateModified = false;
        setStatusMessage(QString());
    }
    syncCheckMarks();
}

bool CMainFrame::saveTemplateBeforeExit()
{
    if (state_.designMode != 1 || !state_.templateModified)
        return true;
    if (!dialogs_.ask(this, QStringLiteral("是否保存当前模板？"), QStringLiteral("模板保存")))
        return false;
    if (!state_.currentTemplateName.empty() &&
        !hooks_.saveTemplate(folder_.templateDir() + state_.currentTemplateName + ".ttp"))
        return false;
    state_.templateModified = false;
    return true;
}

void CMainFrame::exitProgram()
{
    if (!saveTemplateBeforeExit() || !dialogs_.ask(this, QString::fromUtf8(kExitQuestionText)))
        return;
    state_.skipExitConfirm = true;
    close();
}

void CMainFrame::openHelp()
{
    // The shop's own copy first, then the one installed with the program.
    const QStringList candidates = {
        QString::fromStdString(folder_.path("help/index.html")),
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zentra/help/index.html")),
    };
    for (const QString &path : candidates) {
        if (shell_.fileExists(path)) {
            shell_.openUrl(QUrl::fromLocalFile(path));
            return;
        }
    }
}

void CMainFrame::startCalculator()
{
    for (const char *name : {"gnome-calculator", "kcalc", "galculator", "xcalc"}) {
        const QString path = shell_.findProgram(QString::fromLatin1(name));
        if (!path.isEmpty()) {
            shell_.startProgram(path);
            return;
        }
    }
}

void CMainFrame::onlineUpgrade()
{
    // Programs the package manager installed are upgraded by it: nothing is
    // written, started or closed.
    const QString programDir = QCoreApplication::applicationDirPath();
    if (packageManagedPrograms(programDir.toStdString())) {
        dialogs_.inform(this, QString::fromUtf8(kPackageManagedText));
        return;
    }
    if (!saveTemplateBeforeExit())
        return;
    // The updater compares this file with the release's version file, so
    // without it there is nothing sensible for the updater to do.
    std::string error;
    if (!writeFileAtomically(folder_.versionPath(), zentra::kVersion, 0644, &error)) {
        dialogs_.message(this, QString(), QStringLiteral("无法写入版本文件：%1").arg(QString::fromStdString(error)),
                         Dialogs::Buttons::Ok, Dialogs::Icon::Error);
        return;
    }
    state_.skipExitConfirm = true;
    // Not checked: the program closes whether the updater started or not.
    shell_.startProgram(programDir + QStringLiteral("/zentra-update"),
                        {QStringLiteral("--home"), QString::fromStdString(folder_.root())});
    close();
}

void CMainFrame::showAbout()
{
    CAboutDlg dlg(shell_, links_, this);
    dlg.exec();
}

}
