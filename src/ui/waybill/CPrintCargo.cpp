#include "ui/waybill/CPrintCargo.h"

#include "core/masterdata/BookKind.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/ComposeStore.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/waybill/PageParts.h"
#include "ui/data/CReportCtrl.h"
#include "ui/masterdata/CDlgRevList.h"
#include "ui/waybill/ComposeSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {
namespace {

const char *const kColumns[] = {"cname",   "cclass",   "cshort",    "cbarcode", "cweight", "ccurNum", "cbotNum",
                                "ctopNum", "cpriceIn", "cpriceOut", "cpriceOn", "cnote",   "cargoID"};

QList<QStringList> gridRows(const DbRows &rows)
{
    QList<QStringList> out;
    out.reserve(static_cast<qsizetype>(rows.size()));
    int n = 0;
    for (const DbRow &r : rows) {
        QStringList texts{QString(), QString::number(++n)};
        for (const char *c : kColumns)
            texts << qs(r.text(c));
        out << texts;
    }
    return out;
}

}

CPrintCargo::CPrintCargo(ComposeSession &session, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), session_(session), dialogs_(dialogs), book_(session.databasePath(), cargoBook())
{
    setObjectName(QStringLiteral("CPrintCargo"));
    chooseClass = [this](const QStringList &classes) {
        return chooseBatchClass(QStringLiteral("批量修改-货品类别"), QStringLiteral("CCargoClass"), classes, this);
    };

    const PageQuery q = makePageQuery(QStringLiteral("货品查询"), this);
    QGroupBox *group = q.group;
    classCombo_ = q.classCombo;
    searchEdit_ = q.searchEdit;
    QPushButton *find = q.findButton;

    catalogue_ = new CReportCtrl(this);
    catalogue_->setObjectName(QStringLiteral("catalogue"));
    catalogue_->setColumns(QStringLiteral(" 选择,40,1; 行号,40,1; 宝贝名称,110,0;  类别,70,0; 简称,70,0;条码,90,0; "
                                          "重量,80,0;库存,100,0; 最低库存,100,0; 最高库存,60,0; 进货价格,60,0; "
                                          "销售价格,60,0;促销价格,80,0; 备注,250,0; 宝贝编号,120,0;"));
    selected_ = new CReportCtrl(this);
    selected_->setObjectName(QStringLiteral("selected"));
    selected_->setColumns(QStringLiteral(" 选择,40,1;行号,40,1; 宝贝名称,110,0;  类别,70,0; 简称,70,0;条码,90,0; "
                                         "重量,80,0;库存,100,0; 最低库存,100,0; 最高库存,60,0; 进货价格,60,0; "
                                         "销售价格,60,0;促销价格,80,0; 备注,250,0;宝贝编号,120,0;"));
    for (CReportCtrl *grid : {catalogue_, selected_}) {
        grid->setItemHeight(24);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    lockBox_ = new QCheckBox(QStringLiteral("设为默认"), this);
    lockBox_->setObjectName(QStringLiteral("lockBox"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, CPrintTemplate::kFreeRightBottom, CPrintTemplate::kFreeRightBottom);
    layout->addWidget(group);
    layout->addWidget(new QLabel(QStringLiteral("货品信息（双击添加货品）："), this));
    layout->addWidget(catalogue_, 1);
    auto *selectedHead = new QHBoxLayout;
    selectedHead->addWidget(new QLabel(QStringLiteral("已添加的货品（双击删除货品）："), this), 1);
    selectedHead->addWidget(lockBox_);
    layout->addLayout(selectedHead);
    layout->addWidget(selected_, 1);

    connect(find, &QPushButton::clicked, this, &CPrintCargo::search);
    connect(searchEdit_, &QLineEdit::returnPressed, this, &CPrintCargo::search);
    connect(classCombo_, &QComboBox::currentIndexChanged, this, [this] { classFilter(); });
    connect(catalogue_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.isValid())
            addGoods(i.row());
    });
    connect(selected_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.isValid())
            removeGoods(i.row());
    });
    connect(lockBox_, &QCheckBox::clicked, this, &CPrintCargo::lockToggled);
    connect(catalogue_, &QWidget::customContextMenuRequested, this, &CPrintCargo::catalogueMenu);
    connect(selected_, &QWidget::customContextMenuRequested, this, &CPrintCargo::selectedMenu);

    fillClassCombo(classCombo_, book_.classes());
    fillCatalogue(book_.list());
    fillSelected();
    session_.cargoLock = readCargoLock(session_.config());
    lockBox_->setChecked(session_.cargoLock);
}

void CPrintCargo::fillCatalogue(const DbRows &rows)
{
    warnIfBusy(this, dialogs_, rows.ok, rows.error);
    catalogue_->deleteAllRows();
    catalogue_->appendRows(gridRows(rows));
}

void CPrintCargo::fillSelected()
{
    selected_->deleteAllRows();
    DbConnection db;
    if (db.open(session_.databasePath()))
        selected_->appendRows(gridRows(listSelectedGoods(db)));
}

void CPrintCargo::classFilter()
{
    DbConnection db;
    if (db.open(session_.databasePath()))
        fillCatalogue(goodsOfClassLike(db, ss(classCombo_->currentText())));
}

void CPrintCargo::search()
{
    fillCatalogue(searchBook(book_, ss(classCombo_->currentText()), ss(searchEdit_->text())));
}

void CPrintCargo::showBookChanges()
{
    fillClassCombo(classCombo_, book_.classes());
    if (searchEdit_->text().isEmpty())
        classFilter();
    else
        search();
}

void CPrintCargo::unlock()
{
    // Off for this run; config.ini keeps its value.
    lockBox_->setChecked(false);
    session_.cargoLock = false;
}

