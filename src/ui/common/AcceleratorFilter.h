#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QWidget>

namespace zentra::ui {

// A dialog's keys work from every control, as an accelerator table does: a
// line edit would otherwise keep Ctrl+A (select all) and the like.
class AcceleratorFilter : public QObject {
public:
    AcceleratorFilter(QList<QKeySequence> keys, QObject *parent) : QObject(parent), keys_(std::move(keys)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (keys_.contains(QKeySequence(key->keyCombination()))) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

    // Installs a filter for `keys` on every control of `dialog` made so far.
    static void install(QWidget *dialog, QList<QKeySequence> keys)
    {
        auto *filter = new AcceleratorFilter(std::move(keys), dialog);
        for (QWidget *w : dialog->findChildren<QWidget *>())
            w->installEventFilter(filter);
    }

private:
    QList<QKeySequence> keys_;
};

}
