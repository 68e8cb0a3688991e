#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/templates/TemplateFile.h"
#include "render/ItemLayout.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/templates/CAddEditDlg.h"
#include "ui/templates/CColorPickerCB.h"
#include "ui/templates/CPrintSetup.h"
#include "ui/templates/LabelCheckBoxes.h"
#include "ui/templates/TemplateDesigner.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <memory>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

TemplateItem item(int index, QRect r, std::string text = "x")
{
    TemplateItem it;
    it.id = 100 + index;
    it.left = r.left();
    it.top = r.top();
    it.right = r.left() + r.width();
    it.bottom = r.top() + r.height();
    it.text = std::move(text);
    it.fontSize = 90;
    return it;
}

// The main window with its canvas and design panel, as the program joins
// them, over a temporary data folder whose template "sf" is on the canvas.
struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<CMainFrame> frame;
    CQuorvelView *view = nullptr;
    CPrintSetup *panel = nullptr;

    explicit Fixture(const Template &t)
    {
        folder.ensureLayout();
        state.allowAll();
        state.moveInterval = 5;
        saveTemplateFile(path(), t);
        ConfigFile(folder.configPath()).writeText("Template", "Default", "sf.ttp");
        frame = std::make_unique<CMainFrame>(state, dialogs, shell, folder);
        view = new CQuorvelView(state, folder, dialogs);
        frame->setCanvas(view);
        panel = installTemplateDesigner(*frame, *view, state, folder, dialogs);
        frame->show();
        frame->activateWindow();
        if (!QTest::qWaitForWindowExposed(frame.get()))
            qWarning("main window not exposed");
    }
    std::string path() const { return folder.templateDir() + "sf.ttp"; }

    void design()
    {
        frame->action(cmd::EditTemplate)->trigger();
        QApplication::processEvents();
    }
    QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    QRect rect(int index) const { return view->item(index)->geometry(); }
    // The items drawn with the selection colour.
    std::vector<int> highlighted() const
    {
        std::vector<int> h;
        for (int i = 0; i < 60; ++i)
            if (view->item(i) && view->item(i)->palette().color(QPalette::Base) == QColor(150, 250, 150))
                h.push_back(i);
        return h;
    }
    std::vector<int> selected() const
    {
        std::vector<int> s;
        for (int i = 0; i < 60; ++i)
            if (view->isItemSelected(i))
                s.push_back(i);
        return s;
    }

    // The pointer as the window system delivers it: to the widget under it,
    // or to the one that took the button press.
    QWindow *window() const { return frame->windowHandle(); }
    QPoint at(QPoint canvas) const { return view->widget()->mapTo(frame.get(), canvas); }
    void press(QPoint p, Qt::KeyboardModifiers m = {}) { QTest::mousePress(window(), Qt::LeftButton, m, at(p)); }
    void move(QPoint p) { QTest::mouseMove(window(), at(p)); }
    void release(QPoint p, Qt::KeyboardModifiers m = {}) { QTest::mouseRelease(window(), Qt::LeftButton, m, at(p)); }
    void clickAt(QPoint p, Qt::KeyboardModifiers m = {})
    {
        press(p, m);
        release(p, m);
    }
};

Template threeItems()
{
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    t.leftMargin = "1";
    t.items[20] = item(20, QRect(30, 40, 100, 20), "收件人姓名");
    t.items[21] = item(21, QRect(50, 100, 60, 24), "收件人手机");
    t.items[27] = item(27, QRect(80, 160, 90, 30), "收件人地址");
    return t;
}

// Chooses an entry of a list as the user does: opens it and clicks the entry.
void choose(QComboBox *list, const QString &text)
{
    const int index = list->findText(text, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(text));
    list->showPopup();
    QAbstractItemView *popup = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(popup->window()));
    popup->setCurrentIndex(popup->model()->index(index, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QApplication::processEvents();
    QCOMPARE(list->currentIndex(), index);
}

QStringList captions(QWidget *parent, const QStringList &names)
{
    QStringList out;
    for (const QString &n : names)
        out << parent->findChild<QPushButton *>(n)->text();
    return out;
}

}

class CPrintSetupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        std::setlocale(LC_NUMERIC, "C");
    }

    void panelShowsEveryControlOnlyWhileDesigning()
    {
        Fixture f(threeItems());
        QVERIFY(!f.panel->isVisible());
        f.design();
        QVERIFY(f.panel->isVisible());
        QCOMPARE(f.panel->height(), CMainFrame::kDesignPanelHeight);

        QStringList groups;
        for (auto *g : f.panel->findChildren<QGroupBox *>())
            groups << g->title();
        QCOMPARE(groups, (QStringList{"打印设置", "标签设置", "标签调整"}));
        QStringList labels;
        for (auto *l : f.panel->findChildren<QLabel *>())
            labels << l->text();
        QCOMPARE(labels, (QStringList{"左边距", "(厘米)", "上边距", "(厘米)", "字体", "颜色", "样式", "大小"}));
        QCOMPARE(f.panel->findChild<QLineEdit *>("leftMargin")->text(), QStringLiteral("1"));
        QCOMPARE(f.panel->findChild<QLineEdit *>("topMargin")->text(), QStringLiteral("0"));

        QCOMPARE(captions(f.panel, {"printButton", "previewButton", "selectAllButton", "selectNoneButton", "addButton",
                                    "deleteButton", "defaultTextButton", "clearTextButton"}),
                 (QStringList{"打印", "预览", "全选", "全不选", "添加", "删除", "默认文本", "清空文本"}));
        const QStringList moves = {"moveUpButton",   "moveDownButton",    "moveLeftButton",  "moveRightButton",
                                   "alignTopButton", "alignBottomButton", "alignLeftButton", "alignRightButton",
                                   "maxWidthButton", "minWidthButton",    "maxHeightButton", "minHeightButton",
                                   "maxBothButton",  "minBothButton"};
        QCOMPARE(captions(f.panel, moves).mid(0, 8), (QStringList{"↑", "↓", "←", "→", "╦", "╩", "╠", "╣"}));
        for (const QString &c : captions(f.panel, moves).mid(8))
            QCOMPARE(c.count(QLatin1Char('\n')), 1); // two-line captions
        QStringList tips;
        for (const QString &n : moves)
            tips << f.panel->findChild<QPushButton *>(n)->toolTip();
        QCOMPARE(tips,
                 (QStringList{"向上移动", "向下移动", "向左移动", "向右移动", "顶对齐", "底对齐", "左对齐", "右对齐",
                              "最大宽度", "最小宽度", "最大高度", "最小高度", "最大宽度和高度", "最小宽度和高度"}));
        QCOMPARE(captions(f.panel, {"saveButton", "backgroundButton", "exitButton", "undoButton", "redoButton"}),
                 (QStringList{"保存模板", "更改背景", "退出编辑", "撤销", "重做"}));
        QVERIFY(f.button("backgroundButton")->isEnabled()); // opens the change-background dialog
        QVERIFY(!f.button("undoButton")->isEnabled());

        // The lists as they start.
        auto *fonts = f.panel->findChild<QComboBox *>("fontList");
        QVERIFY(fonts->isEditable());
        QCOMPARE(fonts->count(), QFontDatabase::families().size());
        QCOMPARE(fonts->currentIndex(), 0);
        auto *sizes = f.panel->findChild<QComboBox *>("sizeList");
        QCOMPARE(sizes->count(), 36);
        QCOMPARE(sizes->itemText(0), QStringLiteral("6"));
        QCOMPARE(sizes->itemText(35), QStringLiteral("72"));
        QCOMPARE(sizes->currentText(), QStringLiteral("18"));
        auto *styles = f.panel->findChild<QComboBox *>("styleList");
        QCOMPARE(styles->count(), 4);
        QCOMPARE(styles->currentText(), QStringLiteral("正常"));
        auto *colors = f.panel->findChild<CColorPickerCB *>("colorList");
        QCOMPARE(colors->count(), 16);
        QCOMPARE(colors->itemText(0), QStringLiteral("Aqua"));
        QCOMPARE(colors->colorAt(0), QColor(0, 255, 255));
        QVERIFY(colors->findText(QStringLiteral("Fushcia")) >= 0);

        // At the window's first size every control lies inside the panel.
        QCOMPARE(f.frame->size(), QSize(1300, 720));
        for (QWidget *w : f.panel->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(f.panel) || w->window() != f.frame.get())
                continue;
            const QRect r(w->mapTo(f.panel, QPoint(0, 0)), w->size());
            QVERIFY2(f.panel->rect().contains(r), qPrintable(w->objectName()));
            // Button texts fit their buttons.
            if (auto *b = qobject_cast<QPushButton *>(w)) {
                for (const QString &line : b->text().split(QLatin1Char('\n'))) {
                    QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(line) + 4, qPrintable(line));
                }
                QVERIFY(b->height() >= b->fontMetrics().height() * int(b->text().count(QLatin1Char('\n')) + 1));
            }
        }

        f.design();
        QVERIFY(!f.panel->isVisible());
    }

    void commandsOnTheSelectedItems_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QList<QRect>>("expected"); // items 20, 21, 27
        const QRect a(30, 40, 100, 20), b(50, 100, 60, 24), c(80, 160, 90, 30);
        QTest::newRow("left align") << "alignLeftButton" << true
                                    << QList<QRect>{a, b.translated(-20, 0), c.translated(-50, 0)};
        QTest::newRow("right align") << "alignRightButton" << true
                                     << QList<QRect>{a.translated(40, 0), b.translated(60, 0), c};
        QTest::newRow("top align") << "alignTopButton" << true
                                   << QList<QRect>{a, b.translated(0, -60), c.translated(0, -120)};
        QTest::newRow("bottom align") << "alignBottomButton" << true
                                      << QList<QRect>{a.translated(0, 130), b.translated(0, 66), c};
        QTest::newRow("min width") << "minWidthButton" << true
                                   << QList<QRect>{QRect(30, 40, 60, 20), b, QRect(80, 160, 60, 30)};
        QTest::newRow("max height") << "maxHeightButton" << true
                                    << QList<QRect>{QRect(30, 40, 100, 30), QRect(50, 100, 60, 30), c};
        QTest::newRow("max both") << "maxBothButton" << true
                                  << QList<QRect>{QRect(30, 40, 100, 30), QRect(50, 100, 100, 30),
                                                  QRect(80, 160, 100, 30)};
        QTest::newRow("min both") << "minBothButton" << true
                                  << QList<QRect>{QRect(30, 40, 60, 20), QRect(50, 100, 60, 20),
                                                  QRect(80, 160, 60, 20)};
        QTest::newRow("down by the interval")
            << "moveDownButton" << true << QList<QRect>{a.translated(0, 5), b.translated(0, 5), c.translated(0, 5)};
        QTest::newRow("left by the interval")
            << "moveLeftButton" << true << QList<QRect>{a.translated(-5, 0), b.translated(-5, 0), c.translated(-5, 0)};
        QTest::newRow("down, nothing selected") << "moveDownButton" << false << QList<QRect>{a, b, c};
        QTest::newRow("align, nothing selected") << "alignLeftButton" << false << QList<QRect>{a, b, c};
    }
    void commandsOnTheSelectedItems()
    {
        QFETCH(QString, command);
        QFETCH(bool, selectAll);
        QFETCH(QList<QRect>, expected);
        Fixture f(threeItems());
        f.design();
        if (selectAll)
            f.click("selectAllButton");
        QCOMPARE(f.selected().size(), std::size_t(selectAll ? 3 : 0));
        f.click(command.toLatin1().constData());
        QCOMPARE((QList<QRect>{f.rect(20), f.rect(21), f.rect(27)}), expected);
        QCOMPARE(f.state.templateModified, selectAll);
        QCOMPARE(f.button("undoButton")->isEnabled(), selectAll);
    }

    void fontListsChangeTheSelectedAndShowTheClicked()
    {
        Template t = threeItems();
        t.items[27]->color = {1, 2, 3};
        t.items[27]->fontSize = 200; // 33 points: not in the list
        Fixture f(t);
        f.design();
        auto *sizes = f.panel->findChild<QComboBox *>("sizeList");
        auto *styles = f.panel->findChild<QComboBox *>("styleList");
        auto *colors = f.panel->findChild<CColorPickerCB *>("colorList");
        auto *fonts = f.panel->findChild<QComboBox *>("fontList");

        f.clickAt(QPoint(60, 50)); // item 20
        QCOMPARE(f.selected(), std::vector<int>{20});
        choose(sizes, QStringLiteral("12"));
        MyEdit *e = f.view->item(20);
        QCOMPARE(e->fontSize(), 72);
        QCOMPARE(e->font().pixelSize(), render::mulDiv(72, e->logicalDpiY(), 720)); // 7.2 points
        QVERIFY(f.state.templateModified);
        choose(styles, QStringLiteral("粗斜"));
        QVERIFY(e->isBold() && e->isItalic());
        choose(colors, QStringLiteral("Red"));
        QCOMPARE(e->textColor(), (Rgb{255, 0, 0}));
        QCOMPARE(e->palette().color(QPalette::Text), QColor(255, 0, 0));
        const QString face = fonts->itemText(fonts->count() - 1);
        choose(fonts, face);
        QCOMPARE(e->faceName(), face);
        // Typing into the font list is no choice.
        fonts->lineEdit()->setFocus();
        QTest::keyClicks(fonts->lineEdit(), QStringLiteral("Nothing"));
        QCOMPARE(e->faceName(), face);
        // Items not selected keep their font.
        QCOMPARE(f.view->item(21)->fontSize(), 90);

        // Clicking another item shows its font; clicking the first again
        // shows "12" again.
        f.clickAt(QPoint(100, 170));                             // item 27
        QCOMPARE(sizes->currentIndex(), 0);                      // 200 / 6 = 33: no entry
        QCOMPARE(colors->currentText(), QStringLiteral("Aqua")); // no such colour in the table
        QCOMPARE(styles->currentText(), QStringLiteral("正常"));
        f.clickAt(QPoint(60, 50));
        QCOMPARE(sizes->currentText(), QStringLiteral("12"));
        QCOMPARE(styles->currentText(), QStringLiteral("粗斜"));
        QCOMPARE(colors->currentText(), QStringLiteral("Red"));
        QCOMPARE(fonts->currentText(), face);
    }

    void clicksAndBandsSelect()
    {
        Fixture f(threeItems());
        f.design();
        f.clickAt(QPoint(60, 50));
        QCOMPARE(f.selected(), std::vector<int>{20});
        QCOMPARE(f.view->item(20)->palette().color(QPalette::Base), QColor(150, 250, 150));
        // Ctrl-click keeps the first selected.
        f.clickAt(QPoint(60, 110), Qt::ControlModifier);
        QCOMPARE(f.selected(), (std::vector<int>{20, 21}));
        // A plain click selects only the clicked item.
        f.clickAt(QPoint(100, 170));
        QCOMPARE(f.selected(), std::vector<int>{27});
        QCOMPARE(f.view->item(20)->palette().color(QPalette::Base), QColor(Qt::white));

        // A band from bottom-right to top-left selects nothing.
        f.press(QPoint(300, 250));
        f.move(QPoint(200, 150));
        f.move(QPoint(10, 10));
        f.release(QPoint(10, 10));
        QVERIFY(f.selected().empty());
        // Top-left to bottom-right: the items whose top-left corner is inside.
        f.press(QPoint(40, 30));
        f.move(QPoint(100, 120));
        QVERIFY(f.view->findChild<QWidget *>("rubberBand")->isVisible());
        f.release(QPoint(100, 120));
        QCOMPARE(f.selected(), std::vector<int>{21});
        QVERIFY(!f.view->findChild<QWidget *>("rubberBand")->isVisible());
        // Leaving the area drops the band: the release selects by the click rules.
        f.press(QPoint(10, 10));
        f.move(QPoint(200, 200));
        f.move(QPoint(f.view->viewport()->width() - 5, 50));
        QVERIFY(!f.view->findChild<QWidget *>("rubberBand")->isVisible());
        f.release(QPoint(f.view->viewport()->width() - 5, 50));
        QVERIFY(f.selected().empty());
        QVERIFY(!f.state.templateModified);
    }

    void aBandSelectsItsItemsAndAPlainPressStartsAnew()
    {
        // The sheet as a shop sets it up: receiver name and mobile in the
        // upper left, the sender's mobile and the express number elsewhere.
        Template t = threeItems();
        t.items[1] = item(1, QRect(300, 40, 90, 20), "发件人手机");
        t.items[41] = item(41, QRect(300, 160, 120, 24), "快递号");
        Fixture f(t);
        f.design();
        const QRect name = f.rect(20), mobile = f.rect(21), sender = f.rect(1), express = f.rect(41);

        // A band from bare canvas above-left of 收件人姓名 past 收件人手机,
        // released on bare canvas, selects both, and "↓" moves them.
        f.press(QPoint(20, 30));
        for (QPoint p : {QPoint(60, 70), QPoint(120, 120), QPoint(150, 140)})
            f.move(p);
        f.release(QPoint(150, 140));
        QCOMPARE(f.selected(), (std::vector<int>{20, 21}));
        QCOMPARE(f.highlighted(), f.selected());
        f.click("moveDownButton");
        QCOMPARE(f.rect(20), name.translated(0, 5));
        QCOMPARE(f.rect(21), mobile.translated(0, 5));
        QCOMPARE(f.rect(27), QRect(80, 160, 90, 30));

        // Ctrl+click adds 发件人手机; a plain drag of 快递号 then moves 快递号
        // alone, and only it stays selected.
        f.clickAt(sender.center(), Qt::ControlModifier);
        QCOMPARE(f.selected(), (std::vector<int>{1, 20, 21}));
        QCOMPARE(f.highlighted(), f.selected());
        f.press(express.center());
        for (int d : {10, 20, 30})
            f.move(express.center() - QPoint(0, d));
        f.release(express.center() - QPoint(0, 30));
        QCOMPARE(f.rect(41), express.translated(0, -30));
        QCOMPARE(f.rect(1), sender);
        QCOMPARE(f.rect(20), name.translated(0, 5));
        QCOMPARE(f.selected(), std::vector<int>{41});
        QCOMPARE(f.highlighted(), f.selected());

        // The next drag carries nothing dragged before.
        f.press(sender.center());
        f.move(sender.center() + QPoint(20, 0));
        f.release(sender.center() + QPoint(20, 0));
        QCOMPARE(f.rect(1), sender.translated(20, 0));
        QCOMPARE(f.rect(41), express.translated(0, -30));
        QCOMPARE(f.selected(), std::vector<int>{1});

        // A press on an item of a band's selection drags the band's items.
        f.press(QPoint(20, 30));
        f.move(QPoint(150, 140));
        f.release(QPoint(150, 140));
        QCOMPARE(f.selected(), (std::vector<int>{20, 21}));
        const QPoint grab = f.rect(21).center();
        f.press(grab);
        f.move(grab + QPoint(10, 0));
        f.release(grab + QPoint(10, 0));
        QCOMPARE(f.rect(20), name.translated(10, 5));
        QCOMPARE(f.rect(21), mobile.translated(10, 5));
        QCOMPARE(f.highlighted(), f.selected());

        // Dragged far to the left and up, an item stops at the sheet's edge.
        const QPoint at = f.rect(41).center();
        f.press(at);
        f.move(at - QPoint(250, 100));
        f.move(at - QPoint(500, 300));
        f.release(at - QPoint(500, 300));
        QCOMPARE(f.rect(41).topLeft(), QPoint(0, 0));
        QCOMPARE(f.rect(41).size(), express.size());
    }

    void dragsMoveFromTheButtonDownPointAndUndo()
    {
        Fixture f(threeItems());
        f.design();
        const QRect a = f.rect(20), b = f.rect(21), c = f.rect(27);
        f.clickAt(QPoint(60, 50));
        f.clickAt(QPoint(60, 110), Qt::ControlModifier);
        f.press(QPoint(60, 50), Qt::ControlModifier);
        QCOMPARE(f.view->item(20)->viewport()->cursor().shape(), Qt::SizeAllCursor);
        for (int d : {5, 10, 15})
            f.move(QPoint(60 + d, 50 + d));
        f.release(QPoint(75, 65), Qt::ControlModifier);
        QCOMPARE(f.rect(20), a.translated(15, 15));
        QCOMPARE(f.rect(21), b.translated(15, 15));
        QCOMPARE(f.rect(27), c); // not selected
        QVERIFY(f.state.templateModified);

        // Then an align command; undo takes back one step at a time.
        f.click("alignLeftButton");
        QCOMPARE(f.rect(21).left(), a.left() + 15);
        f.click("undoButton");
        QCOMPARE(f.rect(21), b.translated(15, 15));
        f.click("undoButton");
        QCOMPARE(f.rect(20), a);
        QCOMPARE(f.rect(21), b);
        QVERIFY(!f.button("undoButton")->isEnabled());
        f.click("redoButton");
        QCOMPARE(f.rect(20), a.translated(15, 15));
        QCOMPARE(f.rect(21), b.translated(15, 15));
        f.click("redoButton");
        QCOMPARE(f.rect(21).left(), a.left() + 15);
        QVERIFY(!f.button("redoButton")->isEnabled());

        // Ctrl+Z outside an item's text is the designer's undo; inside an
        // item it edits the text.
        f.button("selectAllButton")->setFocus();
        QTest::keyClick(f.frame.get()->focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.rect(21), b.translated(15, 15));
        QTest::keyClick(f.frame.get()->focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.rect(21).left(), a.left() + 15);
        QVERIFY(f.shell.opened.isEmpty()); // Ctrl+Y is no post-code page here
        MyEdit *e = f.view->item(27);
        e->setFocus();
        QTest::keyClicks(e, QStringLiteral("Q"));
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("收件人地址"));
        QCOMPARE(f.rect(21).left(), a.left() + 15);

        // Leaving the design mode ends the history.
        f.state.templateModified = false;
        f.design();
        f.design();
        QVERIFY(!f.panel->canUndo() && !f.panel->canRedo());
    }

    void undoKeepsTypedTextAndMarginEditsAreOneStep()
    {
        Fixture f(threeItems());
        f.design();
        f.clickAt(QPoint(60, 50));
        f.click("moveRightButton");
        MyEdit *e = f.view->item(20);
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, QStringLiteral("Li"));
        f.click("undoButton");
        QCOMPARE(f.rect(20).left(), 30);
        QCOMPARE(e->text(), QStringLiteral("收件人姓名Li"));

        auto *left = f.panel->findChild<QLineEdit *>("leftMargin");
        left->selectAll();
        QTest::keyClicks(left, QStringLiteral("2.5"));
        QCOMPARE(f.view->currentTemplate().leftMargin, std::string("2.5"));
        f.click("undoButton");
        QCOMPARE(f.view->currentTemplate().leftMargin, std::string("1"));
        QCOMPARE(left->text(), QStringLiteral("1"));

        // Default and clear texts are steps of their own.
        f.click("clearTextButton");
        QCOMPARE(f.view->item(21)->text(), QString());
        f.click("defaultTextButton");
        QCOMPARE(e->text(), QStringLiteral("收件人姓名"));
        f.click("undoButton");
        QCOMPARE(e->text(), QString());
    }

    void bordersResizeAndShowSizingPointers()
    {
        Fixture f(threeItems());
        f.design();
        MyEdit *e = f.view->item(21); // (50, 100) 60 x 24
        struct Zone {
            QPoint at;
            Qt::CursorShape shape;
        };
        const Zone zones[] = {
            {{50, 110}, Qt::SizeHorCursor},    {{109, 110}, Qt::SizeHorCursor},  {{70, 100}, Qt::SizeVerCursor},
            {{70, 123}, Qt::SizeVerCursor},    {{50, 100}, Qt::SizeFDiagCursor}, {{109, 123}, Qt::SizeFDiagCursor},
            {{109, 100}, Qt::SizeBDiagCursor}, {{51, 122}, Qt::SizeBDiagCursor}, {{70, 110}, Qt::ArrowCursor}};
        for (const Zone &z : zones) {
            f.move(z.at);
            QCOMPARE(e->cursor().shape(), z.shape);
            QCOMPARE(e->viewport()->cursor().shape(), z.shape);
        }

        f.clickAt(QPoint(60, 50)); // item 20 selected
        f.press(QPoint(109, 110));
        f.move(QPoint(120, 112));
        f.move(QPoint(129, 140));
        f.release(QPoint(129, 140));
        QCOMPARE(f.rect(21), QRect(50, 100, 80, 24));
        QCOMPARE(f.selected(), std::vector<int>{20}); // the selection stays
        QVERIFY(f.state.templateModified);
        f.press(QPoint(50, 100));
        f.move(QPoint(40, 90));
        f.release(QPoint(40, 90));
        QCOMPARE(f.rect(21), QRect(40, 90, 90, 34));
        f.click("undoButton");
        QCOMPARE(f.rect(21), QRect(50, 100, 80, 24));

        // Outside the design mode the pointer is the text pointer again and a
        // border does not resize.
        f.design();
        f.move(QPoint(70, 110));
        QCOMPARE(e->viewport()->cursor().shape(), Qt::IBeamCursor);
        f.press(QPoint(129, 110));
        f.move(QPoint(150, 110));
        f.release(QPoint(150, 110));
        QCOMPARE(f.rect(21), QRect(50, 100, 80, 24));
    }

    void aClickPlacesTheCaretAndTypingIsNoChange()
    {
        Fixture f(threeItems());
        f.design();
        MyEdit *e = f.view->item(20);
        f.clickAt(QPoint(e->geometry().right() - 4, 50));
        QCOMPARE(QApplication::focusWidget(), e);
        QCOMPARE(e->textCursor().position(), e->text().size());
        QTest::keyClicks(e, QStringLiteral("Wu"));
        QCOMPARE(e->text(), QStringLiteral("收件人姓名Wu"));
        QVERIFY(!f.state.templateModified);
    }

    void anItemNeverScrollsItsText()
    {
        Template t;
        t.items[0] = item(0, QRect(20, 20, 100, 20), "发件人姓名");
        t.items[0]->fontSize = 200; // taller than the box
        Fixture f(t);
        MyEdit *e = f.view->item(0);
        // Select part of the text, the pointer ending below the item.
        f.press(QPoint(30, 30));
        f.move(QPoint(60, 35));
        f.move(QPoint(80, 90));
        // The box scrolls by itself while the pointer stays outside it.
        QCursor::setPos(f.frame->mapToGlobal(f.at(QPoint(80, 90))));
        QTest::qWait(300);
        f.release(QPoint(80, 90));
        QVERIFY(e->textCursor().hasSelection());
        QTest::keyClick(e, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.state.designMode, 1);
        QCOMPARE(e->verticalScrollBar()->value(), 0);
        QCOMPARE(e->horizontalScrollBar()->value(), 0);
        // The first line starts at the top of the box.
        const int top = e->cursorRect(QTextCursor(e->document())).top();
        QVERIFY2(top >= 0 && top <= 2, qPrintable(QString::number(top)));
    }

    void itemsTakeNoTextDrags()
    {
        Fixture f(threeItems());
        MyEdit *e = f.view->item(20);
        QVERIFY(!e->acceptDrops() && !e->viewport()->acceptDrops());
        e->setFocus();
        e->selectAll();
        // Pressing on the selected text and moving selects anew instead of
        // starting a drag (which would wait in the drag loop).
        f.press(QPoint(50, 50));
        f.move(QPoint(60, 50));
        f.move(QPoint(300, 250));
        f.release(QPoint(300, 250));
        QVERIFY(e->textCursor().anchor() > 0);
    }

    void deleteAsksFirst()
    {
        Fixture f(threeItems());
        f.design();
        f.click("deleteButton"); // nothing selected: nothing to ask
        QVERIFY(f.dialogs.asked.empty());
        f.clickAt(QPoint(60, 50));
        f.clickAt(QPoint(60, 110), Qt::ControlModifier);
        f.dialogs.answers = {Answer::Cancel, Answer::Ok};
        f.click("deleteButton");
        QCOMPARE(f.dialogs.asked.back().text, QStringLiteral("您确认删除选中的标签吗？"));
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("标签 - 删除"));
        QCOMPARE(f.dialogs.asked.back().icon, Dialogs::Icon::Warning);
        QVERIFY(f.view->item(20) && !f.state.templateModified);
        f.click("deleteButton");
        QVERIFY(!f.view->item(20) && !f.view->item(21) && f.view->item(27));
        QVERIFY(f.state.templateModified);
        f.click("undoButton");
        QVERIFY(f.view->item(20) && f.view->item(21));
        QCOMPARE(f.rect(21), QRect(50, 100, 60, 24));
    }

    void addLabelsMakesAndRemovesItems()
    {
        Template t = threeItems();
        t.items[17] = item(17, QRect(200, 200, 50, 20)); // a slot without a field
        Fixture f(t);
        f.state.fontHeight = 12;
        f.design();
        QStringList seen;
        auto answer = [&](bool ok) {
            QTimer::singleShot(0, [&, ok] {
                auto *dlg = qobject_cast<CAddEditDlg *>(QApplication::activeModalWidget());
                if (!dlg)
                    return;
                seen << dlg->windowTitle();
                for (auto *g : dlg->findChildren<QGroupBox *>())
                    seen << g->title();
                seen << QString::number(dlg->findChildren<QCheckBox *>().size());
                seen << QString::number(dlg->checked(20)) + QString::number(dlg->checked(40));
                QTest::mouseClick(dlg->findChild<QPushButton *>("uncheckAllButton"), Qt::LeftButton);
                QTest::mouseClick(dlg->findChild<QPushButton *>("checkAllButton"), Qt::LeftButton);
                dlg->findChild<QCheckBox *>("label20")->setChecked(false);
                QTest::mouseClick(dlg->findChild<QPushButton *>(ok ? "okButton" : "cancelButton"), Qt::LeftButton);
            });
        };
        answer(false);
        f.click("addButton");
        QCOMPARE(seen, (QStringList{"添加标签", "发件人", "收件人", "订单信息", "保价金额", "其它", "54", "10"}));
        QVERIFY(f.view->item(20) && !f.view->item(40));
        QVERIFY(!f.state.templateModified);

        answer(true);
        f.click("addButton");
        QVERIFY(!f.view->item(20));
        QVERIFY(f.view->item(21) && f.view->item(17));
        QVERIFY(f.view->item(40));
        QCOMPARE(f.rect(40), QRect(500, 20, 100, 20));
        QCOMPARE(f.view->item(40)->fontSize(), 72);
        QCOMPARE(f.view->item(59)->text(), QStringLiteral("时"));
        QVERIFY(f.state.templateModified);
        f.click("undoButton");
        QVERIFY(f.view->item(20) && !f.view->item(40));
    }

    void saveAndExitAgreeWithTheWindowsToggle()
    {
        Fixture f(threeItems());
        f.design();
        f.clickAt(QPoint(60, 50));
        f.click("moveDownButton");
        f.click("saveButton");
        QCOMPARE(f.state.designMode, 0);
        QVERIFY(!f.frame->action(cmd::EditTemplate)->isChecked());
        QVERIFY(!f.panel->isVisible());
        QVERIFY(!f.state.templateModified);
        QVERIFY(!f.view->isItemSelected(20));

        // The file holds the canvas; read back onto the canvas it shows the same.
        f.view->destroyAllItems();
        QVERIFY(f.view->loadTemplate("sf.ttp"));
        QCOMPARE(f.rect(20), QRect(30, 45, 100, 20));
        const std::string again = f.dir.file("again.ttp");
        QVERIFY(saveTemplateFile(again, f.view->currentTemplate()));
        const test::CliResult saved = test::runProgram(ZENTRA_CLI, {"template", "show", f.path()});
        const test::CliResult reloaded = test::runProgram(ZENTRA_CLI, {"template", "show", again});
        QCOMPARE(saved.exitCode, 0);
        QVERIFY(saved.out.find("\"left\":30,\"top\":45,\"right\":130,\"bottom\":65") != std::string::npos);
        QCOMPARE(saved.out, reloaded.out);

        // Entering again through the window's command, leaving through the panel.
        f.design();
        QVERIFY(f.frame->action(cmd::EditTemplate)->isChecked());
        f.click("exitButton"); // unchanged: no question
        QVERIFY(f.dialogs.asked.empty());
        QCOMPARE(f.state.designMode, 0);
        QVERIFY(!f.frame->action(cmd::EditTemplate)->isChecked());
    }

    void exitWithCancelRestoresTheFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QRect>("afterwards");
        QTest::addColumn<QRect>("inFile");
        QTest::newRow("cancel") << int(Answer::Cancel) << QRect(30, 40, 100, 20) << QRect(30, 40, 100, 20);
        QTest::newRow("ok") << int(Answer::Ok) << QRect(40, 50, 100, 20) << QRect(40, 50, 100, 20);
    }
    void exitWithCancelRestoresTheFile()
    {
        QFETCH(int, answer);
        QFETCH(QRect, afterwards);
        QFETCH(QRect, inFile);
        Fixture f(threeItems());
        f.design();
        f.press(QPoint(60, 50));
        f.move(QPoint(70, 60));
        f.release(QPoint(70, 60));
        QVERIFY(f.state.templateModified);
        f.dialogs.answers = {Answer(answer)};
        f.click("exitButton");
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.asked[0].text, QStringLiteral("是否保存当前模板？"));
        QCOMPARE(f.dialogs.asked[0].caption, QStringLiteral("模板保存"));
        QCOMPARE(f.state.designMode, 0);
        QVERIFY(!f.state.templateModified);
        QVERIFY(!f.panel->isVisible());
        QCOMPARE(f.rect(20), afterwards);
        QCOMPARE(f.rect(21), QRect(50, 100, 60, 24));
        Template file;
        QVERIFY(readTemplateFile(f.path(), file));
        QCOMPARE(QRect(QPoint(file.items[20]->left, file.items[20]->top),
                       QPoint(file.items[20]->right - 1, file.items[20]->bottom - 1)),
                 inFile);
    }

    void statusBarShowsTheSelectedRectangleInMillimetres()
    {
        Template t;
        t.items[20] = item(20, QRect(96, 48, 96, 24), "收件人姓名");
        Fixture f(t);
        auto *status = f.frame->findChild<QLabel *>("statusMessage");
        f.design();
        QCOMPARE(status->text(), QStringLiteral("就绪"));
        f.clickAt(QPoint(120, 60));
        const render::Resolution dpi = f.view->screenResolution();
        auto mm = [](int px, int perInch) { return QString::number(px * 25.4 / perInch, 'f', 1); };
        QCOMPARE(status->text(), QStringLiteral("收件人姓名：左 %1  上 %2  宽 %3  高 %4 (毫米)")
                                     .arg(mm(96, dpi.x), mm(48, dpi.y), mm(96, dpi.x), mm(24, dpi.y)));
        f.press(QPoint(120, 60));
        f.move(QPoint(120 + dpi.x / 10, 60));
        QVERIFY(status->text().contains(QStringLiteral("左 %1 ").arg(mm(96 + dpi.x / 10, dpi.x))));
        f.release(QPoint(120 + dpi.x / 10, 60));
        f.clickAt(QPoint(400, 250));
        QCOMPARE(status->text(), QStringLiteral("就绪"));
        f.clickAt(QPoint(120 + dpi.x / 10, 60));
        f.state.templateModified = false;
        f.design();
        QCOMPARE(status->text(), QStringLiteral("就绪"));
    }
};

QTEST_MAIN(CPrintSetupTest)
#include "CPrintSetup_test.moc"
