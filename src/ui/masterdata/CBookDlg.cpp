#include "ui/masterdata/CBookDlg.h"

#include "ui/common/AcceleratorFilter.h"
#include "ui/common/CDEdit.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/data/CReportCtrl.h"
#include "ui/masterdata/BookCsvTransfer.h"
#include "ui/masterdata/BookRowSource.h"
#include "ui/masterdata/CDlgRevList.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace zentra::ui {
namespace {

// Selects `text` in the list, or the first entry. A stored value the list
// lacks (a class deleted since, a region typed elsewhere) is offered first, so
// editing an entry never changes it unasked.
void selectOrKeep(QComboBox *combo, const QString &text, bool keep)
{
    int at = combo->findText(text);
    if (at < 0 && keep && !text.isEmpty()) {
        combo->insertItem(0, text);
        at = 0;
    }
    combo->setCurrentIndex(std::max(0, at));
}

}

CBookDlg::CBookDlg(const BookDialogText &text, const std::string &databasePath, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), text_(text), book_(databasePath, *text.kind), regions_(databasePath), dialogs_(dialogs)
{
    setWindowTitle(text.caption);
    resize(1100, 640);

    askClassName = [this](const QString &caption, const QString &value) -> std::optional<QString> {
        CDlgRevList dlg(caption, value, this);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.value();
    };
    chooseClass = [this](const QStringList &classes) -> std::optional<QString> {
        CBookClassChooser dlg(text_.chooserCaption, classes, this);
        dlg.setObjectName(text_.chooserObjectName);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.value();
    };

    auto *top = new QHBoxLayout;
    auto *classBox = new QGroupBox(QStringLiteral("类别"), this);
    auto *cl = new QHBoxLayout(classBox);
    cl->addWidget(button(QStringLiteral("增加"), "classAdd", &CBookDlg::addClass));
    cl->addWidget(button(QStringLiteral("修改"), "classRename", &CBookDlg::renameClass));
    cl->addWidget(button(QStringLiteral("删除"), "classDelete", &CBookDlg::deleteClass));
    top->addWidget(classBox);

    auto *entryBox = new QGroupBox(text.entityGroup, this);
    entryBox->setObjectName(QStringLiteral("entryGroup"));
    auto *el = new QHBoxLayout(entryBox);
    struct Cmd {
        const char *label, *name, *key;
        void (CBookDlg::*slot)();
    };
    const Cmd cmds[] = {{"新增(N)", "newButton", "Ctrl+N", &CBookDlg::newEntry},
                        {"修改(E)", "editButton", "Ctrl+E", &CBookDlg::editSelected},
                        {"删除(D)", "deleteButton", "Ctrl+D", &CBookDlg::deleteSelected},
                        {"全选(A)", "selectAllButton", "Ctrl+A", &CBookDlg::selectAll},
                        {"全不选(W)", "selectNoneButton", "Ctrl+W", &CBookDlg::selectNone},
                        {"批量删除(B)", "batchDeleteButton", "Ctrl+B", &CBookDlg::batchDelete},
                        {"批量改类别(L)", "batchClassButton", "Ctrl+L", &CBookDlg::batchClass}};
    QList<QKeySequence> keys;
    for (const Cmd &c : cmds) {
        QPushButton *b = button(QString::fromUtf8(c.label), c.name, c.slot);
        el->addWidget(b);
        auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(c.key)), this);
        connect(sc, &QShortcut::activated, b, &QPushButton::click);
        keys << QKeySequence(QString::fromLatin1(c.key));
    }
    top->addWidget(entryBox);

    auto *searchBox = new QGroupBox(QStringLiteral("查询"), this);
    auto *sl = new QHBoxLayout(searchBox);
    searchEdit_ = new QLineEdit(searchBox);
    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    sl->addWidget(searchEdit_);
    QPushButton *find = button(QStringLiteral("查找(F)"), "searchButton", &CBookDlg::search);
    sl->addWidget(find);
    top->addWidget(searchBox, 1);

    panel_ = buildPanel();
    for (auto [key, name] :
         {std::pair{"Ctrl+F", "searchButton"}, {"Ctrl+S", "saveButton"}, {"Ctrl+H", "cancelButton"}}) {
        auto *b = findChild<QPushButton *>(QString::fromLatin1(name));
        auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
        connect(sc, &QShortcut::activated, b, [b] {
            if (b->isVisible())
                b->click();
        });
        keys << QKeySequence(QString::fromLatin1(key));
    }

    classList_ = new QListWidget(this);
    classList_->setObjectName(QStringLiteral("classList"));
    classList_->setMaximumWidth(180);
    classList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(classList_, &QListWidget::itemClicked, this, &CBookDlg::classChosen);
    connect(classList_, &QListWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QListWidgetItem *item = classList_->itemAt(pos);
        if (!item)
            return;
        classList_->setCurrentItem(item);
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("classMenu"));
        connect(menu.addAction(QStringLiteral("增加类别")), &QAction::triggered, this, &CBookDlg::addClass);
        connect(menu.addAction(QStringLiteral("修改类别")), &QAction::triggered, this, &CBookDlg::renameClass);
        connect(menu.addAction(QStringLiteral("删除类别")), &QAction::triggered, this, &CBookDlg::deleteClass);
        menu.exec(classList_->viewport()->mapToGlobal(pos));
    });

    grid_ = new CReportCtrl(this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setColumns(text.gridSpec);
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            editRow(index.row());
    });

    // The file commands sit under the class list, where the top row of
    // buttons leaves the search box its width.
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(button(QStringLiteral("导入"), "importButton", &CBookDlg::importFile));
    fileRow->addWidget(button(QStringLiteral("导出"), "exportButton", &CBookDlg::exportFile));
    auto *side = new QVBoxLayout;
    side->addWidget(classList_, 1);
    side->addLayout(fileRow);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(side);
    bottom->addWidget(grid_, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panel_);
    layout->addLayout(bottom, 1);

    AcceleratorFilter::install(this, keys);

    fillGrid();
    fillClassList();
    setPanelShown(false);
}

