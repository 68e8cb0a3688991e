#pragma once

#include <QColor>
#include <QComboBox>

#include <span>

namespace zentra::ui {

// A drop-down list of the 16 named colours of items, sorted by name (so
// "Aqua" is entry 0), each entry drawn as a black-framed swatch in the left
// quarter with the name beside it; each entry's data is its colour. Used by
// the design panel and the settings.
class CColorPickerCB : public QComboBox {
    Q_OBJECT
public:
    struct NamedColor {
        const char *name;
        int r, g, b;
    };
    // The table in its own order (black first), as the entries are made from it.
    static std::span<const NamedColor> colorTable();

    explicit CColorPickerCB(QWidget *parent = nullptr);

    QColor colorAt(int index) const;
    QColor currentColor() const { return colorAt(currentIndex()); }

    // The last entry of colour `c`; -1 when there is none.
    int findColor(const QColor &c) const;
    // Selects the last entry of colour `c`, or entry 0 when none has it.
    void selectColor(const QColor &c);

protected:
    void paintEvent(QPaintEvent *event) override;
};

}
