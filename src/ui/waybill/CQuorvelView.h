#pragma once

#include "core/config/DataFolder.h"
#include "core/templates/DesignEdits.h"
#include "core/templates/Template.h"
#include "core/waybill/WaybillRow.h"
#include "render/PrintJob.h"
#include "ui/waybill/WaybillPrintDialog.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QScrollArea>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPrinter;
class QRubberBand;

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class Dialogs;
class MyEdit;

// The waybill canvas: a scroll area showing the current template, its
// background stretched to the paper size and its items as MyEdit boxes, one
// slot per field index. It owns the items and the current template's sizes,
// margins and background, and it prints: the single print of what it shows
// (mode 1) and the pages of a batch (modes 2 and 3), never the background.
//
// In design mode (AppState::designMode) it is the designer's drawing board:
// one event filter sees the mouse events of the bare canvas and of every item
// before they are delivered, so the same rules select, drag, band-select and
// resize wherever the pointer is (CanvasDesign.cpp). Every move or resize sets
// AppState::templateModified.
class CQuorvelView : public QScrollArea {
    Q_OBJECT
public:
    // Loads the default template of the configuration ("Template"/"Default").
    CQuorvelView(AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent = nullptr);
    ~CQuorvelView() override;

    // Loads template file `fileName` ("NAME.ttp") of the template folder:
    // sizes, margins, background and one item per stored item. The caller
    // destroys the old items first. A missing or unreadable file changes
    // nothing and gives false.
    bool loadTemplate(const std::string &fileName);

    // Decodes Base64 picture text as the background; a picture that cannot
    // be decoded leaves the old one and gives false.
    bool setBackground(const std::string &base64);
    // No background: nothing is drawn behind the items.
    void clearBackground();
    bool hasBackground() const { return hasBackground_; }
    const QImage &background() const { return background_; }

    void destroyAllItems();
    // A new item for an empty slot with the default text, place and font.
    MyEdit *makeItemForIndex(int index);
    // An item from a template item (slot = id - 100); replaces the slot's item.
    MyEdit *createItem(const TemplateItem &item);
    void destroyItem(int index);
    MyEdit *item(int index) const;
    // Sets the text of the item of a field index, when there is one.
    void setItemText(int index, const QString &text);
    // Shows a stored waybill: every item the template has takes the row's
    // text for its field (fieldTextsForRow); then rowShown tells the
    // composing pages, which take the row's receiver and sender.
    void showRow(const WaybillRow &row);

    // Paper size and margins (centimetre texts) of the current template.
    void setPaperSize(const std::string &width, const std::string &height);
    void setMargins(const std::string &left, const std::string &top);

    // The template as the canvas shows it: sizes, margins, background text and
    // every item with its current rectangle and text.
    Template currentTemplate() const;

    // Ends the design mode's marks: every item deselected, white again, the
    // pointer shapes of the edit boxes back.
    void leaveDesignMode();
    void setItemSelected(int index, bool selected);
    bool isItemSelected(int index) const;
    ItemSelection selection() const;
    // Every existing item selected (or deselected).
    void selectAllItems(bool selected);
    // The item the user last selected by a click while it is still selected,
    // else the first selected one; -1 when none is.
    int focusItem() const;

    // Makes the canvas show `t`: sizes, margins, picture and items; items
    // that exist in both keep their windows (and their selection), the others
    // are made or destroyed. Used by the designer's commands and its undo.
    void applyTemplate(const Template &t);

    // The entries of the context menu "编辑" (the frame's own actions, so its
    // permission gate covers them).
    void setContextMenuActions(const QList<QAction *> &actions);
    QMenu *contextMenu() const { return menu_; }

