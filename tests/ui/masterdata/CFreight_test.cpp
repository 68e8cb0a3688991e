#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/Freight.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/common/CDEdit.h"
#include "ui/masterdata/CDlgRevList.h"
#include "ui/masterdata/CFreight.h"
#include "ui/masterdata/MasterDataCommands.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    Fixture() { initDataFolder(folder); }
    std::string db() const { return folder.databasePath(); }
    std::vector<FreightRow> rows(const std::string &t) const { return FreightRates(db()).rowsFor(t); }
};

void click(QWidget *w, const char *name)
{
    auto *b = w->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

}

class CFreightTest : public QObject {
    Q_OBJECT
private slots:
    void theRateEditorTakesFiguresOnlyAndGivesThemBackAsTyped()
    {
        CFreightSetPopup popup({QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("99999")});
        showActive(&popup);
        QCOMPARE(popup.figures(), (CFreightSetPopup::Figures{QStringLiteral("10"), QStringLiteral("5"),
                                                             QStringLiteral("99999")}));
        auto *first = popup.findChild<CDEdit *>(QStringLiteral("afreightEdit"));
        auto *free = popup.findChild<CDEdit *>(QStringLiteral("moneyFreeEdit"));
        QVERIFY(first && free);
        first->selectAll();
        QTest::keyClicks(first, QStringLiteral("1x2.5"));
        free->selectAll();
        QTest::keyClicks(free, QStringLiteral("0"));
        QCOMPARE(popup.figures(),
                 (CFreightSetPopup::Figures{QStringLiteral("12.5"), QStringLiteral("5"), QStringLiteral("0")}));
        // Enter in a figure accepts the whole dialog.
        QTest::keyClick(free, Qt::Key_Return);
        QCOMPARE(popup.result(), int(QDialog::Accepted));
    }

    void theClassNameDialogGivesTheTypedNameOnEnterAndNothingOnEscape()
    {
        for (const bool enter : {true, false}) {
            CDlgRevList dlg(QStringLiteral("发件人类别 - 修改"), QStringLiteral("旧类"));
            showActive(&dlg);
            QCOMPARE(dlg.windowTitle(), QStringLiteral("发件人类别 - 修改"));
            auto *edit = dlg.findChild<QLineEdit *>(QStringLiteral("classNameEdit"));
            QVERIFY(edit);
            QCOMPARE(edit->text(), QStringLiteral("旧类"));
            edit->selectAll();
            edit->insert(QStringLiteral("新类 ' % _"));
            QTest::keyClick(edit, enter ? Qt::Key_Return : Qt::Key_Escape);
            QCOMPARE(dlg.result(), int(enter ? QDialog::Accepted : QDialog::Rejected));
            QCOMPARE(dlg.value(), QStringLiteral("新类 ' % _"));
        }
    }

    void showsTheDefaultsForANewTemplate()
    {
        Fixture f;
        CFreight dlg(f.db(), "圆通", f.dialogs);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("运费设置 - 圆通"));
        const auto defaults = f.rows("tmp_default");
        QCOMPARE(dlg.grid()->rowCount(), int(defaults.size()));
        QCOMPARE(dlg.grid()->cellText(0, 2), QString::fromStdString(defaults[0].province));
        QCOMPARE(dlg.grid()->cellText(0, 3), QString::fromStdString(defaults[0].afreight));
    }

    void freeAllThenCloseChangesNothing()
    {
        Fixture f;
        const auto before = f.rows("圆通");
        CFreight dlg(f.db(), "圆通", f.dialogs);
        showActive(&dlg);
        f.dialogs.answers = {Answer::Ok};
        QTest::keyClick(&dlg, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("运费设置 - 全部免费"));
        QCOMPARE(dlg.grid()->cellText(0, 3), QStringLiteral("0"));
        click(&dlg, "closeButton");
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(f.rows("圆通")[0].afreight, before[0].afreight);
    }

    void editsReachTheTableOnlyOnSaveAndLeaveTheDefaultsAlone()
    {
        Fixture f;
        CFreight dlg(f.db(), "圆通", f.dialogs);
        dlg.editRates = [](const CFreightSetPopup::Figures &) -> std::optional<CFreightSetPopup::Figures> {
            return CFreightSetPopup::Figures{QStringLiteral("8"), QStringLiteral("4"), QStringLiteral("100")};
        };
        showActive(&dlg);
        click(&dlg, "editCheckedButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请先勾选需要修改运费的省份"));
        click(&dlg, "freeOneButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请选择需要修改的项"));
        dlg.grid()->setChecked(1, true);
        dlg.grid()->setChecked(2, true);
        click(&dlg, "editCheckedButton");
        dlg.grid()->selectRow(0);
        click(&dlg, "freeOneButton");
        QCOMPARE(f.rows("圆通")[1].afreight, std::string("10")); // not yet written
        click(&dlg, "saveButton");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const auto rows = f.rows("圆通");
        QCOMPARE(rows[0].moneyFree, std::string("0"));
        QCOMPARE(rows[1].afreight, std::string("8"));
        QCOMPARE(rows[2].moneyFree, std::string("100"));
        QCOMPARE(rows[3].afreight, std::string("10"));
        QCOMPARE(f.rows("tmp_default")[1].afreight, std::string("10"));
    }

    void aFailedSaveShowsTheEngineMessageAndStaysOpen()
    {
        Fixture f;
        CFreight dlg(f.db(), "圆通", f.dialogs);
        showActive(&dlg);
        {
            DbConnection db;
            db.open(f.db());
            db.executeScript("create trigger stop before update on freight when new.tmpName='圆通' and "
                             "new.id = (select max(id) from freight) begin select raise(abort, 'disk says no'); end;");
        }
        f.dialogs.answers = {Answer::Ok};
        click(&dlg, "freeAllButton");
        click(&dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("disk says no"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(f.rows("圆通")[0].afreight, std::string("10")); // all or nothing
    }

    void theTemplateIsTheDefaultOfTheConfiguration()
    {
        Fixture f;
        QCOMPARE(freightTemplateName(f.folder), std::string());
        ConfigFile(f.folder.configPath()).writeText("Template", "Default", "中通.ttp");
        QCOMPARE(freightTemplateName(f.folder), std::string("中通"));
    }
};

QTEST_MAIN(CFreightTest)
#include "CFreight_test.moc"