QPushButton *CBookDlg::button(const QString &label, const char *name, void (CBookDlg::*slot)())
{
    auto *b = new QPushButton(label, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
}

QWidget *CBookDlg::buildPanel()
{
    auto *panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("editPanel"));
    panel->setFlat(true);
    auto *grid = new QGridLayout(panel);
    int i = 0;
    for (const BookField &f : text_.fields) {
        QWidget *w = nullptr;
        switch (f.control) {
        case BookField::Control::Edit:
            w = new QLineEdit(panel);
            break;
        case BookField::Control::Numeric:
            w = new CDEdit(panel);
            break;
        case BookField::Control::Class:
            w = classCombo_ = new QComboBox(panel);
            break;
        case BookField::Control::Province:
            w = province_ = new QComboBox(panel);
            break;
        case BookField::Control::City:
            w = city_ = new QComboBox(panel);
            break;
        case BookField::Control::District:
            w = district_ = new QComboBox(panel);
            break;
        }
        w->setObjectName(QString::fromLatin1(f.column));
        auto *label = new QLabel(f.label, panel);
        label->setBuddy(w);
        grid->addWidget(label, i / 4, (i % 4) * 2);
        grid->addWidget(w, i / 4, (i % 4) * 2 + 1);
        fields_.emplace_back(f.column, w);
        ++i;
    }
    auto *save = new QPushButton(text_.saveButton, panel);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &CBookDlg::save);
    auto *cancel = new QPushButton(QStringLiteral("取消(H)"), panel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { setPanelShown(false); });
    const int row = (i + 3) / 4;
    grid->addWidget(save, row, 5);
    grid->addWidget(cancel, row, 7);

    if (province_) {
        connect(province_, &QComboBox::activated, this, [this] {
            provinceId_ = regions_.provinceId(ss(province_->currentText()));
            fillCities(QString());
        });
        connect(city_, &QComboBox::activated, this, [this] {
            cityId_ = regions_.cityId(ss(city_->currentText()));
            fillDistricts(QString());
        });
    }
    return panel;
}