    // "单张打印": prints the canvas (mode 1). After a printed job the
    // after-print step runs.
    void printCanvas();
    // A batch job of the print list (mode 2: ticked rows, mode 3: all rows);
    // `afterPrint` runs after a printed job. `pagePainted` (when given) hears
    // of every page painted and can end the job there (render::PrintJob).
    void printRows(int mode, std::vector<WaybillRow> rows,
                   std::function<void(const render::PrintJob &job, int pages)> afterPrint,
                   std::function<bool(int painted, int total)> pagePainted = {});
    // "预览": the canvas in the print preview; no after-print step.
    void previewCanvas();

    // The after-print step of the single print (stores the waybill in the
    // history).
    void setAfterSinglePrint(std::function<void()> step) { afterSinglePrint_ = std::move(step); }
    // Runs before the single print's dialog; false cancels the print.
    void setBeforeSinglePrint(std::function<bool()> step) { beforeSinglePrint_ = std::move(step); }

    // The printer dialogs, replaceable for tests. `choose` runs the printer
    // dialog and says whether to print; `preview` shows the preview, calling
    // `paint` for the printer it offers.
    struct PrinterUi {
        std::function<bool(QPrinter &printer, QWidget *parent)> choose;
        std::function<void(QPrinter &printer, QWidget *parent, const std::function<void(QPrinter *)> &paint)> preview;
    };
    void setPrinterUi(PrinterUi ui) { printerUi_ = std::move(ui); }

    // Pixels per inch of the screen the canvas is on.
    render::Resolution screenResolution() const;
    // The paper in screen pixels (empty without valid sizes).
    QSize paperPixels() const;

signals:
    // A click in design mode released over item `index`, which is selected
    // now: the design panel shows its font.
    void itemClicked(int index);
    // The selection, or the place or size of a selected item, changed.
    void designChanged();
    // A drag or a resize by the mouse ended and changed the template, which
    // was `before` when the button went down.
    void gestureFinished(const zentra::Template &before);
    // A template file was loaded onto the canvas.
    void templateLoaded();
    // A stored waybill was put into the items (showRow).
    void rowShown(const zentra::WaybillRow &row);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Board;
    void runJob(render::PrintJob job, bool preview);
    void updateBoardSize();

    // Design-mode mouse handling (CanvasDesign.cpp). `edit` is the item the
    // event came to (nullptr for the bare canvas); `p` is in canvas
    // coordinates. True when the event is used up.
    QWidget *boardWidget() const;
    MyEdit *itemOfWidget(QObject *w) const;
    bool designPress(MyEdit *edit, QPoint p, Qt::KeyboardModifiers modifiers);
    bool designMove(MyEdit *edit, QPoint p, Qt::MouseButtons buttons);
    bool designRelease(MyEdit *edit, QPoint p, Qt::KeyboardModifiers modifiers);
    bool insideDropArea(QPoint p) const;
    void endGesture();

    AppState &state_;
    DataFolder folder_;
    Dialogs &dialogs_;
    Board *board_ = nullptr;
    QMenu *menu_ = nullptr;

    Template current_; // sizes, margins and background text; items live in items_
    QImage background_;
    bool hasBackground_ = false;
    std::array<MyEdit *, Template::kSlotCount> items_{};
    std::array<bool, Template::kSlotCount> selected_{};
    int clickedItem_ = -1;

    // Design mode: the drag, the rubber band and a resize by an item's border.
    struct Drag {
        bool dragging = false;
        QPoint down;
        QPoint current;
        std::array<QPoint, Template::kSlotCount> topLeft{};
    } drag_;
    struct Band {
        bool active = false;
        bool selectionMade = false;
        QPoint start;
        QPoint end;
    } band_;
    struct Resize {
        int index = -1; // -1: no resize
        int zone = 0;
        QPoint down;
        QRect start;
    } resize_;
    QRubberBand *rubberBand_ = nullptr;
    Template gestureStart_;
    bool gestureChanged_ = false;

    std::function<void()> afterSinglePrint_;
    std::function<bool()> beforeSinglePrint_;
    PrinterUi printerUi_;
    WaybillPrintDialog printDialog_; // remembers "print to file" between jobs
    QPageSize dialogPaper_;          // the paper the dialog shows for the job at hand
};

}
