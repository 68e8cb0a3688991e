#include "ui/data/ReportModel.h"

#include "ui/data/ReportSort.h"

#include <QMetaObject>

#include <algorithm>
#include <numeric>

namespace zentra::ui {

namespace {

// The leading decimal number of a text, after blanks; nullopt without digits.
std::optional<int> leadingInt(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        negative = s[i++] == u'-';
    long long v = 0;
    qsizetype start = i;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && v < 1000000)
        v = v * 10 + (s[i++].unicode() - '0');
    if (i == start)
        return std::nullopt;
    return static_cast<int>(negative ? -v : v);
}

}

QList<ReportColumn> parseColumnSpec(const QString &spec)
{
    QList<ReportColumn> columns;
    for (QStringView entry : QStringView(spec).split(u';')) {
        if (entry.isEmpty())
            continue;
        ReportColumn column;
        const auto parts = entry.split(u',');
        column.title = parts[0].toString();
        if (parts.size() > 1) {
            // A width that is no number, or negative, would hide the column.
            auto w = leadingInt(parts[1]);
            column.width = w && *w >= 0 ? *w : 100;
        }
        if (parts.size() > 2) {
            auto a = leadingInt(parts[2]);
            column.alignment = !a        ? Qt::AlignLeft
                               : *a == 1 ? Qt::AlignHCenter
                               : *a == 2 ? Qt::AlignRight
                                         : Qt::AlignLeft;
        }
        columns.append(column);
    }
    return columns;
}

ReportModel::ReportModel(QObject *parent) : QAbstractTableModel(parent)
{
    linkFont_.setUnderline(true);
}

ReportModel::~ReportModel() = default;

void ReportModel::setColumns(const QList<ReportColumn> &columns)
{
    beginResetModel();
    rows_.clear();
    columns_.assign(columns.begin(), columns.end());
    dirtyTop_ = -1;
    endResetModel();
}

int ReportModel::insertColumn(int at, const ReportColumn &column)
{
    flushChanges();
    if (at < 0 || at > columns())
        at = columns();
    for (int i = 0; i < rows(); ++i)
        textsOf(i);
    beginInsertColumns({}, at, at);
    columns_.insert(columns_.begin() + at, column);
    for (Row &r : rows_) {
        r.texts.insert(r.texts.begin() + at, QString());
        if (r.cells)
            r.cells->insert(r.cells->begin() + at, ReportCell());
    }
    endInsertColumns();
    return at;
}

int ReportModel::insertRow(int at, const QString &firstText)
{
    if (columns_.empty())
        return -1;
    flushChanges();
    if (at < 0 || at > rows())
        at = rows();
    beginInsertRows({}, at, at);
    Row r;
    r.texts.resize(columns_.size());
    r.texts[0] = firstText;
    rows_.insert(rows_.begin() + at, std::move(r));
    endInsertRows();
    return at;
}

int ReportModel::appendRow(const QStringList &texts)
{
    if (columns_.empty())
        return -1;
    flushChanges();
    const int at = rows();
    beginInsertRows({}, at, at);
    Row r;
    r.texts.resize(columns_.size());
    const auto n = std::min<qsizetype>(texts.size(), static_cast<qsizetype>(columns_.size()));
    std::copy(texts.begin(), texts.begin() + n, r.texts.begin());
    rows_.push_back(std::move(r));
    endInsertRows();
    return at;
}

int ReportModel::appendRows(const QList<QStringList> &rows)
{
    if (columns_.empty())
        return -1;
    flushChanges();
    const int at = this->rows();
    if (rows.isEmpty())
        return at;
    beginInsertRows({}, at, at + static_cast<int>(rows.size()) - 1);
    rows_.reserve(rows_.size() + static_cast<std::size_t>(rows.size()));
    for (const QStringList &texts : rows) {
        Row r;
        r.texts.resize(columns_.size());
        const auto n = std::min<qsizetype>(texts.size(), static_cast<qsizetype>(columns_.size()));
        std::copy(texts.begin(), texts.begin() + n, r.texts.begin());
        rows_.push_back(std::move(r));
    }
    endInsertRows();
    return at;
}

