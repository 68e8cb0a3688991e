#include "ui/taobao/CTaoBao.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/taobao/OrderPage.h"
#include "core/taobao/TaobaoActions.h"
#include "ui/common/AcceleratorFilter.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/data/CReportCtrl.h"
#include "ui/taobao/BrowserCheck.h"
#include "ui/taobao/CBrowser.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace zentra::ui {
namespace {

const char *const kOrderSpec = "选择,40,1; 行号,50,1; 订单号,110,0; 订单状态,100,0; 买家昵称,110,0; 所在地区,90,0;"
                               "成交时间,120,0;商品总价,60,0; 运费,60,0; 实收款,60,0;收货地址,280,0;买家留言,180,0";
const char *const kGoodsSpec = " 行号,50,1; 订单号,110,0; 宝贝,220,0; 宝贝属性,130,0; 单价,60,0; 数量,60,0";
const char *const kTimeFormat = "yyyy-MM-dd HH:mm:ss";

QString caption()
{
    return QStringLiteral("淘宝订单");
}

}

CTaoBao::CTaoBao(const AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CTaoBao"));
    setWindowTitle(caption());
    resize(1100, 680);

    auto *ops = new QGroupBox(QStringLiteral("操作"), this);
    auto *ol = new QHBoxLayout(ops);
    QPushButton *browser = button(QStringLiteral("浏览器(L)"), "browserButton", nullptr);
    connect(browser, &QPushButton::clicked, this, [this] { openBrowser(); });
    ol->addWidget(browser);
    ol->addWidget(button(QStringLiteral("导入订单报表(O)"), "importOrdersButton", &CTaoBao::importOrders));
    ol->addWidget(button(QStringLiteral("全选(A)"), "selectAllButton", &CTaoBao::selectAll));
    ol->addWidget(button(QStringLiteral("全不选(W)"), "selectNoneButton", &CTaoBao::selectNone));
    ol->addWidget(button(QStringLiteral("删除(D)"), "deleteButton", &CTaoBao::deleteChecked));
    ol->addWidget(button(QStringLiteral("添加到收件人(R)"), "addReceiversButton", &CTaoBao::addReceivers));
    ol->addWidget(button(QStringLiteral("添加到打印列表(P)"), "addPrintListButton", &CTaoBao::addPrintList));
    ol->addStretch(1);

    auto *find = new QGroupBox(QStringLiteral("查询"), this);
    auto *fl = new QHBoxLayout(find);
    search_ = new QLineEdit(find);
    search_->setObjectName(QStringLiteral("searchEdit"));
    search_->setMinimumWidth(200);
    fl->addWidget(search_, 1);
    range_ = new QComboBox(find);
    range_->setObjectName(QStringLiteral("rangeCombo"));
    for (const std::string &r : orderRanges())
        range_->addItem(qs(r));
    fl->addWidget(range_);
    fl->addWidget(new QLabel(QStringLiteral("日期"), find));
    from_ = new QDateTimeEdit(find);
    from_->setObjectName(QStringLiteral("fromPicker"));
    from_->setDisplayFormat(QString::fromLatin1(kTimeFormat));
    from_->setCalendarPopup(true);
    fl->addWidget(from_);
    fl->addWidget(new QLabel(QStringLiteral("至"), find));
    to_ = new QDateTimeEdit(find);
    to_->setObjectName(QStringLiteral("toPicker"));
    to_->setDisplayFormat(QString::fromLatin1(kTimeFormat));
    to_->setCalendarPopup(true);
    fl->addWidget(to_);
    QPushButton *queryButton = button(QStringLiteral("查询(F)"), "queryButton", nullptr);
    connect(queryButton, &QPushButton::clicked, this, [this] { query(false); });
    fl->addWidget(queryButton);
    QPushButton *mergeButton = button(QStringLiteral("同址合并(M)"), "mergeButton", nullptr);
    connect(mergeButton, &QPushButton::clicked, this, [this] { query(true); });
    fl->addWidget(mergeButton);

    detail_ = new QGroupBox(QStringLiteral("订单信息"), this);
    detail_->setObjectName(QStringLiteral("detailGroup"));
    auto *dl = new QGridLayout(detail_);
    const char *labels[] = {"买家昵称", "所在地区", "订单编号", "成交时间", "收货地址", "买家留言"};
    const char *names[] = {"nickEdit", "regionEdit", "orderNumEdit", "tradeTimeEdit", "addressEdit", "noteEdit"};
    for (int i = 0; i < 6; ++i) {
        auto *e = new QLineEdit(detail_);
        e->setObjectName(QString::fromLatin1(names[i]));
        detailEdits_.push_back(e);
        const int row = i < 4 ? i / 2 : i - 2;
        const int col = i < 4 ? (i % 2) * 2 : 0;
        dl->addWidget(new QLabel(QString::fromUtf8(labels[i]), detail_), row, col);
        dl->addWidget(e, row, col + 1, 1, i < 4 ? 1 : 3);
    }
    auto *dbuttons = new QHBoxLayout;
    dbuttons->addWidget(button(QStringLiteral("导入宝贝报表(G)"), "importItemsButton", &CTaoBao::importItems));
    dbuttons->addWidget(button(QStringLiteral("保存收件人信息(E)"), "saveReceiverButton", &CTaoBao::saveReceiver));
    dbuttons->addWidget(button(QStringLiteral("保存宝贝信息(G)"), "saveGoodsButton", &CTaoBao::saveGoods));
    dbuttons->addWidget(button(QStringLiteral("取消(H)"), "hideDetailButton", &CTaoBao::hideDetail));
    dl->addLayout(dbuttons, 4, 0, 1, 4);
    goods_ = new CReportCtrl(detail_);
    goods_->setObjectName(QStringLiteral("goodsList"));
    goods_->setCheckBoxes(false);
    goods_->setColumns(QString::fromUtf8(kGoodsSpec));
    goods_->setMinimumHeight(120);
    dl->addWidget(goods_, 0, 4, 5, 1);
    dl->setColumnStretch(4, 1);

    orders_ = new CReportCtrl(this);
    orders_->setObjectName(QStringLiteral("orderGrid"));
    orders_->setColumns(QString::fromUtf8(kOrderSpec));
    connect(orders_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            showDetail(index.row());
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ops);
    layout->addWidget(find);
    layout->addWidget(detail_);
    layout->addWidget(orders_, 1);

    // The accelerator table.
    const std::pair<const char *, const char *> keys[] = {
        {"Ctrl+A", "selectAllButton"},    {"Ctrl+H", "hideDetailButton"}, {"Ctrl+R", "addReceiversButton"},
        {"Ctrl+L", "browserButton"},      {"Ctrl+D", "deleteButton"},     {"Ctrl+E", "saveReceiverButton"},
        {"Ctrl+F", "queryButton"},        {"Ctrl+M", "mergeButton"},      {"Ctrl+W", "selectNoneButton"},
        {"Ctrl+P", "addPrintListButton"}, {"Ctrl+G", "saveGoodsButton"},
    };
    QList<QKeySequence> sequences;
    for (const auto &[key, name] : keys) {
        auto *b = findChild<QPushButton *>(QString::fromLatin1(name));
        auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
        connect(sc, &QShortcut::activated, b, [b] {
            if (b->isEnabled() && b->isVisible())
                b->click();
        });
        sequences << QKeySequence(QString::fromLatin1(key));
    }
    auto *close = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this);
    connect(close, &QShortcut::activated, this, &QDialog::reject);
    sequences << QKeySequence(QStringLiteral("Ctrl+Q"));
    AcceleratorFilter::install(this, sequences);

    // The month so far, until a range is chosen, and the range box names it;
    // the list stays empty until a query.
    const QDateTime now = QDateTime::currentDateTime();
    setPeriod(QDateTime(QDate(now.date().year(), now.date().month(), 1), QTime(0, 0)).toString(kTimeFormat),
              QDateTime(now.date(), QTime(23, 59, 59)).toString(kTimeFormat));
    range_->setCurrentIndex(range_->findText(QStringLiteral("本月")));
    connect(range_, &QComboBox::activated, this, &CTaoBao::rangeChosen);
    connect(from_, &QDateTimeEdit::dateTimeChanged, this, &CTaoBao::pickerChanged);
    connect(to_, &QDateTimeEdit::dateTimeChanged, this, &CTaoBao::pickerChanged);
    detail_->hide();
    if (state_.tbBrowserOpen)
        QTimer::singleShot(0, this, [this] { openBrowser(); });
}

