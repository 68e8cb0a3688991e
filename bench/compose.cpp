// Composing with 100,000 receivers and 1,000 senders: how long the main
// window takes until all four pages are filled and shown, how long choosing a
// receiver takes until the canvas shows it, and a batch add of 1,000 ticked
// receivers.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_compose
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/masterdata/MasterBook.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/waybill/CPrintReceiver.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/ComposePages.h"

#include <QApplication>
#include <QElapsedTimer>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

using namespace zentra;
using namespace zentra::ui;

namespace {

const char *const kSurnames[] = {"张", "李", "王", "赵", "钱", "孙", "周", "吴", "郑", "陈"};
const char *const kGiven[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇"};
const char *const kProvinces[] = {"浙江省", "江苏省", "广东省", "新疆", "北京"};

std::string csvOf(int count)
{
    std::string csv = "姓名,手机,省份,城市,地址,备注\n";
    unsigned s = 7;
    for (int i = 0; i < count; ++i) {
        s = s * 1664525u + 1013904223u;
        csv += std::string(kSurnames[(s >> 8) % 10]) + kGiven[(s >> 12) % 10] + kGiven[(s >> 16) % 10] + ",13" +
               std::to_string(100000000 + i) + "," + kProvinces[i % 5] + ",某市,某区某路" + std::to_string(i) +
               "号,备注\n";
    }
    return csv;
}

double ms(QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    char tmpl[] = "/tmp/zentra-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    DataFolder folder(tmpl);
    if (!initDataFolder(folder))
        return 1;
    importBookCsv(MasterBook(folder.databasePath(), receiverBook()), csvOf(100000));
    importBookCsv(MasterBook(folder.databasePath(), senderBook()), csvOf(1000));
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    for (int i = 0; i < Template::kSlotCount; ++i) {
        if (!hasField(i))
            continue;
        TemplateItem it;
        it.id = 100 + i;
        it.left = (i / 10) * 120 + 20;
        it.top = (i % 10) * 30 + 20;
        it.right = it.left + 100;
        it.bottom = it.top + 20;
        it.text = fieldName(i);
        t.items[static_cast<std::size_t>(i)] = it;
    }
    saveTemplateFile(folder.templateDir() + "t.ttp", t);
    ConfigFile(folder.configPath()).writeText("Template", "Default", "t.ttp");

    {
        QElapsedTimer t;
        t.start();
        const DbRows all = MasterBook(folder.databasePath(), receiverBook()).list();
        std::printf("for comparison, reading all %zu receivers by name: %.0f ms\n", all.size(), ms(t));
    }
    AppState state;
    state.allowAll();
    ScriptedDialogs dialogs;
    RecordingShell shell;
    QElapsedTimer clock;
    clock.start();
    auto frame = std::make_unique<CMainFrame>(state, dialogs, shell, folder);
    auto *view = new CQuorvelView(state, folder, dialogs);
    frame->setCanvas(view);
    installComposePages(*frame, *view, state, folder, dialogs);
    frame->show();
    QApplication::processEvents();
    std::printf("main window with the four pages filled and shown: %.0f ms\n", ms(clock));

    auto *receivers = qobject_cast<CPrintReceiver *>(frame->printTemplate()->page(CPrintTemplate::Receiver));
    std::printf("receiver rows: %d\n", receivers->grid()->rowCount());
    double total = 0, worst = 0;
    const int picks = 50;
    for (int i = 0; i < picks; ++i) {
        // The row double-clicked is on screen: its texts are read already.
        const int row = (i * 1999) % receivers->grid()->rowCount();
        receivers->grid()->cellText(row, CPrintReceiver::Name);
        clock.restart();
        receivers->chooseRow(row);
        QApplication::processEvents();
        const double took = ms(clock);
        total += took;
        worst = std::max(worst, took);
    }
    std::printf("choosing a receiver until the canvas shows it: %.1f ms on average, %.1f ms at worst (%d picks)\n",
                total / picks, worst, picks);

    for (int r = 0; r < 1000; ++r)
        receivers->grid()->setChecked(r, true);
    clock.restart();
    receivers->batchAdd();
    std::printf("batch add of 1,000 ticked receivers: %.0f ms (%s)\n", ms(clock),
                dialogs.lastText().toStdString().c_str());

    frame.reset();
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
    return 0;
}
