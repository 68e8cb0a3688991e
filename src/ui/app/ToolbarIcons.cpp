#include "ui/app/ToolbarIcons.h"

#include "ui/app/MainCommands.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace zentra::ui {

namespace {

// Every picture is drawn on a 32 x 32 grid and rendered at several sizes.
using Painter = std::function<void(QPainter &)>;

const QColor kInk(0x4a, 0x52, 0x60);
const QColor kPaper(0xfd, 0xfd, 0xfb);
const QColor kBlue(0x2f, 0x6f, 0xb3);
const QColor kGreen(0x2e, 0x9a, 0x55);
const QColor kOrange(0xe8, 0x8a, 0x24);
const QColor kRed(0xc8, 0x45, 0x3c);
const QColor kCardboard(0xc8, 0x94, 0x5a);

QPen pen(const QColor &c, qreal w = 1.6)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with a folded top-right corner.
void sheet(QPainter &p, QRectF r)
{
    const qreal fold = r.width() * 0.28;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(pen(kInk, 1.4));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void textLines(QPainter &p, qreal x, qreal y, qreal w, int count, const QColor &c = kInk)
{
    p.setPen(pen(c, 1.4));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x, y + i * 4), QPointF(x + (i % 2 ? w * 0.7 : w), y + i * 4));
}

// A filled round badge with a white plus.
void plusBadge(QPainter &p, QPointF c, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, 6.5, 6.5);
    p.setPen(pen(Qt::white, 2.2));
    p.drawLine(c + QPointF(-3.5, 0), c + QPointF(3.5, 0));
    p.drawLine(c + QPointF(0, -3.5), c + QPointF(0, 3.5));
}

void person(QPainter &p, QPointF at, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(at + QPointF(0, -7), 5, 5);
    QPainterPath body;
    body.moveTo(at + QPointF(-9, 11));
    body.cubicTo(at + QPointF(-9, 1), at + QPointF(9, 1), at + QPointF(9, 11));
    body.closeSubpath();
    p.drawPath(body);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &color)
{
    p.setPen(pen(color, 2.6));
    p.drawLine(from, to);
    const qreal dir = to.x() > from.x() ? -1 : 1;
    p.drawLine(to, to + QPointF(dir * 4, -4));
    p.drawLine(to, to + QPointF(dir * 4, 4));
}

void printer(QPainter &p, qreal dx)
{
    p.setPen(pen(kInk, 1.4));
    p.setBrush(kPaper);
    p.drawRect(QRectF(9 + dx, 4, 14, 9)); // paper going in
    p.setBrush(QColor(0x7b, 0x86, 0x96));
    p.drawRoundedRect(QRectF(3 + dx, 12, 26, 11), 2.5, 2.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8 + dx, 19, 16, 10)); // printed sheet
    textLines(p, 11 + dx, 23, 10, 2, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(25 + dx, 15.5), 1.4, 1.4);
}

void drawNewWaybill(QPainter &p)
{
    sheet(p, QRectF(5, 3, 19, 25));
    textLines(p, 9, 11, 10, 3);
    plusBadge(p, QPointF(24, 24), kGreen);
}

