#include "ui/waybill/ComposePages.h"

#include "core/config/DataFolder.h"
#include "core/masterdata/BookKind.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/MainCommands.h"
#include "ui/waybill/CPrintCargo.h"
#include "ui/waybill/CPrintOrderInfo.h"
#include "ui/waybill/CPrintReceiver.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/ComposeSession.h"

#include <QObject>

#include <memory>

namespace zentra::ui {
namespace {

// Keeps the session as long as the window.
class SessionOwner : public QObject {
public:
    SessionOwner(std::unique_ptr<ComposeSession> session, QObject *parent)
        : QObject(parent), session_(std::move(session))
    {
    }

private:
    std::unique_ptr<ComposeSession> session_;
};

}

void installComposePages(CMainFrame &frame, CQuorvelView &view, AppState &state, const DataFolder &folder,
                         Dialogs &dialogs)
{
    auto owned = std::make_unique<ComposeSession>(state, folder, view, dialogs);
    ComposeSession &session = *owned;
    new SessionOwner(std::move(owned), &frame);

    auto *receiver = new CPrintReceiver(receiverPageText(), session, dialogs);
    auto *sender = new CPrintSender(session, dialogs);
    auto *cargo = new CPrintCargo(session, dialogs);
    auto *order = new CPrintOrderInfo(session);
    CPrintTemplate *tabs = frame.printTemplate();
    tabs->setPage(CPrintTemplate::Receiver, receiver);
    tabs->setPage(CPrintTemplate::Sender, sender);
    tabs->setPage(CPrintTemplate::Cargo, cargo);
    tabs->setPage(CPrintTemplate::OrderInfo, order);

    MainFrameHooks &hooks = frame.hooks();
    hooks.clearOrderInfo = [order] { order->resetItems(); };
    hooks.clearSender = [sender] { sender->fillDefault(); };
    hooks.clearReceiver = [receiver] { receiver->fillDefault(); };
    hooks.clearCargo = [cargo] { cargo->clearGoods(); };
    hooks.addToPrintList = [order] { order->addToPrintList(); };
    hooks.templateDefaultText = [order] { order->templateDefaultText(); };
    order->nextWaybill = [sender, receiver, cargo] {
        sender->fillDefault();
        receiver->fillDefault();
        cargo->clearGoods();
    };
    hooks.bookChanged = [receiver, sender, cargo](const BookKind &book) {
        if (&book == &receiverBook())
            receiver->showBookChanges();
        else if (&book == &senderBook())
            sender->showBookChanges();
        else if (&book == &cargoBook())
            cargo->showBookChanges();
    };
    CMainFrame *f = &frame;
    order->printCommand = [f] { f->runCommand(cmd::SinglePrint); };
    view.setAfterSinglePrint([order] { order->storePrinted(); });
    view.setBeforeSinglePrint([order] { return order->takeSharedOrderNumber(); });
    // The receiver and sender a stored row brings go with it into the rows
    // stored from the canvas; a template loaded afresh shows none.
    QObject::connect(&view, &CQuorvelView::rowShown, &frame,
                     [&session](const WaybillRow &row) { session.draft().takeParties(row); });
    QObject::connect(&view, &CQuorvelView::templateLoaded, &frame,
                     [&session] { session.draft().takeParties(WaybillRow{}); });
}

}
