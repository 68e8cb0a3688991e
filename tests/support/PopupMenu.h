#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QTimer>

namespace zentra::test {

// Arms a one-shot check of the next popup menu: once it is up, its entry texts
// go to `entries`, the popup closes and entry `index` is triggered, as a user's
// click would. Call it just before the event that opens the menu.
inline void pickPopupEntry(int index, QStringList &entries)
{
    QTimer::singleShot(0, [index, &entries] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions())
            entries << a->text();
        QAction *chosen = menu->actions().value(index);
        menu->close();
        if (chosen)
            chosen->trigger();
    });
}

}
