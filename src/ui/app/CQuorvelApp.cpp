#include "ui/app/CQuorvelApp.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/config/DatabaseSetting.h"
#include "core/data/DbLocation.h"
#include "core/data/Maintenance.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/users/UserLogin.h"
#include "ui/app/CMainFrame.h"
#include "ui/common/Dialogs.h"
#include "ui/data/DatabaseCommands.h"
#include "ui/masterdata/MasterDataCommands.h"
#include "ui/printlist/PrintListCommands.h"
#include "ui/recognition/RecognitionCommands.h"
#include "ui/taobao/TaobaoCommands.h"
#include "ui/templates/TemplateDesigner.h"
#include "ui/templates/TemplateListCommands.h"
#include "ui/users/CSysAdminPwd.h"
#include "ui/users/CSysLogin.h"
#include "ui/users/UserCommands.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/ComposePages.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>

#include <algorithm>

namespace zentra::ui {

namespace {

// The value of option `name` ("--home DIR" or "--home=DIR"); empty when absent.
QString optionValue(const QStringList &arguments, const QString &name)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == name && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(name + QLatin1Char('=')))
            return arguments[i].mid(name.size() + 1);
    }
    return {};
}

}

CQuorvelApp::CQuorvelApp(AppState &state, Dialogs &dialogs, ShellServices &shell)
    : state_(state), dialogs_(dialogs), shell_(shell)
{
}

CQuorvelApp::~CQuorvelApp() = default;

std::optional<int> CQuorvelApp::initInstance(const QStringList &arguments)
{
    folder_ = std::make_unique<DataFolder>(
        DataFolder::resolve(optionValue(arguments, QStringLiteral("--home")).toStdString()));
    std::string error;
    // --database, else config.ini's [Database] url, else the embedded file.
    if (!chooseDatabase(*folder_, optionValue(arguments, QStringLiteral("--database")).toStdString(), &error)) {
        dialogs_.message(nullptr, QString(), QString::fromStdString(error), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
        return 1;
    }
    // A damaged file is named, and the restore offered, before anything
    // opens it to bring its tables up to date.
    // One left damaged is not touched: the window comes up, and what the
    // panels then read of it says what is wrong.
    const bool damaged =
        !folder_->isSharedDatabase() && fileExists(folder_->databasePath()) && !checkDatabaseAtStart();
    while (!damaged && !initDataFolder(*folder_, &error)) {
        if (!folder_->isSharedDatabase()) {
            dialogs_.message(nullptr, QString(),
                             QStringLiteral("无法创建数据文件夹 %1：%2")
                                 .arg(QString::fromStdString(folder_->root()), QString::fromStdString(error)),
                             Dialogs::Buttons::Ok, Dialogs::Icon::Error);
            return 1;
        }
        // The shop's server cannot be reached (or refuses): nothing was
        // written; the user tries again or quits.
        const QString text =
            QStringLiteral("无法打开数据库服务器上的数据库 %1：\n%2\n\n按“确定”重试，按“取消”退出。")
                .arg(QString::fromStdString(describeLocation(folder_->databasePath())), QString::fromStdString(error));
        if (dialogs_.message(nullptr, QStringLiteral("数据库"), text, Dialogs::Buttons::OkCancel,
                             Dialogs::Icon::Error) != Dialogs::Answer::Ok)
            return 1;
    }
    state_.connectionString = folder_->databasePath();
    readStartupSettings(state_, ConfigFile(folder_->configPath()));

    if (state_.loginPass) {
        // A login that "admin" with its empty password passes protects
        // nothing: the account gets a password first, or the program ends as
        // when the login is cancelled.
        if (!ensureAdminPassword(state_.connectionString, dialogs_, nullptr))
            return 1;
        UserLogin logins(state_.connectionString);
        CSysLogin login(state_, dialogs_, logins);
        if (login.exec() != QDialog::Accepted)
            return 1;
    } else {
        state_.currentUser = "admin";
        state_.allowAll();
    }

    frame_ = std::make_unique<CMainFrame>(state_, dialogs_, shell_, *folder_);
    plugCanvas();
    installDatabaseCommands(*frame_, *folder_, dialogs_);
    installUserCommands(*frame_, state_, *folder_, dialogs_);
    installMasterDataCommands(*frame_, *folder_, dialogs_);
    installRecognitionCommands(*frame_, *folder_, dialogs_);
    installTaobaoCommands(*frame_, state_, *folder_, dialogs_);
    frame_->show();
    if (QScreen *screen = frame_->screen()) {
        const QRect area = screen->availableGeometry();
        QRect frameRect = frame_->frameGeometry();
        frameRect.moveCenter(area.center());
        // On a screen smaller than the window its top-left corner stays on
        // the screen, so the title bar and the menu bar can still be reached.
        frameRect.moveTopLeft(QPoint(std::max(frameRect.left(), area.left()), std::max(frameRect.top(), area.top())));
        frame_->move(frameRect.topLeft());
    }
    return std::nullopt;
}

bool CQuorvelApp::checkDatabaseAtStart()
{
    const DatabaseCheck check = checkDatabase(folder_->databasePath());
    // A busy database is no damaged one; the first reads say it is busy.
    if (check.state != DatabaseCheck::State::Damaged)
        return true;
    const QString damaged = QStringLiteral("数据库已损坏：%1").arg(QString::fromStdString(check.reason));
    if (!checkDatabase(folder_->backupPath()).good()) {
        dialogs_.message(nullptr, QString(),
                         damaged + QStringLiteral("\n\n没有可用的备份（backup/backup.bak），无法还原。"),
                         Dialogs::Buttons::Ok, Dialogs::Icon::Error);
        return false;
    }
    if (!dialogs_.ask(nullptr, damaged + QStringLiteral("\n\n备份 backup/backup.bak 完好，是否用它还原数据库？"
                                                        "\n（损坏的数据库另存为 data/data.db.damaged）")))
        return false;
    const MaintenanceResult r = restoreDamagedDatabase(*folder_);
    QString text = QString::fromStdString(r.message);
    if (!r.ok && !r.detail.empty())
        text += QLatin1Char('\n') + QString::fromStdString(r.detail);
    dialogs_.message(nullptr, QString(), text, Dialogs::Buttons::Ok,
                     r.ok ? Dialogs::Icon::Information : Dialogs::Icon::Warning);
    // A backup made by an older version gets what was added since.
    if (r.ok)
        initDataFolder(*folder_);
    return r.ok;
}

void CQuorvelApp::plugCanvas()
{
    // The canvas loads the default template as it is made. Its context menu
    // holds the window's own command entries, so the one permission gate of the
    // window covers it too.
    auto *view = new CQuorvelView(state_, *folder_, dialogs_);
    frame_->setCanvas(view);
    view->setContextMenuActions(frame_->contextMenuActions());
    MainFrameHooks &hooks = frame_->hooks();
    hooks.printCanvas = [view] { view->printCanvas(); };
    CPrintSetup *designPanel = installTemplateDesigner(*frame_, *view, state_, *folder_, dialogs_);
    installTemplateList(*frame_, *view, designPanel, state_, *folder_, dialogs_);
    installComposePages(*frame_, *view, state_, *folder_, dialogs_);
    installPrintListCommands(*frame_, *view, state_, *folder_, dialogs_);
}

void CQuorvelApp::applyInterfaceFont()
{
    const QStringList families = QFontDatabase::families();
    for (const char *name : {"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei"}) {
        if (families.contains(QString::fromLatin1(name))) {
            QFont font = QApplication::font();
            font.setFamily(QString::fromLatin1(name));
            QApplication::setFont(font);
            return;
        }
    }
}

}
