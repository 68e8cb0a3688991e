#include "ui/templates/CPrintTmpChose.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/templates/TemplateLibrary.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/waybill/CQuorvelView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <set>

namespace zentra::ui {

CPrintTmpChose::CPrintTmpChose(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &view,
                               QWidget *parent)
    : QWidget(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs), view_(view),
      list_(new CReportCtrl(this)), current_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("templateChooserPage"));
    auto *group = new QGroupBox(QStringLiteral("模板操作"), this);
    auto *buttons = new QGridLayout(group);
    struct Button {
        const char *text, *name;
        void (CPrintTmpChose::*signal)();
    };
    const Button made[] = {
        {"编辑", "editButton", &CPrintTmpChose::editClicked},
        {"导入", "importButton", &CPrintTmpChose::importClicked},
        {"导出", "exportButton", &CPrintTmpChose::exportClicked},
        {"删除", "deleteButton", &CPrintTmpChose::deleteClicked},
        {"下载更多模板", "downloadButton", &CPrintTmpChose::downloadClicked},
    };
    int column = 0;
    for (const Button &b : made) {
        auto *button = new QPushButton(QString::fromUtf8(b.text), group);
        button->setObjectName(QString::fromLatin1(b.name));
        connect(button, &QPushButton::clicked, this, b.signal);
        if (column < 4)
            buttons->addWidget(button, 0, column++);
        else
            buttons->addWidget(button, 1, 0, 1, 2);
    }
    auto *currentRow = new QHBoxLayout;
    currentRow->addWidget(new QLabel(QStringLiteral("当前模板："), group));
    current_->setObjectName(QStringLiteral("currentTemplateEdit"));
    current_->setReadOnly(true);
    currentRow->addWidget(current_, 1);
    buttons->addLayout(currentRow, 2, 0, 1, 4);

    list_->setObjectName(QStringLiteral("templateList"));
    list_->setColumns(QStringLiteral("行号,60,1; 模板名称(双击可选择模板),240,1"));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setShowGrid(true);
    list_->setItemHeight(24);
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { chooseRow(index.row()); });
    list_->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 10, 10);
    layout->addWidget(group);
    layout->addWidget(list_, 1);

    const ConfigFile config(folder_.configPath());
    rebuildList(fileExists(config.path()) ? QString::fromStdString(config.readText("Template", "Default"))
                                          : QString());
}

QString CPrintTmpChose::currentName() const
{
    return current_->text();
}

void CPrintTmpChose::rebuildList(const QString &fileName)
{
    list_->deleteAllRows();
    list_->clearSelection();
    const std::vector<std::string> files = listTemplateFiles(folder_);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString file = QString::fromStdString(files[i]);
        const int row = list_->appendRow({QString::number(i + 1), file});
        if (!fileName.isEmpty() && file == fileName) {
            list_->selectRow(row);
            list_->scrollTo(list_->model()->index(row, 0));
            state_.currentTemplateName = templateNameOfFile(files[i]);
            current_->setText(QString::fromStdString(state_.currentTemplateName));
        }
    }
}

void CPrintTmpChose::chooseRow(int row)
{
    if (row < 0 || row >= list_->rowCount())
        return;
    if (state_.designMode == 1) {
        // The press of the double click moved the highlight; it goes back to
        // the current template, before the message and after the click's
        // release.
        selectCurrentRow();
        restoreOnRelease_ = true;
        dialogs_.inform(this, QStringLiteral("当前模板正在编辑,无法进行切换！"));
        return;
    }
    list_->clearSelection();
    list_->selectRow(row);
    const std::string file = list_->cellText(row, 1).toStdString();
    ConfigFile(folder_.configPath()).writeText("Template", "Default", file);
    state_.currentTemplateName = templateNameOfFile(file);
    current_->setText(QString::fromStdString(state_.currentTemplateName));
    view_.destroyAllItems();
    view_.loadTemplate(file);
}

void CPrintTmpChose::selectCurrentRow()
{
    list_->clearSelection();
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (templateNameOfFile(list_->cellText(row, 1).toStdString()) == state_.currentTemplateName) {
            list_->selectRow(row);
            return;
        }
    }
}

bool CPrintTmpChose::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            restoreOnRelease_ = false;
        } else if (event->type() == QEvent::MouseButtonRelease && restoreOnRelease_) {
            restoreOnRelease_ = false;
            // After the list has handled the release, which selects the row
            // under the pointer.
            QTimer::singleShot(0, this, [this] { selectCurrentRow(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPrintTmpChose::deleteSelected()
{
    std::set<int> rows;
    for (const QModelIndex &index : list_->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows.empty()) {
        dialogs_.inform(this, QStringLiteral("没有选择需要删除的模板"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的模板吗？"), QStringLiteral("模板 - 删除")))
        return;
    std::vector<std::string> names;
    for (int row : rows)
        names.push_back(templateNameOfFile(list_->cellText(row, 1).toStdString()));
    const BatchResult r = deleteTemplates(folder_, names);
    rebuildList();
    if (!r.ok)
        dialogs_.warn(this, QStringLiteral("模板“%1”无法删除：%2")
                                .arg(QString::fromStdString(r.failed), QString::fromStdString(r.error)));
}

}
