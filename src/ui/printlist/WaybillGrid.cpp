#include "ui/printlist/WaybillGrid.h"

#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/templates/TemplateFile.h"
#include "ui/common/AcceleratorFilter.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/waybill/CQuorvelView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QShortcut>

#include <memory>

namespace zentra::ui::waybillgrid {
namespace {

class WaybillRows : public ReportRowSource {
public:
    explicit WaybillRows(std::vector<WaybillRow> rows) : rows_(std::move(rows)) {}
    std::size_t size() const { return rows_.size(); }
    void fill(std::size_t row, std::vector<QString> &texts) const override
    {
        const WaybillRow &r = rows_[row];
        for (std::size_t c = 1; c < texts.size() && c < r.cells.size(); ++c)
            texts[c] = QString::fromStdString(r.cells[c]);
    }

private:
    std::vector<WaybillRow> rows_;
};

}

QPushButton *addCommand(QWidget &dialog, QLayout &layout, const QString &label, const char *objectName, const char *key,
                        std::function<void()> run)
{
    auto *b = new QPushButton(label, &dialog);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    layout.addWidget(b);
    QObject::connect(b, &QPushButton::clicked, &dialog, [run = std::move(run)] { run(); });
    auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), &dialog);
    QObject::connect(sc, &QShortcut::activated, b, &QPushButton::click);
    AcceleratorFilter::of(&dialog)->add(QKeySequence(QString::fromLatin1(key)));
    return b;
}

const QString &columnSpec()
{
    static const QString spec =
        QStringLiteral("选择,40,1; 行号,60,1; 模板名称,150,0;收件人,80,0;发件人,80,0; 订单号,120,0;快递号,120,0;"
                       "打印时间,150,0;成交时间,150,0;宝贝名称,180,0;简称,180,0;数量,80,0;重量,80,0;总价,80,0;"
                       "运费,80,0;实收款,80,0;保价金额,80,0;打印号,160,0;") +
        QStringLiteral("收件人手机,120,0; 收件人固话,120,0; 收件人省份,120,0; 收件人城市,120,0; 收件人区镇,120,0;"
                       "收件人邮编,120,0;收件人地址,200,0; 收件人公司,200,0; 收件人备注,160,0;收件人旺旺,160,0;"
                       "收件人QQ,160,0;自定义1,160,0;自定义2,160,0;自定义3,160,0;自定义4,160,0;") +
        QStringLiteral("发件人手机,120,0; 发件人固话,120,0; 发件人省份,120,0; 发件人城市,120,0; 发件人区镇,120,0;"
                       "发件人邮编,120,0;发件人地址,200,0; 发件人公司,200,0; 发件人备注,160,0;发件人旺旺,160,0;"
                       "发件人QQ,160,0;自定义1,160,0;自定义2,160,0;自定义3,160,0;发件人签名,160,0");
    return spec;
}

void setUp(CReportCtrl &grid, int rowHeight)
{
    grid.setColumns(columnSpec());
    grid.setCheckBoxes(true);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setShowGrid(true);
    grid.setItemHeight(rowHeight);
}

int searchBoxWidth(const QWidget &box)
{
    return box.fontMetrics().horizontalAdvance(QStringLiteral("13800138000 浙江省杭州市西湖区文三路")) + 12;
}

void fill(CReportCtrl &grid, std::vector<WaybillRow> rows)
{
    grid.deleteAllRows();
    auto source = std::make_shared<WaybillRows>(std::move(rows));
    if (source->size() > 0)
        grid.appendRows(source, source->size());
}

WaybillRow rowAt(const CReportCtrl &grid, int row)
{
    WaybillRow r;
    for (int c = 1; c < WaybillRow::kColumnCount; ++c)
        r.cell(c) = grid.cellText(row, c).toStdString();
    r.ticked = grid.isChecked(row);
    return r;
}

std::int64_t printIdAt(const CReportCtrl &grid, int row)
{
    return grid.cellText(row, WaybillRow::PrintId).toLongLong();
}

std::vector<std::int64_t> tickedIds(const CReportCtrl &grid)
{
    std::vector<std::int64_t> ids;
    for (int row : grid.checkedRows())
        ids.push_back(printIdAt(grid, row));
    return ids;
}

std::vector<std::int64_t> allIds(const CReportCtrl &grid)
{
    std::vector<std::int64_t> ids;
    const int n = grid.rowCount();
    ids.reserve(static_cast<std::size_t>(n));
    for (int row = 0; row < n; ++row)
        ids.push_back(printIdAt(grid, row));
    return ids;
}

void removeRows(CReportCtrl &grid, const std::set<std::int64_t> &ids)
{
    if (ids.empty())
        return;
    if (ids.size() == static_cast<std::size_t>(grid.rowCount())) {
        grid.deleteAllRows();
        return;
    }
    for (int row = grid.rowCount() - 1; row >= 0; --row)
        if (ids.count(printIdAt(grid, row)))
            grid.deleteRow(row);
}

void openOnCanvas(const WaybillRow &row, CQuorvelView &canvas, AppState &state, const DataFolder &folder,
                  Dialogs &dialogs, QWidget *parent)
{
    if (state.designMode == 1) {
        dialogs.inform(parent, QStringLiteral("当前模板正在编辑,无法进行切换！"));
        return;
    }
    const bool modified = state.waybillModified;
    // A template that cannot be read leaves the canvas as it is; the row's
    // values still go into the items it shows.
    const std::string &name = row.cell(WaybillRow::TemplateName);
    const std::string path = templateFilePath(folder, name);
    Template probe;
    if (!path.empty() && readTemplateFile(path, probe)) {
        canvas.destroyAllItems();
        if (canvas.loadTemplate(name + ".ttp"))
            state.currentTemplateName = name;
    }
    canvas.showRow(row);
    state.waybillModified = modified;
}

}
