#include "ui/waybill/CPrintOrderInfo.h"

#include "core/config/AppState.h"
#include "core/data/DbConnection.h"
#include "core/waybill/OrderCounter.h"
#include "core/waybill/ComposeStore.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/waybill/ComposeSession.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace zentra::ui {
namespace {

const char *const kTimeFormat = "yyyy-MM-dd HH:mm:ss";

QCheckBox *box(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = new QCheckBox(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QDateTimeEdit *picker(const char *name, QWidget *parent)
{
    auto *p = new QDateTimeEdit(QDateTime::currentDateTime(), parent);
    p->setObjectName(QLatin1String(name));
    p->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    return p;
}

// Sets a picker from code, which is no change by the user.
void setQuietly(QDateTimeEdit *p, const QDateTime &t)
{
    const QSignalBlocker block(p);
    p->setDateTime(t);
}

}

CPrintOrderInfo::CPrintOrderInfo(ComposeSession &session, QWidget *parent) : QWidget(parent), session_(session)
{
    setObjectName(QStringLiteral("CPrintOrderInfo"));
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);

    auto *numbers = new QGroupBox(QStringLiteral("订单设置"), this);
    auto *ng = new QGridLayout(numbers);
    orderEdit_ = new QLineEdit(numbers);
    orderEdit_->setObjectName(QStringLiteral("orderEdit"));
    orderEdit_->setValidator(digits);
    autoOrderBox_ = box(QStringLiteral("自动订单号"), "autoOrderBox", numbers);
    expressEdit_ = new QLineEdit(numbers);
    expressEdit_->setObjectName(QStringLiteral("expressEdit"));
    expressEdit_->setValidator(digits);
    autoExpressBox_ = box(QStringLiteral("自动快递号"), "autoExpressBox", numbers);
    ng->addWidget(new QLabel(QStringLiteral("订单号"), numbers), 0, 0);
    ng->addWidget(orderEdit_, 0, 1);
    ng->addWidget(autoOrderBox_, 0, 2);
    ng->addWidget(new QLabel(QStringLiteral("快递号"), numbers), 1, 0);
    ng->addWidget(expressEdit_, 1, 1);
    ng->addWidget(autoExpressBox_, 1, 2);

    auto *times = new QGroupBox(QStringLiteral("时间设置"), this);
    auto *tg = new QGridLayout(times);
    tradePicker_ = picker("tradePicker", times);
    tradeLockBox_ = box(QStringLiteral("固定此时间"), "tradeLockBox", times);
    printPicker_ = picker("printPicker", times);
    printLockBox_ = box(QStringLiteral("固定此时间"), "printLockBox", times);
    tg->addWidget(new QLabel(QStringLiteral("成交时间"), times), 0, 0);
    tg->addWidget(tradePicker_, 0, 1);
    tg->addWidget(tradeLockBox_, 0, 2);
    tg->addWidget(new QLabel(QStringLiteral("打印时间"), times), 1, 0);
    tg->addWidget(printPicker_, 1, 1);
    tg->addWidget(printLockBox_, 1, 2);

    auto *insured = new QGroupBox(QStringLiteral("保价设置"), this);
    auto *ig = new QGridLayout(insured);
    insuredEdit_ = new QLineEdit(insured);
    insuredEdit_->setObjectName(QStringLiteral("insuredEdit"));
    insuredLockBox_ = box(QStringLiteral("固定此金额"), "insuredLockBox", insured);
    ig->addWidget(new QLabel(QStringLiteral("保价金额"), insured), 0, 0);
    ig->addWidget(insuredEdit_, 0, 1);
    ig->addWidget(new QLabel(QStringLiteral("(单位：元）"), insured), 0, 2);
    ig->addWidget(insuredLockBox_, 0, 3);

    auto *printing = new QGroupBox(QStringLiteral("打印设置"), this);
    auto *pg = new QGridLayout(printing);
    auto button = [printing](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, printing);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QPushButton *newButton = button(QStringLiteral("新快递单(N)"), "newButton");
    QPushButton *defaultButton = button(QStringLiteral("模板默认文本(D)"), "defaultTextButton");
    QPushButton *printButton = button(QStringLiteral("打印本快递单(P)"), "printButton");
    QPushButton *addButton = button(QStringLiteral("添加到打印列表(L)"), "addButton");
    pg->addWidget(newButton, 0, 0);
    pg->addWidget(defaultButton, 0, 1);
    pg->addWidget(printButton, 1, 0);
    pg->addWidget(addButton, 1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, CPrintTemplate::kFreeRightBottom, CPrintTemplate::kFreeRightBottom);
    for (QWidget *w : {static_cast<QWidget *>(numbers), static_cast<QWidget *>(times), static_cast<QWidget *>(insured),
                       static_cast<QWidget *>(printing)})
        layout->addWidget(w);
    layout->addStretch(1);

    // The switches of the last runs.
    OrderLocks &o = session_.order;
    o = readOrderLocks(session_.config());
    // On a shared database the counted order number is the shop's.
    if (o.autoOrderNum)
        if (const auto shared = sharedOrderNumber())
            o.orderNum = *shared;
    autoOrderBox_->setChecked(o.autoOrderNum);
    autoExpressBox_->setChecked(o.autoExpressNum);
    const QDateTime trade = QDateTime::fromString(qs(o.tradeTime), QLatin1String(kTimeFormat));
    if (o.tradeTimeLock && trade.isValid())
        setQuietly(tradePicker_, trade);
    tradeLockBox_->setChecked(o.tradeTimeLock);
    const QDateTime print = QDateTime::fromString(qs(o.printTime), QLatin1String(kTimeFormat));
    if (o.printTimeLock && print.isValid())
        setQuietly(printPicker_, print);
    printLockBox_->setChecked(o.printTimeLock);
    insuredLockBox_->setChecked(o.protectMoneyLock);
    insuredEdit_->setText(qs(o.protectMoney));
    showNumbers();
    o.tradeTime = tradeText();
    o.printTime = printText();
    WaybillDraft &d = session_.draft();
    d.setTradeTime(o.tradeTime);
    d.setPrintTime(o.printTime);
    d.setInsuredAmount(o.protectMoney);
    session_.orderNumbersChanged = [this] { showNumbers(); };

    connect(autoOrderBox_, &QCheckBox::clicked, this, &CPrintOrderInfo::autoOrderToggled);
    connect(autoExpressBox_, &QCheckBox::clicked, this, &CPrintOrderInfo::autoExpressToggled);
    connect(orderEdit_, &QLineEdit::textEdited, this, &CPrintOrderInfo::orderEdited);
    connect(expressEdit_, &QLineEdit::textEdited, this, &CPrintOrderInfo::expressEdited);
    connect(tradeLockBox_, &QCheckBox::clicked, this, &CPrintOrderInfo::tradeLockToggled);
    connect(printLockBox_, &QCheckBox::clicked, this, &CPrintOrderInfo::printLockToggled);
    connect(insuredLockBox_, &QCheckBox::clicked, this, &CPrintOrderInfo::insuredLockToggled);
    connect(tradePicker_, &QDateTimeEdit::dateTimeChanged, this, &CPrintOrderInfo::tradeChanged);
    connect(printPicker_, &QDateTimeEdit::dateTimeChanged, this, &CPrintOrderInfo::printChanged);
    connect(insuredEdit_, &QLineEdit::textEdited, this, &CPrintOrderInfo::insuredEdited);
    connect(newButton, &QPushButton::clicked, this, &CPrintOrderInfo::newWaybill);
    connect(defaultButton, &QPushButton::clicked, this, &CPrintOrderInfo::templateDefaultText);
    connect(printButton, &QPushButton::clicked, this, [this] { printCommand(); });
    connect(addButton, &QPushButton::clicked, this, &CPrintOrderInfo::addToPrintList);

    clock_ = new QTimer(this);
    clock_->setInterval(10000);
    connect(clock_, &QTimer::timeout, this, &CPrintOrderInfo::clockTick);
    clock_->start();
}

std::string CPrintOrderInfo::tradeText() const
{
    return tradePicker_->dateTime().toString(QLatin1String(kTimeFormat)).toStdString();
}

std::string CPrintOrderInfo::printText() const
{
    return printPicker_->dateTime().toString(QLatin1String(kTimeFormat)).toStdString();
}

void CPrintOrderInfo::showNumbers()
{
    orderEdit_->setText(qs(session_.order.orderNum));
    expressEdit_->setText(qs(session_.order.expressNum));
}

void CPrintOrderInfo::autoOrderToggled(bool on)
{
    OrderLocks &o = session_.order;
    if (o.orderNum.empty()) {
        session_.dialogs().warn(this, QStringLiteral("请先输入订单号！"));
        autoOrderBox_->setChecked(false);
        return;
    }
    o.autoOrderNum = on;
    writeOrderNumberLock(session_.config(), on, o.orderNum);
}

void CPrintOrderInfo::autoExpressToggled(bool on)
{
    OrderLocks &o = session_.order;
    if (o.expressNum.empty()) {
        session_.dialogs().warn(this, QStringLiteral("请先输入快递号！"));
        autoExpressBox_->setChecked(false);
        return;
    }
    o.autoExpressNum = on;
    writeExpressNumberLock(session_.config(), on, o.expressNum);
}

void CPrintOrderInfo::orderEdited(const QString &text)
{
    OrderLocks &o = session_.order;
    o.orderNum = text.toStdString();
    session_.pull();
    if (session_.draft().has(40)) {
        session_.draft().setOrderNumber(o.orderNum);
        session_.push();
        session_.markChanged();
    }
    // A typed number is no longer counted on.
    o.autoOrderNum = false;
    autoOrderBox_->setChecked(false);
    writeUnlockedValue(session_.config(), OrderValue::OrderNumber, o.orderNum);
}

void CPrintOrderInfo::expressEdited(const QString &text)
{
    OrderLocks &o = session_.order;
    o.expressNum = text.toStdString();
    session_.pull();
    if (session_.draft().has(41)) {
        session_.draft().setExpressNumber(o.expressNum);
        session_.push();
        session_.markChanged();
    }
    o.autoExpressNum = false;
    autoExpressBox_->setChecked(false);
    writeUnlockedValue(session_.config(), OrderValue::ExpressNumber, o.expressNum);
}

void CPrintOrderInfo::tradeLockToggled(bool on)
{
    session_.order.tradeTimeLock = on;
    session_.order.tradeTime = tradeText();
    writeTradeTimeLock(session_.config(), on, session_.order.tradeTime);
}

void CPrintOrderInfo::printLockToggled(bool on)
{
    session_.order.printTimeLock = on;
    session_.order.printTime = printText();
    writePrintTimeLock(session_.config(), on, session_.order.printTime);
}

void CPrintOrderInfo::insuredLockToggled(bool on)
{
    OrderLocks &o = session_.order;
    if (o.protectMoney.empty()) {
        session_.dialogs().warn(this, QStringLiteral("请先输入保价金额！"));
        insuredLockBox_->setChecked(false);
        return;
    }
    o.protectMoneyLock = on;
    writeProtectMoneyLock(session_.config(), on, o.protectMoney);
}

void CPrintOrderInfo::tradeChanged()
{
    takeTradeTime();
    session_.markChanged();
}

void CPrintOrderInfo::takeTradeTime()
{
    OrderLocks &o = session_.order;
    o.tradeTime = tradeText();
    session_.pull();
    session_.draft().setTradeTime(o.tradeTime);
    session_.push();
    o.tradeTimeLock = false;
    tradeLockBox_->setChecked(false);
    writeUnlockedValue(session_.config(), OrderValue::TradeTime, o.tradeTime);
}

void CPrintOrderInfo::printChanged()
{
    takePrintTime();
    session_.markChanged();
}

void CPrintOrderInfo::takePrintTime()
{
    OrderLocks &o = session_.order;
    o.printTime = printText();
    session_.pull();
    session_.draft().setPrintTime(o.printTime);
    session_.push();
    o.printTimeLock = false;
    printLockBox_->setChecked(false);
    writeUnlockedValue(session_.config(), OrderValue::PrintTime, o.printTime);
}

void CPrintOrderInfo::insuredEdited(const QString &text)
{
    OrderLocks &o = session_.order;
    o.protectMoney = text.toStdString();
    session_.pull();
    session_.draft().setInsuredAmount(o.protectMoney);
    session_.push();
    session_.markChanged();
    o.protectMoneyLock = false;
    insuredLockBox_->setChecked(false);
    writeUnlockedValue(session_.config(), OrderValue::ProtectMoney, o.protectMoney);
}

void CPrintOrderInfo::clockTick()
{
    if (session_.state().designMode == 1)
        return;
    // The clock is no change of the user's: the waybill is not marked.
    if (!session_.order.tradeTimeLock) {
        setQuietly(tradePicker_, QDateTime::currentDateTime());
        takeTradeTime();
    }
    if (!session_.order.printTimeLock) {
        setQuietly(printPicker_, QDateTime::currentDateTime());
        takePrintTime();
    }
}

std::optional<std::string> CPrintOrderInfo::sharedOrderNumber() const
{
    const OrderCounter counter(session_.folder());
    if (!counter.shared())
        return std::nullopt;
    return counter.peek();
}

bool CPrintOrderInfo::takeSharedOrderNumber()
{
    OrderLocks &o = session_.order;
    const OrderCounter counter(session_.folder());
    if (!counter.shared() || !o.autoOrderNum)
        return true;
    std::string error;
    const auto number = counter.take(1, &error);
    if (!number) {
        session_.dialogs().warn(this, QString::fromStdString(error));
        return false;
    }
    // The waybill gets the number the shop's counter handed out, whatever
    // another station took meanwhile.
    o.orderNum = *number;
    orderEdit_->setText(qs(o.orderNum));
    session_.pull();
    if (session_.draft().has(40)) {
        session_.draft().setOrderNumber(o.orderNum);
        session_.push();
    }
    takenShared_ = true;
    return true;
}

void CPrintOrderInfo::showNextSharedOrderNumber()
{
    // The counter moved on when the number was taken.
    takenShared_ = false;
    if (const auto next = sharedOrderNumber()) {
        session_.order.orderNum = *next;
        orderEdit_->setText(qs(*next));
    }
}

void CPrintOrderInfo::resetItems()
{
    const OrderLocks &o = session_.order;
    WaybillDraft &d = session_.draft();
    session_.pull();
    d.setTradeTime(tradeText());
    d.setInsuredAmount(o.protectMoney);
    d.reset(o, o.orderNum, o.expressNum);
    session_.push();
}

void CPrintOrderInfo::newWaybill()
{
    resetItems();
    session_.markChanged();
    nextWaybill();
}

void CPrintOrderInfo::templateDefaultText()
{
    session_.markChanged();
    const OrderLocks &o = session_.order;
    WaybillDraft &d = session_.draft();
    session_.pull();
    d.setInsuredAmount(o.protectMoney);
    d.defaultTexts(o, o.orderNum, o.expressNum);
    session_.push();
    nextWaybill();
}

void CPrintOrderInfo::addToPrintList()
{
    // Without the database nothing is stored and the waybill stays as it is.
    if (DbConnection db; !db.open(session_.databasePath()))
        return;
    WaybillDraft &d = session_.draft();
    session_.pull();
    d.setTradeTime(tradeText());
    d.setPrintTime(printText());
    d.setInsuredAmount(session_.order.protectMoney);
    // The times and amount above are the values stored; the items keep what they show.
    session_.pull();
    AppState &state = session_.state();
    OrderLocks &o = session_.order;
    // A changed waybill takes its counted numbers from config.ini, where
    // another window or the command line may have counted on since this page
    // showed them; an unchanged one is stored as it shows and counts nothing.
    TakenNumbers taken;
    if (state.waybillModified && (o.autoOrderNum || o.autoExpressNum)) {
        taken = takeWaybillNumbers(session_.folder(), 1, o.autoOrderNum, o.autoExpressNum);
        if (!taken.orderNum.empty())
            d.setOrderNumber(taken.orderNum);
        if (!taken.expressNum.empty())
            d.setExpressNumber(taken.expressNum);
    }
    std::string error;
    if (storeWaybill(session_.databasePath(), WaybillTable::PrintList,
                     d.printListRow(session_.state().currentTemplateName), &error) > 0) {
        session_.dialogs().inform(this, QStringLiteral("添加成功！"));
    } else {
        returnNumbers(session_.config(), taken);
        taken = {};
    }

    if (state.waybillModified) {
        // The page shows the counters' next numbers (a number not stored was given back).
        if (!taken.orderNum.empty()) {
            o.orderNum = taken.nextOrderNum;
            orderEdit_->setText(qs(o.orderNum));
        }
        if (!taken.expressNum.empty()) {
            o.expressNum = taken.nextExpressNum;
            expressEdit_->setText(qs(o.expressNum));
        }
        if (!session_.order.tradeTimeLock)
            setQuietly(tradePicker_, QDateTime::currentDateTime());
        if (!session_.order.printTimeLock)
            setQuietly(printPicker_, QDateTime::currentDateTime());
    }
    state.waybillModified = false;
    resetItems();
    nextWaybill();
    state.waybillModified = false;
}

void CPrintOrderInfo::storePrinted()
{
    session_.pull();
    std::string error;
    storeWaybill(session_.databasePath(), WaybillTable::PrintHistory,
                 session_.draft().historyRow(session_.state().currentTemplateName, nowText()), &error);
    // The number came from the shop's counter: the panel shows the next one.
    if (takenShared_)
        showNextSharedOrderNumber();
}

}
