#pragma once

#include "core/waybill/WaybillRow.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace zentra {
class DataFolder;
struct AppState;
}

class QLayout;
class QPushButton;
class QWidget;

namespace zentra::ui {
class CQuorvelView;
class CReportCtrl;
class Dialogs;

// The grid of waybill rows shared by the print list and the history: the 48
// columns of a row, check boxes, full-row selection and grid lines. The grid
// holds the rows' texts; every operation finds a row again by its `printId`
// (column 17), so the order a header click gives does not matter.
namespace waybillgrid {

// The column layout text of both lists.
const QString &columnSpec();

// Sets up `grid` with the columns and the row height.
void setUp(CReportCtrl &grid, int rowHeight);

// The least width of the lists' search box: a mobile number and an address
// fit, in the box's font.
int searchBoxWidth(const QWidget &box);

// Replaces the rows; their texts are made when the grid first needs them, so
// 100,000 rows appear at once.
void fill(CReportCtrl &grid, std::vector<WaybillRow> rows);

// The waybill of grid row `row`, as its cells hold it, ticked as the grid.
WaybillRow rowAt(const CReportCtrl &grid, int row);
std::int64_t printIdAt(const CReportCtrl &grid, int row);

// The ids of the ticked rows, or of all rows, from the top.
std::vector<std::int64_t> tickedIds(const CReportCtrl &grid);
std::vector<std::int64_t> allIds(const CReportCtrl &grid);

// Removes the rows with these ids from the grid.
void removeRows(CReportCtrl &grid, const std::set<std::int64_t> &ids);

// A button of `dialog` in `layout` that runs `run`, also on `key` (such as
// "Ctrl+D") pressed anywhere in the dialog, a text box included.
QPushButton *addCommand(QWidget &dialog, QLayout &layout, const QString &label, const char *objectName, const char *key,
                        std::function<void()> run);

// Opens a waybill on the canvas: its template ("NAME.ttp"), then every item
// filled from the row (values, insured amount in capitals, print-time parts).
// Opening changes nothing in the waybill's modified mark. Refused while the
// designer is editing a template.
void openOnCanvas(const WaybillRow &row, CQuorvelView &canvas, AppState &state, const DataFolder &folder,
                  Dialogs &dialogs, QWidget *parent);

}
}
