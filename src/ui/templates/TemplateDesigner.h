#pragma once

namespace zentra {
struct AppState;
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class CPrintSetup;
class CQuorvelView;
class Dialogs;

// Puts the design panel into the main window's lower-left pane and joins it
// to the canvas and to the window's one design-mode switch: entering and
// leaving go through CMainFrame::setDesignMode, the window's save and its
// Ctrl+Z / Ctrl+Y reach the panel, the panel's rectangle text shows in the
// status bar, and its "打印" runs the window's single-print command (with its
// permission check).
CPrintSetup *installTemplateDesigner(CMainFrame &frame, CQuorvelView &view, AppState &state, const DataFolder &folder,
                                     Dialogs &dialogs);

}
