#pragma once

#include "core/templates/Template.h"

#include <QColor>
#include <QPlainTextEdit>

namespace zentra::ui {

// One template item on the canvas: a multi-line edit box with a one-pixel
// border at the item's rectangle, showing its text in the item's font and
// colour on white (or the selection colour in design mode). It breaks lines
// exactly as render::breakLines does for printing: the same font, the same
// width (render::lineWidth), the same wrap rule. It always shows its text from
// the first line (it never scrolls, so what it shows is what prints), takes no
// text drags or drops, and its border keeps the frame colour whatever the text
// colour.
class MyEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    // `id` is 100 + field index.
    MyEdit(int id, QWidget *parent);

    int id() const { return id_; }
    int fieldIndex() const { return id_ - Template::kFirstItemId; }

    // Takes the rectangle, text, font fields and colour of a template item.
    void applyItem(const TemplateItem &item);
    // The item as it stands: the rectangle in canvas coordinates, the text and
    // the font fields.
    TemplateItem toItem() const;

    QString text() const { return toPlainText(); }
    void setText(const QString &text);

    int fontSize() const { return fontSize_; }
    void setFontSize(int tenthsOfAPoint);
    const QString &faceName() const { return faceName_; }
    void setFaceName(const QString &face);
    bool isBold() const { return bold_; }
    void setBold(bool on);
    bool isItalic() const { return italic_; }
    void setItalic(bool on);
    Rgb textColor() const { return color_; }
    void setTextColor(Rgb c);

    QColor backgroundColor() const { return background_; }
    void setBackgroundColor(const QColor &c);

    // Remakes the font from the fields above for the screen the item is on.
    void makeFont();

    // The border zones used for sizing: a point (in the item's coordinates)
    // within one pixel of an edge gives that edge; a corner gives two.
    enum Edge { NoEdge = 0, LeftEdge = 1, RightEdge = 2, TopEdge = 4, BottomEdge = 8 };
    int sizingZone(QPoint local) const;
    // The pointer shape of the design mode over a zone (the arrow over none),
    // or the edit box's own shapes again.
    void setDesignCursor(int zone);
    void setMoveCursor();
    void unsetDesignCursor();

    // The colour every item's border is drawn in.
    static QColor frameColor() { return QColor(Qt::black); }

protected:
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void applyColors();

    int id_;
    int fontSize_ = 200;
    QString faceName_ = QStringLiteral("宋体");
    bool bold_ = false;
    bool italic_ = false;
    Rgb color_;
    QColor background_ = Qt::white;
};

}
