#include "ui/users/CSysSetSheet.h"

#include "ui/common/Dialogs.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zentra::ui {

CSysSetSheet::CSysSetSheet(AppState &state, const std::string &configPath, const std::string &databasePath,
                           Dialogs &dialogs, const QStringList &printers,
                           CSysSetPrint::CalibrationPrinter printCalibration, QWidget *parent)
    : QDialog(parent), config_(configPath), dialogs_(dialogs), tabs_(new QTabWidget(this))
{
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(QStringLiteral("系统设置"));
    tabs_->setObjectName(QStringLiteral("settingsTabs"));

    auto *print = new CSysSetPrint(state, config_, printers, std::move(printCalibration));
    connect(print, &CSysSetPrint::calibrationFailed, this, [this](const QString &m) { dialogs_.warn(this, m); });
    pages_ = {new CSysSetRoutine(state, config_, databasePath, dialogs_), new CSysSetTemplate(state, config_),
              new CSysSetTaobao(state, config_), print};
    const char *const titles[] = {"常规设置", "模板设计", "淘宝设置", "打印设置"};
    for (std::size_t i = 0; i < pages_.size(); ++i)
        tabs_->addTab(pages_[i], QString::fromUtf8(titles[i]));
    visited_.assign(pages_.size(), false);
    visited_[0] = true;
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0)
            visited_[static_cast<std::size_t>(index)] = true;
    });

    auto make = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *ok = make("确定", "okButton");
    QPushButton *cancel = make("取消", "cancelButton");
    apply_ = make("应用", "applyButton");
    apply_->setEnabled(false);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSysSetSheet::acceptSheet);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &CSysSetSheet::apply);
    for (SettingsPage *page : pages_)
        connect(page, &SettingsPage::changed, this, [this] { apply_->setEnabled(true); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {ok, cancel, apply_})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);
    resize(480, 420);
}

void CSysSetSheet::applyPages(bool visitedToo)
{
    std::vector<std::string> errors;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        SettingsPage *page = pages_[i];
        if (!page->isModified() && !(visitedToo && visited_[i]))
            continue;
        page->apply(errors);
        page->setModified(false);
    }
    apply_->setEnabled(false);
    if (!errors.empty()) {
        QStringList lines;
        for (const std::string &e : errors)
            lines << QString::fromStdString(e);
        dialogs_.warn(this, QStringLiteral("无法保存设置：\n") + lines.join(QLatin1Char('\n')));
    }
}

void CSysSetSheet::apply()
{
    applyPages(false);
}

void CSysSetSheet::acceptSheet()
{
    applyPages(true);
    accept();
}

}
