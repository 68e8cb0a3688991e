#include "ui/waybill/CQuorvelView.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/PrinterOffset.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/WaybillFields.h"
#include "render/Background.h"
#include "render/ItemLayout.h"
#include "render/PdfTextMap.h"
#include "ui/common/Dialogs.h"
#include "ui/waybill/MyEdit.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRubberBand>

#include <cmath>
#include <cstdlib>

namespace zentra::ui {

namespace {

const QColor kSelectionColor(150, 250, 150);

}

// The drawing surface inside the scroll area: the background stretched to the
// paper size in screen pixels; the items are its children.
class CQuorvelView::Board : public QWidget {
public:
    explicit Board(CQuorvelView &view) : QWidget(&view), view_(view)
    {
        setObjectName(QStringLiteral("canvasBoard"));
        setAutoFillBackground(true);
        resize(100, 100);
    }

    void dropScaled() { scaled_ = QPixmap(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!view_.hasBackground_)
            return;
        const QSize size = view_.paperPixels();
        if (size.isEmpty())
            return;
        if (scaled_.size() != size)
            scaled_ =
                QPixmap::fromImage(view_.background_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QPainter p(this);
        p.drawPixmap(0, 0, scaled_);
    }

private:
    CQuorvelView &view_;
    QPixmap scaled_;
};

CQuorvelView::CQuorvelView(AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent)
    : QScrollArea(parent), state_(state), folder_(std::move(folder)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CQuorvelView"));
    render::installFontSubstitutions();
    board_ = new Board(*this);
    board_->installEventFilter(this);
    viewport()->installEventFilter(this);
    rubberBand_ = new QRubberBand(QRubberBand::Rectangle, board_);
    rubberBand_->setObjectName(QStringLiteral("rubberBand"));
    setWidget(board_);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Base);

    menu_ = new QMenu(QStringLiteral("编辑"), this);

    printerUi_.choose = [this](QPrinter &printer, QWidget *parent) {
        return printDialog_.run(printer, parent, dialogPaper_);
    };
    printerUi_.preview = [](QPrinter &printer, QWidget *parent, const std::function<void(QPrinter *)> &paint) {
        QPrintPreviewDialog dialog(&printer, parent);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter *p) { paint(p); });
        dialog.exec();
    };

    // The configuration's default template, when there is one.
    const ConfigFile config(folder_.configPath());
    if (fileExists(config.path())) {
        // The key holds the file name, "NAME.ttp".
        std::string name = config.readText("Template", "Default");
        if (!name.empty() && loadTemplate(name) && state_.currentTemplateName.empty()) {
            if (name.ends_with(".ttp"))
                name.resize(name.size() - 4);
            state_.currentTemplateName = name;
        }
    }
}

CQuorvelView::~CQuorvelView() = default;

QWidget *CQuorvelView::boardWidget() const
{
    return board_;
}

bool CQuorvelView::loadTemplate(const std::string &fileName)
{
    std::string name = fileName;
    if (name.size() > 4 && name.ends_with(".ttp"))
        name.resize(name.size() - 4);
    const std::string path = templateFilePath(folder_, name);
    Template t;
    if (path.empty() || !readTemplateFile(path, t))
        return false;
    current_.imgWidth = t.imgWidth;
    current_.imgHeight = t.imgHeight;
    current_.leftMargin = t.leftMargin;
    current_.topMargin = t.topMargin;
    // The template's own picture text is what it holds from now on, so a later
    // save never writes the previous template's picture into this one. A
    // picture that does not decode leaves the old one on screen; a template
    // without a picture shows none.
    if (!setBackground(t.imgData)) {
        current_.imgData = t.imgData;
        if (t.imgData.empty())
            clearBackground();
    }
    for (const auto &slot : t.items)
        if (slot)
            createItem(*slot);
    updateBoardSize();
    emit templateLoaded();
    return true;
}

bool CQuorvelView::setBackground(const std::string &base64)
{
    QImage decoded;
    if (!render::decodeBackground(base64, decoded))
        return false;
    background_ = std::move(decoded);
    current_.imgData = base64;
    hasBackground_ = true;
    board_->dropScaled();
    updateBoardSize();
    board_->update();
    return true;
}

void CQuorvelView::clearBackground()
{
    background_ = QImage();
    current_.imgData.clear();
    hasBackground_ = false;
    board_->dropScaled();
    updateBoardSize();
    board_->update();
}

void CQuorvelView::destroyAllItems()
{
    for (int i = 0; i < Template::kSlotCount; ++i)
        destroyItem(i);
}

