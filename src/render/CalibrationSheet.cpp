#include "render/CalibrationSheet.h"

#include "core/config/DataFolder.h"
#include "render/ItemLayout.h"
#include "render/PdfTextMap.h"
#include "render/PrintJob.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>

#include <cmath>

namespace zentra::render {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kCrossStepMm = 20;
constexpr double kCrossArmMm = 3.0;

}

void paintCalibrationSheet(QPainter &painter, int widthDots, int heightDots, int dpiX, int dpiY)
{
    auto x = [dpiX](double mm) { return toDeviceInt(std::round(mm * dpiX / kMmPerInch)); };
    auto y = [dpiY](double mm) { return toDeviceInt(std::round(mm * dpiY / kMmPerInch)); };
    const int widthMm = static_cast<int>(widthDots * kMmPerInch / dpiX);
    const int heightMm = static_cast<int>(heightDots * kMmPerInch / dpiY);

    painter.save();
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, dpiX / 200)); // about 0.13 mm
    painter.setPen(pen);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(std::max(1, y(2.5)));
    painter.setFont(font);

    // The rulers: 1 mm ticks, longer every 5 mm, longest with a number every 10 mm.
    auto tick = [](int mm) { return mm % 10 == 0 ? 5.0 : mm % 5 == 0 ? 3.5 : 2.0; };
    painter.drawLine(0, 0, widthDots, 0);
    for (int mm = 0; mm <= widthMm; ++mm) {
        painter.drawLine(x(mm), 0, x(mm), y(tick(mm)));
        if (mm % 10 == 0 && mm > 0)
            painter.drawText(x(mm) + x(0.5), y(8), QString::number(mm));
    }
    painter.drawLine(0, 0, 0, heightDots);
    for (int mm = 0; mm <= heightMm; ++mm) {
        painter.drawLine(0, y(mm), x(tick(mm)), y(mm));
        if (mm % 10 == 0 && mm > 0)
            painter.drawText(x(6), y(mm) + y(1), QString::number(mm));
    }

    // Crosses every 20 mm inside the rulers, each with its place in mm.
    for (int cy = kCrossStepMm; cy <= heightMm - 5; cy += kCrossStepMm) {
        for (int cx = kCrossStepMm; cx <= widthMm - 5; cx += kCrossStepMm) {
            painter.drawLine(x(cx - kCrossArmMm), y(cy), x(cx + kCrossArmMm), y(cy));
            painter.drawLine(x(cx), y(cy - kCrossArmMm), x(cx), y(cy + kCrossArmMm));
            // The label stands above and right of its cross, or below and
            // left of it where the sheet ends.
            const QString label = QStringLiteral("%1,%2").arg(cx).arg(cy);
            const int width = painter.fontMetrics().horizontalAdvance(label);
            if (x(cx + 1) + width + x(3) <= widthDots)
                painter.drawText(x(cx + 1), y(cy - 1), label);
            else
                painter.drawText(x(cx - 1) - width, y(cy + 1) + painter.fontMetrics().ascent(), label);
        }
    }
    painter.drawText(x(30), y(14),
                     QStringLiteral("打印校准页：量出十字与其坐标（毫米）的偏差，将需要移动的距离填入“打印偏移”，"
                                    "向右、向下为正"));
    painter.restore();
}

bool printCalibrationSheet(QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintCalibrationSheet(painter, device.width(), device.height(), device.logicalDpiX(), device.logicalDpiY());
    return painter.end();
}

bool printCalibrationOnQueue(const QString &queue, const Template *paper)
{
    if (!queueExists(queue))
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return false;
    QPageSize size = paper ? templatePaper(*paper) : QPageSize();
    if (!size.isValid())
        size = queuePaper(queue);
    if (size.isValid())
        printer.setPageSize(size);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(QString::fromUtf8(kCalibrationJobName));
    return printCalibrationSheet(printer);
}

bool writeCalibrationPdf(const QString &path, int dpi, const Template *paper, QString *error)
{
    QByteArray document;
    bool painted = false;
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Zentra"));
        writer.setResolution(dpi);
        const QPageSize size = paper ? templatePaper(*paper) : QPageSize();
        writer.setPageSize(size.isValid() ? size : QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QString::fromUtf8(kCalibrationJobName));
        painted = printCalibrationSheet(writer);
    }
    if (!painted) {
        if (error)
            *error = QStringLiteral("cannot paint on the PDF");
        return false;
    }
    fixPdfTextMap(document);
    std::string why;
    if (!writeFileAtomically(QFile::encodeName(path).toStdString(),
                             std::string_view(document.constData(), static_cast<std::size_t>(document.size())), 0644,
                             &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

}
