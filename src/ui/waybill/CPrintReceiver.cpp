#include "ui/waybill/CPrintReceiver.h"

#include "core/config/AppState.h"
#include "core/masterdata/BookKind.h"
#include "core/waybill/ComposeStore.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/waybill/PageParts.h"
#include "ui/data/CReportCtrl.h"
#include "ui/masterdata/BookRowSource.h"
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
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace zentra::ui {
namespace {

const QString kReceiverGrid = QStringLiteral(
    "选择,40,1; 行号,40,1; 姓名,60,0;  类别,70,0;旺旺号,90,0; QQ号,80,0;手机,100,0; 固话,100,0; 省份,60,0; 城市,60,0; "
    "区镇,60,0;邮编,80,0; 公司,250,0;地址,160,0;备注,160,0; 自定义1,160,0;自定义2,160,0;自定义3,160,0;自定义4,160,0;"
    "收录日期,120,0;编号,120,0;拼音,60,0");

// The column behind each grid column from 2 on, without the prefix.
const char *const kColumns[] = {"name",  "class",    "ww",    "qq",      "mobile",  "phone", "province",
                                "city",  "district", "post",  "company", "address", "note",  "self1",
                                "self2", "self3",    "self4", "date",    "ID",      "namePY"};
constexpr int kColumnCount = int(sizeof kColumns / sizeof kColumns[0]);

std::string columnOf(Party party, int gridColumn)
{
    return std::string(party == Party::Receiver ? "r" : "s") + kColumns[gridColumn - 2];
}

std::vector<std::string> gridColumnsOf(Party party)
{
    std::vector<std::string> out;
    for (int c = 0; c < kColumnCount; ++c)
        out.push_back(columnOf(party, c + 2));
    return out;
}

QColor highlightColor()
{
    return QToolTip::palette().color(QPalette::ToolTipBase);
}

}

const PartyPageText &receiverPageText()
{
    static const PartyPageText t{Party::Receiver, QStringLiteral("收件人"), kReceiverGrid, true};
    return t;
}

const PartyPageText &senderPageText()
{
    static const PartyPageText t{
        Party::Sender, QStringLiteral("发件人"),
        QString(kReceiverGrid).replace(QStringLiteral("自定义4,160,0"), QStringLiteral("发件人签名,160,0")), false};
    return t;
}

CPrintReceiver::CPrintReceiver(const PartyPageText &text, ComposeSession &session, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), text_(text), session_(session), dialogs_(dialogs),
      book_(session.databasePath(), text.party == Party::Receiver ? receiverBook() : senderBook())
{
    setObjectName(text.party == Party::Receiver ? QStringLiteral("CPrintReceiver") : QStringLiteral("CPrintSender"));
    chooseClass = [this](const QStringList &classes) {
        return chooseBatchClass(QStringLiteral("批量修改-") + text_.who + QStringLiteral("类别"),
                                text_.party == Party::Receiver ? QStringLiteral("CReceiverClass")
                                                               : QStringLiteral("CSenderClass"),
                                classes, this);
    };

    const PageQuery q = makePageQuery(text.who + QStringLiteral("查询"), this);
    QGroupBox *group = q.group;
    classCombo_ = q.classCombo;
    searchEdit_ = q.searchEdit;
    QPushButton *find = q.findButton;

    auto *current = new QHBoxLayout;
    current->addWidget(new QLabel(QStringLiteral("当前") + text.who + QStringLiteral("："), this));
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("currentName"));
    nameEdit_->setReadOnly(true);
    current->addWidget(nameEdit_, 1);
    defaultBox_ = new QCheckBox(QStringLiteral("设为默认"), this);
    defaultBox_->setObjectName(QStringLiteral("defaultBox"));
    current->addWidget(defaultBox_);
    auto *add = new QPushButton(QStringLiteral("添加到打印列表"), this);
    add->setObjectName(QStringLiteral("addButton"));
    current->addWidget(add);

    grid_ = new CReportCtrl(this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setColumns(text.gridSpec);
    grid_->setItemHeight(24);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);

    // The grid keeps 10 pixels to the page's right and bottom edges.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, CPrintTemplate::kFreeRightBottom, CPrintTemplate::kFreeRightBottom);
    layout->addWidget(group);
    layout->addLayout(current);
    layout->addWidget(grid_, 1);

    connect(find, &QPushButton::clicked, this, &CPrintReceiver::search);
    connect(searchEdit_, &QLineEdit::returnPressed, this, &CPrintReceiver::search);
    connect(classCombo_, &QComboBox::currentIndexChanged, this, [this] { classFilter(); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            chooseRow(index.row());
    });
    connect(defaultBox_, &QCheckBox::clicked, this, &CPrintReceiver::defaultToggled);
    connect(add, &QPushButton::clicked, this, &CPrintReceiver::batchAdd);
    connect(grid_, &QWidget::customContextMenuRequested, this, &CPrintReceiver::showContextMenu);

    // The default entry of the last runs.
    PartyDefault &d = defaults();
    d = readPartyDefault(session_.config(), text_.party);
    if (d.locked) {
        currentId_ = QString::number(d.id);
        currentName_ = qs(d.name);
        defaultBox_->setChecked(true);
    }
    nameEdit_->setText(currentName_);
    fillClass(std::string());
    fillClasses();
}

