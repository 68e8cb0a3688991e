#include "support/PdfText.h"
#include "render/PrintJob.h"
#include "support/TempDir.h"

#include <QPdfWriter>
#include <QPrinter>
#include "render/PdfTextMap.h"

#include <QFile>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <map>

using namespace zentra;
using namespace zentra::render;
using zentra::test::dotsToPoints;
using zentra::test::readPdfWords;

namespace {

constexpr int kDpi = 600;
const Resolution kScreen{96, 96};

TemplateItem textItem(int fieldIndex, int left, int top, std::string text, int width = 400)
{
    TemplateItem it;
    it.id = 100 + fieldIndex;
    it.left = left;
    it.top = top;
    it.right = left + width;
    it.bottom = top + 40;
    it.fontSize = 200;
    it.text = std::move(text);
    return it;
}

Template canvasWith(std::initializer_list<TemplateItem> items, std::string left = "0", std::string top = "0")
{
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    t.leftMargin = std::move(left);
    t.topMargin = std::move(top);
    for (const auto &it : items)
        t.items[static_cast<std::size_t>(it.fieldIndex())] = it;
    return t;
}

struct Pdf {
    zentra::test::TempDir dir;
    QString path = QString::fromStdString(dir.file("out.pdf"));
};

// The word's top-left corner is where its line was placed (in dots). The top
// is the extracted word's top, which stands one ascent of the item's font above
// the baseline for Latin text; Chinese glyphs come from a fallback face with its
// own ascent, so their top is only checked loosely.
void expectAt(const zentra::test::PdfPage &page, const QString &word, double xDots, double yDots,
              double yTolerance = 0.5)
{
    const auto *w = page.find(word);
    ASSERT_NE(w, nullptr) << word.toStdString() << " in " << page.allText().toStdString();
    EXPECT_NEAR(w->xMin, dotsToPoints(xDots, kDpi), 0.2) << word.toStdString();
    EXPECT_NEAR(w->yMin, dotsToPoints(yDots, kDpi), yTolerance) << word.toStdString();
}

}

TEST(SinglePrintPdf, ItemsLandAtScaledPositionsPlusTheMarginOffset)
{
    const struct {
        std::string left, top;
        double scale;
        int marginX, marginY; // dots
    } cases[] = {
        {"0", "0", 1.0, 0, 0},
        {"1", "0", 1.0, 231, 0},     // 37 screen pixels x 6.25
        {"1.5", "1", 1.0, 350, 231}, // a single print honours fractions
        {"0", "0", 0.0, 0, 0},       // a missing scale prints as 1.0
    };
    for (const auto &c : cases) {
        Pdf pdf;
        PrintJob job = PrintJob::single(
            canvasWith({textItem(20, 96, 48, "Zhang"), textItem(40, 192, 96, "ORDER42\nLINE2"), textItem(21, 0, 0, "")},
                       c.left, c.top));
        PrintSettings settings;
        settings.printerScale = c.scale;
        ASSERT_EQ(writePdf(job, pdf.path, kDpi, settings, kScreen), 1);
        const auto pages = readPdfWords(pdf.path);
        ASSERT_EQ(pages.size(), 1u);
        expectAt(pages[0], QStringLiteral("Zhang"), 600 + c.marginX, 300 + c.marginY);
        expectAt(pages[0], QStringLiteral("ORDER42"), 1200 + c.marginX, 600 + c.marginY);
        // The second line is 1.5 p = 30 canvas pixels lower: trunc(126 x 6.25) dots.
        expectAt(pages[0], QStringLiteral("LINE2"), 1200 + c.marginX, 787 + c.marginY);
    }
}

TEST(SinglePrintPdf, ChineseTextAndStylesPrint)
{
    Pdf pdf;
    TemplateItem name = textItem(20, 10, 10, "收件人张三");
    name.bold = true;
    name.fontName = "宋体";
    TemplateItem city = textItem(24, 10, 60, "深圳市");
    city.italic = true;
    city.fontName = "黑体";
    city.color = {255, 0, 0};
    PrintJob job = PrintJob::single(canvasWith({name, city}));
    ASSERT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen), 1);
    const auto pages = readPdfWords(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    expectAt(pages[0], QStringLiteral("收件人张三"), 62, 62, 6);
    expectAt(pages[0], QStringLiteral("深圳市"), 62, 375, 6);
}

