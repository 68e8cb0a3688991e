#pragma once

#include "core/config/DataFolder.h"
#include "core/taobao/OrderPage.h"
#include "core/taobao/TaobaoOrders.h"
#include "ui/taobao/BrowserCheck.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zentra {
struct AppState;
struct OrderBatchResult;
}

namespace zentra::ui {

class CBrowser;
class CReportCtrl;
class Dialogs;

// The Taobao order list: imports the order and item reports, lists the orders
// of a period, and turns checked orders into receivers, goods and print-list
// rows. Every rule is the core's; the dialog gathers the rows and shows the
// outcome.
class CTaoBao : public QDialog {
    Q_OBJECT
public:
    CTaoBao(const AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent = nullptr);

    CReportCtrl *orderGrid() const { return orders_; }
    CReportCtrl *goodsList() const { return goods_; }
    bool isDetailShown() const;

    // Runs "查询(F)" (merged by address with `merge`).
    void query(bool merge = false);
    // Sets the period pickers, as a choice of the range list does.
    void setPeriod(const QString &from, const QString &to);

    // The browser window: made at the first call, then the same one, shown
    // and centred. Null, after a message, when the browser cannot start here
    // (see browserProblem); the order list goes on without it.
    CBrowser *openBrowser();
    // Why the browser cannot start on this machine, or empty; tests replace
    // it.
    std::function<QString()> browserProblem = [] { return browserStartProblem(currentBrowserEnvironment()); };
    CBrowser *browser() const { return browser_; }
    // An order read in the browser: into the order panel, the grid (unless
    // its number is listed) and the tables.
    void addPageOrder(const PageOrder &order);

    // The clock of the range list; tests set it.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

private:
    QPushButton *button(const QString &label, const char *name, void (CTaoBao::*slot)());
    void importOrders();
    void importItems();
    void selectAll();
    void selectNone();
    void deleteChecked();
    void addReceivers();
    void addPrintList();
    void saveReceiver();
    void saveGoods();
    void hideDetail();
    void showDetail(int row);
    void rangeChosen(int index);
    void pickerChanged();

    void showBatchOutcome(const OrderBatchResult &r, const std::string &message);
    void fillOrders(const std::vector<TbOrder> &orders);
    void fillGoods(const std::vector<TbItem> &items);
    TbOrder orderOfRow(int row) const;
    std::vector<TbOrder> checkedOrders() const;
    std::vector<TbItem> listedItems() const;
    bool openDb(class DbConnection &db);
    QString importPath(const QString &caption);

    const AppState &state_;
    DataFolder folder_;
    Dialogs &dialogs_;
    CReportCtrl *orders_ = nullptr;
    CReportCtrl *goods_ = nullptr;
    QGroupBox *detail_ = nullptr;
    QLineEdit *search_ = nullptr;
    QComboBox *range_ = nullptr;
    QDateTimeEdit *from_ = nullptr;
    QDateTimeEdit *to_ = nullptr;
    // The order panel's edits: buyer, region, order number, trade time,
    // composite address, message.
    std::vector<QLineEdit *> detailEdits_;
    bool settingPeriod_ = false;
    CBrowser *browser_ = nullptr;
};

}
