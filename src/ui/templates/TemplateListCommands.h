#pragma once

namespace zentra {
struct AppState;
class DataFolder;
}

class QWidget;

namespace zentra::ui {

class CMainFrame;
class CPrintSetup;
class CPrintTmpChose;
class CQuorvelView;
class Dialogs;

// Puts the template list page into the tab "选择模板" and joins the
// whole-template commands to the window: "新建模板" (the wizard), "模板导入",
// "模板导出", the page's buttons (through the window's permission gate, "删除"
// with flag 12) and the design panel's "更改背景".
CPrintTmpChose *installTemplateList(CMainFrame &frame, CQuorvelView &view, CPrintSetup *designPanel,
                                    AppState &state, const DataFolder &folder, Dialogs &dialogs);

// The change-background dialog applied to the canvas: on OK the template in
// design is marked modified and shows the new picture and size.
void changeBackground(QWidget *parent, CQuorvelView &view, AppState &state, Dialogs &dialogs);

}