TEST(SinglePrintPdf, CopiedTextIsWhatWasPrinted)
{
    // CJK fonts draw these ideographs with the glyphs of radicals (行 and the
    // Kangxi radical ⾏ look alike); the text a reader copies must still be
    // the ideographs, bold and regular faces alike.
    const QString printed = QStringLiteral("行心门风广山女衣月工长见页马鸟龙车贝金言食");
    TemplateItem regular = textItem(20, 10, 10, printed.toStdString(), 2000);
    TemplateItem bold = textItem(21, 10, 60, printed.toStdString(), 2000);
    bold.bold = true;
    bold.fontName = "黑体";
    Pdf pdf;
    PrintJob job = PrintJob::single(canvasWith({regular, bold}));
    ASSERT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen), 1);
    const auto pages = readPdfWords(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].words.size(), 2u) << pages[0].allText().toStdString();
    EXPECT_EQ(pages[0].words[0].text, printed);
    EXPECT_EQ(pages[0].words[1].text, printed);
}

TEST(PdfTextMap, RadicalsInTheMapBecomeIdeographsAndKeepTheirLength)
{
    QByteArray map = "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0003> [<2F8F> <0041> <2ED4> ]\n"
                     "<0004> <0004> <2F3C>\n<0005> <0006> <2F00>\nendbfrange\n"
                     "1 beginbfchar\n<0007> <2EDB>\n<2F8F> <0042>\nendbfchar\n";
    const qsizetype length = map.size();
    EXPECT_EQ(fixPdfTextMap(map), 4);
    EXPECT_EQ(map.size(), length);
    EXPECT_TRUE(map.contains("[<884C> <0041> <95E8> ]"));
    EXPECT_TRUE(map.contains("<0004> <0004> <5FC3>"));
    EXPECT_TRUE(map.contains("<0005> <0006> <2F00>")); // a run of two glyphs stays
    EXPECT_TRUE(map.contains("<0007> <98CE>"));
    EXPECT_TRUE(map.contains("<2F8F> <0042>")); // a source code is no text
}

TEST(WritePdf, AFailedWriteIsReportedAndRunsNoAfterPrint)
{
    PrintJob job = PrintJob::single(canvasWith({textItem(20, 0, 0, "x")}));
    bool ran = false;
    job.afterPrint = [&](const PrintJob &, int) { ran = true; };
    QString error;
    EXPECT_EQ(writePdf(job, QStringLiteral("/dev/full"), kDpi, PrintSettings{}, kScreen, &error), -1);
    EXPECT_TRUE(error.contains(QStringLiteral("/dev/full"))) << error.toStdString();
    EXPECT_EQ(writePdf(job, QStringLiteral("/no/such/folder/x.pdf"), kDpi, PrintSettings{}, kScreen, &error), -1);
    EXPECT_FALSE(ran);

    // An existing file is replaced only by a whole document.
    Pdf pdf;
    zentra::test::spit(pdf.path.toStdString(), "old");
    ::chmod(pdf.path.toLocal8Bit().constData(), 0444);
    EXPECT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen, &error), -1);
    EXPECT_EQ(zentra::test::slurp(pdf.path.toStdString()), "old");
    EXPECT_FALSE(ran);
}

