#pragma once

#include "core/config/AppState.h"
#include "core/config/PrinterOffset.h"
#include "core/templates/Template.h"
#include "core/waybill/WaybillRow.h"
#include "render/ItemLayout.h"
#include "render/TemplateCache.h"

#include <QPageSize>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace zentra::render {

// The print settings a job takes from the configuration.
struct PrintSettings {
    std::string printerName; // empty: the printer at hand
    bool noPrinterSelect = false;
    bool setPrintPageSize = false;
    double printerScale = 1.0; // as configured; made effective when printing

    static PrintSettings fromState(const AppState &state);
};

// Texts shown when the configured printer cannot be used; the job goes on with
// the printer at hand.
inline const char *const kPrinterDeviceFailed = "GetPrinterDevice called failed\n";
inline const char *const kSelectPrinterFailed = "Failed to select custom printer";

// The user paper size of a template in tenths of a millimetre: its width and
// height text (centimetres) times 100, truncated. Empty when either is not
// above 0.
QSize userPaperSize(const Template &t);

// A paper size in tenths of a millimetre as it is shown: exactly that size.
QPageSize userPageSize(QSize tenthsMm);

// The paper a job asks a printer or a PDF for when a template gives the size:
// a custom size within 0.1 mm of userPaperSize() that the print queue and the
// PDF page agree on to the point (see the .cpp). Invalid without a usable size.
QPageSize templatePaper(const Template &t);
QPageSize jobPaper(QSize tenthsMm);

// The default paper of print queue `name`; invalid for an unknown queue.
QPageSize queuePaper(const QString &name);

class PrintJob;

// Sets up a printer for a job before any dialog runs: the configured printer
// by name, the paper of the job's first page (the template's size when the
// settings say so, else the queue's default paper) upright, the whole sheet
// as the area painted, and the job's name. Returns the messages to show.
QStringList preparePrinter(QPrinter &printer, const PrintSettings &settings, PrintJob &job);

// One print job: the single print of the canvas (mode 1) or the pages of a
// batch (mode 2: ticked rows, mode 3: all rows), one page per row to print, each
// laid out with the row's own template file, consulted for every page.
class PrintJob {
public:
    static PrintJob single(Template canvas);
    // `pathOf` gives a template name's file, or empty text for a name that
    // cannot be a template file.
    using TemplatePath = std::function<std::string(const std::string &name)>;
    static PrintJob batch(int mode, std::vector<WaybillRow> rows, TemplatePath pathOf, TemplateCache::Loader loader);

    int mode() const { return mode_; }
    int pageCount() const;

    // With `on`, every page goes out on the paper of its own template
    // (templatePaper); a batch of several sizes then reaches a printer as one
    // queue job per run of pages of the same paper, since a queue gives all
    // pages of a job one paper. Otherwise every page takes the paper the
    // device is set to.
    void setPaperFromTemplates(bool on) { paperFromTemplates_ = on; }
    bool paperFromTemplates() const { return paperFromTemplates_; }
    // The paper page `page` (1-based) asks for (jobPaper of its template's
    // size); invalid when it takes the device's.
    QPageSize pagePaper(int page);
    // That page's template's own paper size in tenths of a millimetre, as
    // shown to the user; empty when the page takes the device's paper.
    QSize paperTenths(int page);

    // The name a print queue lists a job of `pages` pages under: "快递单 -
    // RECEIVER" for the single print (the text of the receiver's name item),
    // "批量打印 N 张" for a batch.
    QString documentName(int pages) const;

    // Paints page `page` (1-based) with the job's geometry. False, with
    // nothing painted, for a batch row whose template is missing or cannot be
    // read.
    bool paintPage(QPainter &painter, int page, const PrintGeometry &g);

    // Prints every page onto a device that is set up (a printer, a PDF writer,
    // a preview's printer), the screen resolution being the one the items were
    // laid out with. On a printer the whole sheet is the area painted: canvas
    // (0, 0) lands at the margins measured from the sheet's corner whatever
    // margins the printer reports, and only the calibration offset corrects
    // its feed. A batch row whose template is missing or unusable is skipped
    // with a warning (see warnings()) and is not printed. Unless `preview`,
    // the after-print step runs at the end with the number of pages printed.
    // Returns that number, -1 when the device could not be painted on. With
    // nothing to print the device is not touched (no blank sheet).
    int print(QPagedPaintDevice &device, Resolution screen, double printerScale, bool preview = false);

    // Runs after a printed (not previewed) job: the single print stores the
    // waybill in the history, a batch moves its rows. `pages` is the number of
    // pages printed, and printedRows() are the rows on them: only those may be
    // moved as printed.
    std::function<void(const PrintJob &job, int pages)> afterPrint;

    // Called by print() after each page it painted, with the pages painted so
    // far and the pages the job will paint; false ends the job after that
    // page (a cancel), which then counts as printed exactly what was painted.
    std::function<bool(int painted, int total)> pagePainted;

    // The calibration of the printer the job goes to, applied by print() after
    // the placement of every item. Only for a named printer: writePdf() and
    // previews never move anything.
    void setPrinterOffset(PrinterOffset mm) { offset_ = mm; }
    PrinterOffset printerOffset() const { return offset_; }

    // The rows a batch is asked to print, in page order.
    const std::vector<const WaybillRow *> &pageRows() const { return pageRows_; }

    // The rows the last print() really put on paper, in page order.
    const std::vector<const WaybillRow *> &printedRows() const { return printedRows_; }

    // What the last print() skipped and why, one line per row.
    const QStringList &warnings() const { return warnings_; }

    const TemplateCache *cache() const { return cache_.get(); }

private:
    // The template of a batch page, or nullptr when it cannot be used.
    const Template *pageTemplate(int page);

    int mode_ = 1;
    Template canvas_;
    std::shared_ptr<std::vector<WaybillRow>> rows_;
    std::vector<const WaybillRow *> pageRows_;
    std::vector<const WaybillRow *> printedRows_;
    QStringList warnings_;
    TemplatePath pathOf_;
    std::shared_ptr<TemplateCache> cache_;
    PrinterOffset offset_;
    bool paperFromTemplates_ = false;
};

// A calibration offset in millimetres as whole printer dots at `printer`.
QPoint offsetDots(const PrinterOffset &mm, Resolution printer);

// Writes a job to a PDF at `dpi` dots per inch, with the whole page as the
// printable area (no margins), each page on the paper of its template when
// the settings ask for it and on A4 otherwise. Never moved by a printer's
// offset. The document is made in memory and the file is replaced only when
// every byte of it is written (a device such as a pipe is written straight,
// every write checked). Runs the job's after-print step only then. Returns
// the pages written (0: nothing to print, no file written), -1 on failure
// with the reason in `error`.
int writePdf(PrintJob &job, const QString &path, int dpi, const PrintSettings &settings, Resolution screen,
             QString *error = nullptr);

// Prints a job on print queue `queue` with no dialog, as the window does when
// told not to show one (preparePrinter() with that queue), moved by the
// queue's calibration `offset`. Returns the pages printed, -1 when the queue
// cannot be printed on (an unknown name included).
int printOnQueue(PrintJob &job, const QString &queue, const PrintSettings &settings, PrinterOffset offset,
                 Resolution screen);

// Whether print queue `name` exists.
bool queueExists(const QString &name);
}
