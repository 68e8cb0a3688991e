#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "support/TempDir.h"
#include "ui/common/CDEdit.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/templates/CAddTmpSheet.h"
#include "ui/templates/CExportTmp.h"
#include "ui/templates/CPrintTmpChose.h"
#include "ui/templates/TemplateListCommands.h"
#include "ui/templates/LabelCheckBoxes.h"
#include "ui/templates/PictureImport.h"
#include "ui/waybill/CQuorvelView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <memory>

using namespace zentra;
using namespace zentra::ui;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<CQuorvelView> view;
    std::unique_ptr<CPrintTmpChose> page;

    Fixture()
    {
        if (!initDataFolder(folder))
            qFatal("no data folder");
    }
    void addTemplate(const std::string &name, int freightRows = 0)
    {
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12";
        TemplateItem it;
        it.id = 100;
        it.right = 100;
        it.bottom = 20;
        it.text = name;
        t.items[0] = it;
        QVERIFY(saveTemplateFile(folder.templateDir() + name + ".ttp", t));
        DbConnection db;
        QVERIFY(db.open(folder.databasePath()));
        for (int i = 0; i < freightRows; ++i)
            QCOMPARE(db.execute("insert into freight(provinceID, province, tmpName) values(?, ?, ?)",
                                {i, "省", name}),
                     1);
    }
    int freightRows(const std::string &name)
    {
        DbConnection db;
        if (!db.open(folder.databasePath()))
            return -1;
        const DbRows rows = db.query("select count(*) from freight where tmpName=?", {name});
        return rows.empty() ? -1 : std::stoi(rows.rows[0].at(0));
    }
    CPrintTmpChose &make()
    {
        view = std::make_unique<CQuorvelView>(state, folder, dialogs);
        page = std::make_unique<CPrintTmpChose>(state, folder, dialogs, *view);
        page->resize(300, 500);
        page->show();
        return *page;
    }
    QStringList listed() const
    {
        QStringList names;
        for (int r = 0; r < page->list()->rowCount(); ++r)
            names << page->list()->cellText(r, 1);
        return names;
    }
    std::string picture()
    {
        const std::string path = dir.file("sheet.png");
        QImage img(40, 20, QImage::Format_RGB32);
        img.fill(Qt::yellow);
        img.save(QString::fromStdString(path));
        return path;
    }
};

QString fileText(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Types each character as a key event carrying it (QTest's key clicks take
// ASCII only).
void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// Runs `step` once the next modal dialog is up.
void whenModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w) {
            whenModal(step);
            return;
        }
        step(w);
    });
}

}

class CPrintTmpChoseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void wizardChecksInOrderAndAsksOnlyOnAnExactName()
    {
        Fixture f;
        f.addTemplate("Sf");
        CAddTmpSheet sheet(f.state, f.folder, f.dialogs);
        sheet.show();
        CAddImgPage *page = sheet.imagePage();
        QAbstractButton *next = sheet.button(QWizard::NextButton);

        // Each missing value in the order of the page, the first one told.
        QStringList told;
        auto tryNext = [&] {
            const std::size_t before = f.dialogs.asked.size();
            QTest::mouseClick(next, Qt::LeftButton);
            if (f.dialogs.asked.size() > before)
                told << f.dialogs.lastText();
        };
        tryNext();
        f.dialogs.paths.push_back(QString::fromStdString(f.picture()));
        QVERIFY(page->picture()->importPicture());
        tryNext();
        QTest::keyClicks(page->nameEdit(), QStringLiteral("Sf"));
        tryNext();
        QTest::keyClicks(page->widthEdit(), QStringLiteral("23a.5"));
        QCOMPARE(page->widthEdit()->text(), QStringLiteral("23.5"));
        tryNext();
        QCOMPARE(told, (QStringList{QStringLiteral("请导入图片"), QStringLiteral("请输入模板名称"),
                                    QStringLiteral("请输入图片宽度"), QStringLiteral("请输入图片高度")}));
        QCOMPARE(sheet.currentId(), 0);
        // Each told with the information icon, the title bar showing the page.
        for (const auto &q : f.dialogs.asked)
            QCOMPARE(q.icon, Dialogs::Icon::Information);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("添加背景图片"));

        // Enter in an edit box neither advances nor finishes.
        QTest::keyClicks(page->heightEdit(), QStringLiteral("12.7"));
        QTest::keyClick(page->heightEdit(), Qt::Key_Return);
        QCOMPARE(sheet.currentId(), 0);
        QVERIFY(sheet.isVisible());

        // "Sf" exists: asked, and Cancel stays on the page.
        f.dialogs.answers.push_back(Dialogs::Answer::Cancel);
        tryNext();
        QCOMPARE(told.back(), QStringLiteral("相同名称的模板已经存在，是否覆盖？"));
        QCOMPARE(sheet.currentId(), 0);

        // "sf" differs in case only: a file of its own, no question.
        page->nameEdit()->setText(QStringLiteral("sf"));
        const std::size_t asked = f.dialogs.asked.size();
        tryNext();
        QCOMPARE(f.dialogs.asked.size(), asked);
        QCOMPARE(sheet.currentId(), 1);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("添加标签"));

        QTest::mouseClick(sheet.labelPage()->findChild<QPushButton *>(QStringLiteral("checkNoneButton")),
                          Qt::LeftButton);
        sheet.labelPage()->boxes()->setChecked(20, true);
        sheet.labelPage()->boxes()->setChecked(3, true);
        QTest::mouseClick(sheet.button(QWizard::FinishButton), Qt::LeftButton);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(sheet.writtenFile()), QStringLiteral("sf.ttp"));

        Template written;
        QVERIFY(readTemplateFile(f.folder.templateDir() + "sf.ttp", written));
        QCOMPARE(QString::fromStdString(written.imgWidth), QStringLiteral("23.5"));
        QCOMPARE(QString::fromStdString(written.imgHeight), QStringLiteral("12.7"));
        QCOMPARE(QString::fromStdString(written.leftMargin), QStringLiteral("0"));
        QCOMPARE(QString::fromStdString(written.topMargin), QStringLiteral("0"));
        QVERIFY(!written.imgData.empty());
        int items = 0;
        for (const auto &slot : written.items)
            items += slot.has_value();
        QCOMPARE(items, 2);
        QVERIFY(written.items[3] && written.items[20]);
        Template old;
        QVERIFY(readTemplateFile(f.folder.templateDir() + "Sf.ttp", old));
        QCOMPARE(QString::fromStdString(old.items[0]->text), QStringLiteral("Sf"));
    }

    void wizardRefusesSizesThatAreNoSheet_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("told");
        const QString width = QStringLiteral("图片宽度应大于0厘米且不超过10000厘米");
        const QString height = QStringLiteral("图片高度应大于0厘米且不超过10000厘米");
        QTest::newRow("width 0") << "0" << "12" << width;
        QTest::newRow("height -5") << "23" << "-5" << height;
        QTest::newRow("width 0, height -5") << "0" << "-5" << width;
        QTest::newRow("a lone point") << "." << "12" << width;
        QTest::newRow("over 100 m") << "23" << "10001" << height;
    }

    void wizardRefusesSizesThatAreNoSheet()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, told);
        Fixture f;
        CAddTmpSheet sheet(f.state, f.folder, f.dialogs);
        sheet.show();
        CAddImgPage *page = sheet.imagePage();
        f.dialogs.paths.push_back(QString::fromStdString(f.picture()));
        QVERIFY(page->picture()->importPicture());
        QTest::keyClicks(page->nameEdit(), QStringLiteral("blank"));
        QTest::keyClicks(page->widthEdit(), width);
        QTest::keyClicks(page->heightEdit(), height);
        QCOMPARE(page->widthEdit()->text(), width);
        QCOMPARE(page->heightEdit()->text(), height);
        QTest::mouseClick(sheet.button(QWizard::NextButton), Qt::LeftButton);
        QCOMPARE(f.dialogs.lastText(), told);
        QCOMPARE(sheet.currentId(), 0);
        QVERIFY(!QFile::exists(QString::fromStdString(f.folder.templateDir() + "blank.ttp")));
    }

    void aRefusedSwitchLeavesTheHighlightOnTheCurrentTemplate()
    {
        Fixture f;
        f.addTemplate("b");
        f.addTemplate("a");
        QVERIFY(ConfigFile(f.folder.configPath()).writeText("Template", "Default", "b.ttp"));
        CPrintTmpChose &page = f.make();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        f.state.designMode = 1;
        // A real double click on row "a", as the window system delivers it.
        const QRect rowA = page.list()->visualRect(page.list()->model()->index(0, 1));
        QWindow *window = page.windowHandle();
        const QPoint at = page.list()->viewport()->mapTo(&page, rowA.center());
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("当前模板正在编辑,无法进行切换！"));
        QTRY_COMPARE(page.list()->selectionModel()->selectedRows().size(), 1);
        QTest::qWait(20);
        const QModelIndexList rows = page.list()->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.front().row(), 1);
        QCOMPARE(page.currentName(), QStringLiteral("b"));

        // A single click later moves it as ever (to choose what to delete).
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
        QTest::qWait(20);
        QCOMPARE(page.list()->selectionModel()->selectedRows().front().row(), 0);
        // The list has no check boxes: its columns have no "选择".
        QVERIFY(!page.list()->checkBoxRect(0).isValid());
    }

    void pageListsSelectsAndRefusesSwitchingWhileDesigning()
    {
        Fixture f;
        f.addTemplate("b");
        f.addTemplate("a");
        QVERIFY(ConfigFile(f.folder.configPath()).writeText("Template", "Default", "b.ttp"));
        CPrintTmpChose &page = f.make();
        QCOMPARE(f.listed(), (QStringList{QStringLiteral("a.ttp"), QStringLiteral("b.ttp")}));
        QCOMPARE(page.currentName(), QStringLiteral("b"));
        QCOMPARE(page.list()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(page.list()->selectionModel()->selectedRows().front().row(), 1);

        // Double-clicking a row while designing changes nothing.
        f.state.designMode = 1;
        const QRect rowA = page.list()->visualRect(page.list()->model()->index(0, 1));
        QTest::mouseClick(page.list()->viewport(), Qt::LeftButton, {}, rowA.center());
        QTest::mouseDClick(page.list()->viewport(), Qt::LeftButton, {}, rowA.center());
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("当前模板正在编辑,无法进行切换！"));
        QCOMPARE(page.currentName(), QStringLiteral("b"));
        QCOMPARE(f.state.currentTemplateName, std::string("b"));
        QCOMPARE(ConfigFile(f.folder.configPath()).readText("Template", "Default"), std::string("b.ttp"));

        // Outside the design mode it becomes current and the default.
        f.state.designMode = 0;
        QTest::mouseClick(page.list()->viewport(), Qt::LeftButton, {}, rowA.center());
        QTest::mouseDClick(page.list()->viewport(), Qt::LeftButton, {}, rowA.center());
        QCOMPARE(page.currentName(), QStringLiteral("a"));
        QCOMPARE(f.state.currentTemplateName, std::string("a"));
        QCOMPARE(ConfigFile(f.folder.configPath()).readText("Template", "Default"), std::string("a.ttp"));
        QCOMPARE(QString::fromStdString(f.view->currentTemplate().items[0]->text), QStringLiteral("a"));
    }

    void deleteTakesTheSelectedTemplatesWithTheirRates()
    {
        Fixture f;
        f.addTemplate("a", 2);
        f.addTemplate("b", 3);
        f.addTemplate("c", 1);
        CPrintTmpChose &page = f.make();
        page.list()->clearSelection();
        page.deleteSelected();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("没有选择需要删除的模板"));
        QCOMPARE(f.dialogs.asked.back().icon, Dialogs::Icon::Information);

        page.list()->selectRow(0);
        page.list()->selectionModel()->select(page.list()->model()->index(1, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        f.dialogs.answers.push_back(Dialogs::Answer::Cancel);
        page.deleteSelected();
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("模板 - 删除"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除当前选中的模板吗？"));
        QCOMPARE(f.listed().size(), 3);

        page.deleteSelected();
        QCOMPARE(f.listed(), QStringList{QStringLiteral("c.ttp")});
        QCOMPARE(f.freightRows("a"), 0);
        QCOMPARE(f.freightRows("b"), 0);
        QCOMPARE(f.freightRows("c"), 1);
    }

    void importReplacesWithoutAskingAndStopsAtAFileThatIsNoTemplate()
    {
        Fixture f;
        f.addTemplate("a");
        CPrintTmpChose &page = f.make();
        test::TempDir outside;
        Template t;
        t.imgWidth = "30";
        QVERIFY(saveTemplateFile(outside.file("a.ttp"), t));
        QVERIFY(saveTemplateFile(outside.file("new.ttp"), t));
        int rebuilt = 0;
        f.dialogs.paths.push_back(QString::fromStdString(outside.file("a.ttp") + "\n" + outside.file("new.ttp")));
        importTemplatesInteractively(&page, f.folder, f.dialogs, [&] {
            ++rebuilt;
            page.rebuildList();
        });
        QCOMPARE(f.dialogs.fileCaptions.back(), QStringLiteral("请选择需要导入的模板"));
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1)); // no overwrite question
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("模板导入成功!"));
        QCOMPARE(rebuilt, 1);
        QCOMPARE(f.listed(), (QStringList{QStringLiteral("a.ttp"), QStringLiteral("new.ttp")}));
        Template replaced;
        QVERIFY(readTemplateFile(f.folder.templateDir() + "a.ttp", replaced));
        QCOMPARE(QString::fromStdString(replaced.imgWidth), QStringLiteral("30"));

        // A file that holds no template is not copied, and the message names it.
        {
            QFile junk(QString::fromStdString(outside.file("junk.ttp")));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("not a template");
        }
        f.dialogs.paths.push_back(QString::fromStdString(outside.file("junk.ttp")));
        importTemplatesInteractively(&page, f.folder, f.dialogs, [&] { ++rebuilt; });
        QVERIFY(f.dialogs.lastText().startsWith(QStringLiteral("模板导入失败!")));
        QVERIFY(f.dialogs.lastText().contains(QStringLiteral("junk.ttp")));
        QCOMPARE(rebuilt, 1);
        QVERIFY(!fileExists(f.folder.templateDir() + "junk.ttp"));
    }

    void exportAsksForAFolderOnlyWhenSomethingIsChecked()
    {
        Fixture f;
        f.addTemplate("a");
        f.addTemplate("b");
        test::TempDir target;

        // Nothing checked: "下一步" leads to no folder dialog.
        whenModal([](QWidget *w) {
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("nextButton")), Qt::LeftButton);
        });
        exportTemplatesInteractively(nullptr, f.folder, f.dialogs);
        QVERIFY(f.dialogs.fileCaptions.isEmpty());

        // One checked: the folder dialog, then the copy over what is there.
        {
            QFile old(QString::fromStdString(target.file("b.ttp")));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        f.dialogs.paths.push_back(QString::fromStdString(target.path()));
        whenModal([](QWidget *w) {
            auto *list = w->findChild<CReportCtrl *>(QStringLiteral("exportList"));
            list->setChecked(1, true);
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("nextButton")), Qt::LeftButton);
        });
        exportTemplatesInteractively(nullptr, f.folder, f.dialogs);
        QCOMPARE(f.dialogs.fileCaptions, QStringList{QStringLiteral("请选择模板保存目录")});
        QCOMPARE(fileText(target.file("b.ttp")), fileText(f.folder.templateDir() + "b.ttp"));
        QVERIFY(!fileExists(target.file("a.ttp")));
    }

    void changeBackgroundChecksThenChangesTheCanvasNotTheFile()
    {
        Fixture f;
        f.addTemplate("a");
        f.make();
        QVERIFY(f.view->loadTemplate("a.ttp"));
        const QString before = fileText(f.folder.templateDir() + "a.ttp");
        const QString picture = QString::fromStdString(f.picture());

        // "确定" with values missing tells the first one and stays open; then
        // a picture and a size go through.
        QStringList told;
        whenModal([&](QWidget *w) {
            auto *dlg = qobject_cast<CChangeImgDlg *>(w);
            QVERIFY(dlg);
            auto *ok = dlg->findChild<QPushButton *>(QStringLiteral("okButton"));
            QTest::mouseClick(ok, Qt::LeftButton);
            told << f.dialogs.lastText();
            f.dialogs.paths.push_back(picture);
            dlg->picture()->importPicture();
            QTest::mouseClick(ok, Qt::LeftButton);
            told << f.dialogs.lastText();
            QTest::keyClicks(dlg->widthEdit(), QStringLiteral("30"));
            QTest::mouseClick(ok, Qt::LeftButton);
            told << f.dialogs.lastText();
            QVERIFY(dlg->isVisible());
            QTest::keyClicks(dlg->heightEdit(), QStringLiteral("15.5"));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        f.state.templateModified = false;
        changeBackground(f.page.get(), *f.view, f.state, f.dialogs);
        QCOMPARE(told, (QStringList{QStringLiteral("请导入图片"), QStringLiteral("请输入图片宽度"),
                                    QStringLiteral("请输入图片高度")}));
        for (const auto &q : f.dialogs.asked)
            QCOMPARE(q.icon, Dialogs::Icon::Information);
        QVERIFY(f.state.templateModified);
        const Template shown = f.view->currentTemplate();
        QCOMPARE(QString::fromStdString(shown.imgWidth), QStringLiteral("30"));
        QCOMPARE(QString::fromStdString(shown.imgHeight), QStringLiteral("15.5"));
        QVERIFY(!shown.imgData.empty());
        QCOMPARE(fileText(f.folder.templateDir() + "a.ttp"), before);

        // Cancel changes nothing.
        f.state.templateModified = false;
        whenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        changeBackground(f.page.get(), *f.view, f.state, f.dialogs);
        QVERIFY(!f.state.templateModified);
    }

    void numericEditKeepsOnlyANumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("digits and one point") << "12.5.3" << "12.53";
        QTest::newRow("minus only first") << "-3-4" << "-34";
        QTest::newRow("letters dropped") << "a1b2c" << "12";
        QTest::newRow("chinese and spaces") << "１ 2元" << "2";
    }

    void numericEditKeepsOnlyANumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        CDEdit edit;
        edit.show();
        typeText(&edit, typed);
        QCOMPARE(edit.text(), kept);

        // The same rule for pasted text, at the cursor.
        CDEdit pasted;
        pasted.show();
        QApplication::clipboard()->setText(typed);
        QTest::keySequence(&pasted, QKeySequence::Paste);
        QCOMPARE(pasted.text(), kept);
    }

    void numericEditRulesDependOnTheCursor()
    {
        CDEdit edit;
        edit.show();
        QTest::keyClicks(&edit, QStringLiteral("25"));
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, QStringLiteral("-"));
        QCOMPARE(edit.text(), QStringLiteral("-25"));
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, QStringLiteral("-")); // there is one already
        QCOMPARE(edit.text(), QStringLiteral("-25"));
        edit.end(false);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClicks(&edit, QStringLiteral(".5"));
        QCOMPARE(edit.text(), QStringLiteral("-2.5"));
        // Replacing a selection that holds the point frees it again.
        edit.setSelection(2, 2);
        QTest::keyClicks(&edit, QStringLiteral("."));
        QCOMPARE(edit.text(), QStringLiteral("-2."));
        QVERIFY(!edit.acceptDrops()); // a dropped text would pass unfiltered
        edit.selectAll();
        QApplication::clipboard()->setText(QStringLiteral("x-1.2.3"));
        QTest::keySequence(&edit, QKeySequence::Paste);
        QCOMPARE(edit.text(), QStringLiteral("-1.23"));
    }
};

QTEST_MAIN(CPrintTmpChoseTest)
#include "CPrintTmpChose_test.moc"
