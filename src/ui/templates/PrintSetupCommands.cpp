// The design panel's commands: each works on a copy of the canvas's template
// and is one step of the undo history.
#include "core/config/AppState.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateSync.h"
#include "ui/common/Dialogs.h"
#include "ui/templates/CAddEditDlg.h"
#include "ui/templates/CPrintSetup.h"
#include "ui/waybill/CQuorvelView.h"

#include <QLineEdit>

namespace zentra::ui {

namespace {

// Merge keys: typing into one margin box is one step.
constexpr int kLeftMarginStep = 1;
constexpr int kTopMarginStep = 2;

}

void CPrintSetup::enterDesignMode()
{
    history_.clear();
    updateUndoButtons();
    showMargins();
    emitStatus();
}

void CPrintSetup::leaveDesignMode()
{
    history_.clear();
    updateUndoButtons();
}

void CPrintSetup::change(const std::function<bool(Template &)> &edit, int mergeKey)
{
    const Template before = view_.currentTemplate();
    Template after = before;
    if (!edit(after))
        return;
    view_.applyTemplate(after);
    state_.templateModified = true;
    history_.record(before, view_.currentTemplate(), mergeKey);
    updateUndoButtons();
}

void CPrintSetup::changeSelected(const std::function<void(TemplateItem &)> &edit)
{
    const ItemSelection selected = view_.selection();
    change([&](Template &t) {
        bool any = false;
        for (std::size_t i = 0; i < t.items.size(); ++i) {
            if (selected[i] && t.items[i]) {
                edit(*t.items[i]);
                any = true;
            }
        }
        return any;
    });
}

void CPrintSetup::moveSelected(int dx, int dy)
{
    // An interval never configured (0) still moves: by one pixel.
    const int step = state_.moveInterval > 0 ? state_.moveInterval : 1;
    const ItemSelection selected = view_.selection();
    change([&](Template &t) { return moveItems(t, selected, dx * step, dy * step); });
}

void CPrintSetup::align(ItemAlign a)
{
    const ItemSelection selected = view_.selection();
    change([&](Template &t) { return alignItems(t, selected, a); });
}

void CPrintSetup::size(ItemSizing s)
{
    const ItemSelection selected = view_.selection();
    change([&](Template &t) { return sizeItems(t, selected, s); });
}

void CPrintSetup::addLabels()
{
    std::array<bool, Template::kSlotCount> present{};
    for (int i = 0; i < Template::kSlotCount; ++i)
        present[static_cast<std::size_t>(i)] = view_.item(i) != nullptr;
    CAddEditDlg dlg(present, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    change([&](Template &t) {
        bool changed = false;
        for (int i = 0; i < Template::kSlotCount; ++i) {
            auto &slot = t.items[static_cast<std::size_t>(i)];
            const bool wanted = dlg.checked(i);
            if (wanted && !slot) {
                slot = makeDefaultItem(i, state_);
                changed = true;
            } else if (!wanted && slot && hasField(i)) {
                slot.reset();
                changed = true;
            }
        }
        return changed;
    });
}

void CPrintSetup::deleteLabels()
{
    const ItemSelection selected = view_.selection();
    if (std::find(selected.begin(), selected.end(), true) == selected.end())
        return;
    if (!dialogs_.ask(this, QStringLiteral("您确认删除选中的标签吗？"), QStringLiteral("标签 - 删除")))
        return;
    change([&](Template &t) {
        for (std::size_t i = 0; i < t.items.size(); ++i)
            if (selected[i])
                t.items[i].reset();
        return true;
    });
}

void CPrintSetup::setTexts(bool defaults)
{
    change([defaults](Template &t) {
        if (defaults)
            setDefaultTexts(t);
        else
            clearTexts(t);
        return true;
    });
}

void CPrintSetup::marginEdited(bool left, const QString &text)
{
    const std::string value = text.toStdString();
    change(
        [&](Template &t) {
            (left ? t.leftMargin : t.topMargin) = value;
            return true;
        },
        left ? kLeftMarginStep : kTopMarginStep);
}

void CPrintSetup::undo()
{
    applyFromHistory(history_.undo(view_.currentTemplate()));
}

void CPrintSetup::redo()
{
    applyFromHistory(history_.redo(view_.currentTemplate()));
}

void CPrintSetup::applyFromHistory(const std::optional<Template> &t)
{
    if (t) {
        view_.applyTemplate(*t);
        state_.templateModified = true;
        showMargins();
    }
    updateUndoButtons();
}

bool CPrintSetup::saveTo(const std::string &path)
{
    std::string error;
    if (saveTemplateFile(path, view_.currentTemplate(), &error)) {
        // The shop's other stations get the change from a shared database.
        if (const TemplateSyncResult s = syncTemplates(folder_); !s.ok)
            dialogs_.warn(this, QString::fromStdString(s.error));
        return true;
    }
    dialogs_.warn(this, QStringLiteral("模板保存失败：%1").arg(QString::fromStdString(error)));
    return false;
}

void CPrintSetup::saveTemplate()
{
    if (state_.currentTemplateName.empty())
        return;
    view_.selectAllItems(false);
    // A template that could not be written stays in design, so its changes
    // are not lost.
    if (saveTo(folder_.templateDir() + state_.currentTemplateName + ".ttp"))
        emit leaveRequested();
}

void CPrintSetup::exitEditing()
{
    const std::string &name = state_.currentTemplateName;
    if (state_.templateModified) {
        if (dialogs_.ask(this, QStringLiteral("是否保存当前模板？"), QStringLiteral("模板保存"))) {
            if (!name.empty() && !saveTo(folder_.templateDir() + name + ".ttp"))
                return;
        } else if (!name.empty()) {
            // The file as it was: the changes are dropped.
            view_.destroyAllItems();
            view_.loadTemplate(name + ".ttp");
        }
    }
    emit leaveRequested();
}

}
