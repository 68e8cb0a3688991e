#include "ui/templates/TemplateDesigner.h"

#include "core/config/AppState.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/common/AcceleratorFilter.h"
#include "ui/templates/CPrintSetup.h"
#include "ui/waybill/CQuorvelView.h"

#include <QApplication>

namespace zentra::ui {

CPrintSetup *installTemplateDesigner(CMainFrame &frame, CQuorvelView &view, AppState &state, const DataFolder &folder,
                                     Dialogs &dialogs)
{
    auto *panel = new CPrintSetup(state, view, dialogs, folder);
    frame.setDesignPanel(panel);
    MainFrameHooks &hooks = frame.hooks();
    hooks.enterDesignMode = [panel] { panel->enterDesignMode(); };
    hooks.leaveDesignMode = [&view, panel] {
        view.leaveDesignMode();
        panel->leaveDesignMode();
    };
    hooks.saveTemplate = [panel](const std::string &path) { return panel->saveTo(path); };
    // Inside an item's text, or any other text field, the keys edit the text.
    hooks.designKeysActive = [&state] {
        return state.designMode == 1 && !isTextField(QApplication::focusWidget());
    };
    hooks.undoDesign = [panel] { panel->undo(); };
    hooks.redoDesign = [panel] { panel->redo(); };
    panel->setPrintHandler([&frame] { frame.runCommand(cmd::SinglePrint); });
    QObject::connect(panel, &CPrintSetup::leaveRequested, &frame, [&frame] { frame.setDesignMode(false); });
    QObject::connect(panel, &CPrintSetup::statusTextChanged, &frame, &CMainFrame::setStatusMessage);
    return panel;
}

}
