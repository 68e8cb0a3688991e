#pragma once

#include <QSplitter>

#include <array>

namespace zentra::ui {

// A splitter of exactly two panes along one axis whose second pane can be
// hidden and shown again, keeping the sizes the panes had. With a fixed
// second-pane size, every resize gives the second pane that size and the first
// pane the rest. When destroyed it writes its layout to the application
// settings, section "SplitterWnd", key "Panes_<level>", as "hiddenColumn size0
// hiddenRow size1" (-1 for no hidden pane; a hidden pane's sizes are those it
// had before hiding); nothing reads it back.
class ST_SplitterWnd : public QSplitter {
    Q_OBJECT
public:
    // `level` is 0 for an outer splitter and the parent's level + 1 for one
    // nested in a pane of another.
    ST_SplitterWnd(Qt::Orientation orientation, int level, QWidget *parent = nullptr);
    ~ST_SplitterWnd() override;

    int level() const { return level_; }
    bool byColumns() const { return orientation() == Qt::Horizontal; }

    // Puts `widget` into pane `index` (0 or 1), deleting the widget it
    // replaces. The pane keeps its hidden state and its minimum size.
    void setPane(int index, QWidget *widget);
    QWidget *pane(int index) const { return widget(index); }

    // 0 = the panes share the space by their stretch; otherwise the second
    // pane gets exactly this size on every resize.
    void setFixedSecondPaneSize(int size);

    void hideSecondPane();
    void showSecondPane();
    void toggleSecondPane();
    bool secondPaneHidden() const { return hiddenPane_ == 1; }

    // The "%d %d %d %d" text written on destruction.
    QString layoutText() const;

    static constexpr int kMinimumPaneSize = 10;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyFixedSize();
    void applyMinimumSize(QWidget *w) const;
    std::array<int, 2> currentSizes() const;

    int level_;
    int hiddenPane_ = -1;
    std::array<int, 2> paneSizes_{100, 100};
    int fixedSecond_ = 0;
};

}
