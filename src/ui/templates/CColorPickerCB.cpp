#include "ui/templates/CColorPickerCB.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>
#include <array>
#include <cstring>

namespace zentra::ui {

namespace {

// "Fushcia" is the name the table has always carried.
constexpr std::array<CColorPickerCB::NamedColor, 16> kColors = {{
    {"Black", 0, 0, 0},
    {"Maroon", 128, 0, 0},
    {"Green", 0, 128, 0},
    {"Olive", 128, 128, 0},
    {"Navy", 0, 0, 128},
    {"Purple", 128, 0, 128},
    {"Teal", 0, 128, 128},
    {"Grey", 128, 128, 128},
    {"Silver", 192, 192, 192},
    {"Red", 255, 0, 0},
    {"Lime", 0, 255, 0},
    {"Yellow", 255, 255, 0},
    {"Blue", 0, 0, 255},
    {"Fushcia", 255, 0, 255},
    {"Aqua", 0, 255, 255},
    {"White", 255, 255, 255},
}};

// One entry: the swatch with a black frame in the left quarter of `r`, the
// name to its right.
void paintEntry(QPainter &p, const QRect &r, const QColor &color, const QString &name, const QColor &textColor)
{
    const int quarter = r.width() / 4;
    const QRect swatch(r.left() + 2, r.top() + 2, std::max(1, quarter - 4), std::max(1, r.height() - 4));
    p.save();
    p.fillRect(swatch, color);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    p.setPen(textColor);
    const QRect text(r.left() + quarter + 2, r.top(), r.width() - quarter - 2, r.height());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, name);
    p.restore();
}

class SwatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.highlight());
        paintEntry(*painter, option.rect, index.data(Qt::UserRole).value<QColor>(), index.data().toString(),
                   option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }
};

}

std::span<const CColorPickerCB::NamedColor> CColorPickerCB::colorTable()
{
    return kColors;
}

CColorPickerCB::CColorPickerCB(QWidget *parent) : QComboBox(parent)
{
    std::array<NamedColor, kColors.size()> sorted = kColors;
    std::sort(sorted.begin(), sorted.end(),
              [](const NamedColor &a, const NamedColor &b) { return std::strcmp(a.name, b.name) < 0; });
    for (const NamedColor &c : sorted)
        addItem(QString::fromLatin1(c.name), QColor(c.r, c.g, c.b));
    setItemDelegate(new SwatchDelegate(this));
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Fushcia")) * 2 + 40);
}

QColor CColorPickerCB::colorAt(int index) const
{
    return itemData(index).value<QColor>();
}

int CColorPickerCB::findColor(const QColor &c) const
{
    int found = -1;
    for (int i = 0; i < count(); ++i)
        if (colorAt(i).rgb() == c.rgb())
            found = i;
    return found;
}

void CColorPickerCB::selectColor(const QColor &c)
{
    setCurrentIndex(std::max(0, findColor(c)));
}

void CColorPickerCB::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    paintEntry(painter, field, currentColor(), currentText(), palette().color(QPalette::ButtonText));
}

}
