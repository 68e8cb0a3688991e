#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/masterdata/MasterDataCommands.h"

#include <QAction>
#include <QtTest>

using namespace zentra;
using namespace zentra::ui;

class MasterDataCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void eachBookIsBehindItsOwnPermissionFlag()
    {
        test::TempDir dir;
        DataFolder folder(dir.path());
        QVERIFY(initDataFolder(folder));
        AppState state;
        state.allowAll();
        ScriptedDialogs dialogs;
        RecordingShell shell;
        CMainFrame frame(state, dialogs, shell, folder);
        installMasterDataCommands(frame, folder, dialogs);
        const std::pair<int, int> commands[] = {
            {cmd::NewReceiver, 14}, {cmd::NewSender, 13}, {cmd::AddGoods, 16}, {cmd::FreightRates, 17}};
        for (const auto &[id, flag] : commands) {
            QVERIFY(frame.action(id)->isEnabled());
            state.permissions[std::size_t(flag)] = 0;
            dialogs.asked.clear();
            QVERIFY(!frame.runCommand(id));
            QCOMPARE(dialogs.lastText(), QString::fromUtf8(kNoPermissionText));
            state.permissions[std::size_t(flag)] = 1;
        }
    }
};

QTEST_MAIN(MasterDataCommandsTest)
#include "MasterDataCommands_test.moc"
