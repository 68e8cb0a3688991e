#include "ui/data/CReportCtrl.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QUrl>

namespace zentra::ui {

// Exposes where the default delegate draws a cell's check box and text, so
// clicks can be told apart exactly as the cell is drawn.
class ReportDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QRect subRect(QStyle::SubElement element, const QAbstractItemView *view, const QModelIndex &index) const
    {
        QStyleOptionViewItem option;
        option.initFrom(view->viewport());
        option.rect = view->visualRect(index);
        option.font = view->font();
        option.fontMetrics = view->fontMetrics();
        option.state |= QStyle::State_Enabled;
        initStyleOption(&option, index);
        const QWidget *widget = view;
        QStyle *style = widget->style();
        return style->subElementRect(element, &option, widget);
    }
};

CReportCtrl::CReportCtrl(QWidget *parent)
    : QTableView(parent), model_(new ReportModel(this)), delegate_(new ReportDelegate(this))
{
    setObjectName(QStringLiteral("reportCtrl"));
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves the focus on to the next control of the window, as in any
    // list; only the in-place editor uses it to go to the next cell.
    setTabKeyNavigation(false);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(0);
    model_->setLinkFont(font());

    opener_ = [](const QString &target) { QDesktopServices::openUrl(QUrl::fromUserInput(target)); };

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CReportCtrl::headerClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeEditor(); });
    connect(model_, &ReportModel::checkChanged, this, &CReportCtrl::checkChanged);
}

CReportCtrl::~CReportCtrl() = default;

bool CReportCtrl::setColumns(const QString &spec)
{
    endEdit(true);
    const QList<ReportColumn> columns = parseColumnSpec(spec);
    model_->setColumns(columns);
    // Only a list whose first column is "选择" has check boxes.
    model_->setCheckBoxes(!columns.isEmpty() && columns.front().title.trimmed() == QStringLiteral("选择"));
    resetSortState();
    for (int c = 0; c < columns.size(); ++c)
        horizontalHeader()->resizeSection(c, columns[c].width);
    return !columns.isEmpty();
}

int CReportCtrl::insertColumn(int at, const QString &title, int width, Qt::Alignment alignment)
{
    endEdit(true);
    int c = model_->insertColumn(at, {title, width, alignment});
    horizontalHeader()->resizeSection(c, width);
    return c;
}

int CReportCtrl::columnCount() const
{
    return model_->columns();
}

QString CReportCtrl::columnTitle(int column) const
{
    return column >= 0 && column < columnCount() ? model_->column(column).title : QString();
}

Qt::Alignment CReportCtrl::columnAlignment(int column) const
{
    return column >= 0 && column < columnCount() ? model_->column(column).alignment : Qt::AlignLeft;
}

int CReportCtrl::rowCount() const
{
    return model_->rows();
}

int CReportCtrl::insertRow(int row, const QString &text)
{
    if (editor_ && row <= editRow_)
        endEdit(true);
    return model_->insertRow(row, text);
}

int CReportCtrl::appendRow(const QStringList &texts)
{
    return model_->appendRow(texts);
}

int CReportCtrl::appendRows(const QList<QStringList> &rows)
{
    return model_->appendRows(rows);
}

int CReportCtrl::appendRows(std::shared_ptr<const ReportRowSource> source, std::size_t count)
{
    return model_->appendRows(std::move(source), count);
}

bool CReportCtrl::deleteRow(int row)
{
    if (editor_ && row <= editRow_)
        endEdit(row != editRow_);
    return model_->removeRowAt(row);
}

void CReportCtrl::deleteAllRows()
{
    endEdit(false);
    model_->clearRows();
}

QString CReportCtrl::cellText(int row, int column) const
{
    return model_->text(row, column);
}

bool CReportCtrl::setCellText(int row, int column, const QString &text)
{
    return model_->setText(row, column, text);
}

bool CReportCtrl::isChecked(int row) const
{
    return model_->isChecked(row);
}

bool CReportCtrl::setChecked(int row, bool checked)
{
    return model_->setChecked(row, checked);
}

void CReportCtrl::setAllChecked(bool checked)
{
    model_->setAllChecked(checked);
}

QList<int> CReportCtrl::checkedRows() const
{
    return model_->checkedRows();
}

QList<int> CReportCtrl::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &i : selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CReportCtrl::setCheckBoxes(bool on)
{
    model_->setCheckBoxes(on);
}

