#include "ui/templates/CAddTmpSheet.h"

#include "core/config/AppState.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "core/templates/TemplateSync.h"
#include "ui/common/CDEdit.h"
#include "ui/common/Dialogs.h"
#include "ui/templates/LabelCheckBoxes.h"
#include "ui/templates/PictureImport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {
namespace {

CDEdit *sizeEdit(const char *name, QWidget *parent)
{
    auto *e = new CDEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

std::string text(const QLineEdit *e)
{
    return e->text().toStdString();
}

}

CAddImgPage::CAddImgPage(const DataFolder &folder, Dialogs &dialogs, QWidget *parent)
    : QWizardPage(parent), folder_(folder), dialogs_(dialogs), picture_(new PictureImport(dialogs, this)),
      name_(new QLineEdit(this)), width_(sizeEdit("widthEdit", this)), height_(sizeEdit("heightEdit", this))
{
    setObjectName(QStringLiteral("addImagePage"));
    setTitle(QStringLiteral("添加背景图片"));
    name_->setObjectName(QStringLiteral("nameEdit"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("模板名称"), name_);
    form->addRow(QStringLiteral("宽度(厘米)"), width_);
    form->addRow(QStringLiteral("高度(厘米)"), height_);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(picture_, 1);
    layout->addLayout(form);
}

bool CAddImgPage::validatePage()
{
    const NewTemplateInput in{text(name_), text(width_), text(height_), picture_->imageData()};
    if (const std::string problem = newTemplateProblem(in); !problem.empty()) {
        dialogs_.inform(this, QString::fromStdString(problem));
        return false;
    }
    if (templateFilePath(folder_, in.name).empty()) {
        dialogs_.warn(this, QStringLiteral("模板名称不能含有 / 或 \\"));
        return false;
    }
    if (templateNameTaken(folder_, in.name))
        return dialogs_.ask(this, QStringLiteral("相同名称的模板已经存在，是否覆盖？"));
    return true;
}

CAddEditPage::CAddEditPage(QWidget *parent) : QWizardPage(parent), boxes_(new LabelCheckBoxes(this))
{
    setObjectName(QStringLiteral("addLabelPage"));
    setTitle(QStringLiteral("添加标签"));
    auto *all = new QPushButton(QStringLiteral("全选"), this);
    auto *none = new QPushButton(QStringLiteral("取消全选"), this);
    all->setObjectName(QStringLiteral("checkAllButton"));
    none->setObjectName(QStringLiteral("checkNoneButton"));
    connect(all, &QPushButton::clicked, this, [this] { boxes_->setAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { boxes_->setAllChecked(false); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(boxes_, 1);
    layout->addLayout(buttons);
}

CAddTmpSheet::CAddTmpSheet(const AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent)
    : QWizard(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs),
      imagePage_(new CAddImgPage(folder_, dialogs, this)), labelPage_(new CAddEditPage(this))
{
    setObjectName(QStringLiteral("addTemplateSheet"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoDefaultButton);
    addPage(imagePage_);
    addPage(labelPage_);
    // The sheet has no caption of its own: the title bar shows the page's,
    // as a wizard does.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (QWizardPage *p = page(id))
            setWindowTitle(p->title());
    });
    setWindowTitle(imagePage_->title());
    setButtonText(QWizard::BackButton, QStringLiteral("上一步"));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完成"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));
    for (auto which : {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton})
        if (auto *b = qobject_cast<QPushButton *>(button(which)))
            b->setAutoDefault(false);
    // Enter in any child (an edit box, a check box) would reach the sheet.
    qApp->installEventFilter(this);
}

bool CAddTmpSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (w && (w == this || isAncestorOf(w)) && (key == Qt::Key_Return || key == Qt::Key_Enter))
            return true;
    }
    return QWizard::eventFilter(watched, event);
}

void CAddTmpSheet::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QWizard::keyPressEvent(event);
}

void CAddTmpSheet::accept()
{
    const NewTemplateInput in{text(imagePage_->nameEdit()), text(imagePage_->widthEdit()),
                              text(imagePage_->heightEdit()), imagePage_->picture()->imageData()};
    std::vector<int> fields;
    for (int i = 0; i < LabelCheckBoxes::kSlotCount; ++i)
        if (labelPage_->boxes()->isChecked(i))
            fields.push_back(i);
    const std::string path = templateFilePath(folder_, in.name);
    std::string error;
    if (path.empty() || !saveTemplateFile(path, buildNewTemplate(in, fields, state_), &error)) {
        dialogs_.warn(this, QStringLiteral("模板保存失败!\n%1").arg(QString::fromStdString(error)));
        return;
    }
    writtenFile_ = in.name + ".ttp";
    // The shop's other stations get it from a shared database.
    if (const TemplateSyncResult s = syncTemplates(folder_); !s.ok)
        dialogs_.warn(this, QString::fromStdString(s.error));
    QWizard::accept();
}

CChangeImgDlg::CChangeImgDlg(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), picture_(new PictureImport(dialogs, this)),
      width_(sizeEdit("widthEdit", this)), height_(sizeEdit("heightEdit", this))
{
    setObjectName(QStringLiteral("changeImageDialog"));
    setWindowTitle(QStringLiteral("更改模板背景图片"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("宽度(厘米)"), width_);
    form->addRow(QStringLiteral("高度(厘米)"), height_);
    auto *box = new QDialogButtonBox(this);
    QPushButton *ok = box->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = box->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(box, &QDialogButtonBox::accepted, this, &CChangeImgDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *right = new QVBoxLayout;
    right->addLayout(form);
    right->addStretch(1);
    right->addWidget(box);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(picture_, 1);
    layout->addLayout(right);
}

void CChangeImgDlg::accept()
{
    const std::string problem = backgroundProblem(picture_->imageData(), text(width_), text(height_));
    if (!problem.empty()) {
        dialogs_.inform(this, QString::fromStdString(problem));
        return;
    }
    QDialog::accept();
}

}
