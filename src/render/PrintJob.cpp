#include "render/PrintJob.h"

#include "render/Pages.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include <cmath>
#include <cstdlib>

namespace zentra::render {

PrintSettings PrintSettings::fromState(const AppState &state)
{
    PrintSettings s;
    s.printerName = state.printerName;
    s.noPrinterSelect = state.noPrinterSelect;
    s.setPrintPageSize = state.setPrintPageSize;
    s.printerScale = state.printerScale;
    return s;
}

QSize userPaperSize(const Template &t)
{
    const double w = std::strtod(t.imgWidth.c_str(), nullptr);
    const double h = std::strtod(t.imgHeight.c_str(), nullptr);
    const int tw = static_cast<int>(std::trunc(w * 100));
    const int th = static_cast<int>(std::trunc(h * 100));
    if (tw <= 0 || th <= 0)
        return {};
    return QSize(tw, th);
}

namespace {

QPageSize userPageSize(QSize tenthsMm)
{
    return QPageSize(QSizeF(tenthsMm.width() / 10.0, tenthsMm.height() / 10.0), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

}

QStringList preparePrinter(QPrinter &printer, const PrintSettings &settings, const Template &current)
{
    QStringList messages;
    if (!settings.printerName.empty()) {
        const QString name = QString::fromStdString(settings.printerName);
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        if (info.isNull())
            messages << QString::fromUtf8(settings.noPrinterSelect ? kPrinterDeviceFailed : kSelectPrinterFailed);
        else
            printer.setPrinterName(name);
    }
    if (settings.setPrintPageSize) {
        const QSize paper = userPaperSize(current);
        if (paper.isValid())
            printer.setPageSize(userPageSize(paper));
    }
    return messages;
}

PrintJob PrintJob::single(Template canvas)
{
    PrintJob job;
    job.mode_ = 1;
    job.canvas_ = std::move(canvas);
    return job;
}

PrintJob PrintJob::batch(int mode, std::vector<WaybillRow> rows, TemplatePath pathOf, TemplateCache::Loader loader)
{
    PrintJob job;
    job.mode_ = mode;
    job.rows_ = std::make_shared<std::vector<WaybillRow>>(std::move(rows));
    job.pageRows_ = rowsToPrint(*job.rows_, mode);
    job.pathOf_ = std::move(pathOf);
    job.cache_ = std::make_shared<TemplateCache>(std::move(loader));
    return job;
}

int PrintJob::pageCount() const
{
    if (mode_ == 1)
        return 1;
    if (mode_ == 2 || mode_ == 3)
        return static_cast<int>(pageRows_.size());
    return 0;
}

void PrintJob::paintPage(QPainter &painter, int page, const PrintGeometry &g)
{
    if (mode_ == 1) {
        paintSinglePrint(painter, canvas_, g);
        return;
    }
    if ((mode_ != 2 && mode_ != 3) || page < 1 || page > static_cast<int>(pageRows_.size()))
        return;
    const WaybillRow &row = *pageRows_[static_cast<std::size_t>(page - 1)];
    const std::string path = pathOf_(row.cell(WaybillRow::TemplateName));
    const Template *t = path.empty() ? nullptr : cache_->get(path);
    if (t)
        paintBatchPage(painter, *t, row, g);
}

int PrintJob::print(QPagedPaintDevice &device, Resolution screen, double printerScale, bool preview)
{
    PrintGeometry g;
    g.screen = screen;
    g.printer = Resolution{device.logicalDpiX(), device.logicalDpiY()};
    g.scale = effectivePrinterScale(printerScale);

    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    // A device that refuses a new page (a printer gone offline, a full disk)
    // ends the job there: only the pages painted so far count as printed, so
    // the after-print step never takes the rest for printed waybills.
    int printed = 0;
    for (int page = 1; page <= pageCount(); ++page) {
        if (page > 1 && !device.newPage())
            break;
        paintPage(painter, page, g);
        printed = page;
    }
    if (!painter.end())
        return -1;
    if (!preview && afterPrint)
        afterPrint(*this, printed);
    return printed;
}

int writePdf(PrintJob &job, const QString &path, int dpi, const PrintSettings &settings, const Template *paper,
             Resolution screen, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return -1;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Zentra"));
        writer.setResolution(dpi);
        QSize user;
        if (settings.setPrintPageSize && paper)
            user = userPaperSize(*paper);
        writer.setPageSize(user.isValid() ? userPageSize(user) : QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        // The after-print step runs once the file is in place.
        auto after = std::move(job.afterPrint);
        job.afterPrint = nullptr;
        pages = job.print(writer, screen, settings.printerScale, true);
        job.afterPrint = std::move(after);
    }
    if (pages < 0 || !file.commit()) {
        if (error)
            *error = pages < 0 ? QStringLiteral("cannot paint on the PDF") : file.errorString();
        return -1;
    }
    if (job.afterPrint)
        job.afterPrint(job, pages);
    return pages;
}

}
