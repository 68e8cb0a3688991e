#pragma once

#include "core/config/DataFolder.h"
#include "core/templates/Template.h"
#include "core/waybill/WaybillRow.h"
#include "render/PrintJob.h"

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

    // Paper size and margins (centimetre texts) of the current template.
    void setPaperSize(const std::string &width, const std::string &height);
    void setMargins(const std::string &left, const std::string &top);

    // The template as the canvas shows it: sizes, margins, background text and
    // every item with its current rectangle and text.
    Template currentTemplate() const;

    // Ends the design mode's marks: every item deselected, white again.
    void leaveDesignMode();
    void setItemSelected(int index, bool selected);
    bool isItemSelected(int index) const;

    // The entries of the context menu "编辑" (the frame's own actions, so its
    // permission gate covers them).
    void setContextMenuActions(const QList<QAction *> &actions);
    QMenu *contextMenu() const { return menu_; }

    // "单张打印": prints the canvas (mode 1). After a printed job the
    // after-print step runs.
    void printCanvas();
    // A batch job of the print list (mode 2: ticked rows, mode 3: all rows);
    // `afterPrint` runs after a printed job.
    void printRows(int mode, std::vector<WaybillRow> rows,
                   std::function<void(const render::PrintJob &job, int pages)> afterPrint);
    // "预览": the canvas in the print preview; no after-print step.
    void previewCanvas();

    // The after-print step of the single print (stores the waybill in the
    // history).
    void setAfterSinglePrint(std::function<void()> step) { afterSinglePrint_ = std::move(step); }

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

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class Board;
    void runJob(render::PrintJob job, bool preview);
    void updateBoardSize();

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

    std::function<void()> afterSinglePrint_;
    PrinterUi printerUi_;
};

}
