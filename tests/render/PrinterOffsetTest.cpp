#include "support/PdfText.h"
#include "render/CalibrationSheet.h"
#include "render/Pages.h"
#include "render/PrintJob.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

using namespace zentra;
using namespace zentra::render;

namespace {

constexpr int kDpi = 300;

Template canvasWith(std::initializer_list<std::pair<int, int>> places)
{
    Template t;
    t.leftMargin = "0.5";
    t.topMargin = "1";
    int field = 0;
    for (const auto &[left, top] : places) {
        TemplateItem it;
        it.id = 100 + field;
        it.left = left;
        it.top = top;
        it.right = left + 200;
        it.bottom = top + 40;
        it.fontSize = 200;
        it.text = "X";
        t.items[static_cast<std::size_t>(field++)] = it;
    }
    return t;
}

// The bounding box of everything painted, in pixels.
QRect inkOf(const Template &t, QPoint offset)
{
    QImage image(2000, 1400, QImage::Format_RGB32);
    image.fill(Qt::white);
    PrintGeometry g{{96, 96}, {kDpi, kDpi}, 1.0, offset};
    QPainter painter(&image);
    paintSinglePrint(painter, t, g);
    painter.end();
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(PrinterOffset, MovesEveryItemByExactlyThatManyDots)
{
    const Template t = canvasWith({{20, 20}, {300, 150}});
    const QRect plain = inkOf(t, {});
    ASSERT_FALSE(plain.isEmpty());
    for (const PrinterOffset mm : {PrinterOffset{1.5, -0.8}, PrinterOffset{-3, 4}, PrinterOffset{0.1, 0}}) {
        const QPoint dots = offsetDots(mm, {kDpi, kDpi});
        EXPECT_EQ(dots.x(), static_cast<int>(std::lround(mm.x * kDpi / 25.4)));
        EXPECT_EQ(inkOf(t, dots), plain.translated(dots)) << mm.x << "," << mm.y;
    }
    // A hostile value in the file is held at 20 mm.
    EXPECT_EQ(offsetDots({1e300, -1e300}, {kDpi, kDpi}), offsetDots({20, -20}, {kDpi, kDpi}));
}

TEST(PrinterOffset, NeverMovesPdfOutput)
{
    const Template t = canvasWith({{20, 20}, {300, 150}});
    test::TempDir dir;
    auto wordsOf = [&](PrinterOffset offset, const char *name) {
        PrintJob job = PrintJob::single(t);
        job.setPrinterOffset(offset);
        const QString path = QString::fromStdString(dir.file(name));
        EXPECT_EQ(writePdf(job, path, kDpi, PrintSettings{}, {96, 96}), 1);
        std::vector<std::pair<double, double>> places;
        for (const auto &page : test::readPdfWords(path))
            for (const auto &w : page.words)
                places.emplace_back(w.xMin, w.yMin);
        return places;
    };
    const auto plain = wordsOf({}, "plain.pdf");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(wordsOf({5, 5}, "offset.pdf"), plain);

    // Neither does a printer set to print into a file.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("file.pdf")));
    printer.setFullPage(true);
    printer.setResolution(kDpi);
    PrintJob job = PrintJob::single(t);
    job.setPrinterOffset({5, 5});
    EXPECT_EQ(job.print(printer, {96, 96}, 1.0), 1);
    std::vector<std::pair<double, double>> viaPrinter;
    for (const auto &page : test::readPdfWords(QString::fromStdString(dir.file("file.pdf"))))
        for (const auto &w : page.words)
            viaPrinter.emplace_back(w.xMin, w.yMin);
    ASSERT_EQ(viaPrinter.size(), 2u);
    EXPECT_NEAR(viaPrinter[0].first, plain[0].first, 0.5);
    EXPECT_NEAR(viaPrinter[0].second, plain[0].second, 0.5);
}

TEST(CalibrationSheet, CrossesCarryTheirCoordinatesInMillimetres)
{
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("cal.pdf"));
    ASSERT_TRUE(writeCalibrationPdf(path, kDpi, nullptr));
    const auto pages = test::readPdfWords(path);
    ASSERT_EQ(pages.size(), 1u);
    // A4: crosses every 20 mm up to 200 x 280.
    for (const char *label : {"20,20", "200,20", "20,280", "100,140"}) {
        const test::PdfWord *w = pages[0].find(QString::fromLatin1(label));
        ASSERT_NE(w, nullptr) << label;
        const QStringList xy = QString::fromLatin1(label).split(',');
        // The label starts 1 mm right of its cross's centre, or ends 1 mm
        // left of it at the right edge of the sheet.
        const double cross = xy[0].toDouble() * 72 / 25.4;
        if (xy[0] == QLatin1String("200"))
            EXPECT_NEAR(w->xMax, cross - 72 / 25.4, 1.0) << label;
        else
            EXPECT_NEAR(w->xMin, cross + 72 / 25.4, 1.0) << label;
        EXPECT_LE(w->xMax, pages[0].width);
    }
    EXPECT_EQ(pages[0].find(QStringLiteral("220,20")), nullptr);
    EXPECT_NE(pages[0].find(QStringLiteral("100")), nullptr); // the ruler's numbers
}

}
