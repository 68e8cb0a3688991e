#pragma once

#include "ui/data/ReportModel.h"

#include <QTableView>

#include <functional>
#include <optional>

class QLineEdit;

namespace zentra::ui {

class ReportDelegate;

// The grid of every list of the program. Its columns come from one column
// layout text ("选择,40,1; 行号,60,1; 货品名称,250,0"); column 0 holds the
// row's check box and owners fill the row numbers themselves. It sorts when a
// column header is clicked, edits cells that the owner marked editable in place,
// colours cells and opens link cells.
//
// It owns its ReportModel; owners work through the row and cell operations
// here, never through the model. While a cell is being edited the editor is a
// QLineEdit (objectName "reportCellEditor") over the cell.
class CReportCtrl : public QTableView {
    Q_OBJECT

public:
    using LinkOpener = std::function<void(const QString &target)>;

    explicit CReportCtrl(QWidget *parent = nullptr);
    ~CReportCtrl() override;

    // Ends any edit, removes all rows and columns and inserts the columns of
    // `spec`; false when it has none. The rows have check boxes when the first
    // column is "选择", else none (setCheckBoxes() can change that after).
    bool setColumns(const QString &spec);
    int insertColumn(int at, const QString &title, int width = 100, Qt::Alignment alignment = Qt::AlignLeft);
    int columnCount() const;
    QString columnTitle(int column) const;
    Qt::Alignment columnAlignment(int column) const;

    int rowCount() const;
    // Inserts a row before `row` (at the end when out of range); returns its
    // index, or -1 without columns.
    int insertRow(int row, const QString &text = QString());
    int appendRow(const QStringList &texts);
    // Many rows at once, much faster than one by one; the index of the first.
    int appendRows(const QList<QStringList> &rows);
    // Rows whose texts `source` makes when they are first needed.
    int appendRows(std::shared_ptr<const ReportRowSource> source, std::size_t count);
    bool deleteRow(int row);
    void deleteAllRows();
    QString cellText(int row, int column) const;
    bool setCellText(int row, int column, const QString &text);

    bool isChecked(int row) const;
    bool setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    QList<int> checkedRows() const;
    QList<int> selectedRows() const;
    void setCheckBoxes(bool on);

    // Height of every row, in pixels.
    void setItemHeight(int pixels);

    // Cell attributes; an invalid colour goes back to the palette's.
    bool setCellTextColor(int row, int column, const QColor &color);
    bool setCellBackground(int row, int column, const QColor &color);
    QColor cellTextColor(int row, int column) const;
    QColor cellBackground(int row, int column) const;
    bool setRowTextColor(int row, const QColor &color);
    bool setRowBackground(int row, const QColor &color);
    bool setCellEditable(int row, int column, bool editable);
    bool isCellEditable(int row, int column) const;
    // A link cell opens `target` when clicked inside its text; an empty target
    // makes the cell an ordinary one again.
    bool setCellLink(int row, int column, const QString &target);
    bool isCellLink(int row, int column) const;
    QString cellLinkTarget(int row, int column) const;
    bool isLinkOpened(int row, int column) const;
    bool setCellTooltip(int row, int column, const QString &tooltip);
    QString cellTooltip(int row, int column) const;

    // Opens link targets; the default hands them to the desktop's browser.
    void setLinkOpener(LinkOpener opener);

    // Rows whose sort-column text equals `text` split the list into ranges that
    // are sorted separately; nullopt for none.
    void setSeparatorText(const std::optional<QString> &text);
    // Sorts as a header click does, but in the given direction.
    void sortRows(int column, bool ascending);
    int sortColumn() const { return sortColumn_; }
    bool isSortAscending() const { return sortAscending_; }

    // In-place editing of a cell marked editable; false for other cells.
    bool editCell(int row, int column);
    // Ends the edit in progress, keeping (commit) or dropping the typed text.
    void endEdit(bool commit = true);
    bool isEditing() const { return editor_ != nullptr; }
    QLineEdit *cellEditor() const { return editor_; }
    int editRow() const { return editRow_; }
    int editColumn() const { return editColumn_; }

    // Where a cell's text is drawn, in viewport coordinates; links open only
    // on a click inside it.
    QRect cellTextRect(int row, int column) const;
    // Where a row's check box is drawn, in viewport coordinates.
    QRect checkBoxRect(int row) const;

    ReportModel *reportModel() const { return model_; }

signals:
    void sorted(int column, bool ascending);
    void cellEdited(int row, int column);
    void checkChanged(int row, bool checked);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void headerClicked(int column);
    // The row of `index` is current and selected: a press there may start an edit.
    bool isFocusedRow(const QModelIndex &index) const;
    void handlePress(QMouseEvent *event, const QModelIndex &index, bool wasFocusedRow, bool openLinks);
    bool inCheckBox(const QModelIndex &index, const QPoint &pos) const;
    void moveEdit(int row, int column);
    void resetSortState();
    void placeEditor();

    ReportModel *model_;
    ReportDelegate *delegate_;
    LinkOpener opener_;
    std::optional<QString> separator_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;

    QLineEdit *editor_ = nullptr;
    int editRow_ = -1;
    int editColumn_ = -1;
    bool ending_ = false;
};

}
