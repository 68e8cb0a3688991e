#include "ui/waybill/MyEdit.h"

#include "core/templates/TemplateFile.h"
#include "render/ItemLayout.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextOption>

namespace zentra::ui {

MyEdit::MyEdit(int id, QWidget *parent) : QPlainTextEdit(parent), id_(id)
{
    setObjectName(QStringLiteral("item%1").arg(id));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(render::kEditFrame);
    // The plain frame is drawn in the foreground role, which for an edit box
    // is its text colour; the frame keeps the frame colour instead.
    setForegroundRole(QPalette::WindowText);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(render::kEditMargin);
    setTabChangesFocus(true);
    setAutoFillBackground(true);
    // What the box shows starts at its first line, as the printer starts: a
    // selection dragged past its bottom must not scroll the text away.
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [bar](int value) {
            if (value != 0)
                bar->setValue(0);
        });
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    // Hover moves give the design mode its sizing pointers.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    makeFont();
    applyColors();
}

void MyEdit::applyItem(const TemplateItem &item)
{
    setGeometry(item.left, item.top, item.right - item.left, item.bottom - item.top);
    // Unchanged text keeps the caret and the box's own undo.
    const QString text = QString::fromStdString(item.text);
    if (text != toPlainText())
        setText(text);
    fontSize_ = item.fontSize;
    faceName_ = QString::fromStdString(item.fontName);
    bold_ = item.bold;
    italic_ = item.italic;
    color_ = item.color;
    background_ = Qt::white;
    makeFont();
    applyColors();
}

TemplateItem MyEdit::toItem() const
{
    TemplateItem it;
    it.id = id_;
    it.text = toPlainText().toStdString();
    const QRect r = geometry();
    it.left = r.left();
    it.top = r.top();
    it.right = r.left() + r.width();
    it.bottom = r.top() + r.height();
    it.fontName = faceName_.toStdString();
    it.fontSize = fontSize_;
    it.color = color_;
    it.italic = italic_;
    it.bold = bold_;
    return it;
}

void MyEdit::setText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(t);
}

void MyEdit::setFontSize(int tenthsOfAPoint)
{
    fontSize_ = tenthsOfAPoint;
    makeFont();
}

void MyEdit::setFaceName(const QString &face)
{
    faceName_ = QString::fromStdString(limitFaceName(face.toStdString()));
    makeFont();
}

void MyEdit::setBold(bool on)
{
    bold_ = on;
    makeFont();
}

void MyEdit::setItalic(bool on)
{
    italic_ = on;
    makeFont();
}

void MyEdit::setTextColor(Rgb c)
{
    color_ = c;
    applyColors();
}

void MyEdit::setBackgroundColor(const QColor &c)
{
    background_ = c;
    applyColors();
}

void MyEdit::makeFont()
{
    TemplateItem it;
    it.fontName = faceName_.toStdString();
    it.fontSize = fontSize_;
    it.bold = bold_;
    it.italic = italic_;
    setFont(render::screenFont(it, logicalDpiY()));
}

void MyEdit::changeEvent(QEvent *event)
{
    // Moved to a screen of another resolution: the point size stays, the
    // pixels change.
    if (event->type() == QEvent::ScreenChangeInternal)
        makeFont();
    QPlainTextEdit::changeEvent(event);
}

void MyEdit::mousePressEvent(QMouseEvent *event)
{
    // A press inside selected text would start a text drag; like the Windows
    // edit box an item has none: the press places the caret instead.
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier)) {
        QTextCursor c = textCursor();
        if (c.hasSelection()) {
            c.clearSelection();
            setTextCursor(c);
        }
    }
    QPlainTextEdit::mousePressEvent(event);
}

int MyEdit::sizingZone(QPoint local) const
{
    int zone = NoEdge;
    if (local.x() < 2)
        zone |= LeftEdge;
    else if (local.x() >= width() - 2)
        zone |= RightEdge;
    if (local.y() < 2)
        zone |= TopEdge;
    else if (local.y() >= height() - 2)
        zone |= BottomEdge;
    return zone;
}

void MyEdit::setDesignCursor(int zone)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    const bool horizontal = zone & (LeftEdge | RightEdge), vertical = zone & (TopEdge | BottomEdge);
    if (horizontal && vertical)
        shape = zone == (LeftEdge | TopEdge) || zone == (RightEdge | BottomEdge) ? Qt::SizeFDiagCursor
                                                                                 : Qt::SizeBDiagCursor;
    else if (horizontal)
        shape = Qt::SizeHorCursor;
    else if (vertical)
        shape = Qt::SizeVerCursor;
    setCursor(shape);
    viewport()->setCursor(shape);
}

void MyEdit::setMoveCursor()
{
    setCursor(Qt::SizeAllCursor);
    viewport()->setCursor(Qt::SizeAllCursor);
}

void MyEdit::unsetDesignCursor()
{
    unsetCursor();
    viewport()->setCursor(Qt::IBeamCursor);
}

void MyEdit::applyColors()
{
    QPalette pal = palette();
    const QColor text(color_.r, color_.g, color_.b);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::WindowText, frameColor());
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::Base, background_);
        pal.setColor(group, QPalette::Window, background_);
    }
    setPalette(pal);
}

}
