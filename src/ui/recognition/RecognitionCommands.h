#pragma once

namespace zentra {
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class Dialogs;

// Joins "收货信息识别" to the window's command, behind its permission flag.
void installRecognitionCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs);

}