PartyDefault &CPrintReceiver::defaults() const
{
    return text_.party == Party::Receiver ? session_.receiverDefault : session_.senderDefault;
}

void CPrintReceiver::fill(std::shared_ptr<BookRowSource> source)
{
    grid_->deleteAllRows();
    grid_->appendRows(source, source->size());
    if (!currentId_.isEmpty())
        setHighlight(source->rowOfId(currentId_.toLongLong()));
}

void CPrintReceiver::fill(DbRows rows)
{
    warnIfBusy(this, dialogs_, rows.ok, rows.error);
    fill(std::make_shared<BookResultRows>(std::move(rows), gridColumnsOf(text_.party), columnOf(text_.party, Id)));
}

void CPrintReceiver::fillClass(const std::string &className)
{
    bool ok = true;
    std::string error;
    std::vector<std::int64_t> ids = book_.listIds(className, &ok, &error);
    warnIfBusy(this, dialogs_, ok, error);
    fill(std::make_shared<BookPageRows>(book_, std::move(ids), gridColumnsOf(text_.party)));
}

void CPrintReceiver::fillClasses()
{
    fillClassCombo(classCombo_, book_.classes());
}

void CPrintReceiver::showBookChanges()
{
    fillClasses();
    search();
}

void CPrintReceiver::classFilter()
{
    fillClass(ss(classCombo_->currentText()));
}

void CPrintReceiver::search()
{
    if (searchEdit_->text().isEmpty())
        classFilter();
    else
        fill(searchBook(book_, ss(classCombo_->currentText()), ss(searchEdit_->text())));
}

int CPrintReceiver::highlightedRow() const
{
    const QColor c = highlightColor();
    for (int r = 0; r < grid_->rowCount(); ++r)
        if (grid_->reportModel()->cell(r, Name) && grid_->cellBackground(r, Name) == c)
            return r;
    return -1;
}

void CPrintReceiver::setHighlight(int row)
{
    for (int r = highlightedRow(); r >= 0; r = highlightedRow())
        grid_->setRowBackground(r, QColor());
    if (row >= 0)
        grid_->setRowBackground(row, highlightColor());
}

BookEntry CPrintReceiver::entryOfRow(int row) const
{
    BookEntry e;
    for (int c = Name; c < Name + kColumnCount; ++c)
        e[columnOf(text_.party, c)] = ss(grid_->cellText(row, c));
    return e;
}

BookEntry CPrintReceiver::keyOfRow(int row) const
{
    return {{columnOf(text_.party, Mobile), ss(grid_->cellText(row, Mobile))},
            {columnOf(text_.party, Address), ss(grid_->cellText(row, Address))}};
}

void CPrintReceiver::chooseRow(int row)
{
    if (row < 0 || row >= grid_->rowCount())
        return;
    session_.markChanged();
    const BookEntry entry = entryOfRow(row);
    session_.pull();
    if (text_.party == Party::Receiver)
        session_.draft().fillReceiver(entry);
    else
        session_.draft().fillSender(entry);
    session_.push();
    setHighlight(row);

    currentId_ = grid_->cellText(row, Id);
    currentName_ = grid_->cellText(row, Name);
    PartyDefault &d = defaults();
    d.id = currentId_.toLongLong();
    d.name = ss(currentName_);
    // The default is off for this run; config.ini keeps the stored one.
    d.locked = false;
    defaultBox_->setChecked(false);
    if (text_.recomputesFreight) {
        session_.receiverProvince = ss(grid_->cellText(row, Province));
        session_.recomputeGoods();
    }
    nameEdit_->setText(currentName_);
}

void CPrintReceiver::defaultToggled(bool on)
{
    PartyDefault &d = defaults();
    if (currentName_.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请先选择默认") + text_.who + QStringLiteral("！"));
        defaultBox_->setChecked(false);
        return;
    }
    d.locked = on;
    d.id = currentId_.toLongLong();
    d.name = ss(currentName_);
    writePartyDefault(session_.config(), text_.party, d);
}

