#include "ui/common/CDEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace zentra::ui {

CDEdit::CDEdit(QWidget *parent) : QLineEdit(parent)
{
    // A dropped text would go in unfiltered.
    setAcceptDrops(false);
}

bool CDEdit::accepts(const QString &text, int pos, QChar c)
{
    if (c.isDigit() && c.unicode() < 128)
        return !(pos == 0 && text.startsWith(QLatin1Char('-')));
    if (c == QLatin1Char('-'))
        return pos == 0 && !text.startsWith(QLatin1Char('-'));
    if (c == QLatin1Char('.'))
        return !text.contains(QLatin1Char('.')) && !(pos == 0 && text.startsWith(QLatin1Char('-')));
    return false;
}

void CDEdit::insertFiltered(const QString &text)
{
    if (hasSelectedText())
        del();
    for (QChar c : text)
        if (accepts(this->text(), cursorPosition(), c))
            insert(QString(c));
}

void CDEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        insertFiltered(QGuiApplication::clipboard()->text());
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (printable) {
        // A selection is replaced, so the rule looks at the text without it.
        QString rest = text();
        int pos = cursorPosition();
        if (hasSelectedText()) {
            pos = selectionStart();
            rest.remove(pos, selectedText().size());
        }
        for (QChar c : typed)
            if (!accepts(rest, pos, c))
                return;
    }
    QLineEdit::keyPressEvent(event);
}

void CDEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction *a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-paste")) {
            a->disconnect();
            connect(a, &QAction::triggered, this,
                    [this] { insertFiltered(QGuiApplication::clipboard()->text()); });
        }
    }
    menu->popup(event->globalPos());
}

void CDEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        insertFiltered(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

}
