#pragma once

#include "core/config/DataFolder.h"
#include "core/waybill/HistoryStore.h"

#include <QDialog>

#include <ctime>
#include <functional>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class CQuorvelView;
class CReportCtrl;
class Dialogs;

// "历史快递单查询": the printed waybills of a period. It opens with this
// month up to the end of today, newest first; a query lists the rows strictly
// between the two pickers' times, by receiver name, narrowed by the search
// text. Rows are deleted from the history, or opened on the canvas to be
// printed again (which stores a new history row).
class CHistoryPrtList : public QDialog {
    Q_OBJECT
public:
    using Clock = std::function<std::time_t()>;
    // `clock` gives the current time (the system's when empty).
    CHistoryPrtList(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &canvas, Clock clock = {},
                    QWidget *parent = nullptr);

    CReportCtrl *grid() const { return grid_; }
    QComboBox *periods() const { return periods_; }
    // The pickers' times as "%Y-%m-%d %H:%M:%S".
    TimeRange pickedRange() const;

    // A period chosen in the list: the pickers take its bounds, the list is
    // not refilled.
    void choosePeriod(int index);
    void query();
    void selectAll();
    void selectNone();
    void deleteTicked();
    void deleteAll();
    void openSelected();
    void openRow(int row);

private:
    void showRows(const std::vector<WaybillRow> &rows, bool ok, DbConnection &db);
    void setPickers(const TimeRange &range);
    bool deleteIds(const std::vector<std::int64_t> &ids);

    AppState &state_;
    DataFolder folder_;
    Dialogs &dialogs_;
    CQuorvelView &canvas_;
    Clock clock_;
    CReportCtrl *grid_;
    QLineEdit *searchEdit_;
    QComboBox *periods_;
    QDateTimeEdit *from_;
    QDateTimeEdit *to_;
};

}