TEST(SinglePrintPdf, HostileNumbersInATemplatePrintWithoutOverflow)
{
    // Values a damaged or hostile template file may hold; each is held in
    // range before it becomes a device coordinate (the sanitizers watch).
    const int extremes[] = {INT_MAX, INT_MIN, INT_MAX / 2, -1};
    for (int v : extremes) {
        TemplateItem it = textItem(20, 0, 0, "x");
        it.left = v;
        it.top = v == INT_MIN ? INT_MAX : -v;
        it.right = v == INT_MIN ? INT_MAX : INT_MIN;
        it.fontSize = v;
        for (const char *margin : {"1e308", "-1e308", "nan", "inf", "99999999999999999999"}) {
            Template t = canvasWith({it}, margin, margin);
            t.imgWidth = margin;
            t.imgHeight = "1e308";
            PrintSettings settings;
            settings.setPrintPageSize = true;
            settings.printerScale = 3;
            Pdf pdf;
            PrintJob job = PrintJob::single(t);
            EXPECT_EQ(writePdf(job, pdf.path, kDpi, settings, kScreen), 1) << v << " " << margin;
            EXPECT_FALSE(userPaperSize(t).isValid());
            PrintJob batch = PrintJob::single(t);
            const PlacedItem placed = placeItem(it, QStringLiteral("x"), PrintGeometry{kScreen, {kDpi, kDpi}, 3, {}});
            for (const auto &line : placed.lines) {
                EXPECT_LE(std::abs(line.pos.x()), kMaxDeviceCoordinate);
                EXPECT_LE(std::abs(line.pos.y()), kMaxDeviceCoordinate);
            }
        }
    }
    EXPECT_EQ(toDeviceInt(std::nan("")), 0);
    EXPECT_EQ(toDeviceInt(1e308), kMaxDeviceCoordinate);
    EXPECT_EQ(toDeviceInt(-1e308), -kMaxDeviceCoordinate);
    EXPECT_EQ(toDeviceInt(-2.9), -2);
}

TEST(SinglePrintPdf, OnlyItemsFromId100AndNeverTheBackground)
{
    Pdf pdf;
    Template t = canvasWith({textItem(0, 10, 10, "KEEP")});
    TemplateItem low = textItem(1, 10, 100, "HIDDEN");
    low.id = 99;
    t.items[1] = low;
    // A small PNG as background: it must not reach the paper.
    t.imgData = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";
    PrintJob job = PrintJob::single(t);
    ASSERT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen), 1);
    const auto pages = readPdfWords(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find(QStringLiteral("KEEP")), nullptr);
    EXPECT_EQ(pages[0].find(QStringLiteral("HIDDEN")), nullptr);
    const std::string bytes = zentra::test::slurp(pdf.path.toStdString());
    EXPECT_EQ(bytes.find("/Subtype /Image"), std::string::npos);
    EXPECT_EQ(bytes.find("/Subtype/Image"), std::string::npos);
}

TEST(SinglePrintPdf, PaperFromTheTemplateOnlyWhenConfigured)
{
    const struct {
        bool setPageSize;
        double width, height; // points
    } cases[] = {{true, 2300 / 254.0 * 72, 1270 / 254.0 * 72}, {false, 595, 842}};
    for (const auto &c : cases) {
        Pdf pdf;
        PrintJob job = PrintJob::single(canvasWith({textItem(0, 10, 10, "X")}));
        PrintSettings settings;
        settings.setPrintPageSize = c.setPageSize;
        Template paper = canvasWith({});
        ASSERT_EQ(writePdf(job, pdf.path, kDpi, settings, kScreen), 1);
        const auto pages = readPdfWords(pdf.path);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NEAR(pages[0].width, c.width, 1.0);
        EXPECT_NEAR(pages[0].height, c.height, 1.0);
    }
}

TEST(PrinterSetup, UserPaperSizeAndUnknownPrinterMessages)
{
    EXPECT_EQ(userPaperSize(canvasWith({})), QSize(2300, 1270));
    Template bad = canvasWith({});
    bad.imgHeight = "";
    EXPECT_FALSE(userPaperSize(bad).isValid());
    EXPECT_FALSE(templatePaper(bad).isValid());

    const struct {
        bool noDialog;
        const char *message;
    } cases[] = {{true, kPrinterDeviceFailed}, {false, kSelectPrinterFailed}};
    for (const auto &c : cases) {
        QPrinter printer;
        PrintSettings settings;
        settings.printerName = "no such printer 7f3a";
        settings.noPrinterSelect = c.noDialog;
        settings.setPrintPageSize = true;
        PrintJob job = PrintJob::single(canvasWith({textItem(20, 0, 0, "王五")}));
        const QStringList messages = preparePrinter(printer, settings, job);
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.message)});
        const QSizeF mm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        EXPECT_NEAR(mm.width(), 230.0, 0.1);
        EXPECT_NEAR(mm.height(), 127.0, 0.1);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
        EXPECT_TRUE(printer.fullPage());
        EXPECT_EQ(printer.docName(), QStringLiteral("快递单 - 王五"));
    }
}

