#pragma once

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/WaybillDraft.h"

#include <functional>
#include <string>

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class CQuorvelView;
class Dialogs;

// What the four composing pages share: the waybill being composed (its
// draft, kept in step with the canvas items), the defaults and locks the
// pages keep for each other (default receiver and sender, the receiver's
// province for the freight, the goods lock, the order values and switches),
// and the cross-page steps. It owns no widget; the canvas stays the canvas's.
//
// Every change of the waybill goes: pull() the item texts (the user may have
// typed into them), change the draft, push() it back.
class ComposeSession {
public:
    ComposeSession(AppState &state, DataFolder folder, CQuorvelView &view, Dialogs &dialogs);

    AppState &state() const { return state_; }
    CQuorvelView &view() const { return view_; }
    Dialogs &dialogs() const { return dialogs_; }
    const DataFolder &folder() const { return folder_; }
    ConfigFile config() const { return ConfigFile(folder_.configPath()); }
    std::string databasePath() const { return folder_.databasePath(); }

    WaybillDraft &draft() { return draft_; }

    // Canvas items into the draft (which slots have one, and their texts).
    void pull();
    // The draft's texts into the items that differ.
    void push();

    // The waybill changed: in design mode the template, else the waybill.
    void markChanged();

    // Goods and money items from `cargoSel`, priced for the receiver's
    // province with the current template's rates.
    void recomputeGoods();

    PartyDefault receiverDefault; // `locked` is the default-receiver flag
    PartyDefault senderDefault;
    std::string receiverProvince;
    bool cargoLock = false;
    // The order panel's values (whatever their switches) and switches.
    OrderLocks order;

    // Set by the order page: show new order and express numbers (after a
    // batch add), keeping automatic numbering as it is.
    std::function<void()> orderNumbersChanged = [] {};

private:
    AppState &state_;
    DataFolder folder_;
    CQuorvelView &view_;
    Dialogs &dialogs_;
    WaybillDraft draft_;
};

}