void CReportCtrl::setItemHeight(int pixels)
{
    verticalHeader()->setMinimumSectionSize(std::min(pixels, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(pixels);
}

bool CReportCtrl::setCellTextColor(int row, int column, const QColor &color)
{
    return model_->updateCell(row, column, [&](ReportCell &c) { c.textColor = color; });
}

bool CReportCtrl::setCellBackground(int row, int column, const QColor &color)
{
    return model_->updateCell(row, column, [&](ReportCell &c) { c.background = color; });
}

QColor CReportCtrl::cellTextColor(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c && c->textColor.isValid() ? c->textColor : palette().color(QPalette::Text);
}

QColor CReportCtrl::cellBackground(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c && c->background.isValid() ? c->background : palette().color(QPalette::Base);
}

bool CReportCtrl::setRowTextColor(int row, const QColor &color)
{
    bool ok = row >= 0 && row < rowCount();
    for (int c = 0; ok && c < columnCount(); ++c)
        setCellTextColor(row, c, color);
    return ok;
}

bool CReportCtrl::setRowBackground(int row, const QColor &color)
{
    bool ok = row >= 0 && row < rowCount();
    for (int c = 0; ok && c < columnCount(); ++c)
        setCellBackground(row, c, color);
    return ok;
}

bool CReportCtrl::setCellEditable(int row, int column, bool editable)
{
    return model_->updateCell(row, column, [&](ReportCell &c) { c.editable = editable; });
}

bool CReportCtrl::isCellEditable(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c && c->editable;
}

bool CReportCtrl::setCellLink(int row, int column, const QString &target)
{
    return model_->updateCell(row, column, [&](ReportCell &c) {
        c.link = !target.isEmpty();
        c.linkTarget = target;
        c.linkOpened = false;
    });
}

bool CReportCtrl::isCellLink(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c && c->link;
}

QString CReportCtrl::cellLinkTarget(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c ? c->linkTarget : QString();
}

bool CReportCtrl::isLinkOpened(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c && c->linkOpened;
}

bool CReportCtrl::setCellTooltip(int row, int column, const QString &tooltip)
{
    return model_->updateCell(row, column, [&](ReportCell &c) { c.tooltip = tooltip; });
}

QString CReportCtrl::cellTooltip(int row, int column) const
{
    const ReportCell *c = model_->cell(row, column);
    return c ? c->tooltip : QString();
}

void CReportCtrl::setLinkOpener(LinkOpener opener)
{
    opener_ = std::move(opener);
}

void CReportCtrl::setSeparatorText(const std::optional<QString> &text)
{
    separator_ = text;
}

void CReportCtrl::headerClicked(int column)
{
    sortRows(column, column == sortColumn_ ? !sortAscending_ : true);
}

void CReportCtrl::sortRows(int column, bool ascending)
{
    if (column < 0 || column >= columnCount())
        return;
    endEdit(true);
    model_->sortRows(column, ascending, separator_);
    sortColumn_ = column;
    sortAscending_ = ascending;
    // The header shows an up arrow for ascending order. Qt's header draws
    // AscendingOrder as a down arrow, hence the swapped order.
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
    emit sorted(column, ascending);
}

void CReportCtrl::resetSortState()
{
    sortColumn_ = -1;
    sortAscending_ = true;
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

bool CReportCtrl::editCell(int row, int column)
{
    if (!isCellEditable(row, column))
        return false;
    endEdit(true);
    const QModelIndex index = model_->index(row, column);
    scrollTo(index);
    editRow_ = row;
    editColumn_ = column;
    editor_ = new QLineEdit(viewport());
    editor_->setObjectName(QStringLiteral("reportCellEditor"));
    editor_->setFrame(false);
    editor_->setFont(font());
    editor_->setText(model_->text(row, column));
    editor_->selectAll();
    editor_->installEventFilter(this);
    placeEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    return true;
}

void CReportCtrl::placeEditor()
{
    if (editor_)
        editor_->setGeometry(visualRect(model_->index(editRow_, editColumn_)));
}

void CReportCtrl::endEdit(bool commit)
{
    if (!editor_ || ending_)
        return;
    ending_ = true;
    QLineEdit *editor = editor_;
    const int row = editRow_, column = editColumn_;
    editor_ = nullptr;
    editRow_ = editColumn_ = -1;
    const QString text = editor->text();
    const bool hadFocus = editor->hasFocus();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    ending_ = false;

    if (commit && text != model_->text(row, column)) {
        model_->setText(row, column, text);
        resetSortState();
        emit cellEdited(row, column);
    }
}

void CReportCtrl::moveEdit(int row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    const QModelIndex index = model_->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    editCell(row, column);
}

bool CReportCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != editor_)
        return QTableView::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int row = editRow_, column = editColumn_;
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Tab:
            endEdit(true);
            moveEdit(row, column + 1 < columnCount() ? column + 1 : 0);
            return true;
        case Qt::Key_Backtab:
            endEdit(true);
            moveEdit(row, column > 0 ? column - 1 : columnCount() - 1);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            endEdit(true);
            return true;
        case Qt::Key_Escape:
            endEdit(false);
            return true;
        case Qt::Key_Up:
            endEdit(true);
            moveEdit(row - 1, column);
            return true;
        case Qt::Key_Down:
            endEdit(true);
            moveEdit(row + 1, column);
            return true;
        default:
            break;
        }
    } else if (event->type() == QEvent::FocusOut) {
        endEdit(true);
    }
    return QTableView::eventFilter(watched, event);
}

