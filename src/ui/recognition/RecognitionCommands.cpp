#include "ui/recognition/RecognitionCommands.h"

#include "core/config/DataFolder.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/recognition/CAddressRecoginize.h"

namespace zentra::ui {

void installRecognitionCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    frame.setCommandHandler(cmd::RecognizeAddress,
                            [parent, db = folder.databasePath(), config = folder.configPath(), &dialogs] {
                                CAddressRecoginize dlg(db, config, dialogs, parent);
                                dlg.exec();
                            });
}

}
