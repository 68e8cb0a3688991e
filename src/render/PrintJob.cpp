#include "render/PrintJob.h"

#include "render/Pages.h"

#include "core/config/DataFolder.h"
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
    PrintGeometry g;
    g.screen = screen;
    g.printer = Resolution{device.logicalDpiX(), device.logicalDpiY()};
    g.scale = effectivePrinterScale(printerScale);
    // Only paper on a printer is moved: a PDF, whether written by us or
    // chosen as "print to file", keeps the template's own places.
    const auto *printer = dynamic_cast<const QPrinter *>(&device);
    if (!preview && printer && printer->outputFormat() == QPrinter::NativeFormat)
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

    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    // A device that refuses a new page (a printer gone offline, a full disk)
    // ends the job there: only the pages painted so far count as printed, so
    // the after-print step never takes the rest for printed waybills.
    int printed = 0;
    for (int page : pages) {
        if (printed > 0 && !device.newPage())
            break;
        if (!paintPage(painter, page, g)) {
            // Its template went away while the job ran: the page stays blank
            // and the row is not counted as printed.
            skip(page);
            continue;
        }
        ++printed;
        if (mode_ != 1)
            printedRows_.push_back(pageRows_[static_cast<std::size_t>(page - 1)]);
        if (pagePainted && !pagePainted(printed, static_cast<int>(pages.size())))
            break; // cancelled: the pages so far are the job
    }
    if (!painter.end())
        return -1;
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

int writePdf(PrintJob &job, const QString &path, int dpi, const PrintSettings &settings, const Template *paper,
             Resolution screen, QString *error)
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
        QSize user;
        if (settings.setPrintPageSize && paper)
            user = userPaperSize(*paper);
        writer.setPageSize(user.isValid() ? userPageSize(user) : QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        // A PDF is never moved for a printer.
        const PrinterOffset offset = job.printerOffset();
        job.setPrinterOffset({});
        // The after-print step runs once the file is in place.
        auto after = std::move(job.afterPrint);
        job.afterPrint = nullptr;
        pages = job.print(writer, screen, settings.printerScale, true);
        job.afterPrint = std::move(after);
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

}