void CQuorvelView::destroyItem(int index)
{
    if (index < 0 || index >= Template::kSlotCount)
        return;
    auto &slot = items_[static_cast<std::size_t>(index)];
    delete slot;
    slot = nullptr;
    selected_[static_cast<std::size_t>(index)] = false;
}

MyEdit *CQuorvelView::makeItemForIndex(int index)
{
    if (index < 0 || index >= Template::kSlotCount)
        return nullptr;
    return createItem(makeDefaultItem(index, state_));
}

MyEdit *CQuorvelView::createItem(const TemplateItem &item)
{
    const int index = item.fieldIndex();
    if (index < 0 || index >= Template::kSlotCount)
        return nullptr;
    destroyItem(index);
    auto *edit = new MyEdit(item.id, board_);
    edit->applyItem(item);
    edit->installEventFilter(this);
    edit->viewport()->installEventFilter(this);
    edit->show();
    items_[static_cast<std::size_t>(index)] = edit;
    updateBoardSize();
    return edit;
}

MyEdit *CQuorvelView::item(int index) const
{
    if (index < 0 || index >= Template::kSlotCount)
        return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

void CQuorvelView::setItemText(int index, const QString &text)
{
    if (MyEdit *e = item(index))
        e->setText(text);
}

void CQuorvelView::showRow(const WaybillRow &row)
{
    const std::array<std::string, 60> texts = fieldTextsForRow(row);
    for (int i = 0; i < Template::kSlotCount; ++i)
        setItemText(i, QString::fromStdString(texts[static_cast<std::size_t>(i)]));
    emit rowShown(row);
}

void CQuorvelView::setPaperSize(const std::string &width, const std::string &height)
{
    current_.imgWidth = width;
    current_.imgHeight = height;
    board_->dropScaled();
    updateBoardSize();
    board_->update();
}

void CQuorvelView::setMargins(const std::string &left, const std::string &top)
{
    current_.leftMargin = left;
    current_.topMargin = top;
}

Template CQuorvelView::currentTemplate() const
{
    Template t = current_;
    for (int i = 0; i < Template::kSlotCount; ++i) {
        t.items[static_cast<std::size_t>(i)].reset();
        if (const MyEdit *e = items_[static_cast<std::size_t>(i)])
            t.items[static_cast<std::size_t>(i)] = e->toItem();
    }
    return t;
}

void CQuorvelView::leaveDesignMode()
{
    drag_.dragging = false;
    band_ = Band{};
    resize_ = Resize{};
    rubberBand_->hide();
    clickedItem_ = -1;
    for (int i = 0; i < Template::kSlotCount; ++i) {
        setItemSelected(i, false);
        if (MyEdit *e = item(i))
            e->unsetDesignCursor();
    }
    emit designChanged();
}

void CQuorvelView::setItemSelected(int index, bool selected)
{
    MyEdit *e = item(index);
    if (!e)
        return;
    selected_[static_cast<std::size_t>(index)] = selected;
    e->setBackgroundColor(selected ? kSelectionColor : QColor(Qt::white));
}

bool CQuorvelView::isItemSelected(int index) const
{
    return item(index) && selected_[static_cast<std::size_t>(index)];
}

ItemSelection CQuorvelView::selection() const
{
    ItemSelection s{};
    for (int i = 0; i < Template::kSlotCount; ++i)
        s[static_cast<std::size_t>(i)] = isItemSelected(i);
    return s;
}

void CQuorvelView::selectAllItems(bool selected)
{
    for (int i = 0; i < Template::kSlotCount; ++i)
        setItemSelected(i, selected);
    emit designChanged();
}

int CQuorvelView::focusItem() const
{
    if (isItemSelected(clickedItem_))
        return clickedItem_;
    for (int i = 0; i < Template::kSlotCount; ++i)
        if (isItemSelected(i))
            return i;
    return -1;
}

void CQuorvelView::applyTemplate(const Template &t)
{
    current_.imgWidth = t.imgWidth;
    current_.imgHeight = t.imgHeight;
    current_.leftMargin = t.leftMargin;
    current_.topMargin = t.topMargin;
    if (t.imgData != current_.imgData) {
        if (t.imgData.empty())
            clearBackground();
        else if (!setBackground(t.imgData))
            current_.imgData = t.imgData;
    }
    board_->dropScaled();
    for (int i = 0; i < Template::kSlotCount; ++i) {
        const auto &slot = t.items[static_cast<std::size_t>(i)];
        if (!slot) {
            destroyItem(i);
        } else if (MyEdit *e = item(i)) {
            const bool selected = isItemSelected(i);
            e->applyItem(*slot);
            setItemSelected(i, selected);
        } else {
            createItem(*slot);
        }
    }
    updateBoardSize();
    board_->update();
    emit designChanged();
}

void CQuorvelView::setContextMenuActions(const QList<QAction *> &actions)
{
    menu_->clear();
    menu_->addActions(actions);
}

void CQuorvelView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!menu_->isEmpty())
        menu_->popup(event->globalPos());
    event->accept();
}

