#pragma once

#include <QLineEdit>

namespace zentra::ui {

// The numeric edit box of sizes, weights, prices and rates: digits, one '-'
// typed at the very start while the text does not begin with one, and one '.'
// while the text holds none. Other characters are dropped; backspace, cursor
// and editing keys pass. Pasted text (keys, context menu, middle button) goes
// through the same rule one character at a time; drops are refused.
class CDEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDEdit(QWidget *parent = nullptr);

    // Whether `c` may be typed into `text` at cursor position `pos`.
    static bool accepts(const QString &text, int pos, QChar c);

    // Inserts the acceptable characters of `text` at the cursor, replacing
    // the selection.
    void insertFiltered(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

}