void drawHistory(QPainter &p)
{
    sheet(p, QRectF(4, 3, 19, 25));
    textLines(p, 8, 11, 10, 3);
    p.setPen(pen(kBlue, 1.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(23, 22), 7, 7);
    p.drawLine(QPointF(23, 22), QPointF(23, 17.5));
    p.drawLine(QPointF(23, 22), QPointF(26.5, 23.5));
}

void drawTaobao(QPainter &p)
{
    p.setPen(pen(kInk, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 3, 12, 12), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    QPainterPath bag;
    bag.moveTo(6, 10);
    bag.lineTo(26, 10);
    bag.lineTo(28, 29);
    bag.lineTo(4, 29);
    bag.closeSubpath();
    p.drawPath(bag);
    p.setPen(pen(Qt::white, 1.8));
    p.drawLine(QPointF(10, 14), QPointF(10, 17));
    p.drawLine(QPointF(22, 14), QPointF(22, 17));
    p.drawArc(QRectF(10, 13, 12, 9), 180 * 16, 180 * 16);
}

void drawNewSender(QPainter &p)
{
    person(p, QPointF(12, 16), kBlue);
    arrow(p, QPointF(18, 24), QPointF(29, 24), kOrange);
}

void drawNewReceiver(QPainter &p)
{
    person(p, QPointF(20, 16), kGreen);
    arrow(p, QPointF(14, 24), QPointF(3, 24), kOrange);
}

void drawRecognize(QPainter &p)
{
    sheet(p, QRectF(3, 3, 19, 24));
    textLines(p, 7, 10, 10, 4);
    p.setPen(pen(kBlue, 2.6));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(20, 19), 6, 6);
    p.drawLine(QPointF(24.5, 23.5), QPointF(29, 28));
}

void drawAddGoods(QPainter &p)
{
    p.setPen(pen(kInk, 1.4));
    p.setBrush(kCardboard);
    p.drawRect(QRectF(3, 10, 21, 17));
    p.setBrush(kCardboard.lighter(115));
    QPainterPath lid;
    lid.moveTo(3, 10);
    lid.lineTo(7, 5);
    lid.lineTo(28, 5);
    lid.lineTo(24, 10);
    lid.closeSubpath();
    p.drawPath(lid);
    p.setPen(pen(kPaper, 2.2));
    p.drawLine(QPointF(13.5, 10.5), QPointF(13.5, 26.5));
    plusBadge(p, QPointF(24, 24), kGreen);
}

// A sheet whose left edge is at `x`, with two dashed item boxes on it, the
// second `secondWidth` wide.
void templateSheet(QPainter &p, qreal x, qreal secondWidth)
{
    sheet(p, QRectF(x, 3, 19, 25));
    p.setPen(QPen(kBlue, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(x + 3, 9, 9, 5));
    p.drawRect(QRectF(x + 3, 17, secondWidth, 5));
}

void drawNewTemplate(QPainter &p)
{
    templateSheet(p, 5, 12);
    plusBadge(p, QPointF(24, 24), kGreen);
}

void drawEditTemplate(QPainter &p)
{
    templateSheet(p, 3, 10);
    // A pencil across the corner.
    p.save();
    p.translate(22, 19);
    p.rotate(45);
    p.setPen(pen(kInk, 1.2));
    p.setBrush(kOrange);
    p.drawRect(QRectF(-2.5, -11, 5, 15));
    p.setBrush(QColor(0xf3, 0xd9, 0xb1));
    QPainterPath tip;
    tip.moveTo(-2.5, 4);
    tip.lineTo(2.5, 4);
    tip.lineTo(0, 9);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void drawSinglePrint(QPainter &p)
{
    printer(p, 0);
}

void drawBatchPrint(QPainter &p)
{
    p.setPen(pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(14, 1, 14, 9));
    p.drawRect(QRectF(11, 2.5, 14, 9));
    printer(p, -1);
}

void drawSettings(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6b, 0x76, 0x86));
    p.save();
    p.translate(16, 16);
    for (int i = 0; i < 8; ++i) {
        p.drawRoundedRect(QRectF(-2.8, -13, 5.6, 8), 1, 1);
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 9.5, 9.5);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(0, 0), 4, 4);
    p.restore();
}

void drawHelp(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setPen(pen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(11, 7.5, 10, 9), -60 * 16, 240 * 16);
    p.drawLine(QPointF(18.5, 15.5), QPointF(16, 18));
    p.drawLine(QPointF(16, 18), QPointF(16, 19.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 24), 1.9, 1.9);
}

void drawExit(QPainter &p)
{
    p.setPen(pen(kRed, 3.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 6, 22, 22), 120 * 16, 300 * 16);
    p.drawLine(QPointF(16, 3.5), QPointF(16, 15));
}

void drawApplication(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 6, 18, 21));
    p.setBrush(kOrange);
    p.drawRect(QRectF(7, 6, 18, 5));
    textLines(p, 10, 15, 12, 3, kBlue);
}

QIcon render(const Painter &draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}

QIcon commandIcon(int id)
{
    switch (id) {
    case cmd::NewWaybill:
        return render(drawNewWaybill);
    case cmd::History:
        return render(drawHistory);
    case cmd::TaobaoOrders:
        return render(drawTaobao);
    case cmd::NewSender:
        return render(drawNewSender);
    case cmd::NewReceiver:
        return render(drawNewReceiver);
    case cmd::RecognizeAddress:
        return render(drawRecognize);
    case cmd::AddGoods:
        return render(drawAddGoods);
    case cmd::NewTemplate:
        return render(drawNewTemplate);
    case cmd::EditTemplate:
        return render(drawEditTemplate);
    case cmd::SinglePrint:
        return render(drawSinglePrint);
    case cmd::BatchPrint:
        return render(drawBatchPrint);
    case cmd::Settings:
        return render(drawSettings);
    case cmd::Help:
        return render(drawHelp);
    case cmd::Exit:
        return render(drawExit);
    default:
        return {};
    }
}

QIcon applicationIcon()
{
    return render(drawApplication);
}

}