int ReportModel::appendRows(std::shared_ptr<const ReportRowSource> source, std::size_t count)
{
    if (columns_.empty())
        return -1;
    flushChanges();
    const int at = rows();
    if (count == 0 || !source)
        return at;
    beginInsertRows({}, at, at + static_cast<int>(count) - 1);
    rows_.reserve(rows_.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        Row r;
        r.source = source;
        r.sourceRow = i;
        rows_.push_back(std::move(r));
    }
    endInsertRows();
    return at;
}

std::vector<QString> &ReportModel::textsOf(int row) const
{
    // Making the texts changes nothing that the model shows, so a const
    // reader may do it (rows_ is mutable for this alone).
    Row &r = rows_[static_cast<std::size_t>(row)];
    if (r.source) {
        r.texts.assign(columns_.size(), QString());
        r.source->fill(r.sourceRow, r.texts);
        r.source.reset();
    }
    return r.texts;
}

bool ReportModel::removeRowAt(int row)
{
    if (row < 0 || row >= rows())
        return false;
    flushChanges();
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    return true;
}

void ReportModel::clearRows()
{
    beginResetModel();
    rows_.clear();
    dirtyTop_ = -1;
    endResetModel();
}

bool ReportModel::valid(int row, int column) const
{
    return row >= 0 && row < rows() && column >= 0 && column < columns();
}

QString ReportModel::text(int row, int column) const
{
    return valid(row, column) ? textsOf(row)[column] : QString();
}

bool ReportModel::setText(int row, int column, const QString &text)
{
    if (!valid(row, column))
        return false;
    textsOf(row)[column] = text;
    touch(row, column);
    return true;
}

bool ReportModel::isChecked(int row) const
{
    return row >= 0 && row < rows() && rows_[row].checked;
}

bool ReportModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rows())
        return false;
    if (rows_[row].checked != checked) {
        rows_[row].checked = checked;
        touch(row, 0);
        emit checkChanged(row, checked);
    }
    return true;
}

void ReportModel::setAllChecked(bool checked)
{
    for (int r = 0; r < rows(); ++r)
        setChecked(r, checked);
}

QList<int> ReportModel::checkedRows() const
{
    QList<int> out;
    for (int r = 0; r < rows(); ++r)
        if (rows_[r].checked)
            out.append(r);
    return out;
}

const ReportCell *ReportModel::cell(int row, int column) const
{
    if (!valid(row, column) || !rows_[row].cells)
        return nullptr;
    return &(*rows_[row].cells)[column];
}

ReportCell *ReportModel::writableCell(int row, int column)
{
    if (!valid(row, column))
        return nullptr;
    auto &cells = rows_[row].cells;
    if (!cells)
        cells = std::make_unique<std::vector<ReportCell>>(columns_.size());
    return &(*cells)[column];
}

void ReportModel::setCheckBoxes(bool on)
{
    if (checkBoxes_ == on)
        return;
    checkBoxes_ = on;
    if (rows() > 0 && columns() > 0)
        emit dataChanged(index(0, 0), index(rows() - 1, 0));
}

void ReportModel::setLinkFont(const QFont &font)
{
    linkFont_ = font;
    linkFont_.setUnderline(true);
}

void ReportModel::touch(int row, int column)
{
    if (dirtyTop_ < 0) {
        dirtyTop_ = dirtyBottom_ = row;
        dirtyLeft_ = dirtyRight_ = column;
    } else {
        dirtyTop_ = std::min(dirtyTop_, row);
        dirtyBottom_ = std::max(dirtyBottom_, row);
        dirtyLeft_ = std::min(dirtyLeft_, column);
        dirtyRight_ = std::max(dirtyRight_, column);
    }
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &ReportModel::flushChanges, Qt::QueuedConnection);
    }
}

