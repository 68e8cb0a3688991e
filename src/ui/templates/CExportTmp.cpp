#include "ui/templates/CExportTmp.h"

#include "core/templates/TemplateLibrary.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CExportTmp::CExportTmp(const DataFolder &folder, QWidget *parent) : QDialog(parent), list_(new CReportCtrl(this))
{
    setObjectName(QStringLiteral("exportTemplateDialog"));
    setWindowTitle(QStringLiteral("模板导出"));
    list_->setObjectName(QStringLiteral("exportList"));
    list_->setColumns(QStringLiteral("选择,40,1; 行号,60,1; 模板名称(),260,1"));
    list_->setCheckBoxes(true);
    const auto files = listTemplateFiles(folder);
    for (std::size_t i = 0; i < files.size(); ++i)
        list_->appendRow({QString(), QString::number(i + 1), QString::fromStdString(files[i])});

    auto make = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *all = make("全  选", "checkAllButton");
    QPushButton *none = make("全不选", "checkNoneButton");
    QPushButton *next = make("下一步", "nextButton");
    QPushButton *quit = make("退出", "quitButton");
    connect(all, &QPushButton::clicked, this, [this] { list_->setAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { list_->setAllChecked(false); });
    connect(next, &QPushButton::clicked, this, [this] {
        chosen_.clear();
        for (int row = 0; row < list_->rowCount(); ++row)
            if (list_->isChecked(row))
                chosen_.push_back(list_->cellText(row, 2).toStdString());
        accept();
    });
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {all, none})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton *b : {next, quit})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(420, 360);
}

void exportTemplatesInteractively(QWidget *parent, const DataFolder &folder, Dialogs &dialogs)
{
    CExportTmp chooser(folder, parent);
    if (chooser.exec() != QDialog::Accepted || chooser.chosen().empty())
        return;
    const QString dir = dialogs.chooseFolder(parent, QStringLiteral("请选择模板保存目录"), QString());
    if (dir.isEmpty())
        return;
    const BatchResult r = exportTemplates(folder, chooser.chosen(), dir.toStdString());
    if (!r.ok)
        dialogs.warn(parent, QStringLiteral("模板导出失败!\n%1").arg(QString::fromStdString(r.error)));
}

void importTemplatesInteractively(QWidget *parent, const DataFolder &folder, Dialogs &dialogs,
                                  const std::function<void()> &rebuildList)
{
    const QStringList files = dialogs.openFiles(parent, QStringLiteral("请选择需要导入的模板"), QString(),
                                                QStringLiteral("ttp files(*.ttp)"));
    if (files.isEmpty())
        return;
    std::vector<std::string> paths;
    for (const QString &f : files)
        paths.push_back(f.toStdString());
    const BatchResult r = importTemplates(folder, paths);
    if (!r.ok) {
        dialogs.warn(parent, QStringLiteral("模板导入失败!\n%1").arg(QString::fromStdString(r.error)));
        return;
    }
    rebuildList();
    dialogs.inform(parent, QStringLiteral("模板导入成功!"));
}

}