// CUPS makes a custom paper whole points by truncating, a PDF page by
// rounding; where they differ by a point the queue centres our page on its own
// and moves every item half a point. The paper a job asks for comes out the
// same both ways and stays within 0.1 mm of the template's (A4 is A4).
TEST(PrinterSetup, TheJobsPaperIsWholePointsBothWays)
{
    const struct {
        const char *width, *height;
    } cases[] = {{"23", "12.7"}, {"10", "15"}, {"24.1", "9.31"}, {"21", "29.7"}, {"0.5", "100"}, {"35.56", "27.94"}};
    for (const auto &c : cases) {
        Template t = canvasWith({});
        t.imgWidth = c.width;
        t.imgHeight = c.height;
        const QPageSize paper = templatePaper(t);
        ASSERT_TRUE(paper.isValid()) << c.width;
        const QSizeF mm = paper.size(QPageSize::Millimeter);
        EXPECT_NEAR(mm.width(), std::strtod(c.width, nullptr) * 10, 0.1) << c.width;
        EXPECT_NEAR(mm.height(), std::strtod(c.height, nullptr) * 10, 0.1) << c.height;
        // A standard size is asked for by its name, which both ends know.
        if (paper.id() != QPageSize::Custom)
            continue;
        // CUPS: hundredths of a millimetre, then points truncated.
        const auto cups = [](double millimetres) {
            return static_cast<int>(std::lround(millimetres * 100) * 72.0 / 2540.0);
        };
        EXPECT_EQ(paper.sizePoints(), QSize(cups(mm.width()), cups(mm.height()))) << c.width << " x " << c.height;
    }
}

TEST(PrintJob, JobNamesSayWhatIsPrinted)
{
    EXPECT_EQ(PrintJob::single(canvasWith({textItem(20, 0, 0, " 张三\r\n")})).documentName(1),
              QStringLiteral("快递单 - 张三"));
    EXPECT_EQ(PrintJob::single(canvasWith({textItem(21, 0, 0, "13800000000")})).documentName(1),
              QStringLiteral("快递单"));
    PrintJob batch = PrintJob::batch(3, {}, {}, {});
    EXPECT_EQ(batch.documentName(12), QStringLiteral("批量打印 12 张"));
}

namespace {

// Templates by file name, standing in for the template folder.
struct FakeFolder {
    std::map<std::string, Template> files;
    int loads = 0;
    TemplateCache::Loader loader()
    {
        return [this](const std::string &path, Template &out) {
            ++loads;
            auto it = files.find(path.substr(path.rfind('/') + 1));
            if (it == files.end())
                return false;
            out = it->second;
            return true;
        };
    }
};

PrintJob::TemplatePath inFolder(const zentra::test::TempDir &folder)
{
    return [dir = folder.path()](const std::string &name) {
        return name.find('/') == std::string::npos ? dir + "/" + name + ".ttp" : std::string();
    };
}

WaybillRow row(const std::string &templateName, const std::string &receiver, bool ticked)
{
    WaybillRow r;
    r.cell(WaybillRow::TemplateName) = templateName;
    r.cell(WaybillRow::ReceiverName) = receiver;
    r.ticked = ticked;
    return r;
}

}

