#include "ui/masterdata/CFreight.h"

#include "ui/common/CDEdit.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace zentra::ui {

CFreightSetPopup::CFreightSetPopup(const Figures &figures, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CFreightSetPopup"));
    setWindowTitle(QStringLiteral("运费设置"));
    auto *grid = new QGridLayout(this);
    const char *names[] = {"afreightEdit", "bfreightEdit", "moneyFreeEdit"};
    for (int i = 0; i < 3; ++i) {
        edits_[std::size_t(i)] = new CDEdit(this);
        edits_[std::size_t(i)]->setObjectName(QString::fromLatin1(names[i]));
        edits_[std::size_t(i)]->setText(figures[std::size_t(i)]);
    }
    grid->addWidget(new QLabel(QStringLiteral("首重运费"), this), 0, 0);
    grid->addWidget(edits_[0], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("单位：元"), this), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("续重运费"), this), 1, 0);
    grid->addWidget(edits_[1], 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("单位：元"), this), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("购物满"), this), 2, 0);
    grid->addWidget(edits_[2], 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("免运费"), this), 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("单位：元"), this), 2, 3);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 3, 0, 1, 4);
}

CFreightSetPopup::Figures CFreightSetPopup::figures() const
{
    return {edits_[0]->text(), edits_[1]->text(), edits_[2]->text()};
}

CFreight::CFreight(const std::string &databasePath, const std::string &templateName, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), rates_(databasePath), template_(templateName), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CFreight"));
    setWindowTitle(QStringLiteral("运费设置 - ") + QString::fromStdString(templateName));
    resize(760, 560);
    editRates = [this](const CFreightSetPopup::Figures &f) -> std::optional<CFreightSetPopup::Figures> {
        CFreightSetPopup popup(f, this);
        if (popup.exec() != QDialog::Accepted)
            return std::nullopt;
        return popup.figures();
    };

    grid_ = new CReportCtrl(this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setColumns(
        QStringLiteral("选择,40,1; 行号,60,1; 省会名称,120,0; 首重运费,100,0;续重运费,100,0;购物满多少免运费,110,0"));
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            editOne(index.row());
    });

    auto *side = new QVBoxLayout;
    auto addButton = [this](QLayout *to, const char *text, const char *name, const char *key, auto slot) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
        connect(sc, &QShortcut::activated, b, &QPushButton::click);
        to->addWidget(b);
    };
    auto *single = new QGroupBox(QStringLiteral("单项操作"), this);
    auto *sl = new QVBoxLayout(single);
    addButton(sl, "免运费(M)", "freeOneButton", "Ctrl+M", [this] { freeOne(); });
    addButton(sl, "改运费(G)", "editOneButton", "Ctrl+G", [this] {
        const int row = firstSelected();
        if (row < 0)
            dialogs_.warn(this, QStringLiteral("请选择需要修改的项"));
        else
            editOne(row);
    });
    auto *batch = new QGroupBox(QStringLiteral("批量操作"), this);
    auto *bl = new QVBoxLayout(batch);
    addButton(bl, "全选(A)", "selectAllButton", "Ctrl+A", [this] { grid_->setAllChecked(true); });
    addButton(bl, "全不选(W)", "selectNoneButton", "Ctrl+W", [this] { grid_->setAllChecked(false); });
    addButton(bl, "全部免运费(B)", "freeAllButton", "Ctrl+B", [this] { freeAll(); });
    addButton(bl, "批量改运费(L)", "editCheckedButton", "Ctrl+L", [this] { editChecked(); });
    side->addWidget(single);
    side->addWidget(batch);
    side->addStretch(1);
    addButton(side, "确定修改(S)", "saveButton", "Ctrl+S", [this] { saveAll(); });
    addButton(side, "关闭(Q)", "closeButton", "Ctrl+Q", [this] { reject(); });

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(side);

    std::string error;
    const auto rows = rates_.rowsFor(template_, &error);
    if (!error.empty())
        dialogs_.message(this, QString(), QString::fromStdString(error), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
    int n = 0;
    for (const FreightRow &r : rows)
        grid_->appendRow({QString(), QString::number(++n), QString::fromStdString(r.province),
                          QString::fromStdString(r.afreight), QString::fromStdString(r.bfreight),
                          QString::fromStdString(r.moneyFree)});
}

void CFreight::setRow(int row, const CFreightSetPopup::Figures &f)
{
    for (int i = 0; i < 3; ++i)
        grid_->setCellText(row, 3 + i, f[std::size_t(i)]);
}

int CFreight::firstSelected() const
{
    const QList<int> rows = grid_->selectedRows();
    return rows.isEmpty() ? -1 : *std::min_element(rows.begin(), rows.end());
}

void CFreight::freeOne()
{
    const int row = firstSelected();
    if (row < 0) {
        dialogs_.warn(this, QStringLiteral("请选择需要修改的项"));
        return;
    }
    setRow(row, {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
}

void CFreight::editOne(int row)
{
    auto f = editRates({grid_->cellText(row, 3), grid_->cellText(row, 4), grid_->cellText(row, 5)});
    if (f)
        setRow(row, *f);
}

void CFreight::freeAll()
{
    if (!dialogs_.ask(this, QStringLiteral("您确认全部设置成免费吗？"), QStringLiteral("运费设置 - 全部免费")))
        return;
    for (int row = 0; row < grid_->rowCount(); ++row)
        setRow(row, {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
}

void CFreight::editChecked()
{
    const QList<int> rows = grid_->checkedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请先勾选需要修改运费的省份"));
        return;
    }
    auto f = editRates({});
    if (!f)
        return;
    for (int row : rows)
        setRow(row, *f);
}

void CFreight::saveAll()
{
    std::vector<FreightRow> rows;
    for (int row = 0; row < grid_->rowCount(); ++row) {
        FreightRow r;
        r.province = grid_->cellText(row, 2).toStdString();
        // An emptied figure is stored as 0, so that it reads back as a number.
        auto figure = [&](int column) {
            const QString t = grid_->cellText(row, column).trimmed();
            return t.isEmpty() ? std::string("0") : t.toStdString();
        };
        r.afreight = figure(3);
        r.bfreight = figure(4);
        r.moneyFree = figure(5);
        rows.push_back(std::move(r));
    }
    std::string error;
    if (!rates_.saveRows(template_, rows, &error)) {
        dialogs_.message(this, QString(), QString::fromStdString(error), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
        return;
    }
    accept();
}

}