bool CBookDlg::isPanelShown() const
{
    return !panel_->isHidden();
}

// The layout moves the class list and the grid up when the panel hides and
// gives them its height, and back down when it shows.
void CBookDlg::setPanelShown(bool shown)
{
    panel_->setVisible(shown);
}

void CBookDlg::fillGrid()
{
    fillGridByClass(std::string());
}

namespace {

// The book's columns behind the grid's columns from 2 on.
std::vector<std::string> gridColumnsOf(const BookKind &kind)
{
    std::vector<std::string> out;
    for (const auto &col : kind.gridColumns)
        out.push_back(col.second);
    return out;
}

}

void CBookDlg::fillGrid(DbRows rows)
{
    warnIfBusy(this, dialogs_, rows.ok, rows.error);
    grid_->deleteAllRows();
    auto source = std::make_shared<BookResultRows>(std::move(rows), gridColumnsOf(*text_.kind), text_.kind->idColumn);
    grid_->appendRows(source, source->size());
}

void CBookDlg::fillGridByClass(const std::string &className)
{
    bool ok = true;
    std::string error;
    std::vector<std::int64_t> ids = book_.listIds(className, &ok, &error);
    warnIfBusy(this, dialogs_, ok, error);
    grid_->deleteAllRows();
    auto source = std::make_shared<BookPageRows>(book_, std::move(ids), gridColumnsOf(*text_.kind));
    grid_->appendRows(source, source->size());
}

// The classes in the book's order ("_全部类别_" first, then GBK order), the
// one named `select` chosen, else the first.
void CBookDlg::fillClassList(const QString &select)
{
    classList_->clear();
    for (const std::string &c : book_.classes())
        classList_->addItem(qs(c));
    const QList<QListWidgetItem *> found = classList_->findItems(select, Qt::MatchExactly);
    if (!found.isEmpty())
        classList_->setCurrentItem(found.front());
    else if (classList_->count() > 0)
        classList_->setCurrentRow(0);
}

void CBookDlg::fillClassCombo(const QString &select)
{
    classCombo_->clear();
    for (const std::string &c : book_.classes())
        classCombo_->addItem(qs(c));
    selectOrKeep(classCombo_, select, true);
}

QString CBookDlg::currentClass() const
{
    return classList_->currentItem() ? classList_->currentItem()->text() : QString();
}

void CBookDlg::fillProvinces(const QString &select)
{
    province_->clear();
    provinceId_ = 0;
    const auto list = regions_.provinces();
    int at = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        province_->addItem(qs(list[i].name));
        if (qs(list[i].name) == select)
            at = int(i);
    }
    if (!select.isEmpty() && province_->findText(select) < 0) {
        selectOrKeep(province_, select, true);
        return;
    }
    if (!list.empty()) {
        province_->setCurrentIndex(at);
        provinceId_ = list[std::size_t(at)].id;
    }
}

void CBookDlg::fillCities(const QString &select)
{
    city_->clear();
    cityId_ = 0;
    const auto list = provinceId_ ? regions_.cities(provinceId_) : std::vector<Region>();
    int at = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        city_->addItem(qs(list[i].name));
        if (qs(list[i].name) == select)
            at = int(i);
    }
    if (!select.isEmpty() && city_->findText(select) < 0)
        selectOrKeep(city_, select, true);
    else if (!list.empty()) {
        city_->setCurrentIndex(at);
        cityId_ = list[std::size_t(at)].id;
    }
    fillDistricts(QString());
}

void CBookDlg::fillDistricts(const QString &select)
{
    district_->clear();
    const auto list = cityId_ ? regions_.districts(cityId_) : std::vector<Region>();
    for (const Region &r : list)
        district_->addItem(qs(r.name));
    selectOrKeep(district_, select, true);
}

QWidget *CBookDlg::fieldWidget(const char *column) const
{
    for (const auto &[c, w] : fields_)
        if (std::string_view(c) == column)
            return w;
    return nullptr;
}

