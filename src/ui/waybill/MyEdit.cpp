#include "ui/waybill/MyEdit.h"

#include "core/templates/TemplateFile.h"
#include "render/ItemLayout.h"

#include <QEvent>
#include <QTextOption>

namespace zentra::ui {

MyEdit::MyEdit(int id, QWidget *parent) : QPlainTextEdit(parent), id_(id)
{
    setObjectName(QStringLiteral("item%1").arg(id));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(render::kEditFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(render::kEditMargin);
    setTabChangesFocus(true);
    setAutoFillBackground(true);
    makeFont();
    applyColors();
}

void MyEdit::applyItem(const TemplateItem &item)
{
    setGeometry(item.left, item.top, item.right - item.left, item.bottom - item.top);
    setText(QString::fromStdString(item.text));
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

void MyEdit::applyColors()
{
    QPalette pal = palette();
    const QColor text(color_.r, color_.g, color_.b);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::Base, background_);
        pal.setColor(group, QPalette::Window, background_);
    }
    setPalette(pal);
}

}