void CPrintReceiver::fillDefault()
{
    const PartyDefault &d = defaults();
    if (!defaultBox_->isChecked() || !d.locked)
        return;
    DbConnection db;
    if (!db.open(session_.databasePath()))
        return;
    const std::optional<BookEntry> entry = findParty(db, text_.party, d.id);
    db.close();
    if (!entry)
        return;
    session_.pull();
    if (text_.party == Party::Receiver)
        session_.draft().fillReceiver(*entry);
    else
        session_.draft().fillSender(*entry);
    session_.push();
    // The goods are priced for the receiver the waybill shows (the new-waybill
    // steps work them out right after this).
    if (text_.recomputesFreight)
        session_.receiverProvince = entry->count("rprovince") ? entry->at("rprovince") : std::string();
}

void CPrintReceiver::showContextMenu(const QPoint &pos)
{
    if (grid_->selectedRows().isEmpty())
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("gridMenu"));
    connect(menu.addAction(QStringLiteral("删除")), &QAction::triggered, this, &CPrintReceiver::deleteSelected);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("全选")), &QAction::triggered, this, [this] { grid_->setAllChecked(true); });
    connect(menu.addAction(QStringLiteral("全不选")), &QAction::triggered, this,
            [this] { grid_->setAllChecked(false); });
    connect(menu.addAction(QStringLiteral("批量删除")), &QAction::triggered, this, &CPrintReceiver::batchDelete);
    connect(menu.addAction(QStringLiteral("批量改类别")), &QAction::triggered, this, &CPrintReceiver::batchClass);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("添加到打印列表")), &QAction::triggered, this, &CPrintReceiver::batchAdd);
    menu.exec(grid_->viewport()->mapToGlobal(pos));
}

void CPrintReceiver::deleteSelected()
{
    const QList<int> rows = grid_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("没有选择") + text_.who);
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的%1吗？").arg(text_.who),
                      text_.who + QStringLiteral(" - 删除")))
        return;
    const BookResult r = book_.remove(keyOfRow(rows.first()));
    if (!r.ok()) {
        dialogs_.warn(this, qs(r.message));
        return;
    }
    // Every entry with that mobile and address went: the list shows what is left.
    if (r.changed > 0)
        search();
}

void CPrintReceiver::batchDelete()
{
    const QList<int> rows = grid_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要删除的") + text_.who);
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认批量删除当前选中的%1吗？").arg(text_.who),
                      text_.who + QStringLiteral(" - 批量删除")))
        return;
    std::vector<BookEntry> keys;
    for (int row : rows)
        keys.push_back(keyOfRow(row));
    const MasterBook::BatchDelete r = book_.removeMany(keys);
    if (!r.result.ok()) {
        dialogs_.warn(this, qs(r.result.message));
        return;
    }
    search();
}

void CPrintReceiver::batchClass()
{
    const QList<int> rows = grid_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请先勾选需要修改类别的") + text_.who);
        return;
    }
    QStringList classes;
    for (const std::string &c : book_.classes())
        classes << qs(c);
    const std::optional<QString> chosen = chooseClass(classes);
    if (!chosen || chosen->isEmpty())
        return;
    std::vector<std::int64_t> ids;
    for (int row : rows)
        ids.push_back(grid_->cellText(row, Id).toLongLong());
    const BookResult r = book_.setClassById(ids, ss(*chosen));
    if (!r.ok()) {
        dialogs_.warn(this, qs(r.message));
        return;
    }
    fillClass(std::string());
}

void CPrintReceiver::batchAdd()
{
    const QList<int> rows = grid_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要添加的") + text_.who);
        return;
    }
    BatchAdd batch;
    batch.databasePath = session_.databasePath();
    batch.templateName = session_.state().currentTemplateName;
    batch.side = text_.party;
    for (int row : rows)
        batch.entries.push_back(entryOfRow(row));
    batch.other = text_.party == Party::Receiver ? session_.senderDefault : session_.receiverDefault;
    batch.cargoLock = session_.cargoLock;
    batch.now = nowText();
    const BatchAddResult r = addBatchToPrintList(batch, session_.config());
    if (!r.ok) {
        dialogs_.warn(this, QStringLiteral("添加失败！"));
        return;
    }
    if (session_.order.autoOrderNum)
        session_.order.orderNum = r.orderNum;
    if (session_.order.autoExpressNum)
        session_.order.expressNum = r.expressNum;
    session_.orderNumbersChanged();
    session_.pull();
    session_.draft().setOrderNumber(session_.order.orderNum);
    session_.draft().setExpressNumber(session_.order.expressNum);
    session_.push();
    dialogs_.inform(this, QStringLiteral("添加成功！"));
}

}
