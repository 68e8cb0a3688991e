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
#include <QThread>
#include <QVBoxLayout>

#include <map>

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
    std::map<std::int64_t, std::string> claimed;
    if (ok)
        rows = searchPrintList(db, text, &ok);
    if (ok)
        claimed = claimedRows(db, {}, &ok);
    if (!ok)
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
    // A row another station is printing says so in its number cell.
    std::vector<int> marked;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (const auto it = claimed.find(rows[i].printId()); it != claimed.end()) {
            rows[i].cell(WaybillRow::RowNumber) += " 打印中";
            marked.push_back(static_cast<int>(i));
        }
    std::vector<std::string> stations;
    for (int i : marked)
        stations.push_back(claimed[rows[static_cast<std::size_t>(i)].printId()]);
    waybillgrid::fill(*grid_, std::move(rows));
    for (std::size_t k = 0; k < marked.size(); ++k)
        grid_->setCellTooltip(marked[k], WaybillRow::RowNumber,
                              QStringLiteral("正在 %1 上打印").arg(QString::fromStdString(stations[k])));
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
    std::vector<std::int64_t> wanted;
    for (const WaybillRow *r : rowsToPrint(rows, mode))
        wanted.push_back(r->printId());

    // The rows are claimed first; what another station holds is left out.
    claim_ = PrintClaimJob::start();
    connectionLost_ = false;
    std::vector<std::int64_t> held;
    {
        DbConnection db;
        bool ok = db.open(folder_.databasePath());
        if (ok)
            held = claimRows(db, claim_, wanted, &ok);
        if (!ok) {
            dialogs_.warn(this, QString::fromStdString(db.lastError()));
            return;
        }
    }
    if (held.size() < wanted.size())
        dialogs_.warn(this, QStringLiteral("有 %1 张快递单正在其他电脑上打印，本次不打印。")
                                .arg(static_cast<qlonglong>(wanted.size() - held.size())));
    if (held.empty()) {
        reload(searchEdit_->text().toStdString());
        return;
    }
    const std::set<std::int64_t> mine(held.begin(), held.end());
    for (WaybillRow &r : rows)
        r.ticked = mine.count(r.printId()) > 0;

    progress_->start(static_cast<int>(held.size()));
    canvas_.printRows(
        2, std::move(rows), [this](const render::PrintJob &job, int) { afterPrint(job); },
        [this](int painted, int total) { return renewAfterPage() && progress_->pagePainted(painted, total); });
    progress_->hide();
    // Whatever was not printed (cancelled, failed, stopped) goes back to the list.
    releaseClaims();
    if (connectionLost_)
        dialogs_.warn(this, QStringLiteral("与数据库的连接已断开，打印在当前页之后停止；已打印的快递单已移入历史记录，"
                                           "其余的留在打印列表中。"));
    // Rows another station held, or a connection that went away: the grid
    // shows again what the table holds now. Otherwise the printed rows left
    // it and the others keep their ticks.
    if (connectionLost_ || held.size() < wanted.size())
        reload(searchEdit_->text().toStdString());
}

bool CPrintList::renewAfterPage()
{
    DbConnection db;
    if (db.open(folder_.databasePath()) && renewClaims(db, claim_))
        return true;
    if (db.lastFailure() != DbFailure::Lost)
        return true; // a busy moment: the claims last long enough
    connectionLost_ = true;
    return false;
}

void CPrintList::releaseClaims()
{
    DbConnection db;
    if (db.open(folder_.databasePath()))
        zentra::releaseClaims(db, claim_);
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
    // A connection that went away during the job is made again: the printed
    // rows must leave the list.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (db.open(folder_.databasePath()))
            moved = movePrintedRows(db, ids);
        else
            moved.complete = false;
        if (moved.complete || db.lastFailure() != DbFailure::Lost)
            break;
        QThread::msleep(1000);
    }
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
