#include "ui/app/LockKeys.h"

#include <Qt>

namespace zentra::ui {

void LockKeys::update(bool press, int key, quint32 nativeModifiers, bool autoRepeat)
{
    const bool capsBefore = nativeModifiers & kLockMask;
    const bool numBefore = nativeModifiers & kMod2Mask;
    // A lock key's own press carries the state before it and its release may
    // still carry the old one (the keyboard unlocks on the release), so the
    // press decides: the lock ends up the opposite of what the press saw.
    switch (key) {
    case Qt::Key_CapsLock:
        if (press && !autoRepeat)
            caps = !capsBefore;
        num = numBefore;
        return;
    case Qt::Key_NumLock:
        if (press && !autoRepeat)
            num = !numBefore;
        caps = capsBefore;
        return;
    case Qt::Key_ScrollLock:
        if (press && !autoRepeat)
            scroll = !scroll;
        break;
    default:
        break;
    }
    caps = capsBefore;
    num = numBefore;
}

}
