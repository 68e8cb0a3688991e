#pragma once

#include "core/taobao/OrderPage.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace zentra::ui {

class Dialogs;

// The browser window of the order list: the shop logs in to the marketplace
// and opens an order's detail page; the window reads the order from the page,
// asks the address service for the buyer's address and hands the whole order
// to the order list.
//
// State 1: ready to read a detail page (at start and after every navigation
// button). State 2: a page was read and its address is asked for; the next
// detail page is read only after a navigation button.
class CBrowser : public QDialog {
    Q_OBJECT
public:
    // `storage` is the folder of the browser's cookies and cache (the login
    // survives a restart).
    CBrowser(OrderPageSettings settings, const QString &storage, Dialogs &dialogs, QWidget *parent = nullptr);
    ~CBrowser() override;

    // An order read from its page, with its composite address.
    std::function<void(const PageOrder &order)> onOrderRead;

    int state() const { return state_; }
    QWebEngineView *view() const { return view_; }
    void navigate(const QString &address);

    // How often and how far apart a busy address service is asked again.
    int retryLimit = 5;
    int retryDelayMs = 1000;

signals:
    // After each page has been looked at (tests wait for it).
    void pageHandled(const QString &location);

private:
    void pageLoaded(bool ok);
    void readDetailPage();
    void readAddressReply();
    void navigationButton(void (QWebEngineView::*step)());

    OrderPageSettings settings_;
    Dialogs &dialogs_;
    QWebEngineProfile *profile_ = nullptr;
    QWebEngineView *view_ = nullptr;
    QLineEdit *address_ = nullptr;
    int state_ = 1;
    int retries_ = 0;
    PageOrder pending_;
};

}
