#include "ui/waybill/ComposeSession.h"

#include "core/config/AppState.h"
#include "core/data/DbConnection.h"
#include "core/waybill/ComposeStore.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

namespace zentra::ui {

ComposeSession::ComposeSession(AppState &state, DataFolder folder, CQuorvelView &view, Dialogs &dialogs)
    : state_(state), folder_(std::move(folder)), view_(view), dialogs_(dialogs)
{
}

void ComposeSession::pull()
{
    std::array<bool, 60> present{};
    for (int i = 0; i < 60; ++i)
        present[static_cast<std::size_t>(i)] = view_.item(i) != nullptr;
    draft_.setPresent(present);
    for (int i = 0; i < 60; ++i)
        if (MyEdit *e = view_.item(i))
            draft_.setText(i, e->text().toStdString());
}

void ComposeSession::push()
{
    for (int i = 0; i < 60; ++i) {
        MyEdit *e = view_.item(i);
        if (!e)
            continue;
        const QString text = QString::fromStdString(draft_.text(i));
        if (e->text() != text)
            e->setText(text);
    }
}

void ComposeSession::markChanged()
{
    if (state_.designMode == 1)
        state_.templateModified = true;
    else
        state_.waybillModified = true;
}

void ComposeSession::recomputeGoods()
{
    DbConnection db;
    if (!db.open(databasePath()))
        return;
    bool ok = false;
    const std::vector<GoodsUnit> goods = readSelectedGoods(db, &ok);
    if (!ok)
        return;
    pull();
    fillGoodsAndFreight(draft_, db, state_.currentTemplateName, receiverProvince, goods);
    push();
}

}
