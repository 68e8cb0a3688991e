#pragma once

#include <string>

namespace zentra {
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class Dialogs;

// Joins the master-data dialogs to the window's commands: "新收件人",
// "新发件人", "添加货品" and "运费设置" (the rates of the default template of
// config.ini), each behind its permission flag in the command table.
void installMasterDataCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs);

// The template whose rates "运费设置" edits: the default template of the
// configuration file, without ".ttp"; empty without a configuration file.
std::string freightTemplateName(const DataFolder &folder);

}
