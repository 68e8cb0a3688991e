#pragma once

#include "core/config/DataFolder.h"
#include "core/templates/DesignEdits.h"
#include "core/templates/Template.h"
#include "core/templates/TemplateHistory.h"

#include <QWidget>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class CColorPickerCB;
class CQuorvelView;
class Dialogs;

// The design panel below the canvas, shown while designing: the margins and
// print buttons ("打印设置"), the font of the selected items and the label
// commands ("标签设置"), moving, aligning and sizing the selected items and
// saving or leaving ("标签调整"), with undo and redo. Every command works on
// the canvas's template through CQuorvelView::applyTemplate, sets
// AppState::templateModified and is one step of the undo history, as is each
// drag or resize on the canvas. The history starts empty whenever the design
// mode starts or a template is loaded. Commands live in PrintSetupCommands.cpp.
class CPrintSetup : public QWidget {
    Q_OBJECT
public:
    CPrintSetup(AppState &state, CQuorvelView &view, Dialogs &dialogs, DataFolder folder, QWidget *parent = nullptr);
    ~CPrintSetup() override;

    // The design mode starts: the margin boxes show the current margins, the
    // history is empty.
    void enterDesignMode();
    // The design mode ends: the history is dropped.
    void leaveDesignMode();

    // Shows the font of item `index` in the four lists (a click selected it).
    void syncWithItem(int index);

    // Writes the canvas's template to `path`; warns and gives false when the
    // file cannot be written.
    bool saveTo(const std::string &path);

    void undo();
    void redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }

    // "打印" runs this (the single print of the canvas until the order panel
    // gives its own).
    void setPrintHandler(std::function<void()> handler) { print_ = std::move(handler); }

    // The status bar text of the design mode: the rectangle of the selected
    // item in millimetres on the sheet; empty when no item is selected.
    QString statusText() const;

    // The entries of the size list, the style list and their texts.
    static QStringList sizeEntries();
    static QStringList styleEntries();

signals:
    // "保存模板" saved, or "退出编辑" is done: the window leaves design mode.
    void leaveRequested();
    void backgroundRequested(); // "更改背景"
    void statusTextChanged(const QString &text);

private:
    void buildLayout();
    void installTips();
    void fillLists();
    void showMargins();
    void updateUndoButtons();
    void emitStatus();

    // Runs `edit` on a copy of the canvas's template; when it reports a
    // change the canvas shows the result, the template is marked modified and
    // the change becomes one undo step (merged with the step before it when
    // both carry the same non-zero `mergeKey`).
    void change(const std::function<bool(Template &)> &edit, int mergeKey = 0);
    // `edit` on every selected item.
    void changeSelected(const std::function<void(TemplateItem &)> &edit);

    void moveSelected(int dx, int dy);
    void align(ItemAlign a);
    void size(ItemSizing s);
    void addLabels();
    void deleteLabels();
    void setTexts(bool defaults);
    void marginEdited(bool left, const QString &text);
    void saveTemplate();
    void exitEditing();
    void applyFromHistory(const std::optional<Template> &t);

    AppState &state_;
    CQuorvelView &view_;
    Dialogs &dialogs_;
    DataFolder folder_;
    TemplateHistory history_;
    std::function<void()> print_;

    QLineEdit *leftMargin_ = nullptr;
    QLineEdit *topMargin_ = nullptr;
    QComboBox *fontList_ = nullptr;
    CColorPickerCB *colorList_ = nullptr;
    QComboBox *styleList_ = nullptr;
    QComboBox *sizeList_ = nullptr;
    QPushButton *undoButton_ = nullptr;
    QPushButton *redoButton_ = nullptr;
};

}
