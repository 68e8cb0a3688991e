#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/printlist/PrintListCommands.h"
#include "ui/waybill/CQuorvelView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

using namespace zentra;
using namespace zentra::ui;

class PrintListCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void bothDialogsOpenBehindTheirPermissionFlags()
    {
        test::TempDir dir;
        DataFolder folder(dir.path());
        QVERIFY(initDataFolder(folder));
        AppState state;
        state.allowAll();
        ScriptedDialogs dialogs;
        RecordingShell shell;
        CMainFrame frame(state, dialogs, shell, folder);
        CQuorvelView canvas(state, folder, dialogs);
        installPrintListCommands(frame, canvas, state, folder, dialogs);

        const struct {
            int id;
            int flag;
            const char *title;
        } commands[] = {{cmd::BatchPrint, 6, "批量打印"}, {cmd::History, 18, "历史快递单查询"}};
        for (const auto &c : commands) {
            QVERIFY(frame.action(c.id)->isEnabled());
            QString opened;
            QTimer::singleShot(0, this, [&] {
                if (QWidget *w = QApplication::activeModalWidget()) {
                    opened = w->windowTitle();
                    static_cast<QDialog *>(w)->reject();
                }
            });
            QVERIFY(frame.runCommand(c.id));
            QCOMPARE(opened, QString::fromUtf8(c.title));

            state.permissions[std::size_t(c.flag)] = 0;
            dialogs.asked.clear();
            QVERIFY(!frame.runCommand(c.id));
            QCOMPARE(dialogs.lastText(), QString::fromUtf8(kNoPermissionText));
            state.permissions[std::size_t(c.flag)] = 1;
        }
    }
};

QTEST_MAIN(PrintListCommandsTest)
#include "PrintListCommands_test.moc"
