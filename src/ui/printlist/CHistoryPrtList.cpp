#include "ui/printlist/CHistoryPrtList.h"

#include "core/config/AppState.h"
#include "core/data/DbConnection.h"
#include "core/waybill/PrintListStore.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/WaybillGrid.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <set>

namespace zentra::ui {
namespace {

const QString kDeleteCaption = QStringLiteral("历史单据 - 删除");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
constexpr int kCustom = static_cast<int>(HistoryPeriod::Custom);

}

CHistoryPrtList::CHistoryPrtList(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &canvas,
                                 Clock clock, QWidget *parent)
    : QDialog(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs), canvas_(canvas),
      clock_(clock ? std::move(clock) : Clock([] { return std::time(nullptr); }))
{
    setObjectName(QStringLiteral("CHistoryPrtList"));
    setWindowTitle(QStringLiteral("历史快递单查询"));
    resize(1000, 600);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    layout->addLayout(top);

    using waybillgrid::addCommand;
    auto *actions = new QGroupBox(QStringLiteral("操作"), this);
    auto *al = new QHBoxLayout(actions);
    addCommand(*this, *al, QStringLiteral("全选(A)"), "selectAllButton", "Ctrl+A", [this] { selectAll(); });
    addCommand(*this, *al, QStringLiteral("全不选(W)"), "selectNoneButton", "Ctrl+W", [this] { selectNone(); });
    addCommand(*this, *al, QStringLiteral("删除勾选(D)"), "deleteTickedButton", "Ctrl+D", [this] { deleteTicked(); });
    addCommand(*this, *al, QStringLiteral("全部删除(B)"), "deleteAllButton", "Ctrl+B", [this] { deleteAll(); });
    addCommand(*this, *al, QStringLiteral("打开单据(O)"), "openButton", "Ctrl+O", [this] { openSelected(); });
    top->addWidget(actions);

    // The search text and "查询(F)" above the period: the box has the room
    // of the print list's, for a phone number and an address.
    auto *find = new QGroupBox(QStringLiteral("查询"), this);
    auto *fl = new QVBoxLayout(find);
    auto *textRow = new QHBoxLayout;
    auto *periodRow = new QHBoxLayout;
    fl->addLayout(textRow);
    fl->addLayout(periodRow);
    searchEdit_ = new QLineEdit(find);
    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    searchEdit_->setMinimumWidth(waybillgrid::searchBoxWidth(*searchEdit_));
    textRow->addWidget(searchEdit_, 1);
    addCommand(*this, *textRow, QStringLiteral("查询(F)"), "queryButton", "Ctrl+F", [this] { query(); });
    periodRow->addWidget(new QLabel(QStringLiteral("日期"), find));
    periods_ = new QComboBox(find);
    periods_->setObjectName(QStringLiteral("periodList"));
    for (const char *name : historyPeriodNames())
        periods_->addItem(QString::fromUtf8(name));
    periodRow->addWidget(periods_);
    from_ = new QDateTimeEdit(find);
    from_->setObjectName(QStringLiteral("fromPicker"));
    periodRow->addWidget(from_, 1);
    periodRow->addWidget(new QLabel(QStringLiteral("至"), find));
    to_ = new QDateTimeEdit(find);
    to_->setObjectName(QStringLiteral("toPicker"));
    periodRow->addWidget(to_, 1);
    for (QDateTimeEdit *e : {from_, to_}) {
        e->setDisplayFormat(kTimeFormat);
        e->setCalendarPopup(true);
    }
    top->addWidget(find, 1);

    grid_ = new CReportCtrl(this);
    grid_->setObjectName(QStringLiteral("grid"));
    waybillgrid::setUp(*grid_, 24);
    layout->addWidget(grid_, 1);

    const TimeRange opening = openingRange(clock_());
    setPickers(opening);
    DbConnection db;
    bool ok = db.open(folder_.databasePath());
    std::vector<WaybillRow> rows;
    if (ok)
        rows = readHistory(db, opening, {}, HistoryOrder::NewestFirst, &ok);
    showRows(rows, ok, db);
    // "近一月" is shown selected; the pickers keep the opening period until a
    // period is chosen.
    periods_->setCurrentIndex(static_cast<int>(HistoryPeriod::Month));

    connect(periods_, &QComboBox::activated, this, &CHistoryPrtList::choosePeriod);
    for (QDateTimeEdit *e : {from_, to_})
        connect(e, &QDateTimeEdit::dateTimeChanged, this, [this] { periods_->setCurrentIndex(kCustom); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            openRow(index.row());
    });
}

void CHistoryPrtList::setPickers(const TimeRange &range)
{
    const QSignalBlocker a(from_), b(to_);
    from_->setDateTime(QDateTime::fromString(QString::fromStdString(range.from), kTimeFormat));
    to_->setDateTime(QDateTime::fromString(QString::fromStdString(range.to), kTimeFormat));
}

TimeRange CHistoryPrtList::pickedRange() const
{
    return {from_->dateTime().toString(kTimeFormat).toStdString(), to_->dateTime().toString(kTimeFormat).toStdString()};
}

void CHistoryPrtList::choosePeriod(int index)
{
    if (index < 0 || index > kCustom)
        return;
    periods_->setCurrentIndex(index);
    if (const auto range = periodRange(static_cast<HistoryPeriod>(index), clock_()))
        setPickers(*range);
}

void CHistoryPrtList::showRows(const std::vector<WaybillRow> &rows, bool ok, DbConnection &db)
{
    if (!ok)
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
    waybillgrid::fill(*grid_, rows);
}

void CHistoryPrtList::query()
{
    DbConnection db;
    bool ok = db.open(folder_.databasePath());
    std::vector<WaybillRow> rows;
    if (ok)
        rows = readHistory(db, pickedRange(), searchEdit_->text().toStdString(), HistoryOrder::ByReceiver, &ok);
    showRows(rows, ok, db);
}

void CHistoryPrtList::selectAll()
{
    grid_->setAllChecked(true);
}

void CHistoryPrtList::selectNone()
{
    grid_->setAllChecked(false);
}

bool CHistoryPrtList::deleteIds(const std::vector<std::int64_t> &ids)
{
    DbConnection db;
    if (!db.open(folder_.databasePath()) || deleteWaybillRows(db, WaybillTable::PrintHistory, ids) < 0) {
        dialogs_.warn(this, QString::fromStdString(db.lastError()));
        return false;
    }
    return true;
}

void CHistoryPrtList::deleteTicked()
{
    const std::vector<std::int64_t> ids = waybillgrid::tickedIds(*grid_);
    if (ids.empty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要删除的历史单据"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的历史单据吗？"), kDeleteCaption))
        return;
    if (deleteIds(ids))
        waybillgrid::removeRows(*grid_, std::set<std::int64_t>(ids.begin(), ids.end()));
}

void CHistoryPrtList::deleteAll()
{
    if (!dialogs_.ask(this, QStringLiteral("您确认删除所有的历史单据吗？"), kDeleteCaption))
        return;
    // Only the rows listed, never the whole table.
    if (deleteIds(waybillgrid::allIds(*grid_)))
        grid_->deleteAllRows();
}

void CHistoryPrtList::openSelected()
{
    const QList<int> rows = grid_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("没有选择需要打开的历史单据"));
        return;
    }
    openRow(*std::min_element(rows.begin(), rows.end()));
}

void CHistoryPrtList::openRow(int row)
{
    if (row < 0 || row >= grid_->rowCount())
        return;
    waybillgrid::openOnCanvas(waybillgrid::rowAt(*grid_, row), canvas_, state_, folder_, dialogs_, this);
}

}