void CReportCtrl::keyPressEvent(QKeyEvent *event)
{
    // The check box follows the mouse only.
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool CReportCtrl::inCheckBox(const QModelIndex &index, const QPoint &pos) const
{
    return index.column() == 0 && checkBoxRect(index.row()).contains(pos);
}

QRect CReportCtrl::checkBoxRect(int row) const
{
    const QModelIndex index = model_->index(row, 0);
    if (!index.isValid() || !model_->hasCheckBoxes())
        return {};
    return delegate_->subRect(QStyle::SE_ItemViewItemCheckIndicator, this, index);
}

QRect CReportCtrl::cellTextRect(int row, int column) const
{
    const QModelIndex index = model_->index(row, column);
    if (!index.isValid())
        return {};
    const QRect area = delegate_->subRect(QStyle::SE_ItemViewItemText, this, index);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QRect inner = area.adjusted(margin, 0, -margin, 0);
    const ReportCell *cell = model_->cell(row, column);
    QFont f = font();
    if (cell && cell->link)
        f.setUnderline(true);
    const int width = std::min(QFontMetrics(f).horizontalAdvance(model_->text(row, column)), inner.width());
    const Qt::Alignment a = model_->column(column).alignment;
    int left = inner.left();
    if (a & Qt::AlignHCenter)
        left = inner.left() + (inner.width() - width) / 2;
    else if (a & Qt::AlignRight)
        left = inner.right() - width + 1;
    return QRect(left, area.top(), width, area.height());
}

void CReportCtrl::handlePress(QMouseEvent *event, const QModelIndex &index, bool wasFocusedRow, bool openLinks)
{
    if (!index.isValid())
        return;
    const QPoint pos = event->position().toPoint();
    const int row = index.row(), column = index.column();
    const ReportCell *cell = model_->cell(row, column);
    if (openLinks && cell && cell->link && cellTextRect(row, column).contains(pos)) {
        const QString target = cell->linkTarget;
        model_->updateCell(row, column, [](ReportCell &c) { c.linkOpened = true; });
        if (opener_)
            opener_(target);
    }
    if (event->button() == Qt::LeftButton && wasFocusedRow && isCellEditable(row, column) && !inCheckBox(index, pos))
        editCell(row, column);
}

bool CReportCtrl::isFocusedRow(const QModelIndex &index) const
{
    return index.isValid() && currentIndex().row() == index.row() &&
           selectionModel()->isRowSelected(index.row(), QModelIndex());
}

void CReportCtrl::mousePressEvent(QMouseEvent *event)
{
    endEdit(true);
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool wasFocusedRow = isFocusedRow(index);
    QTableView::mousePressEvent(event);
    handlePress(event, index, wasFocusedRow, true);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    endEdit(true);
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool wasFocusedRow = isFocusedRow(index);
    QTableView::mouseDoubleClickEvent(event);
    // The press that began the double click has opened the link already.
    handlePress(event, index, wasFocusedRow, false);
}

void CReportCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        model_->setLinkFont(font());
    QTableView::changeEvent(event);
}

}
