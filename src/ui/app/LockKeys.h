#pragma once

#include <QtGlobal>

namespace zentra::ui {

// The Caps Lock, Num Lock and Scroll Lock states as the key events of an X11
// session reveal them. An X11 event carries the keyboard state from just
// before it: Caps Lock is the Lock modifier, Num Lock is Mod2 on practically
// every keyboard map, and Scroll Lock is no modifier at all, so its state is
// counted from its presses.
struct LockKeys {
    static constexpr quint32 kLockMask = 0x02;
    static constexpr quint32 kMod2Mask = 0x10;

    bool caps = false;
    bool num = false;
    bool scroll = false;

    // Takes one key press or release, seen once per event the window system
    // delivers. `key` is a Qt::Key.
    void update(bool press, int key, quint32 nativeModifiers, bool autoRepeat);
};

}