render::Resolution CQuorvelView::screenResolution() const
{
    return render::Resolution{board_->logicalDpiX(), board_->logicalDpiY()};
}

QSize CQuorvelView::paperPixels() const
{
    const render::Resolution screen = screenResolution();
    const double w = std::strtod(current_.imgWidth.c_str(), nullptr);
    const double h = std::strtod(current_.imgHeight.c_str(), nullptr);
    // 254 / dpi is one pixel in tenths of a millimetre.
    const int pw = static_cast<int>(std::trunc(w * 100 / (254.0 / screen.x)));
    const int ph = static_cast<int>(std::trunc(h * 100 / (254.0 / screen.y)));
    if (pw <= 0 || ph <= 0)
        return {};
    return QSize(pw, ph);
}

void CQuorvelView::updateBoardSize()
{
    QSize size(100, 100);
    if (hasBackground_ && !paperPixels().isEmpty())
        size = paperPixels();
    // Items beyond the paper stay reachable.
    for (const MyEdit *e : items_)
        if (e)
            size = size.expandedTo(QSize(e->geometry().right() + 1, e->geometry().bottom() + 1));
    board_->resize(size);
}

void CQuorvelView::printCanvas()
{
    if (beforeSinglePrint_ && !beforeSinglePrint_())
        return;
    state_.canvasPrintJob = 1;
    runJob(render::PrintJob::single(currentTemplate()), false);
}

void CQuorvelView::printRows(int mode, std::vector<WaybillRow> rows,
                             std::function<void(const render::PrintJob &, int)> afterPrint,
                             std::function<bool(int, int)> pagePainted)
{
    state_.canvasPrintJob = mode;
    render::PrintJob job = render::PrintJob::batch(
        mode, std::move(rows), [folder = folder_](const std::string &name) { return templateFilePath(folder, name); },
        [](const std::string &path, Template &out) { return readTemplateFile(path, out); });
    job.afterPrint = std::move(afterPrint);
    job.pagePainted = std::move(pagePainted);
    runJob(std::move(job), false);
}

void CQuorvelView::previewCanvas()
{
    runJob(render::PrintJob::single(currentTemplate()), true);
}

void CQuorvelView::runJob(render::PrintJob job, bool preview)
{
    if (job.mode() == 1 && !job.afterPrint && afterSinglePrint_)
        job.afterPrint = [this](const render::PrintJob &, int) { afterSinglePrint_(); };
    if (job.pageCount() < 1)
        return;

    const render::PrintSettings settings = render::PrintSettings::fromState(state_);
    QPrinter printer(QPrinter::HighResolution);
    printer.setFromTo(1, job.pageCount());
    // The printer, the paper of the first page, the sheet's corner as the
    // origin and the job's name; the dialog shows that paper.
    const QStringList messages = render::preparePrinter(printer, settings, job);
    for (const QString &m : messages)
        dialogs_.warn(this, m);
    const QSize tenths = job.paperTenths(1);
    dialogPaper_ = tenths.isValid() ? render::userPageSize(tenths) : QPageSize();

    const render::Resolution screen = screenResolution();
    if (preview) {
        printerUi_.preview(printer, this, [&](QPrinter *p) { job.print(*p, screen, settings.printerScale, true); });
        return;
    }
    // A configured printer with "print without dialog" skips the dialog.
    const bool noDialog = !settings.printerName.empty() && settings.noPrinterSelect;
    if (!noDialog && !printerUi_.choose(printer, this))
        return;
    // The printer's own calibration; render applies it to paper only.
    job.setPrinterOffset(readPrinterOffset(ConfigFile(folder_.configPath()), printer.printerName().toStdString()));
    job.print(printer, screen, settings.printerScale);
    // "Print to file" makes a PDF whose copied text must be what was printed.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        render::fixPdfTextMapFile(printer.outputFileName());
    for (const QString &w : job.warnings())
        dialogs_.warn(this, w);
}

}