void ReportModel::flushChanges()
{
    flushQueued_ = false;
    if (dirtyTop_ < 0)
        return;
    const int top = dirtyTop_, bottom = std::min(dirtyBottom_, rows() - 1);
    const int left = dirtyLeft_, right = std::min(dirtyRight_, columns() - 1);
    dirtyTop_ = -1;
    if (top <= bottom && left <= right)
        emit dataChanged(index(top, left), index(bottom, right));
}

void ReportModel::sortRows(int column, bool ascending, const std::optional<QString> &separator)
{
    if (column < 0 || column >= columns())
        return;
    flushChanges();
    const int n = rows();

    // Keys once per row; text keys only when some pair would compare as text.
    std::vector<bool> isSeparator(n, false);
    std::vector<ReportSortKey> keys(n);
    bool allHex = true, allDecimal = true, allDate = true;
    for (int r = 0; r < n; ++r) {
        const QString &t = textsOf(r)[column];
        if (separator && t == *separator) {
            isSeparator[r] = true;
            continue;
        }
        keys[r] = reportSortKey(t, false);
        allHex = allHex && keys[r].isHex;
        allDecimal = allDecimal && keys[r].isDecimal;
        allDate = allDate && keys[r].isDateTime;
    }
    if (!allHex && !allDecimal && !allDate)
        for (int r = 0; r < n; ++r)
            if (!isSeparator[r])
                keys[r].text = reportSortKey(textsOf(r)[column]).text;

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    auto before = [&](int a, int b) {
        int c = compareReportKeys(keys[a], keys[b]);
        return ascending ? c < 0 : c > 0;
    };
    int start = 0;
    for (int r = 0; r <= n; ++r) {
        if (r == n || isSeparator[r]) {
            mergeSortRows(order.begin() + start, order.begin() + r, before);
            start = r + 1;
        }
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> sorted;
    sorted.reserve(n);
    std::vector<int> newRow(n);
    for (int i = 0; i < n; ++i) {
        sorted.push_back(std::move(rows_[order[i]]));
        newRow[order[i]] = i;
    }
    rows_.swap(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.append(index(newRow[i.row()], i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows();
}

int ReportModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns();
}

QVariant ReportModel::data(const QModelIndex &index, int role) const
{
    const int r = index.row(), c = index.column();
    if (!valid(r, c))
        return {};
    const Row &row = rows_[r];
    const ReportCell *cell = row.cells ? &(*row.cells)[c] : nullptr;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return textsOf(r)[c];
    case Qt::CheckStateRole:
        if (c == 0 && checkBoxes_)
            return static_cast<int>(row.checked ? Qt::Checked : Qt::Unchecked);
        return {};
    case Qt::TextAlignmentRole:
        return static_cast<int>(columns_[c].alignment | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (cell && cell->link)
            return cell->linkOpened ? QColor(255, 0, 0) : QColor(0, 0, 255);
        if (cell && cell->textColor.isValid())
            return cell->textColor;
        return {};
    case Qt::BackgroundRole:
        if (cell && cell->background.isValid())
            return cell->background;
        return {};
    case Qt::FontRole:
        if (cell && cell->link)
            return linkFont_;
        return {};
    case Qt::ToolTipRole:
        if (cell && !cell->tooltip.isEmpty())
            return cell->tooltip;
        return {};
    default:
        return {};
    }
}

bool ReportModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!valid(index.row(), index.column()))
        return false;
    if (role == Qt::CheckStateRole && index.column() == 0 && checkBoxes_)
        return setChecked(index.row(), value.toInt() == Qt::Checked);
    if (role == Qt::EditRole || role == Qt::DisplayRole)
        return setText(index.row(), index.column(), value.toString());
    return false;
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].title;
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(columns_[section].alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ReportModel::flags(const QModelIndex &index) const
{
    if (!valid(index.row(), index.column()))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && checkBoxes_)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

}
