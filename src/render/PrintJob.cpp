#include "render/PrintJob.h"

#include "render/Pages.h"

#include "core/config/DataFolder.h"
#include "core/templates/FieldCatalogue.h"
#include "render/PdfTextMap.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QPoint offsetDots(const PrinterOffset &mm, Resolution printer)
{
    return QPoint(toDeviceInt(std::round(clampOffset(mm.x) * printer.x / 25.4)),
                  toDeviceInt(std::round(clampOffset(mm.y) * printer.y / 25.4)));
}

QSize userPaperSize(const Template &t)
{
    const double w = std::strtod(t.imgWidth.c_str(), nullptr);
    const double h = std::strtod(t.imgHeight.c_str(), nullptr);
    // Tenths of a millimetre; a sheet over 100 m is no paper size either.
    const int tw = toDeviceInt(w * 100);
    const int th = toDeviceInt(h * 100);
    constexpr int kMaxPaper = 1000000;
    if (tw <= 0 || th <= 0 || tw > kMaxPaper || th > kMaxPaper)
        return {};
    return QSize(tw, th);
}

QPageSize userPageSize(QSize tenthsMm)
{
    return QPageSize(QSizeF(tenthsMm.width() / 10.0, tenthsMm.height() / 10.0), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

namespace {

// A length in hundredths of a millimetre near `hundredths` that a print queue
// and a PDF turn into the same whole points. A PDF page is a whole number of
// points, rounded (230 mm: 651.97 -> 652 pt); CUPS truncates a custom size to
// whole points (230 mm -> 651 pt), and its pdftopdf then centres our page on
// its own, moving every item half a point (0.18 mm). A length whose points
// have a fraction well under one half comes out the same both ways; the
// nearest such length is at most 0.1 mm away, and the margin left on either
// side of the fraction holds against a hundredth lost to rounding.
int agreedHundredths(int hundredths)
{
    auto fits = [](int h) {
        const double points = h * 72.0 / 2540.0;
        const double fraction = points - std::floor(points);
        return fraction >= 0.04 && fraction <= 0.45;
    };
    for (int d = 0; d <= 20; ++d) {
        if (fits(hundredths + d))
            return hundredths + d;
        if (hundredths - d > 0 && fits(hundredths - d))
            return hundredths - d;
    }
    return hundredths;
}

}

QPageSize templatePaper(const Template &t)
{
    return jobPaper(userPaperSize(t));
}

QPageSize jobPaper(QSize tenths)
{
    if (!tenths.isValid())
        return {};
    const double w = agreedHundredths(tenths.width() * 10) / 100.0;
    const double h = agreedHundredths(tenths.height() * 10) / 100.0;
    return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

QPageSize queuePaper(const QString &name)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    return info.isNull() ? QPageSize() : info.defaultPageSize();
}

bool queueExists(const QString &name)
{
    return !name.isEmpty() && !QPrinterInfo::printerInfo(name).isNull();
}

namespace {

// Puts a device on `paper`, upright: the sheet's width runs across.
void setPaper(QPagedPaintDevice &device, const QPageSize &paper)
{
    if (!paper.isValid())
        return;
    device.setPageSize(paper);
    device.setPageOrientation(QPageLayout::Portrait);
}

}

QStringList preparePrinter(QPrinter &printer, const PrintSettings &settings, PrintJob &job)
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
    job.setPaperFromTemplates(settings.setPrintPageSize);
    QPageSize paper = job.pageCount() > 0 ? job.pagePaper(1) : QPageSize();
    if (!paper.isValid() && printer.outputFormat() == QPrinter::NativeFormat)
        paper = queuePaper(printer.printerName());
    setPaper(printer, paper);
    printer.setFullPage(true);
    printer.setDocName(job.documentName(job.pageCount()));
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

QSize PrintJob::paperTenths(int page)
{
    if (!paperFromTemplates_)
        return {};
    if (mode_ == 1)
        return userPaperSize(canvas_);
    const Template *t = pageTemplate(page);
    return t ? userPaperSize(*t) : QSize();
}

QPageSize PrintJob::pagePaper(int page)
{
    return jobPaper(paperTenths(page));
}

QString PrintJob::documentName(int pages) const
{
    if (mode_ != 1)
        return QStringLiteral("批量打印 %1 张").arg(pages);
    const auto &receiver = canvas_.items[static_cast<std::size_t>(field::ReceiverName)];
    const QString name = receiver ? QString::fromStdString(receiver->text).simplified() : QString();
    return name.isEmpty() ? QStringLiteral("快递单") : QStringLiteral("快递单 - %1").arg(name);
}

const Template *PrintJob::pageTemplate(int page)
{
    if (page < 1 || page > static_cast<int>(pageRows_.size()))
        return nullptr;
    const WaybillRow &row = *pageRows_[static_cast<std::size_t>(page - 1)];
    const std::string path = pathOf_(row.cell(WaybillRow::TemplateName));
    return path.empty() ? nullptr : cache_->get(path);
}

bool PrintJob::paintPage(QPainter &painter, int page, const PrintGeometry &g)
{
    if (mode_ == 1) {
        paintSinglePrint(painter, canvas_, g);
        return true;
    }
    if (mode_ != 2 && mode_ != 3)
        return false;
    const Template *t = pageTemplate(page);
    if (!t)
        return false;
    paintBatchPage(painter, *t, *pageRows_[static_cast<std::size_t>(page - 1)], g);
    return true;
}

int PrintJob::print(QPagedPaintDevice &device, Resolution screen, double printerScale, bool preview)
{
    auto *printer = dynamic_cast<QPrinter *>(&device);
    // The sheet's corner is the origin on every printer: the margins a driver
    // reports (and Qt's own when it has none) must not move the text; the
    // printer's own feed is what its calibration offset is for.
    if (printer)
        printer->setFullPage(true);
    const bool onPaper = !preview && printer && printer->outputFormat() == QPrinter::NativeFormat;

    PrintGeometry g;
    g.screen = screen;
    g.printer = Resolution{device.logicalDpiX(), device.logicalDpiY()};
    g.scale = effectivePrinterScale(printerScale);
    // Only paper on a printer is moved: a PDF, whether written by us or
    // chosen as "print to file", keeps the template's own places.
    if (onPaper)
        g.offset = offsetDots(offset_, g.printer);
    printedRows_.clear();
    warnings_.clear();
    auto skip = [this](int page) {
        const WaybillRow &row = *pageRows_[static_cast<std::size_t>(page - 1)];
        warnings_ << QStringLiteral("快递单 %1（收件人 %2）未打印：模板“%3”不存在或无法读取")
                         .arg(QString::fromStdString(row.cell(WaybillRow::PrintId)),
                              QString::fromStdString(row.cell(WaybillRow::ReceiverName)),
                              QString::fromStdString(row.cell(WaybillRow::TemplateName)));
    };

    // Rows whose template cannot be used are left out before the device is
    // touched: a job with nothing printable ejects no blank sheet.
    std::vector<int> pages;
    for (int page = 1; page <= pageCount(); ++page) {
        if (mode_ == 1 || pageTemplate(page)) {
            pages.push_back(page);
            continue;
        }
        skip(page);
    }
    if (pages.empty()) {
        if (!preview && afterPrint)
            afterPrint(*this, 0);
        return 0;
    }

    // Each page's paper; a preview keeps the one paper it was opened with.
    const QPageSize devicePaper = device.pageLayout().pageSize();
    auto paperOf = [&](int page) {
        const QPageSize p = preview ? QPageSize() : pagePaper(page);
        return p.isValid() ? p : devicePaper;
    };
    // A queue job has one paper for all its pages, so pages for paper go out
    // as one job per run of the same paper; a PDF holds pages of any size.
    std::vector<std::vector<int>> jobs;
    for (int page : pages) {
        if (jobs.empty() || (onPaper && !paperOf(jobs.back().back()).isEquivalentTo(paperOf(page))))
            jobs.emplace_back();
        jobs.back().push_back(page);
    }

    // A device that refuses a new page (a printer gone offline, a full disk)
    // ends the job there: only the pages painted so far count as printed, so
    // the after-print step never takes the rest for printed waybills.
    int printed = 0;
    bool stop = false;
    for (const std::vector<int> &jobPages : jobs) {
        if (stop)
            break;
        if (!preview && paperFromTemplates_)
            setPaper(device, paperOf(jobPages.front()));
        if (printer && !preview)
            printer->setDocName(documentName(static_cast<int>(jobPages.size())));
        QPainter painter;
        if (!painter.begin(&device)) {
            if (printed == 0)
                return -1;
            break;
        }
        int printedHere = 0;
        std::vector<const WaybillRow *> rowsHere;
        bool pageUsed = false;
        for (int page : jobPages) {
            if (pageUsed) {
                const QPageSize paper = paperOf(page);
                const bool resize =
                    !preview && paperFromTemplates_ && !paper.isEquivalentTo(device.pageLayout().pageSize());
                if (resize)
                    setPaper(device, paper);
                if (!device.newPage()) {
                    stop = true;
                    break;
                }
                if (resize) {
                    const QRect area(0, 0, device.width(), device.height());
                    painter.setViewport(area);
                    painter.setWindow(area);
                }
                pageUsed = false;
            }
            if (!paintPage(painter, page, g)) {
                // Its template went away while the job ran: the page stays blank
                // and the row is not counted as printed.
                skip(page);
                continue;
            }
            pageUsed = true;
            ++printedHere;
            if (mode_ != 1)
                rowsHere.push_back(pageRows_[static_cast<std::size_t>(page - 1)]);
            if (pagePainted && !pagePainted(printed + printedHere, static_cast<int>(pages.size()))) {
                stop = true; // cancelled: the pages so far are the job
                break;
            }
        }
        if (!painter.end()) {
            // This queue job did not go out; the jobs before it did.
            if (printed == 0)
                return -1;
            break;
        }
        printed += printedHere;
        printedRows_.insert(printedRows_.end(), rowsHere.begin(), rowsHere.end());
    }
    if (!preview && afterPrint)
        afterPrint(*this, printed);
    return printed;
}

namespace {

// Writes the whole document to a device or pipe that cannot be replaced by a
// rename (such as /dev/stdout), checking every write and the close.
bool writeStraight(const std::string &path, const QByteArray &bytes, std::string &error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = path + ": " + std::strerror(n < 0 ? errno : EIO);
            ::close(fd);
            return false;
        }
        done += n;
    }
    if (::close(fd) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}

int writePdf(PrintJob &job, const QString &path, int dpi, const PrintSettings &settings, Resolution screen,
             QString *error)
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = QString::fromStdString(why);
        return -1;
    };
    QByteArray document;
    int pages = 0;
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Zentra"));
        writer.setResolution(dpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        const bool paperBefore = job.paperFromTemplates();
        job.setPaperFromTemplates(settings.setPrintPageSize);
        // A PDF is never moved for a printer.
        const PrinterOffset offset = job.printerOffset();
        job.setPrinterOffset({});
        // The after-print step runs once the file is in place.
        auto after = std::move(job.afterPrint);
        job.afterPrint = nullptr;
        pages = job.print(writer, screen, settings.printerScale, false);
        job.afterPrint = std::move(after);
        job.setPaperFromTemplates(paperBefore);
        job.setPrinterOffset(offset);
    }
    if (pages < 0)
        return fail("cannot paint on the PDF");
    if (pages == 0)
        return 0;
    fixPdfTextMap(document);

    const std::string target = QFile::encodeName(path).toStdString();
    std::string why;
    struct stat st;
    const bool device = ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    const bool written = device ? writeStraight(target, document, why)
                                : writeFileAtomically(target, std::string_view(document.constData(),
                                                                               static_cast<std::size_t>(document.size())),
                                                      0644, &why);
    if (!written)
        return fail(why);
    if (job.afterPrint)
        job.afterPrint(job, pages);
    return pages;
}

int printOnQueue(PrintJob &job, const QString &queue, const PrintSettings &settings, PrinterOffset offset,
                 Resolution screen)
{
    if (!queueExists(queue))
        return -1;
    PrintSettings named = settings;
    named.printerName = queue.toStdString();
    named.noPrinterSelect = true;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFromTo(1, job.pageCount());
    preparePrinter(printer, named, job);
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return -1;
    job.setPrinterOffset(offset);
    return job.print(printer, screen, settings.printerScale);
}
}
