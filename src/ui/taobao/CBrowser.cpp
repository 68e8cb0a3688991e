#include "ui/taobao/CBrowser.h"

#include "ui/common/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace zentra::ui {
namespace {

// A page that would open a new window opens it in this same view.
class SameViewPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage *createWindow(WebWindowType) override { return this; }
};

}

CBrowser::CBrowser(OrderPageSettings settings, const QString &storage, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), settings_(std::move(settings)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CBrowser"));
    setWindowTitle(QStringLiteral("浏览器"));
    setModal(false);
    resize(1000, 700);

    profile_ = new QWebEngineProfile(QStringLiteral("orders"), this);
    if (!storage.isEmpty()) {
        profile_->setPersistentStoragePath(storage);
        profile_->setCachePath(storage + QStringLiteral("/cache"));
    }
    view_ = new QWebEngineView(this);
    view_->setObjectName(QStringLiteral("view"));
    view_->setPage(new SameViewPage(profile_, view_));
    // Order pages open some of their links from scripts.
    view_->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    connect(view_, &QWebEngineView::loadFinished, this, &CBrowser::pageLoaded);

    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("addressEdit"));
    auto *go = new QPushButton(QStringLiteral("GO.."), this);
    go->setObjectName(QStringLiteral("goButton"));
    connect(go, &QPushButton::clicked, this, [this] { navigate(address_->text()); });
    connect(address_, &QLineEdit::returnPressed, go, &QPushButton::click);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("输入网址："), this));
    bar->addWidget(address_, 1);
    bar->addWidget(go);
    const struct {
        const char *label, *name;
        void (QWebEngineView::*step)();
    } steps[] = {{"返回", "backButton", &QWebEngineView::back},
                 {"前进", "forwardButton", &QWebEngineView::forward},
                 {"停止", "stopButton", &QWebEngineView::stop},
                 {"刷新", "refreshButton", &QWebEngineView::reload},
                 {"主页", "homeButton", nullptr}};
    for (const auto &s : steps) {
        auto *b = new QPushButton(QString::fromUtf8(s.label), this);
        b->setObjectName(QString::fromLatin1(s.name));
        b->setAutoDefault(false);
        auto step = s.step;
        connect(b, &QPushButton::clicked, this, [this, step] { navigationButton(step); });
        bar->addWidget(b);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);

    navigate(QString::fromStdString(settings_.loginPage));
}

CBrowser::~CBrowser()
{
    // The page goes before its profile.
    delete view_;
}

void CBrowser::navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    address_->setText(url.host().isEmpty() ? address : url.toString());
    view_->load(url);
}

void CBrowser::navigationButton(void (QWebEngineView::*step)())
{
    state_ = 1;
    if (step)
        (view_->*step)();
    else
        navigate(QString::fromStdString(settings_.loginPage));
}

void CBrowser::pageLoaded(bool)
{
    const QString location = view_->url().toString();
    address_->setText(location);
    switch (classifyOrderPage(location.toStdString(), settings_)) {
    case OrderPageKind::Detail:
        if (state_ == 1) {
            readDetailPage();
            return;
        }
        break;
    case OrderPageKind::AddressReply:
        if (state_ == 2) {
            readAddressReply();
            return;
        }
        break;
    case OrderPageKind::Other:
        break;
    }
    emit pageHandled(location);
}

void CBrowser::readDetailPage()
{
    const QString location = view_->url().toString();
    view_->page()->runJavaScript(QString::fromUtf8(orderPageScript()), [this, location](const QVariant &result) {
        OrderPageTexts texts;
        if (parseOrderPageTexts(result.toString().toStdString(), texts)) {
            pending_ = orderFromPage(texts);
            // Without the buyer's address block there is nothing to ask.
            if (!pending_.addressUrl.empty()) {
                state_ = 2;
                retries_ = 0;
                view_->load(QUrl(QString::fromStdString(pending_.addressUrl)));
            }
        }
        emit pageHandled(location);
    });
}

void CBrowser::readAddressReply()
{
    const QString location = view_->url().toString();
    view_->page()->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"),
                                 [this, location](const QVariant &result) {
        const AddressReply reply = parseAddressReply(result.toString().toStdString());
        if (reply.busy) {
            if (retries_ < retryLimit) {
                ++retries_;
                QTimer::singleShot(retryDelayMs, this, [this] { view_->reload(); });
            } else {
                dialogs_.warn(this, QStringLiteral("获取收货地址失败，请稍后再试"), windowTitle());
                view_->back();
            }
            emit pageHandled(location);
            return;
        }
        pending_.order.addressInfo = reply.composite;
        if (onOrderRead)
            onOrderRead(pending_);
        view_->back();
        emit pageHandled(location);
    });
}

}