TEST(BatchPdf, OnePagePerRowToPrintWithTheRowsOwnTemplate)
{
    zentra::test::TempDir folder;
    // The cache looks at the files; the fake loader gives their content.
    zentra::test::spit(folder.file("a.ttp"), "a");
    zentra::test::spit(folder.file("b.ttp"), "b");
    FakeFolder fake;
    fake.files["a.ttp"] = canvasWith({textItem(20, 96, 0, "")}, "1.9", "0"); // whole centimetres: 1
    fake.files["b.ttp"] = canvasWith({textItem(20, 0, 96, "")}, "0", "2");

    std::vector<WaybillRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back(row(i % 2 ? "b" : "a", "R" + std::to_string(i), i == 2 || i == 5 || i == 9));

    const struct {
        int mode;
        std::vector<int> printed;
    } cases[] = {{2, {2, 5, 9}}, {3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    for (const auto &c : cases) {
        Pdf pdf;
        PrintJob job = PrintJob::batch(c.mode, rows, inFolder(folder), fake.loader());
        int afterPages = -1;
        job.afterPrint = [&](const PrintJob &, int pages) { afterPages = pages; };
        ASSERT_EQ(job.pageCount(), static_cast<int>(c.printed.size()));
        ASSERT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen), job.pageCount());
        EXPECT_EQ(afterPages, job.pageCount());
        const auto pages = readPdfWords(pdf.path);
        ASSERT_EQ(pages.size(), c.printed.size());
        for (std::size_t n = 0; n < pages.size(); ++n) {
            const int r = c.printed[n];
            const QString name = QStringLiteral("R%1").arg(r);
            if (r % 2)
                expectAt(pages[n], name, 0, 600 + 468); // top margin 2 cm: 75 screen px
            else
                expectAt(pages[n], name, 600 + 231, 0); // left margin 1 cm: 37 screen px
            EXPECT_EQ(pages[n].words.size(), 1u);
        }
    }
    // Two files, each parsed once however many pages use it.
    EXPECT_EQ(fake.loads, 4);
}

// Each page of a batch takes the paper of its own row's template when the
// settings say so; otherwise all pages are A4.
TEST(BatchPdf, EachPageOnItsOwnTemplatesPaper)
{
    zentra::test::TempDir folder;
    zentra::test::spit(folder.file("wide.ttp"), "w");
    zentra::test::spit(folder.file("tall.ttp"), "t");
    FakeFolder fake;
    fake.files["wide.ttp"] = canvasWith({textItem(20, 96, 96, "")}, "1", "1");
    Template tall = canvasWith({textItem(20, 96, 96, "")}, "1", "1");
    tall.imgWidth = "10";
    tall.imgHeight = "15";
    fake.files["tall.ttp"] = tall;
    const std::vector<WaybillRow> rows{row("wide", "A", true), row("tall", "B", true), row("wide", "C", true)};
    for (bool fromTemplates : {true, false}) {
        Pdf pdf;
        PrintJob job = PrintJob::batch(3, rows, inFolder(folder), fake.loader());
        PrintSettings settings;
        settings.setPrintPageSize = fromTemplates;
        ASSERT_EQ(writePdf(job, pdf.path, kDpi, settings, kScreen), 3);
        const auto pages = readPdfWords(pdf.path);
        ASSERT_EQ(pages.size(), 3u);
        const double sizes[3][2] = {{230, 127}, {100, 150}, {230, 127}};
        for (std::size_t n = 0; n < 3; ++n) {
            EXPECT_NEAR(pages[n].width * 25.4 / 72, fromTemplates ? sizes[n][0] : 210, 0.5) << n;
            EXPECT_NEAR(pages[n].height * 25.4 / 72, fromTemplates ? sizes[n][1] : 297, 0.5) << n;
            // The same place on every sheet, whatever its size.
            const char *names[] = {"A", "B", "C"};
            expectAt(pages[n], QString::fromLatin1(names[n]), 600 + 231, 600 + 231);
        }
    }
}

