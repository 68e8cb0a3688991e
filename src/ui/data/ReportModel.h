#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace zentra::ui {

// One column of a report list, as its column layout text gives it.
struct ReportColumn {
    QString title;
    int width = 100;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Reads a column layout text: entries "title,width,alignment" separated by
// ";". The title is the text before the first "," exactly as written (leading
// blanks included); the width defaults to 100; alignment 1 is centred, 2 right,
// anything else left. Empty entries are skipped.
QList<ReportColumn> parseColumnSpec(const QString &spec);

// What a cell carries besides its text. Invalid colours mean the palette's.
struct ReportCell {
    QColor textColor;
    QColor background;
    bool editable = false;
    bool link = false;
    bool linkOpened = false;
    QString linkTarget;
    QString tooltip;
};

// The rows of a CReportCtrl: per row the cell texts, the check state and, only
// for rows where an owner set one, the cell attributes. Row storage is flat
// (one vector of texts per row) so that filling and sorting 100,000 rows stays
// quick, and data() answers without computing anything.
//
// Text changes reach the view as one dataChanged per event-loop turn, covering
// everything changed in that turn; structural changes are signalled at once.
// Rows whose texts are made when they are first needed (shown, read, sorted):
// a list of 100,000 rows appears at once, and only the rows looked at are
// converted. fill() gets the row's texts sized to the column count.
class ReportRowSource {
public:
    virtual ~ReportRowSource() = default;
    virtual void fill(std::size_t row, std::vector<QString> &texts) const = 0;
};

class ReportModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ReportModel(QObject *parent = nullptr);
    ~ReportModel() override;

    // Removes every row and column, then takes the given columns.
    void setColumns(const QList<ReportColumn> &columns);
    // Inserts a column (at the end when `at` is out of range); existing rows
    // get an empty text and default attributes. Returns its index.
    int insertColumn(int at, const ReportColumn &column);
    const ReportColumn &column(int c) const { return columns_[c]; }
    int columns() const { return static_cast<int>(columns_.size()); }
    int rows() const { return static_cast<int>(rows_.size()); }

    // Inserts a row before `at` (at the end when out of range) with `firstText`
    // in column 0; returns its index, or -1 without columns.
    int insertRow(int at, const QString &firstText);
    // Appends a row; texts beyond the last column are dropped.
    // Appends many rows at once (one notification for all); the index of the first.
    int appendRows(const QList<QStringList> &rows);
    // Appends rows 0 .. count-1 of `source`, their texts made on demand.
    int appendRows(std::shared_ptr<const ReportRowSource> source, std::size_t count);
    int appendRow(const QStringList &texts);
    bool removeRowAt(int row);
    void clearRows();

    QString text(int row, int column) const;
    bool setText(int row, int column, const QString &text);
    bool isChecked(int row) const;
    bool setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    QList<int> checkedRows() const;

    // Attributes of a cell, or nullptr when it has only defaults.
    const ReportCell *cell(int row, int column) const;
    // Changes a cell's attributes through `change`; false for a cell that does
    // not exist.
    template <typename F> bool updateCell(int row, int column, F change)
    {
        ReportCell *c = writableCell(row, column);
        if (!c)
            return false;
        change(*c);
        touch(row, column);
        return true;
    }

    // Whether column 0 shows a check box.
    void setCheckBoxes(bool on);
    bool hasCheckBoxes() const { return checkBoxes_; }
    void setLinkFont(const QFont &font);

    // Sorts by one column's texts; rows whose text equals `separator` stay in
    // place and the rows between them are sorted separately. Check states,
    // attributes, selection and focus move with their rows.
    void sortRows(int column, bool ascending, const std::optional<QString> &separator);

    // Sends the pending dataChanged now.
    void flushChanges();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void checkChanged(int row, bool checked);

private:
    struct Row {
        std::vector<QString> texts; // empty while `source` still holds them
        std::unique_ptr<std::vector<ReportCell>> cells;
        std::shared_ptr<const ReportRowSource> source;
        std::size_t sourceRow = 0;
        bool checked = false;
    };

    bool valid(int row, int column) const;
    // The row's texts, made from its source first when it has one.
    std::vector<QString> &textsOf(int row) const;
    ReportCell *writableCell(int row, int column);
    void touch(int row, int column);

    std::vector<ReportColumn> columns_;
    mutable std::vector<Row> rows_;
    bool checkBoxes_ = true;
    QFont linkFont_;

    // The area changed since the last dataChanged.
    int dirtyTop_ = -1, dirtyBottom_ = -1, dirtyLeft_ = -1, dirtyRight_ = -1;
    bool flushQueued_ = false;
};

}