CBrowser *CTaoBao::openBrowser()
{
    if (!browser_) {
        // The browser engine ends the whole process when it cannot start;
        // what it would stumble on is found out first and told instead.
        const QString problem = browserProblem ? browserProblem() : QString();
        if (!problem.isEmpty()) {
            dialogs_.warn(this, problem, QStringLiteral("浏览器"));
            return nullptr;
        }
        browser_ = new CBrowser(OrderPageSettings::read(ConfigFile(folder_.configPath())),
                                QString::fromStdString(folder_.root() + "/browser"), dialogs_, this);
        browser_->onOrderRead = [this](const PageOrder &order) { addPageOrder(order); };
    }
    browser_->show();
    QRect r = browser_->frameGeometry();
    r.moveCenter(frameGeometry().center());
    browser_->move(r.topLeft());
    browser_->raise();
    browser_->activateWindow();
    return browser_;
}

void CTaoBao::addPageOrder(const PageOrder &page)
{
    const TbOrder &o = page.order;
    const std::string *values[] = {&o.nickName, &o.proCity, &o.orderNum, &o.tradeTime, &o.addressInfo, &o.sNote};
    for (std::size_t i = 0; i < detailEdits_.size(); ++i)
        detailEdits_[i]->setText(qs(*values[i]));
    fillGoods(page.items);
    detail_->show();

    bool listed = false;
    for (int row = 0; row < orders_->rowCount() && !listed; ++row)
        if (orders_->cellText(row, 2) == qs(o.orderNum)) {
            orders_->setCellText(row, 3, qs(o.status));
            listed = true;
        }
    if (!listed)
        orders_->appendRow({QString(), QString::number(orders_->rowCount() + 1), qs(o.orderNum), qs(o.status),
                            qs(o.nickName), qs(o.proCity), qs(o.tradeTime), qs(o.orderPrice), qs(o.postFee),
                            qs(o.getMoney), qs(o.addressInfo), qs(o.sNote)});
    DbConnection db;
    if (!openDb(db))
        return;
    const StoreResult orders = storeOrders(db, {o});
    const StoreResult items = orders.ok ? storeItems(db, page.items) : orders;
    if (!items.ok)
        dialogs_.warn(this, qs(items.error), caption());
}

