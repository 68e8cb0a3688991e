#include "ui/app/ST_SplitterWnd.h"

#include <QSettings>

namespace zentra::ui {

ST_SplitterWnd::ST_SplitterWnd(Qt::Orientation orientation, int level, QWidget *parent)
    : QSplitter(orientation, parent), level_(level)
{
    setChildrenCollapsible(false);
    for (int i = 0; i < 2; ++i) {
        auto *w = new QWidget;
        applyMinimumSize(w);
        addWidget(w);
    }
}

ST_SplitterWnd::~ST_SplitterWnd()
{
    QSettings settings;
    settings.setValue(QStringLiteral("SplitterWnd/Panes_%1").arg(level_), layoutText());
}

void ST_SplitterWnd::applyMinimumSize(QWidget *w) const
{
    if (byColumns())
        w->setMinimumWidth(kMinimumPaneSize);
    else
        w->setMinimumHeight(kMinimumPaneSize);
}

void ST_SplitterWnd::setPane(int index, QWidget *w)
{
    Q_ASSERT(index == 0 || index == 1);
    QWidget *old = widget(index);
    const bool hidden = index == 1 && secondPaneHidden();
    applyMinimumSize(w);
    replaceWidget(index, w);
    w->setVisible(!hidden);
    delete old;
    applyFixedSize();
}

void ST_SplitterWnd::setFixedSecondPaneSize(int size)
{
    fixedSecond_ = size;
    applyFixedSize();
}

std::array<int, 2> ST_SplitterWnd::currentSizes() const
{
    const QList<int> s = sizes();
    return {s.value(0, -1), s.value(1, -1)};
}

void ST_SplitterWnd::hideSecondPane()
{
    if (secondPaneHidden())
        return;
    paneSizes_ = currentSizes();
    hiddenPane_ = 1;
    widget(1)->hide();
}

void ST_SplitterWnd::showSecondPane()
{
    if (!secondPaneHidden())
        return;
    hiddenPane_ = -1;
    widget(1)->show();
    if (fixedSecond_ > 0)
        applyFixedSize();
    else
        setSizes({paneSizes_[0], paneSizes_[1]});
}

void ST_SplitterWnd::toggleSecondPane()
{
    if (secondPaneHidden())
        showSecondPane();
    else
        hideSecondPane();
}

void ST_SplitterWnd::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    if (height() > 0)
        applyFixedSize();
}

void ST_SplitterWnd::applyFixedSize()
{
    if (fixedSecond_ <= 0 || secondPaneHidden() || count() < 2)
        return;
    const int extent = (byColumns() ? width() : height()) - handleWidth();
    const int second = std::max(kMinimumPaneSize, std::min(fixedSecond_, extent - kMinimumPaneSize));
    setSizes({std::max(kMinimumPaneSize, extent - second), second});
}

QString ST_SplitterWnd::layoutText() const
{
    std::array<int, 2> s = secondPaneHidden() ? paneSizes_ : currentSizes();
    for (int &v : s)
        if (v == -1)
            v = 100;
    const int hiddenColumn = byColumns() ? hiddenPane_ : -1;
    const int hiddenRow = byColumns() ? -1 : hiddenPane_;
    return QStringLiteral("%1 %2 %3 %4").arg(hiddenColumn).arg(s[0]).arg(hiddenRow).arg(s[1]);
}

}
