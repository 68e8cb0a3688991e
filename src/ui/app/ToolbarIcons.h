#pragma once

#include <QIcon>

namespace zentra::ui {

// The toolbar's pictures, drawn in code so they stay sharp at any scale and
// need no image files: one per toolbar command id, empty for other ids.
QIcon commandIcon(int commandId);

// The program's window icon: a waybill sheet.
QIcon applicationIcon();

}