QPushButton *CTaoBao::button(const QString &label, const char *name, void (CTaoBao::*slot)())
{
    auto *b = new QPushButton(label, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    if (slot)
        connect(b, &QPushButton::clicked, this, slot);
    return b;
}

bool CTaoBao::isDetailShown() const
{
    return !detail_->isHidden();
}

bool CTaoBao::openDb(DbConnection &db)
{
    std::string error;
    if (!initDataFolder(folder_, &error) || !db.open(folder_.databasePath())) {
        dialogs_.warn(this, qs(error.empty() ? db.lastError() : error), caption());
        return false;
    }
    return true;
}

void CTaoBao::setPeriod(const QString &from, const QString &to)
{
    settingPeriod_ = true;
    from_->setDateTime(QDateTime::fromString(from, QString::fromLatin1(kTimeFormat)));
    to_->setDateTime(QDateTime::fromString(to, QString::fromLatin1(kTimeFormat)));
    settingPeriod_ = false;
}

void CTaoBao::rangeChosen(int index)
{
    if (auto bounds = orderRangeBounds(index, clock()))
        setPeriod(qs(bounds->first), qs(bounds->second));
}

void CTaoBao::pickerChanged()
{
    if (!settingPeriod_)
        range_->setCurrentIndex(range_->count() - 1); // "自定义"
}

void CTaoBao::fillOrders(const std::vector<TbOrder> &orders)
{
    orders_->deleteAllRows();
    QList<QStringList> rows;
    rows.reserve(static_cast<qsizetype>(orders.size()));
    int n = 0;
    for (const TbOrder &o : orders)
        rows.append({QString(), QString::number(++n), qs(o.orderNum), qs(o.status), qs(o.nickName), qs(o.proCity),
                     qs(o.tradeTime), qs(o.orderPrice), qs(o.postFee), qs(o.getMoney), qs(o.addressInfo),
                     qs(o.sNote)});
    orders_->appendRows(rows);
}

void CTaoBao::fillGoods(const std::vector<TbItem> &items)
{
    goods_->deleteAllRows();
    QList<QStringList> rows;
    int n = 0;
    for (const TbItem &i : items)
        rows.append({QString::number(++n), qs(i.orderNum), qs(i.item), qs(i.sku), qs(i.price), qs(i.num)});
    goods_->appendRows(rows);
}

TbOrder CTaoBao::orderOfRow(int row) const
{
    TbOrder o;
    std::string *fields[] = {&o.orderNum, &o.status,   &o.nickName,    &o.proCity, &o.tradeTime,
                             &o.orderPrice, &o.postFee, &o.getMoney,   &o.addressInfo, &o.sNote};
    for (int c = 0; c < 10; ++c)
        *fields[c] = ss(orders_->cellText(row, c + 2));
    return o;
}

std::vector<TbOrder> CTaoBao::checkedOrders() const
{
    std::vector<TbOrder> out;
    for (int row : orders_->checkedRows())
        out.push_back(orderOfRow(row));
    return out;
}

std::vector<TbItem> CTaoBao::listedItems() const
{
    std::vector<TbItem> out;
    for (int row = 0; row < goods_->rowCount(); ++row)
        out.push_back({ss(goods_->cellText(row, 1)), ss(goods_->cellText(row, 2)), ss(goods_->cellText(row, 3)),
                       ss(goods_->cellText(row, 4)), ss(goods_->cellText(row, 5))});
    return out;
}

QString CTaoBao::importPath(const QString &title)
{
    return dialogs_.openFile(this, title, QString::fromStdString(folder_.root()),
                             QStringLiteral("csv files(*.csv)"));
}

// Reads a report chosen in the file dialog into a list, then stores it.
template <typename Row, typename Fill>
void importReport(CTaoBao *dlg, Dialogs &dialogs, const QString &path,
                  ReportRead (*readReport)(const std::string &, std::vector<Row> &), Fill fill,
                  StoreResult (*store)(DbConnection &, const std::vector<Row> &), DbConnection &db, bool open)
{
    std::vector<Row> rows;
    const ReportRead read = readReport(ss(path), rows);
    if (!read.ok) {
        dialogs.warn(dlg, qs(read.message), caption());
        return;
    }
    fill(rows);
    if (open) {
        const StoreResult stored = store(db, rows);
        if (!stored.ok) {
            dialogs.warn(dlg, qs(stored.error), caption());
            return;
        }
    }
    // The records passed over, each with its line.
    if (!read.skipped.empty()) {
        QString text = QStringLiteral("跳过 %1 条：").arg(read.skipped.size());
        constexpr std::size_t kShown = 20;
        for (std::size_t i = 0; i < read.skipped.size() && i < kShown; ++i)
            text += QStringLiteral("\n第%1行：%2").arg(read.skipped[i].line).arg(qs(read.skipped[i].reason));
        if (read.skipped.size() > kShown)
            text += QStringLiteral("\n……");
        dialogs.warn(dlg, text, caption());
    }
}

void CTaoBao::importOrders()
{
    const QString path = importPath(QStringLiteral("导入订单报表"));
    if (path.isEmpty())
        return;
    DbConnection db;
    importReport<TbOrder>(this, dialogs_, path, readOrderReport, [this](const auto &rows) { fillOrders(rows); },
                          storeOrders, db, openDb(db));
}

void CTaoBao::importItems()
{
    const QString path = importPath(QStringLiteral("导入宝贝报表"));
    if (path.isEmpty())
        return;
    DbConnection db;
    importReport<TbItem>(this, dialogs_, path, readItemReport, [this](const auto &rows) { fillGoods(rows); },
                         storeItems, db, openDb(db));
}

void CTaoBao::query(bool merge)
{
    OrderQuery q;
    q.from = ss(from_->dateTime().toString(QString::fromLatin1(kTimeFormat)));
    q.to = ss(to_->dateTime().toString(QString::fromLatin1(kTimeFormat)));
    q.search = ss(search_->text());
    q.mergeByAddress = merge;
    DbConnection db;
    if (!openDb(db))
        return;
    std::vector<TbOrder> orders;
    if (!queryOrders(db, q, orders)) {
        dialogs_.warn(this, qs(db.lastError()), caption());
        return;
    }
    fillOrders(orders);
}

void CTaoBao::selectAll()
{
    orders_->setAllChecked(true);
}

void CTaoBao::selectNone()
{
    orders_->setAllChecked(false);
}

void CTaoBao::deleteChecked()
{
    QList<int> rows = orders_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要删除的订单"), caption());
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的订单吗？"), QStringLiteral("淘宝订单 - 删除")))
        return;
    DbConnection db;
    if (!openDb(db))
        return;
    // Each order goes with its items in one step; the list loses exactly the
    // orders that went, also when a failure stops the run.
    QList<int> deleted;
    for (int row : rows) {
        if (!deleteOrder(db, ss(orders_->cellText(row, 2)))) {
            dialogs_.warn(this, qs(db.lastError()), caption());
            break;
        }
        deleted.append(row);
    }
    std::sort(deleted.begin(), deleted.end(), std::greater<int>());
    for (int row : deleted)
        orders_->deleteRow(row);
}

void CTaoBao::addReceivers()
{
    const std::vector<TbOrder> orders = checkedOrders();
    if (orders.empty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要添加的订单"), caption());
        return;
    }
    const OrderBatchResult r =
        addOrderReceivers(folder_.databasePath(), orders, addressSplitOf(state_.tbRecognizeMethod), "淘宝订单");
    if (!r.ok) {
        dialogs_.warn(this, qs(r.error), caption());
        return;
    }
    showBatchOutcome(r, receiversAddedMessage(r));
}

void CTaoBao::addPrintList()
{
    const std::vector<TbOrder> orders = checkedOrders();
    if (orders.empty()) {
        dialogs_.warn(this, QStringLiteral("请勾选需要添加的订单"), caption());
        return;
    }
    OrderTransfer transfer = readOrderTransfer(ConfigFile(folder_.configPath()));
    if (!state_.currentTemplateName.empty())
        transfer.templateName = state_.currentTemplateName;
    transfer.computeFigures = state_.tbInfoSelf;
    transfer.method = addressSplitOf(state_.tbRecognizeMethod);
    const OrderBatchResult r = addOrdersToPrintList(folder_.databasePath(), orders, transfer);
    if (!r.ok) {
        dialogs_.warn(this, qs(r.error), caption());
        return;
    }
    showBatchOutcome(r, printListAddedMessage(r));
}

void CTaoBao::showBatchOutcome(const OrderBatchResult &r, const std::string &message)
{
    // Orders passed over are never silent: the user hears which and why.
    if (r.skippedOrders.empty())
        dialogs_.inform(this, qs(message), caption());
    else
        dialogs_.warn(this, qs(message), caption());
}

void CTaoBao::showDetail(int row)
{
    const TbOrder o = orderOfRow(row);
    const std::string *values[] = {&o.nickName, &o.proCity, &o.orderNum, &o.tradeTime, &o.addressInfo, &o.sNote};
    for (std::size_t i = 0; i < detailEdits_.size(); ++i)
        detailEdits_[i]->setText(qs(*values[i]));
    DbConnection db;
    if (!openDb(db))
        return;
    std::vector<TbItem> items;
    if (!orderItems(db, o.orderNum, items))
        dialogs_.warn(this, qs(db.lastError()), caption());
    fillGoods(items);
    detail_->show();
}

void CTaoBao::hideDetail()
{
    detail_->hide();
}

void CTaoBao::saveReceiver()
{
    TbOrder o;
    o.nickName = ss(detailEdits_[0]->text());
    o.proCity = ss(detailEdits_[1]->text());
    o.orderNum = ss(detailEdits_[2]->text());
    o.tradeTime = ss(detailEdits_[3]->text());
    o.addressInfo = ss(detailEdits_[4]->text());
    o.sNote = ss(detailEdits_[5]->text());
    if (o.addressInfo.empty()) {
        dialogs_.warn(this, QStringLiteral("无效收货地址！"), caption());
        return;
    }
    const OrderBatchResult r =
        addOrderReceivers(folder_.databasePath(), {o}, addressSplitOf(state_.tbRecognizeMethod), "");
    if (!r.ok) {
        dialogs_.warn(this, qs(r.error), caption());
        return;
    }
    if (r.inserted + r.updated == 0) {
        const QString why = r.skippedOrders.empty() ? QString() : QStringLiteral("\n") + qs(r.skippedOrders[0].reason);
        dialogs_.warn(this, QStringLiteral("无效收货地址！") + why, caption());
        return;
    }
    dialogs_.inform(this, QStringLiteral("该客户信息已经添加到收件人列表!"), caption());
}

void CTaoBao::saveGoods()
{
    const OrderBatchResult r = saveOrderGoods(folder_.databasePath(), listedItems());
    if (!r.ok) {
        dialogs_.warn(this, qs(r.error), caption());
        return;
    }
    dialogs_.inform(this, QStringLiteral("所有宝贝信息已经添加到货品列表!"), caption());
}

}
