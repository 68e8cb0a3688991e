#include "ui/app/CPrintTemplate.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace zentra::ui {

namespace {

const char *const kCaptions[CPrintTemplate::PageCount] = {"选择模板", "收件人", "发件人", "发货物品", "订单信息"};
const char *const kPageNames[CPrintTemplate::PageCount] = {"templateChooserPage", "receiverPage", "senderPage",
                                                           "cargoPage", "orderInfoPage"};

}

CPrintTemplate::CPrintTemplate(QWidget *parent) : QWidget(parent), tabs_(new QTabWidget(this))
{
    setObjectName(QStringLiteral("printTemplate"));
    tabs_->setObjectName(QStringLiteral("templateTabs"));
    auto *layout = new QVBoxLayout(this);
    // The tab control keeps its top-left corner and leaves 10 pixels free at
    // the right and the bottom of the panel.
    layout->setContentsMargins(0, 2, kFreeRightBottom, kFreeRightBottom);
    layout->addWidget(tabs_);
    for (int i = 0; i < PageCount; ++i) {
        auto *placeholder = new QWidget;
        placeholder->setObjectName(QString::fromLatin1(kPageNames[i]));
        tabs_->addTab(placeholder, QString::fromUtf8(kCaptions[i]));
    }
    tabs_->setCurrentIndex(TemplateChooser);
}

void CPrintTemplate::setPage(int index, QWidget *page)
{
    if (index < 0 || index >= PageCount)
        return;
    const bool current = tabs_->currentIndex() == index;
    QWidget *old = tabs_->widget(index);
    tabs_->removeTab(index);
    tabs_->insertTab(index, page, QString::fromUtf8(kCaptions[index]));
    delete old;
    if (current)
        tabs_->setCurrentIndex(index);
}

QWidget *CPrintTemplate::page(int index) const
{
    return tabs_->widget(index);
}

}
