// The canvas in design mode: selecting, dragging, band-selecting and resizing
// items with the mouse. One event filter on the bare canvas and on every item
// (the edit box and its viewport) sees each mouse event before it is
// delivered, so the rules hold wherever the pointer is.
#include "core/config/AppState.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QMouseEvent>
#include <QRubberBand>

#include <algorithm>

namespace zentra::ui {

namespace {

// The smallest item a border drag leaves: its frame and text margins.
constexpr int kMinItemSize = 4;

}

MyEdit *CQuorvelView::itemOfWidget(QObject *w) const
{
    for (MyEdit *e : items_)
        if (e && (w == e || w == e->viewport()))
            return e;
    return nullptr;
}

bool CQuorvelView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QScrollArea::eventFilter(watched, event);
    // The bare canvas is the board and, beyond the paper, the viewport.
    MyEdit *edit = itemOfWidget(watched);
    const bool bare = watched == boardWidget() || watched == viewport();
    if (!bare && !edit)
        return QScrollArea::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint p = boardWidget()->mapFromGlobal(mouse->globalPosition().toPoint());
    // A press that the widget under the pointer did not use comes on to its
    // parent; the first one has seen it.
    if (bare && type == QEvent::MouseButtonPress) {
        for (const MyEdit *e : items_)
            if (e && e->geometry().contains(p))
                return false;
        if (watched == viewport() && boardWidget()->rect().contains(p))
            return false;
    }

    if (state_.designMode != 1) {
        if (edit && type == QEvent::MouseMove && mouse->buttons() == Qt::NoButton)
            edit->unsetDesignCursor();
        return false;
    }
    bool used = false;
    switch (type) {
    case QEvent::MouseButtonPress:
        used = mouse->button() == Qt::LeftButton && designPress(edit, p, mouse->modifiers());
        break;
    case QEvent::MouseMove:
        used = designMove(edit, p, mouse->buttons());
        break;
    default:
        used = mouse->button() == Qt::LeftButton && designRelease(edit, p, mouse->modifiers());
        break;
    }
    // The bare canvas has no use of its own for the left button: the event
    // ends here. Passed on, it would come to the viewport as well and be
    // handled a second time (a band's release would deselect what the band
    // had just selected).
    if (bare && (mouse->button() == Qt::LeftButton || (mouse->buttons() & Qt::LeftButton)))
        return true;
    return used;
}

bool CQuorvelView::designPress(MyEdit *edit, QPoint p, Qt::KeyboardModifiers modifiers)
{
    gestureStart_ = currentTemplate();
    gestureChanged_ = false;

    // The border of an item: the item is resized, the selection stays.
    if (edit) {
        if (const int zone = edit->sizingZone(edit->mapFrom(boardWidget(), p))) {
            resize_ = Resize{edit->fieldIndex(), zone, p, edit->geometry()};
            return true;
        }
    }

    const bool ctrl = modifiers & Qt::ControlModifier;
    // A press on an item of the band's selection drags the whole selection;
    // a press anywhere else, Ctrl aside, starts a new one. The band's
    // selection serves that one press only.
    bool keepBand = false;
    if (band_.selectionMade)
        for (int i = 0; i < Template::kSlotCount; ++i)
            if (MyEdit *e = items_[static_cast<std::size_t>(i)]; e && selected_[static_cast<std::size_t>(i)])
                keepBand = keepBand || e->geometry().contains(p);
    band_.selectionMade = false;
    drag_.down = drag_.current = p;
    for (int i = 0; i < Template::kSlotCount; ++i) {
        MyEdit *e = items_[static_cast<std::size_t>(i)];
        if (!e)
            continue;
        if (!keepBand && !ctrl)
            setItemSelected(i, false);
        if (e->geometry().contains(p)) {
            drag_.dragging = true;
            setItemSelected(i, true);
            clickedItem_ = i;
        }
        drag_.topLeft[static_cast<std::size_t>(i)] = e->pos();
    }
    if (edit) {
        edit->setMoveCursor();
    } else {
        band_.active = true;
        band_.start = band_.end = p;
        rubberBand_->setGeometry(QRect(p, QSize(1, 1)));
        rubberBand_->show();
        rubberBand_->raise();
    }
    emit designChanged();
    // The item also takes the press: it places the caret there.
    return false;
}