void CBookDlg::newEntry()
{
    for (const auto &[c, w] : fields_)
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            e->clear();
            e->setReadOnly(false);
        }
    fillClassCombo(QString());
    if (province_) {
        fillProvinces(QString());
        fillCities(QString());
    }
    setPanelShown(true);
    mode_ = MasterBook::Mode::Add;
}

void CBookDlg::loadEntry(const DbRow &row)
{
    for (const auto &[c, w] : fields_)
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setText(qs(row.text(c)));
    fillClassCombo(qs(row.text(text_.kind->classColumn)));
    if (province_) {
        fillProvinces(qs(row.text(text_.kind->prefix + "province")));
        fillCities(qs(row.text(text_.kind->prefix + "city")));
        fillDistricts(qs(row.text(text_.kind->prefix + "district")));
        // An entry saved without a region keeps none.
        if (row.text(text_.kind->prefix + "province").empty()) {
            for (QComboBox *combo : {province_, city_, district_}) {
                combo->clear();
                combo->addItem(QString());
            }
            provinceId_ = cityId_ = 0;
            const std::vector<Region> provinces = regions_.provinces();
            for (const Region &r : provinces)
                province_->addItem(qs(r.name));
        }
    }
}

BookEntry CBookDlg::keyOfRow(int row) const
{
    BookEntry key;
    for (std::size_t i = 0; i < text_.kind->keyColumns.size(); ++i)
        key[text_.kind->keyColumns[i]] = ss(grid_->cellText(row, text_.keyGridColumn[i]));
    return key;
}

void CBookDlg::editSelected()
{
    const QList<int> rows = grid_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, text_.noSelection);
        return;
    }
    editRow(*std::min_element(rows.begin(), rows.end()));
}

void CBookDlg::editRow(int row)
{
    std::string error;
    auto entry = book_.find(keyOfRow(row), &error);
    if (!entry) {
        if (!error.empty())
            dialogs_.warn(this, qs(error));
        return;
    }
    loadEntry(*entry);
    setPanelShown(true);
    mode_ = MasterBook::Mode::Edit;
    // The identity cannot change while the entry is edited; in the address
    // books the name is locked with it.
    const std::string lockedName = text_.kind->nameColumn;
    for (const auto &[c, w] : fields_)
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setReadOnly(c == lockedName || std::count(text_.kind->keyColumns.begin(), text_.kind->keyColumns.end(),
                                                         std::string(c)) > 0);
}

void CBookDlg::save()
{
    if (!isPanelShown())
        return;
    BookEntry e;
    for (const auto &[c, w] : fields_) {
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            e[c] = ss(edit->text());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            e[c] = ss(combo->currentText());
    }
    BookResult r = book_.save(e, mode_);
    if (!r.ok()) {
        showFailure(r);
        return;
    }
    if (r.changed == 1) {
        fillGrid();
        // A class the entry brought along joins the list.
        if (classList_->findItems(classCombo_->currentText(), Qt::MatchExactly).isEmpty())
            fillClassList(currentClass());
        emit bookChanged();
    }
}

void CBookDlg::showFailure(const BookResult &r)
{
    if (r.status == BookResult::Status::Failed)
        dialogs_.message(this, QString(), qs(r.message), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
    else if (!r.message.empty())
        dialogs_.warn(this, qs(r.message));
}

void CBookDlg::deleteSelected()
{
    const QList<int> rows = grid_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, text_.noSelection);
        return;
    }
    if (!dialogs_.ask(this, text_.deleteQuestion, text_.deleteCaption))
        return;
    const int row = *std::min_element(rows.begin(), rows.end());
    BookResult r = book_.remove(keyOfRow(row));
    if (!r.ok()) {
        showFailure(r);
        return;
    }
    if (r.changed > 0) {
        grid_->deleteRow(row);
        emit bookChanged();
    }
}

