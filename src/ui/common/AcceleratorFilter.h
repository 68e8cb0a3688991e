#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QKeyEvent;
class QWidget;

namespace zentra::ui {

// The keys a text field keeps for its text while it has the focus, whatever
// a window or dialog binds them to: Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z,
// Ctrl+Y (and Ctrl+Shift+Z), the older Ctrl+Insert, Shift+Insert and
// Shift+Delete, Home and End (with Shift or Ctrl), Delete and Backspace. A
// read-only field keeps only those that do not change the text (select,
// copy, move). Every other key with Ctrl or Alt is the window's.
bool isTextEditingKey(const QKeyEvent *key, bool readOnly = false);
// A control the user types text into: a line edit (a grid's cell editor is
// one), a text edit, a plain text edit (a canvas item), an editable combo
// box or a spin box.
bool isTextField(const QWidget *w);
// True when `w` is a text field that keeps `key` (see above).
bool textFieldKeepsKey(const QWidget *w, const QKeyEvent *key);
// For a key event (shortcut override or press) sent to `w`: when `w` is a
// text field that keeps the key, the field is given it (no shortcut of any
// window takes it) and true is returned when the event is used up here (the
// field's redo on Ctrl+Y, which not every key scheme binds).
bool giveTextFieldItsKey(QWidget *w, QEvent *event);

// A dialog's keys work from every control of the dialog, as an accelerator
// table does, controls made later (a grid's cell editor) included; only a
// text field with the focus keeps its editing keys (Ctrl+A selects its text
// rather than ticking every row). The filter watches the application's events
// for the dialog's windows and goes with the dialog.
class AcceleratorFilter : public QObject {
public:
    // The dialog's filter, made on first use.
    static AcceleratorFilter *of(QWidget *dialog);
    // Adds `keys` to the dialog's filter.
    static void install(QWidget *dialog, const QList<QKeySequence> &keys);

    void add(const QKeySequence &key) { keys_ << key; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit AcceleratorFilter(QWidget *dialog);

    QWidget *dialog_;
    QList<QKeySequence> keys_;
};

}
