#pragma once

namespace zentra {
class DataFolder;
struct AppState;
}

namespace zentra::ui {

class CMainFrame;
class CQuorvelView;
class Dialogs;

// Makes the receiver, sender, goods and order pages of the tab panel over one
// shared composing session, and joins them to the window: its new-waybill,
// template-default-text and add-to-print-list commands, and the canvas's
// after-print step, which stores a single-printed waybill in the history.
void installComposePages(CMainFrame &frame, CQuorvelView &view, AppState &state, const DataFolder &folder,
                         Dialogs &dialogs);

}
