#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QTimer;

namespace zentra::ui {

class ComposeSession;

// The order page of the tab panel ("订单信息"): order and express number
// (optionally counted on automatically), trade and print time (optionally
// fixed), the insured amount (optionally fixed), each switch kept in
// config.ini; and the waybill's own commands: new waybill, template default
// text, print, add to the print list. It also stores a single-printed
// waybill in the history.
//
// Numbers and times set from code (count-up, clock) are not typing: they
// leave the switches as they are.
class CPrintOrderInfo : public QWidget {
    Q_OBJECT
public:
    explicit CPrintOrderInfo(ComposeSession &session, QWidget *parent = nullptr);

    // "新快递单(N)": a fresh waybill, marked as changed.
    void newWaybill();
    // The items emptied for the next waybill (locked values stay).
    void resetItems();
    // "模板默认文本(D)".
    void templateDefaultText();
    // "添加到打印列表(L)".
    void addToPrintList();
    // After a single print: the waybill into the history.
    void storePrinted();
    // With a shared database and the order number counted: takes the next
    // number from the shop's counter into the waybill, before it is printed.
    // False (after saying why) when it cannot be taken.
    bool takeSharedOrderNumber();
    // The 10-second clock: unfixed times follow it outside design mode. It
    // marks nothing as changed.
    void clockTick();

    // "打印本快递单(P)" runs this (the window's single print, behind its
    // permission gate).
    std::function<void()> printCommand = [] {};
    // The reset of the other pages for the next waybill (default sender and
    // receiver, goods), run after adding to the print list.
    std::function<void()> nextWaybill = [] {};

    QTimer *clock() const { return clock_; }

private:
    std::optional<std::string> sharedOrderNumber() const;
    // After a printed waybill took the shop's number: the page shows the next.
    void showNextSharedOrderNumber();
    void showNumbers();
    void autoOrderToggled(bool on);
    void autoExpressToggled(bool on);
    void orderEdited(const QString &text);
    void expressEdited(const QString &text);
    void tradeLockToggled(bool on);
    void printLockToggled(bool on);
    void insuredLockToggled(bool on);
    // A time the user chose: taken, and the waybill marked as changed.
    void tradeChanged();
    void printChanged();
    // A picker's time into the items, the time unfixed (the clock's path).
    void takeTradeTime();
    void takePrintTime();
    void insuredEdited(const QString &text);
    std::string tradeText() const;
    std::string printText() const;

    ComposeSession &session_;
    bool takenShared_ = false; // the waybill's number came from the shop's counter
    QLineEdit *orderEdit_ = nullptr;
    QCheckBox *autoOrderBox_ = nullptr;
    QLineEdit *expressEdit_ = nullptr;
    QCheckBox *autoExpressBox_ = nullptr;
    QDateTimeEdit *tradePicker_ = nullptr;
    QCheckBox *tradeLockBox_ = nullptr;
    QDateTimeEdit *printPicker_ = nullptr;
    QCheckBox *printLockBox_ = nullptr;
    QLineEdit *insuredEdit_ = nullptr;
    QCheckBox *insuredLockBox_ = nullptr;
    QTimer *clock_ = nullptr;
};

}