void CBookDlg::batchDelete()
{
    if (!dialogs_.ask(this, text_.batchDeleteQuestion, text_.batchDeleteCaption))
        return;
    const QList<int> rows = grid_->checkedRows();
    std::vector<BookEntry> keys;
    for (int row : rows)
        keys.push_back(keyOfRow(row));
    auto result = book_.removeMany(keys);
    if (!result.result.ok()) {
        // Nothing was deleted, so every row stays.
        showFailure(result.result);
        return;
    }
    // Every checked entry is gone from the table now (some perhaps already
    // before), so exactly those rows leave the grid, last first.
    for (int i = int(rows.size()) - 1; i >= 0; --i)
        grid_->deleteRow(rows[i]);
    emit bookChanged();
}

void CBookDlg::selectAll()
{
    grid_->setAllChecked(true);
}

void CBookDlg::selectNone()
{
    grid_->setAllChecked(false);
}

void CBookDlg::batchClass()
{
    const QList<int> rows = grid_->checkedRows();
    if (rows.isEmpty() && !text_.nothingCheckedForClass.isEmpty()) {
        dialogs_.warn(this, text_.nothingCheckedForClass);
        return;
    }
    QStringList names;
    for (const std::string &c : book_.classes())
        names << qs(c);
    const std::optional<QString> chosen = chooseClass(names);
    if (!chosen || chosen->isEmpty())
        return;
    BookResult r;
    if (text_.classByName) {
        std::vector<std::string> keys;
        for (int row : rows)
            keys.push_back(ss(grid_->cellText(row, text_.keyGridColumn[0])));
        r = book_.setClassByName(keys, ss(*chosen));
    } else {
        std::vector<std::int64_t> ids;
        for (int row : rows)
            ids.push_back(grid_->cellText(row, text_.idGridColumn).toLongLong());
        r = book_.setClassById(ids, ss(*chosen));
    }
    if (!r.ok())
        showFailure(r);
    else
        emit bookChanged();
    fillGrid();
}

void CBookDlg::search()
{
    fillGrid(book_.search(ss(searchEdit_->text())));
}

void CBookDlg::classChosen()
{
    QListWidgetItem *item = classList_->currentItem();
    if (item)
        fillGridByClass(ss(item->text()));
}

void CBookDlg::addClass()
{
    const std::optional<QString> name = askClassName(text_.classAddCaption, QString());
    if (!name || name->isEmpty())
        return;
    BookResult r = book_.addClass(ss(*name));
    if (!r.ok()) {
        showFailure(r);
        return;
    }
    // The new class takes its place in the list's order and is selected.
    fillClassList(*name);
    emit bookChanged();
}

void CBookDlg::renameClass()
{
    QListWidgetItem *item = classList_->currentItem();
    if (!item)
        return;
    if (item->text() == QString::fromUtf8(kAllClasses)) {
        dialogs_.warn(this, QStringLiteral("全部类别无法修改"));
        return;
    }
    const std::optional<QString> name = askClassName(text_.classRenameCaption, item->text());
    if (!name || name->isEmpty())
        return;
    BookResult r = book_.renameClass(ss(item->text()), ss(*name));
    if (!r.ok()) {
        showFailure(r);
        return;
    }
    fillClassList(*name);
    emit bookChanged();
}

void CBookDlg::deleteClass()
{
    QListWidgetItem *item = classList_->currentItem();
    if (!item)
        return;
    if (item->text() == QString::fromUtf8(kAllClasses)) {
        dialogs_.warn(this, QStringLiteral("全部类别无法删除"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的类别吗？"), text_.classDeleteCaption))
        return;
    BookResult r = book_.deleteClass(ss(item->text()));
    if (!r.ok()) {
        showFailure(r);
        return;
    }
    delete item;
    classList_->setCurrentRow(0);
    emit bookChanged();
}

void CBookDlg::importFile()
{
    if (!importBookFile(this, book_, dialogs_, QDir::homePath()))
        return;
    fillClassList(currentClass());
    classChosen();
    emit bookChanged();
}

void CBookDlg::exportFile()
{
    exportBookFile(this, book_, folder_ ? *folder_ : DataFolder::ofDatabase(book_.databasePath()), dialogs_,
                   QDir::homePath(), text_.entityGroup + QStringLiteral(".csv"));
}

}