TEST(BatchPdf, RowsWithoutAUsableTemplateAreSkippedNotPrinted)
{
    zentra::test::TempDir folder;
    FakeFolder fake;
    zentra::test::spit(folder.file("ok.ttp"), "ok");
    fake.files["ok.ttp"] = canvasWith({textItem(20, 0, 0, "")}, "0", "0");
    Pdf pdf;
    PrintJob job = PrintJob::batch(3, {row("gone", "R0", false), row("ok", "R1", false), row("../a", "R2", false)},
                                   inFolder(folder), fake.loader());
    std::vector<std::string> moved;
    job.afterPrint = [&](const PrintJob &j, int pages) {
        EXPECT_EQ(pages, 1);
        for (const WaybillRow *r : j.printedRows())
            moved.push_back(r->cell(WaybillRow::ReceiverName));
    };
    ASSERT_EQ(writePdf(job, pdf.path, kDpi, PrintSettings{}, kScreen), 1);
    EXPECT_EQ(moved, std::vector<std::string>{"R1"});
    ASSERT_EQ(job.warnings().size(), 2);
    EXPECT_TRUE(job.warnings()[0].contains(QStringLiteral("“gone”")));
    EXPECT_TRUE(job.warnings()[1].contains(QStringLiteral("“../a”")));
    const auto pages = readPdfWords(pdf.path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].find(QStringLiteral("R1")));

    // Nothing printable: no file, no after-print for any row, no blank sheet.
    Pdf none;
    PrintJob empty = PrintJob::batch(3, {row("gone", "R0", false)}, inFolder(folder), fake.loader());
    bool ran = false;
    empty.afterPrint = [&](const PrintJob &j, int pages) {
        ran = true;
        EXPECT_EQ(pages, 0);
        EXPECT_TRUE(j.printedRows().empty());
    };
    EXPECT_EQ(writePdf(empty, none.path, kDpi, PrintSettings{}, kScreen), 0);
    EXPECT_FALSE(QFile::exists(none.path));
    EXPECT_FALSE(ran);
}

TEST(TemplateCache, ReusesTheParseOnlyWhileTheFileIsUnchanged)
{
    zentra::test::TempDir folder;
    const std::string path = folder.file("t.ttp");
    int loads = 0;
    TemplateCache cache([&](const std::string &p, Template &out) {
        ++loads;
        out.imgWidth = zentra::test::slurp(p);
        return true;
    });
    EXPECT_EQ(cache.get(path), nullptr);
    zentra::test::spit(path, "one");
    ASSERT_NE(cache.get(path), nullptr);
    EXPECT_EQ(cache.get(path)->imgWidth, "one");
    EXPECT_EQ(loads, 1);

    zentra::test::spit(path, "three"); // size and time change
    EXPECT_EQ(cache.get(path)->imgWidth, "three");
    EXPECT_EQ(loads, 2);

    // Replaced by another file of the same size: a new inode.
    zentra::test::spit(folder.file("new"), "THREE");
    ASSERT_EQ(std::rename(folder.file("new").c_str(), path.c_str()), 0);
    EXPECT_EQ(cache.get(path)->imgWidth, "THREE");
    EXPECT_EQ(loads, 3);

    std::remove(path.c_str());
    EXPECT_EQ(cache.get(path), nullptr);
}

namespace {

// A PDF writer that refuses to start page `failAt`, as a printer that went
// offline in the middle of a job does.
class FailingWriter : public QPdfWriter {
public:
    FailingWriter(const QString &path, int failAt) : QPdfWriter(path), failAt_(failAt) {}
    bool newPage() override { return ++page_ < failAt_ && QPdfWriter::newPage(); }

private:
    int failAt_;
    int page_ = 1;
};

}

TEST(BatchPrint, AJobThatStopsEarlyCountsOnlyThePagesPrinted)
{
    zentra::test::TempDir folder;
    zentra::test::spit(folder.file("a.ttp"), "a");
    FakeFolder fake;
    fake.files["a.ttp"] = canvasWith({textItem(20, 10, 10, "")});
    std::vector<WaybillRow> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back(row("a", "R" + std::to_string(i), false));

    const struct {
        int failAt;  // the page the device refuses; 0: none
        bool preview;
        int printed; // pages reported and handed to the after-print step
        int after;   // -1: the step does not run
    } cases[] = {{0, false, 5, 5}, {3, false, 2, 2}, {2, false, 1, 1}, {3, true, 2, -1}};
    for (const auto &c : cases) {
        Pdf pdf;
        PrintJob job = PrintJob::batch(3, rows, inFolder(folder), fake.loader());
        int after = -1;
        job.afterPrint = [&](const PrintJob &, int pages) { after = pages; };
        {
            FailingWriter writer(pdf.path, c.failAt ? c.failAt : 1000);
            writer.setResolution(kDpi);
            EXPECT_EQ(job.print(writer, kScreen, 1.0, c.preview), c.printed) << c.failAt;
        }
        EXPECT_EQ(after, c.after) << c.failAt;
        EXPECT_EQ(readPdfWords(pdf.path).size(), static_cast<std::size_t>(c.printed)) << c.failAt;
    }
}
