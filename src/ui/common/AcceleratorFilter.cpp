#include "ui/common/AcceleratorFilter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace zentra::ui {
namespace {

bool isOneOf(const QKeySequence &pressed, std::initializer_list<const char *> keys)
{
    for (const char *k : keys)
        if (pressed == QKeySequence(QString::fromLatin1(k)))
            return true;
    return false;
}

bool isReadOnly(const QWidget *w)
{
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->isReadOnly();
    if (auto *e = qobject_cast<const QTextEdit *>(w))
        return e->isReadOnly();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(w))
        return e->isReadOnly();
    if (auto *e = qobject_cast<const QAbstractSpinBox *>(w))
        return e->isReadOnly();
    return false;
}

}

bool isTextEditingKey(const QKeyEvent *key, bool readOnly)
{
    const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    // Selecting, copying and moving leave the text as it is.
    if (isOneOf(pressed, {"Ctrl+A", "Ctrl+C", "Ctrl+Insert", "Home", "End", "Shift+Home", "Shift+End", "Ctrl+Home",
                          "Ctrl+End", "Ctrl+Shift+Home", "Ctrl+Shift+End"}))
        return true;
    return !readOnly && isOneOf(pressed, {"Ctrl+V", "Ctrl+X", "Ctrl+Z", "Ctrl+Y", "Ctrl+Shift+Z", "Shift+Insert",
                                          "Shift+Delete", "Del", "Backspace", "Ctrl+Del", "Ctrl+Backspace"});
}

bool isTextField(const QWidget *w)
{
    if (!w)
        return false;
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTextEdit *>(w) ||
        qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w))
        return true;
    auto *combo = qobject_cast<const QComboBox *>(w);
    return combo && combo->isEditable();
}

bool textFieldKeepsKey(const QWidget *w, const QKeyEvent *key)
{
    return isTextField(w) && isTextEditingKey(key, isReadOnly(w));
}

bool giveTextFieldItsKey(QWidget *w, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (!textFieldKeepsKey(w, key))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    // Redo is Ctrl+Shift+Z in some key schemes only; Ctrl+Y is redo in every
    // text field here.
    const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    if (pressed != QKeySequence(QStringLiteral("Ctrl+Y")) || key->matches(QKeySequence::Redo))
        return false;
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->redo();
    else if (auto *e = qobject_cast<QTextEdit *>(w))
        e->redo();
    else if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        e->redo();
    else if (auto *c = qobject_cast<QComboBox *>(w); c && c->lineEdit())
        c->lineEdit()->redo();
    return true;
}

AcceleratorFilter::AcceleratorFilter(QWidget *dialog) : QObject(dialog), dialog_(dialog)
{
    setObjectName(QStringLiteral("acceleratorFilter"));
    qApp->installEventFilter(this);
}

AcceleratorFilter *AcceleratorFilter::of(QWidget *dialog)
{
    if (auto *f = dialog->findChild<AcceleratorFilter *>(QStringLiteral("acceleratorFilter"), Qt::FindDirectChildrenOnly))
        return f;
    return new AcceleratorFilter(dialog);
}

void AcceleratorFilter::install(QWidget *dialog, const QList<QKeySequence> &keys)
{
    AcceleratorFilter *f = of(dialog);
    for (const QKeySequence &k : keys)
        f->add(k);
}

bool AcceleratorFilter::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the program passes here; only keys concern the filter,
    // so the receiver of any other event is not even looked at.
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != dialog_)
        return QObject::eventFilter(watched, event);
    if (giveTextFieldItsKey(w, event))
        return true;
    // Any other control is not asked: the key goes to the dialog's shortcut.
    if (event->type() == QEvent::ShortcutOverride &&
        keys_.contains(QKeySequence(static_cast<QKeyEvent *>(event)->keyCombination()))) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}
