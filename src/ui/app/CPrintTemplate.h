#pragma once

#include <QWidget>

class QTabWidget;

namespace zentra::ui {

// The tab panel on the right of the main window: the template list and the
// receiver, sender, goods and order panels, one page per tab, the template
// list shown at start. Until a panel exists its tab holds an empty page.
class CPrintTemplate : public QWidget {
    Q_OBJECT
public:
    enum Page { TemplateChooser = 0, Receiver, Sender, Cargo, OrderInfo, PageCount };
    static constexpr int kFreeRightBottom = 10;

    explicit CPrintTemplate(QWidget *parent = nullptr);

    // Puts `page` into tab `index`, replacing (and deleting) the page there.
    void setPage(int index, QWidget *page);
    QWidget *page(int index) const;
    QTabWidget *tabs() const { return tabs_; }

private:
    QTabWidget *tabs_;
};

}
