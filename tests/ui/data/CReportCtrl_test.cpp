#include "ui/data/CReportCtrl.h"
#include "ui/data/ReportSort.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using zentra::ui::CReportCtrl;

class CReportCtrlTest : public QObject {
    Q_OBJECT

private:
    // A shown list with the given column texts, one row per entry.
    static void fill(CReportCtrl &list, const QList<QStringList> &rows)
    {
        for (const QStringList &texts : rows)
            list.appendRow(texts);
    }

    static QStringList column(const CReportCtrl &list, int c)
    {
        QStringList out;
        for (int r = 0; r < list.rowCount(); ++r)
            out << list.cellText(r, c);
        return out;
    }

    static QPoint cellCenter(const CReportCtrl &list, int row, int column)
    {
        return list.visualRect(list.reportModel()->index(row, column)).center();
    }

    static void clickHeader(CReportCtrl &list, int column)
    {
        QHeaderView *h = list.horizontalHeader();
        QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
    }

    std::unique_ptr<CReportCtrl> shownList(const QString &spec)
    {
        auto list = std::make_unique<CReportCtrl>();
        list->resize(600, 400);
        list->setColumns(spec);
        list->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(list.get())); }();
        return list;
    }

private slots:
    void columnLayoutText_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("alignments");
        const int L = Qt::AlignLeft, C = Qt::AlignHCenter, R = Qt::AlignRight;
        QTest::newRow("program example") << "选择,40,1; 行号,60,1; 货品名称,250,0"
                                         << QStringList{"选择", " 行号", " 货品名称"} << QList<int>{40, 60, 250}
                                         << QList<int>{C, C, L};
        QTest::newRow("no alignment") << "选择,40" << QStringList{"选择"} << QList<int>{40} << QList<int>{L};
        QTest::newRow("title only") << "选择" << QStringList{"选择"} << QList<int>{100} << QList<int>{L};
        QTest::newRow("empty entries") << ";a,10,2;;b,20,1;" << QStringList{"a", "b"} << QList<int>{10, 20}
                                       << QList<int>{R, C};
        QTest::newRow("other alignment is left") << "a,30,7" << QStringList{"a"} << QList<int>{30} << QList<int>{L};
        QTest::newRow("width not a number") << "a,wide,2" << QStringList{"a"} << QList<int>{100} << QList<int>{R};
        QTest::newRow("blank entry is a column")
            << "a; " << QStringList{"a", " "} << QList<int>{100, 100} << QList<int>{L, L};
        QTest::newRow("nothing") << "" << QStringList{} << QList<int>{} << QList<int>{};
        QTest::newRow("only separators") << ";;" << QStringList{} << QList<int>{} << QList<int>{};
    }

    void columnLayoutText()
    {
        QFETCH(QString, spec);
        QFETCH(QStringList, titles);
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, alignments);
        CReportCtrl list;
        list.setColumns("old,10");
        list.insertRow(0, "x");
        QCOMPARE(list.setColumns(spec), !titles.isEmpty());
        QCOMPARE(list.rowCount(), 0);
        QCOMPARE(list.columnCount(), titles.size());
        for (int c = 0; c < titles.size(); ++c) {
            QCOMPARE(list.columnTitle(c), titles[c]);
            QCOMPARE(list.reportModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
            QCOMPARE(list.horizontalHeader()->sectionSize(c), widths[c]);
            QCOMPARE(int(list.columnAlignment(c)), alignments[c]);
        }
        QCOMPARE(list.insertRow(0, "y"), titles.isEmpty() ? -1 : 0);
    }

    void comparison_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("numbers, not text") << "9"
                                           << "10" << -1;
        QTest::newRow("hexadecimal") << "FF"
                                     << "100" << -1;
        QTest::newRow("hex beats decimal") << "1A"
                                           << "20" << -1;
        QTest::newRow("long digit strings") << "1234567890123456789012"
                                            << "999999999999999999999" << 1;
        QTest::newRow("decimals") << "9.5"
                                  << "10" << -1;
        QTest::newRow("negative") << "-3"
                                  << "2.5" << -1;
        QTest::newRow("percentages") << "9%"
                                     << "10.5%" << -1;
        QTest::newRow("equal numbers") << "010"
                                       << "10" << 0;
        QTest::newRow("dates") << "2025-01-02"
                               << "2024-12-31" << 1;
        QTest::newRow("date and time") << "2024-05-01 9:05"
                                       << "2024-05-01 10:00:00" << -1;
        QTest::newRow("slashes") << "2024/5/1"
                                 << "2024-04-30" << 1;
        QTest::newRow("impossible date is text") << "2024-02-30"
                                                 << "2024-02-4" << -1;
        QTest::newRow("word and number as text") << "apple"
                                                 << "10" << 1;
        QTest::newRow("empty and number as text") << ""
                                                  << "5" << -1;
        QTest::newRow("two percent signs are text") << "5%%"
                                                    << "10" << 1;
        QTest::newRow("Chinese in pinyin order") << "张"
                                                 << "李" << 1;
    }

    void comparison()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        auto sign = [](int v) { return (v > 0) - (v < 0); };
        QCOMPARE(sign(zentra::ui::compareReportTexts(a, b)), order);
        QCOMPARE(sign(zentra::ui::compareReportTexts(b, a)), -order);
    }

    void headerClicksSortAndReverse()
    {
        auto list = shownList("选择,40; 值,80; 名称,80");
        fill(*list, {{"", "10", "b"}, {"", "9", "a"}, {"", "100", "c"}});
        QSignalSpy spy(list.get(), &CReportCtrl::sorted);

        clickHeader(*list, 1);
        QCOMPARE(column(*list, 1), QStringList({"9", "10", "100"}));
        clickHeader(*list, 1);
        QCOMPARE(column(*list, 1), QStringList({"100", "10", "9"}));
        clickHeader(*list, 2);
        QCOMPARE(column(*list, 2), QStringList({"a", "b", "c"}));
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy[0], QVariantList({1, true}));
        QCOMPARE(spy[1], QVariantList({1, false}));
        QCOMPARE(spy[2], QVariantList({2, true}));
        QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), 2);
    }

    void rowsCarryTheirStateWhenSorted()
    {
        auto list = shownList("选择,40; 值,80");
        fill(*list, {{"", "3"}, {"", "1"}, {"", "2"}});
        list->setChecked(0, true); // "3"
        list->setCellBackground(0, 1, Qt::yellow);
        list->setCellEditable(1, 1, true); // "1"
        list->selectRow(2);                // "2"

        list->sortRows(1, true);
        QCOMPARE(column(*list, 1), QStringList({"1", "2", "3"}));
        QCOMPARE(list->checkedRows(), QList<int>{2});
        QCOMPARE(list->cellBackground(2, 1), QColor(Qt::yellow));
        QCOMPARE(list->cellBackground(0, 1), list->palette().color(QPalette::Base));
        QVERIFY(list->isCellEditable(0, 1));
        QCOMPARE(list->selectedRows(), QList<int>{1});
        QCOMPARE(list->currentIndex().row(), 1);
    }

    void rowsFromASourceAreMadeWhenNeeded()
    {
        struct Source : zentra::ui::ReportRowSource {
            mutable int made = 0;
            void fill(std::size_t row, std::vector<QString> &texts) const override
            {
                ++made;
                texts[1] = QString::number(30 - int(row) * 10);
            }
        };
        auto list = shownList("选择,40; 值,80");
        auto source = std::make_shared<Source>();
        list->appendRows(source, 3);
        QCOMPARE(list->rowCount(), 3);
        list->sortRows(1, true);
        QCOMPARE(column(*list, 1), QStringList({"10", "20", "30"}));
        QCOMPARE(source->made, 3); // each row once
        list->insertColumn(1, QStringLiteral("新"));
        QCOMPARE(list->cellText(0, 2), QStringLiteral("10"));
        QVERIFY(list->setCellText(0, 2, QStringLiteral("x")));
        QCOMPARE(list->cellText(0, 2), QStringLiteral("x"));
    }

    void separatorRowsSplitTheSort()
    {
        auto list = shownList("选择,40; 值,80");
        fill(*list, {{"", "3"}, {"", "1"}, {"", "--"}, {"", "9"}, {"", "5"}, {"", "--"}, {"", "2"}});
        list->setSeparatorText(QStringLiteral("--"));
        list->sortRows(1, false);
        QCOMPARE(column(*list, 1), QStringList({"3", "1", "--", "9", "5", "--", "2"}));
        list->sortRows(1, true);
        QCOMPARE(column(*list, 1), QStringList({"1", "3", "--", "5", "9", "--", "2"}));
    }

    void onlyASelectColumnGivesCheckBoxes_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("boxes");
        QTest::newRow("print list") << "选择,40,1; 行号,60,1; 模板名称,150,0" << true;
        QTest::newRow("leading blank") << " 选择,40,1; 行号,40,1; 宝贝名称,110,0" << true;
        QTest::newRow("template list") << "行号,60,1; 模板名称(双击可选择模板),240,1" << false;
        QTest::newRow("user list") << "行号,60,1; 姓名,160,0; 最后登录时间,170,0" << false;
        QTest::newRow("select elsewhere") << "行号,60,1; 选择,40,1" << false;
    }

    void onlyASelectColumnGivesCheckBoxes()
    {
        QFETCH(QString, spec);
        QFETCH(bool, boxes);
        // A list that had check boxes before keeps none it has no column for.
        auto list = shownList(QStringLiteral("选择,40; 名称,80"));
        list->setColumns(spec);
        fill(*list, {{"1", "a"}, {"2", "b"}});
        QCOMPARE(list->checkBoxRect(0).isValid(), boxes);
        QCOMPARE(list->reportModel()->data(list->reportModel()->index(0, 0), Qt::CheckStateRole).isValid(), boxes);
        // A click where a box would be ticks nothing in a list without boxes.
        const QRect cell = list->visualRect(list->reportModel()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, boxes ? list->checkBoxRect(1).center()
                                                                       : QPoint(cell.left() + 8, cell.center().y()));
        QCOMPARE(list->checkedRows(), boxes ? QList<int>{1} : QList<int>{});
    }

    void checkBoxFollowsTheMouseNotTheSpaceKey()
    {
        auto list = shownList("选择,60; 名称,80");
        fill(*list, {{"", "a"}, {"", "b"}});
        QSignalSpy spy(list.get(), &CReportCtrl::checkChanged);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->checkBoxRect(1).center());
        QCOMPARE(list->checkedRows(), QList<int>{1});
        QCOMPARE(spy.size(), 1);

        // Focus on the check box's own cell, beside the box.
        const QRect cell0 = list->visualRect(list->reportModel()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(cell0.right() - 3, cell0.center().y()));
        QCOMPARE(list->currentIndex(), list->reportModel()->index(0, 0));
        QCOMPARE(list->checkedRows(), QList<int>{1});
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(list->checkedRows(), QList<int>{1});

        list->setAllChecked(true);
        QCOMPARE(list->checkedRows(), QList<int>({0, 1}));
    }

    void tabLeavesTheListWhenNotEditing()
    {
        QWidget window;
        auto *list = new CReportCtrl(&window);
        auto *next = new QLineEdit(&window);
        next->move(0, 250);
        list->resize(400, 240);
        list->setColumns("选择,40; 名称,80; 数量,80");
        fill(*list, {{"", "a", "1"}, {"", "b", "2"}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list->setFocus();
        list->setCurrentIndex(list->reportModel()->index(0, 1));
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
        QCOMPARE(list->currentIndex(), list->reportModel()->index(0, 1));
    }

    void mouseStartsEditingOnlyOnAFocusedRow()
    {
        auto list = shownList("选择,60; 名称,100; 数量,80");
        fill(*list, {{"", "a", "1"}, {"", "b", "2"}});
        list->setCellEditable(1, 2, true);
        list->setCellEditable(1, 0, true);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCenter(*list, 1, 2));
        QVERIFY(!list->isEditing()); // first click selects the row
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCenter(*list, 1, 1));
        QVERIFY(!list->isEditing()); // not an editable cell
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->checkBoxRect(1).center());
        QVERIFY(!list->isEditing()); // ticking the box is no edit
        QCOMPARE(list->checkedRows(), QList<int>{1});
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCenter(*list, 1, 2));
        auto *editor = list->findChild<QLineEdit *>("reportCellEditor");
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->selectedText(), QString("2"));
    }

    void editingKeys()
    {
        auto list = shownList("选择,60; 名称,100; 数量,80");
        fill(*list, {{"", "a", "1"}, {"", "b", "2"}, {"", "c", "3"}});
        for (int r = 0; r < 3; ++r)
            list->setCellEditable(r, 2, true);
        list->setCellEditable(0, 1, true);
        list->sortRows(1, true);
        QSignalSpy edited(list.get(), &CReportCtrl::cellEdited);

        // Enter keeps the text, resets the sort state and tells the owner.
        QVERIFY(list->editCell(1, 2));
        QTest::keyClicks(list->cellEditor(), "20");
        QTest::keyClick(list->cellEditor(), Qt::Key_Return);
        QVERIFY(!list->isEditing());
        QCOMPARE(list->cellText(1, 2), QString("20"));
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edited[0], QVariantList({1, 2}));
        QCOMPARE(list->sortColumn(), -1);
        QVERIFY(list->isSortAscending());
        QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), -1);

        // Esc drops it.
        QVERIFY(list->editCell(1, 2));
        QTest::keyClicks(list->cellEditor(), "99");
        QTest::keyClick(list->cellEditor(), Qt::Key_Escape);
        QCOMPARE(list->cellText(1, 2), QString("20"));
        QCOMPARE(edited.size(), 1);

        // Down and Up commit and go on in the same column.
        QVERIFY(list->editCell(0, 2));
        QTest::keyClicks(list->cellEditor(), "10");
        QTest::keyClick(list->cellEditor(), Qt::Key_Down);
        QCOMPARE(list->cellText(0, 2), QString("10"));
        QCOMPARE(list->editRow(), 1);
        QCOMPARE(list->currentIndex().row(), 1);
        QTest::keyClick(list->cellEditor(), Qt::Key_Down);
        QTest::keyClick(list->cellEditor(), Qt::Key_Up);
        QCOMPARE(list->editRow(), 1);
        QCOMPARE(edited.size(), 2); // unchanged texts are no edit

        // Tab goes to the next column, after the last one to column 0.
        QTest::keyClick(list->cellEditor(), Qt::Key_Up);
        QCOMPARE(list->editRow(), 0);
        QTest::keyClick(list->cellEditor(), Qt::Key_Tab);
        QVERIFY(!list->isEditing()); // column 0 of row 0 is not editable
        QCOMPARE(list->currentIndex().column(), 0);
        QVERIFY(list->editCell(0, 1));
        QTest::keyClicks(list->cellEditor(), "x");
        QTest::keyClick(list->cellEditor(), Qt::Key_Tab);
        QCOMPARE(list->cellText(0, 1), QString("x"));
        QCOMPARE(list->editColumn(), 2);
    }

    void clickingElsewhereCommitsTheEdit()
    {
        auto list = shownList("选择,60; 名称,100");
        fill(*list, {{"", "a"}, {"", "b"}});
        list->setCellEditable(0, 1, true);
        QVERIFY(list->editCell(0, 1));
        QTest::keyClicks(list->cellEditor(), "z");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCenter(*list, 1, 1));
        QVERIFY(!list->isEditing());
        QCOMPARE(list->cellText(0, 1), QString("z"));
    }

    void linkCellsOpenThroughTheOpener()
    {
        auto list = shownList("选择,40; 链接,200,0");
        fill(*list, {{"", "订单"}, {"", "x"}});
        list->setCellLink(0, 1, "https://example.com/order?id=1");
        QStringList opened;
        list->setLinkOpener([&](const QString &t) { opened << t; });

        const QRect text = list->cellTextRect(0, 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(text.right() + 40, text.center().y()));
        QVERIFY(opened.isEmpty()); // beside the text
        QCOMPARE(list->reportModel()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QVERIFY(list->reportModel()->index(0, 1).data(Qt::FontRole).value<QFont>().underline());

        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, text.center());
        QCOMPARE(opened, QStringList{"https://example.com/order?id=1"});
        QVERIFY(list->isLinkOpened(0, 1));
        QCOMPARE(list->reportModel()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCenter(*list, 1, 1));
        QCOMPARE(opened.size(), 1); // an ordinary cell

        // A double click (press, release, double click, release) opens the target once.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, text.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, text.center());
        QCOMPARE(opened.size(), 2);
    }

    void ownerOperations()
    {
        CReportCtrl list;
        QCOMPARE(list.insertRow(0, "x"), -1); // no columns yet
        list.setColumns("选择,40; 行号,60; 名称,80");
        QCOMPARE(list.insertRow(5, "a"), 0);
        QCOMPARE(list.insertRow(0, "b"), 0);
        QCOMPARE(list.insertRow(1, "c"), 1);
        QCOMPARE(column(list, 0), QStringList({"b", "c", "a"}));
        QVERIFY(list.setCellText(2, 2, "名"));
        QVERIFY(!list.setCellText(3, 0, "no such row"));
        QVERIFY(!list.setCellText(0, 3, "no such column"));
        list.setChecked(2, true);
        QVERIFY(list.deleteRow(0));
        QVERIFY(!list.deleteRow(7));
        QCOMPARE(list.checkedRows(), QList<int>{1});
        QCOMPARE(list.cellText(1, 2), QString("名"));

        list.setCellTextColor(1, 2, Qt::red);
        list.setCellTooltip(1, 2, "提示");
        QCOMPARE(list.insertColumn(1, "新", 50), 1);
        QCOMPARE(list.cellText(1, 3), QString("名"));
        QCOMPARE(list.cellTextColor(1, 3), QColor(Qt::red));
        QCOMPARE(list.cellTooltip(1, 3), QString("提示"));
        QCOMPARE(list.cellTextColor(1, 1), list.palette().color(QPalette::Text));
        QCOMPARE(list.cellText(1, 1), QString());

        list.selectAll();
        QCOMPARE(list.selectedRows(), QList<int>({0, 1}));
        list.deleteAllRows();
        QCOMPARE(list.rowCount(), 0);
        QCOMPARE(list.columnCount(), 4);
    }
};

QTEST_MAIN(CReportCtrlTest)
#include "CReportCtrl_test.moc"