bool CQuorvelView::designMove(MyEdit *edit, QPoint p, Qt::MouseButtons buttons)
{
    if (resize_.index >= 0) {
        MyEdit *e = item(resize_.index);
        if (!e)
            return true;
        const QPoint d = p - resize_.down;
        QRect r = resize_.start;
        if (resize_.zone & MyEdit::LeftEdge)
            r.setLeft(std::min(r.left() + d.x(), r.right() - kMinItemSize + 1));
        if (resize_.zone & MyEdit::RightEdge)
            r.setRight(std::max(r.right() + d.x(), r.left() + kMinItemSize - 1));
        if (resize_.zone & MyEdit::TopEdge)
            r.setTop(std::min(r.top() + d.y(), r.bottom() - kMinItemSize + 1));
        if (resize_.zone & MyEdit::BottomEdge)
            r.setBottom(std::max(r.bottom() + d.y(), r.top() + kMinItemSize - 1));
        if (r != e->geometry()) {
            e->setGeometry(r);
            state_.templateModified = true;
            gestureChanged_ = true;
            emit designChanged();
        }
        return true;
    }
    if (drag_.dragging) {
        // Always from the button-down point, so moves never add up. The
        // selection keeps its shape and stops at the sheet's top and left
        // edges: an item beyond them could no longer be reached.
        drag_.current = p;
        QPoint d = p - drag_.down;
        for (int i = 0; i < Template::kSlotCount; ++i) {
            if (!items_[static_cast<std::size_t>(i)] || !selected_[static_cast<std::size_t>(i)])
                continue;
            const QPoint from = drag_.topLeft[static_cast<std::size_t>(i)];
            d.setX(std::max(d.x(), -std::max(from.x(), 0)));
            d.setY(std::max(d.y(), -std::max(from.y(), 0)));
        }
        bool moved = false;
        for (int i = 0; i < Template::kSlotCount; ++i) {
            MyEdit *e = items_[static_cast<std::size_t>(i)];
            if (!e || !selected_[static_cast<std::size_t>(i)])
                continue;
            const QPoint to = drag_.topLeft[static_cast<std::size_t>(i)] + d;
            if (e->pos() != to) {
                e->move(to);
                moved = true;
            }
        }
        if (moved) {
            state_.templateModified = true;
            gestureChanged_ = true;
            emit designChanged();
        }
        return true;
    }
    if (band_.active) {
        if (!insideDropArea(p)) {
            band_.active = false;
            rubberBand_->hide();
            boardWidget()->update();
        } else {
            band_.end = p;
            rubberBand_->setGeometry(QRect(band_.start, p).normalized());
        }
        return true;
    }
    if (edit && buttons == Qt::NoButton)
        edit->setDesignCursor(edit->sizingZone(edit->mapFrom(boardWidget(), p)));
    return false;
}

bool CQuorvelView::designRelease(MyEdit *edit, QPoint p, Qt::KeyboardModifiers modifiers)
{
    if (resize_.index >= 0) {
        if (MyEdit *e = item(resize_.index))
            e->setDesignCursor(e->sizingZone(e->mapFrom(boardWidget(), p)));
        resize_ = Resize{};
        endGesture();
        return true;
    }
    drag_.dragging = false;
    if (band_.active) {
        band_.active = false;
        rubberBand_->hide();
        // Items whose top-left corner lies in the band drawn from its start
        // (top-left) to here (bottom-right); a band drawn leftward or upward
        // selects nothing.
        bool any = false;
        for (int i = 0; i < Template::kSlotCount; ++i) {
            MyEdit *e = items_[static_cast<std::size_t>(i)];
            if (!e)
                continue;
            const QPoint c = e->pos();
            const bool inside = c.x() >= band_.start.x() && c.x() < p.x() && c.y() >= band_.start.y() && c.y() < p.y();
            setItemSelected(i, inside);
            any = any || inside;
        }
        band_.selectionMade = any;
    } else {
        const bool ctrl = modifiers & Qt::ControlModifier;
        for (int i = 0; i < Template::kSlotCount; ++i) {
            MyEdit *e = items_[static_cast<std::size_t>(i)];
            if (!e)
                continue;
            if (!ctrl)
                setItemSelected(i, false);
            if (e->geometry().contains(p)) {
                setItemSelected(i, true);
                clickedItem_ = i;
                emit itemClicked(i);
            }
        }
    }
    if (edit)
        edit->setDesignCursor(edit->sizingZone(edit->mapFrom(boardWidget(), p)));
    endGesture();
    return false;
}

bool CQuorvelView::insideDropArea(QPoint p) const
{
    // The visible part of the canvas, less 10 pixels at the right and the
    // bottom, plus 10 at the left and the top.
    const QPoint v = boardWidget()->mapTo(viewport(), p);
    return v.x() >= -10 && v.y() >= -10 && v.x() < viewport()->width() - 10 && v.y() < viewport()->height() - 10;
}

void CQuorvelView::endGesture()
{
    if (gestureChanged_) {
        gestureChanged_ = false;
        updateBoardSize();
        emit gestureFinished(gestureStart_);
    }
    gestureStart_ = Template{};
    emit designChanged();
}

}
