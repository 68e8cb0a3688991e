#pragma once

#include "core/config/DataFolder.h"

namespace zentra::ui {

class CMainFrame;
class Dialogs;

// The three maintenance commands of the menu "数据管理": backup (after the
// question "确定要备份数据库?"), restore (after its warning question) and
// compact-and-repair (no question). Each shows its outcome. The frame's
// permission gate runs before any of them.
void installDatabaseCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs);

}
