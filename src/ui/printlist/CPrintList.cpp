#include "ui/printlist/CPrintList.h"

#include "core/config/AppState.h"
#include "core/data/DbConnection.h"
#include "core/waybill/PrintListStore.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/CPrintProgress.h"
#include "ui/printlist/WaybillGrid.h"
#include "ui/waybill/CQuorvelView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <set>

namespace zentra::ui {
namespace {

const QString kDeleteCaption = QStringLiteral("打印列表 - 删除");

}

CPrintList::CPrintList(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &canvas, QWidget *parent)
    : QDialog(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs), canvas_(canvas)
{
    setObjectName(QStringLiteral("CPrintList"));
    setWindowTitle(QStringLiteral("批量打印"));
    resize(1000, 600);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    layout->addLayout(top);

    auto *actions = new QGroupBox(QStringLiteral("打印操作"), this);
    auto *al = new QHBoxLayout(actions);
    using waybillgrid::addCommand;
    addCommand(*this, *al, QStringLiteral("全选(A)"), "selectAllButton", "Ctrl+A", [this] { selectAll(); });
    addCommand(*this, *al, QStringLiteral("全不选(W)"), "selectNoneButton", "Ctrl+W", [this] { selectNone(); });
    addCommand(*this, *al, QStringLiteral("删除勾选(D)"), "deleteTickedButton", "Ctrl+D", [this] { deleteTicked(); });
    addCommand(*this, *al, QStringLiteral("全部删除(B)"), "deleteAllButton", "Ctrl+B", [this] { deleteAll(); });
    addCommand(*this, *al, QStringLiteral("打印勾选(J)"), "printTickedButton", "Ctrl+J", [this] { printTicked(); });
    addCommand(*this, *al, QStringLiteral("全部打印(K)"), "printAllButton", "Ctrl+K", [this] { printAll(); });
    top->addWidget(actions);

    auto *find = new QGroupBox(QStringLiteral("打印列表搜索"), this);
    auto *fl = new QHBoxLayout(find);
    searchEdit_ = new QLineEdit(find);
    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    searchEdit_->setMinimumWidth(waybillgrid::searchBoxWidth(*searchEdit_));
    fl->addWidget(searchEdit_);
    addCommand(*this, *fl, QStringLiteral("查找(F)"), "searchButton", "Ctrl+F", [this] { search(); });
    top->addWidget(find, 1);

    grid_ = new CReportCtrl(this);
    grid_->setObjectName(QStringLiteral("grid"));
    waybillgrid::setUp(*grid_, 25);
    layout->addWidget(grid_, 1);

    progress_ = new CPrintProgress(this);

    // Only the express number is edited in place. The cell becomes editable
    // when its row is the current one, so a long list carries no per-row
    // marks.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            grid_->setCellEditable(current.row(), WaybillRow::ExpressNo, true);
    });
    connect(grid_, &CReportCtrl::cellEdited, this, &CPrintList::storeExpressNo);
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            openRow(index.row());
    });

    reload({});
}

void CPrintList::reload(const std::string &text)
{
    DbConnection db;
    bool ok = db.open(folder_.databasePath());
    std::vector<WaybillRow> rows;
    if (ok)
        rows = searchPrintList(db, text, &ok);
    if (!ok)
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
    waybillgrid::fill(*grid_, std::move(rows));
}

void CPrintList::selectAll()
{
    grid_->setAllChecked(true);
}

void CPrintList::selectNone()
{
    grid_->setAllChecked(false);
}

void CPrintList::deleteTicked()
{
    const std::vector<std::int64_t> ids = waybillgrid::tickedIds(*grid_);
    if (ids.empty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要删除的打印项"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的打印项吗？"), kDeleteCaption))
        return;
    DbConnection db;
    if (!db.open(folder_.databasePath()) || deleteWaybillRows(db, WaybillTable::PrintList, ids) < 0) {
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
        return;
    }
    waybillgrid::removeRows(*grid_, std::set<std::int64_t>(ids.begin(), ids.end()));
}

void CPrintList::deleteAll()
{
    if (!dialogs_.ask(this, QStringLiteral("您确认删除所有的打印项吗？"), kDeleteCaption))
        return;
    DbConnection db;
    if (!db.open(folder_.databasePath()) ||
        deleteWaybillRows(db, WaybillTable::PrintList, waybillgrid::allIds(*grid_)) < 0) {
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
        return;
    }
    grid_->deleteAllRows();
}

void CPrintList::printTicked()
{
    if (grid_->checkedRows().isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要的打印项"));
        return;
    }
    print(2);
}

void CPrintList::printAll()
{
    if (grid_->rowCount() > 0)
        print(3);
}

void CPrintList::print(int mode)
{
    grid_->endEdit(true);
    std::vector<WaybillRow> rows;
    rows.reserve(static_cast<std::size_t>(grid_->rowCount()));
    for (int r = 0; r < grid_->rowCount(); ++r)
        rows.push_back(waybillgrid::rowAt(*grid_, r));
    progress_->start(static_cast<int>(rowsToPrint(rows, mode).size()));
    canvas_.printRows(
        mode, std::move(rows), [this](const render::PrintJob &job, int) { afterPrint(job); },
        [this](int painted, int total) { return progress_->pagePainted(painted, total); });
    progress_->hide();
}

void CPrintList::afterPrint(const render::PrintJob &job)
{
    std::vector<std::int64_t> ids;
    for (const WaybillRow *r : job.printedRows())
        ids.push_back(r->printId());
    if (ids.empty())
        return;
    DbConnection db;
    MoveResult moved;
    if (db.open(folder_.databasePath()))
        moved = movePrintedRows(db, ids);
    else
        moved.complete = false;
    waybillgrid::removeRows(*grid_, std::set<std::int64_t>(moved.moved.begin(), moved.moved.end()));
    if (!moved.complete)
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
}

void CPrintList::storeExpressNo(int row, int column)
{
    DbConnection db;
    const std::int64_t id = waybillgrid::printIdAt(*grid_, row);
    if (!db.open(folder_.databasePath()) || !setExpressNo(db, id, grid_->cellText(row, column).toStdString())) {
        // A failed statement says why; a row deleted meanwhile just goes.
        if (!db.lastError().empty())
            dialogs_.warn(this, QString::fromStdString(db.lastError()));
        // The grid goes back to what the table holds.
        reload(searchEdit_->text().toStdString());
    }
}

void CPrintList::search()
{
    reload(searchEdit_->text().toStdString());
}

void CPrintList::openRow(int row)
{
    if (row < 0 || row >= grid_->rowCount())
        return;
    waybillgrid::openOnCanvas(waybillgrid::rowAt(*grid_, row), canvas_, state_, folder_, dialogs_, this);
}

}