void CPrintCargo::addGoods(int row)
{
    if (row < 0 || row >= catalogue_->rowCount())
        return;
    session_.markChanged();
    DbConnection db;
    if (!db.open(session_.databasePath()))
        return;
    if (addSelectedGoods(db, catalogue_->cellText(row, Id).toLongLong()) == 1) {
        db.close();
        fillSelected();
        unlock();
    }
    session_.recomputeGoods();
}

void CPrintCargo::removeGoods(int row)
{
    if (row < 0 || row >= selected_->rowCount())
        return;
    session_.markChanged();
    DbConnection db;
    if (!db.open(session_.databasePath()))
        return;
    if (removeSelectedGoods(db, selected_->cellText(row, Id).toLongLong()) == 1) {
        db.close();
        fillSelected();
        unlock();
    }
    session_.recomputeGoods();
}

void CPrintCargo::clearGoods()
{
    if (!lockBox_->isChecked()) {
        DbConnection db;
        if (db.open(session_.databasePath()))
            clearSelectedGoods(db);
        db.close();
        fillSelected();
    }
    session_.recomputeGoods();
}

void CPrintCargo::lockToggled(bool on)
{
    writeCargoLock(session_.config(), on);
    session_.cargoLock = on;
}

void CPrintCargo::catalogueMenu(const QPoint &pos)
{
    if (catalogue_->selectedRows().isEmpty())
        return;
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("删除")), &QAction::triggered, this, &CPrintCargo::deleteCatalogueSelected);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("全选")), &QAction::triggered, this,
            [this] { catalogue_->setAllChecked(true); });
    connect(menu.addAction(QStringLiteral("全不选")), &QAction::triggered, this,
            [this] { catalogue_->setAllChecked(false); });
    connect(menu.addAction(QStringLiteral("批量删除")), &QAction::triggered, this, &CPrintCargo::batchDeleteCatalogue);
    connect(menu.addAction(QStringLiteral("批量改类别")), &QAction::triggered, this, &CPrintCargo::batchClassCatalogue);
    menu.exec(catalogue_->viewport()->mapToGlobal(pos));
}

void CPrintCargo::selectedMenu(const QPoint &pos)
{
    if (selected_->selectedRows().isEmpty())
        return;
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("删除")), &QAction::triggered, this, &CPrintCargo::deleteSelectedGoods);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("全选")), &QAction::triggered, this,
            [this] { selected_->setAllChecked(true); });
    connect(menu.addAction(QStringLiteral("全不选")), &QAction::triggered, this,
            [this] { selected_->setAllChecked(false); });
    connect(menu.addAction(QStringLiteral("批量删除")), &QAction::triggered, this,
            &CPrintCargo::batchDeleteSelectedGoods);
    menu.exec(selected_->viewport()->mapToGlobal(pos));
}

void CPrintCargo::deleteCatalogueSelected()
{
    const QList<int> rows = catalogue_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("没有选择货品"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的货品吗？"), QStringLiteral("货品 - 删除")))
        return;
    const BookResult r = book_.remove({{"cname", ss(catalogue_->cellText(rows.first(), Name))}});
    if (!r.ok())
        dialogs_.warn(this, qs(r.message));
    else if (r.changed > 0)
        search();
}

void CPrintCargo::batchDeleteCatalogue()
{
    const QList<int> rows = catalogue_->checkedRows();
    if (rows.isEmpty())
        return;
    if (!dialogs_.ask(this, QStringLiteral("您确认批量删除当前选中的货品吗？"), QStringLiteral("货品 - 批量删除")))
        return;
    std::vector<BookEntry> keys;
    for (int row : rows)
        keys.push_back({{"cname", ss(catalogue_->cellText(row, Name))}});
    const MasterBook::BatchDelete r = book_.removeMany(keys);
    if (!r.result.ok())
        dialogs_.warn(this, qs(r.result.message));
    else
        search();
}

void CPrintCargo::batchClassCatalogue()
{
    const QList<int> rows = catalogue_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请先勾选需要修改类别的货品"));
        return;
    }
    QStringList classes;
    for (const std::string &c : book_.classes())
        classes << qs(c);
    const std::optional<QString> chosen = chooseClass(classes);
    if (!chosen || chosen->isEmpty())
        return;
    std::vector<std::string> names;
    for (int row : rows)
        names.push_back(ss(catalogue_->cellText(row, Name)));
    const BookResult r = book_.setClassByName(names, ss(*chosen));
    if (!r.ok()) {
        dialogs_.warn(this, qs(r.message));
        return;
    }
    fillCatalogue(book_.list());
}

void CPrintCargo::deleteSelectedGoods()
{
    const QList<int> rows = selected_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("没有选择货品"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的货品吗？"), QStringLiteral("货品 - 删除")))
        return;
    DbConnection db;
    if (!db.open(session_.databasePath()))
        return;
    removeSelectedGoods(db, selected_->cellText(rows.first(), Id).toLongLong());
    db.close();
    fillSelected();
    session_.recomputeGoods();
}

void CPrintCargo::batchDeleteSelectedGoods()
{
    const QList<int> rows = selected_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要删除的宝贝"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的宝贝吗？"), QStringLiteral("已添加的宝贝 - 删除")))
        return;
    DbConnection db;
    if (!db.open(session_.databasePath()))
        return;
    std::vector<std::int64_t> ids;
    for (int row : rows)
        ids.push_back(selected_->cellText(row, Id).toLongLong());
    if (removeSelectedGoods(db, ids) < 0)
        dialogs_.warn(this, qs(db.lastError()));
    db.close();
    fillSelected();
    session_.recomputeGoods();
}

}
