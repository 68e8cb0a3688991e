// print, print-list, compose --print and print-calibration sent to print
// queues of a private CUPS scheduler: what the queue receives is measured on
// the job's own data (pdftotext -bbox on the PDF its backend got).
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "support/PdfBoxes.h"
#include "support/PrivateCups.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/TestTemplates.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::pointsToMm;
using test::runProgram;

// Where canvas pixel `canvas` lands on the paper, in millimetres from the
// sheet's edge, for a whole-centimetre margin on a 96 dpi screen: the margin
// is trunc(cm x 100 / (254 / 96)) screen pixels.
double placeMm(int canvas, int marginCm)
{
    const int margin = static_cast<int>(marginCm * 100 / (254.0 / 96));
    return (canvas + margin) * 25.4 / 96;
}

constexpr double kTolerance = 0.1; // mm

class PrintQueueCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!cups.available())
            GTEST_SKIP() << "no CUPS scheduler for the test: " << cups.why();
        ASSERT_TRUE(cups.addPaperQueue("Paper")) << cups.why();
        ASSERT_TRUE(cups.addDotMatrixQueue("Dot")) << cups.why();
        ASSERT_TRUE(cups.setDefault("Dot")) << cups.why();
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        // The waybill of the report: 23 x 12.7 cm, margins 1 / 1 cm, the
        // receiver at canvas (96, 96).
        saveTemplate("sf", "23", "12.7",
                     {test::textItem(20, 96, 96, "Receiver"), test::textItem(40, 288, 192, "Order")});
        saveTemplate("yt", "10", "15", {test::textItem(20, 0, 0, "Narrow")});
        ASSERT_TRUE(config.writeText("Template", "Default", "sf.ttp"));
    }

    void saveTemplate(const std::string &name, std::string width, std::string height,
                      std::initializer_list<TemplateItem> items)
    {
        Template t;
        t.imgWidth = std::move(width);
        t.imgHeight = std::move(height);
        t.leftMargin = "1";
        t.topMargin = "1";
        for (const auto &it : items)
            t.items[static_cast<std::size_t>(it.fieldIndex())] = it;
        ASSERT_TRUE(saveTemplateFile(home + "/template/" + name + ".ttp", t));
    }

    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    }

    // Runs the command with its error output kept in `err`.
    test::CliResult cliWithErrors(std::vector<std::string> args, std::string &err)
    {
        const std::string file = dir.file("err.txt");
        std::vector<std::string> all{"-c", "f=$1; shift; exec \"$@\" 2>\"$f\"", "sh", file, ZENTRA_CLI, "--home", home};
        all.insert(all.end(), args.begin(), args.end());
        auto r = runProgram("/bin/sh", all, {"QT_QPA_PLATFORM=offscreen"});
        err = test::slurp(file);
        return r;
    }

    int count(const std::string &table)
    {
        DbConnection db;
        db.open(home + "/data/data.db");
        return static_cast<int>(db.query("select count(*) as n from " + table)[0].integer("n"));
    }

    void addRow(const std::string &templateName, const std::string &receiver, const std::string &expressNo)
    {
        DbConnection db;
        ASSERT_TRUE(db.open(home + "/data/data.db"));
        ASSERT_EQ(db.execute("insert into printList(templateName, rname, expressNo) values(?,?,?)",
                             {templateName, receiver, expressNo}),
                  1);
    }

    // The one page of a job's PDF.
    test::PdfSheet onlyPage(const test::PrivateCups::Job &job)
    {
        const auto sheets = test::readPdfBoxes(job.data);
        EXPECT_EQ(sheets.size(), 1u) << job.data;
        return sheets.empty() ? test::PdfSheet{} : sheets.front();
    }

    test::PrivateCups cups;
    test::TempDir dir;
    std::string home = dir.file("shop");
    ConfigFile config{home + "/config.ini"};
};

void expectPaperMm(const test::PdfSheet &page, double width, double height)
{
    EXPECT_NEAR(pointsToMm(page.width), width, 0.2);
    EXPECT_NEAR(pointsToMm(page.height), height, 0.2);
}

// Reported: printed on the PDF queue with another queue as the default, every
// item landed 6.35 mm off; with the PDF queue as the default, 3.53 mm off. The
// text must land where the margins put it, measured from the sheet's corner,
// whichever queue is the default and in whichever order they were chosen.
TEST_F(PrintQueueCommandsTest, ItemsLandAtTheMarginsWhicheverQueueIsTheDefault)
{
    // The same waybill as a PDF: the reference for the line's top.
    const std::string pdf = dir.file("ref.pdf");
    ASSERT_EQ(cli({"print", "--template", "sf", "--pdf", pdf}).exitCode, 0);
    const auto reference = test::readPdfBoxes(pdf);
    ASSERT_EQ(reference.size(), 1u);
    const test::PdfBox *refReceiver = reference[0].find("Receiver");
    ASSERT_TRUE(refReceiver);

    std::size_t printed = 0;
    for (const char *defaultQueue : {"Dot", "Paper", "Dot"}) {
        SCOPED_TRACE(defaultQueue);
        ASSERT_TRUE(cups.setDefault(defaultQueue)) << cups.why();
        auto r = cli({"print", "--template", "sf", "--printer", "Paper"});
        ASSERT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "1 page\n");
        const auto jobs = cups.jobs("Paper");
        ASSERT_EQ(jobs.size(), ++printed) << cups.log();
        const test::PdfSheet page = onlyPage(jobs.back());
        expectPaperMm(page, 230, 127); // across, not turned onto a portrait sheet
        const test::PdfBox *receiver = page.find("Receiver");
        const test::PdfBox *order = page.find("Order");
        ASSERT_TRUE(receiver && order);
        EXPECT_NEAR(pointsToMm(receiver->xMin), placeMm(96, 1), kTolerance);
        EXPECT_NEAR(pointsToMm(order->xMin), placeMm(288, 1), kTolerance);
        EXPECT_NEAR(pointsToMm(receiver->yMin), pointsToMm(refReceiver->yMin), kTolerance);
        EXPECT_EQ(jobs.back().title, "快递单 - Receiver");
        EXPECT_TRUE(jobs.back().option("media").starts_with("Custom.")) << jobs.back().options;
    }
    // The PDF itself starts at the same corner.
    EXPECT_NEAR(pointsToMm(refReceiver->xMin), placeMm(96, 1), kTolerance);
}

TEST_F(PrintQueueCommandsTest, TheTemplatesPaperReachesTheDotMatrixDriver)
{
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "Dot"}).exitCode, 0);
    ASSERT_TRUE(config.writeText("System", "setPrintPageSize", "0"));
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "Dot"}).exitCode, 0);
    const auto jobs = cups.jobs("Dot");
    ASSERT_EQ(jobs.size(), 2u) << cups.log();
    // 230 x 127 mm as the driver's custom size in points: 127 mm of
    // continuous form per waybill, not 279.4 mm of Letter.
    EXPECT_EQ(jobs[0].option("PageSize"), "Custom.652x360") << jobs[0].options;
    EXPECT_EQ(jobs[0].title, "快递单 - Receiver");
    // Not from the template: the queue's own default.
    EXPECT_EQ(jobs[1].option("PageSize"), "Letter") << jobs[1].options;
}

// Reported: with setPrintPageSize = 0 every job was A4, even on a queue set to
// Legal.
TEST_F(PrintQueueCommandsTest, WithoutTheTemplatesPaperTheQueuesDefaultIsUsed)
{
    ASSERT_TRUE(config.writeText("System", "setPrintPageSize", "0"));
    ASSERT_TRUE(cups.setQueueOption("Paper", "PageSize=Legal")) << cups.why();
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "Paper"}).exitCode, 0);
    const auto jobs = cups.jobs("Paper");
    ASSERT_EQ(jobs.size(), 1u) << cups.log();
    const test::PdfSheet page = onlyPage(jobs[0]);
    expectPaperMm(page, 215.9, 355.6);
    const test::PdfBox *receiver = page.find("Receiver");
    ASSERT_TRUE(receiver);
    EXPECT_NEAR(pointsToMm(receiver->xMin), placeMm(96, 1), kTolerance);
}

TEST_F(PrintQueueCommandsTest, TheOffsetMovesPaperByItsMillimetresAndNeverAPdf)
{
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "Paper"}).exitCode, 0);
    const std::string plainPdf = dir.file("plain.pdf");
    ASSERT_EQ(cli({"print", "--template", "sf", "--pdf", plainPdf}).exitCode, 0);

    ASSERT_TRUE(config.writeText("PrinterOffset", "Paper", "1.5,-0.8"));
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "Paper"}).exitCode, 0);
    const std::string movedPdf = dir.file("offset.pdf");
    ASSERT_EQ(cli({"print", "--template", "sf", "--pdf", movedPdf}).exitCode, 0);

    const auto jobs = cups.jobs("Paper");
    ASSERT_EQ(jobs.size(), 2u) << cups.log();
    const test::PdfSheet plain = onlyPage(jobs[0]);
    const test::PdfSheet moved = onlyPage(jobs[1]);
    for (const char *word : {"Receiver", "Order"}) {
        const test::PdfBox *a = plain.find(word);
        const test::PdfBox *b = moved.find(word);
        ASSERT_TRUE(a && b) << word;
        EXPECT_NEAR(pointsToMm(b->xMin - a->xMin), 1.5, 0.05) << word;
        EXPECT_NEAR(pointsToMm(b->yMin - a->yMin), -0.8, 0.05) << word;
    }
    const auto pdfPlain = test::readPdfBoxes(plainPdf);
    const auto pdfMoved = test::readPdfBoxes(movedPdf);
    ASSERT_EQ(pdfPlain.size(), 1u);
    ASSERT_EQ(pdfMoved.size(), 1u);
    EXPECT_EQ(pdfMoved[0].find("Receiver")->xMin, pdfPlain[0].find("Receiver")->xMin);
    EXPECT_EQ(pdfMoved[0].find("Receiver")->yMin, pdfPlain[0].find("Receiver")->yMin);
}

TEST_F(PrintQueueCommandsTest, AnUnknownQueuePrintsNothing)
{
    addRow("sf", "Wang", "E1");
    const struct {
        std::vector<std::string> args;
    } cases[] = {
        {{"print", "--template", "sf", "--printer", "Nope"}},
        {{"print-list", "--printer", "Nope"}},
        {{"compose", "--print", "--printer", "Nope"}},
        {{"print-calibration", "--printer", "Nope"}},
    };
    for (const auto &c : cases) {
        std::string err;
        auto r = cliWithErrors(c.args, err);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(err, "zentra-cli: no such printer: Nope\n") << c.args[0];
    }
    EXPECT_TRUE(cups.jobs("Paper").empty());
    EXPECT_TRUE(cups.jobs("Dot").empty());
    EXPECT_EQ(count("printList"), 1);
    EXPECT_EQ(count("printHistory"), 0);
    // --printer and --pdf are one or the other.
    EXPECT_EQ(cli({"print", "--template", "sf", "--printer", "Paper", "--pdf", dir.file("x.pdf")}).exitCode, 2);
}

// A queue gives every page of a job one paper: rows of another size go out as
// jobs of their own, each page on its own template's paper.
TEST_F(PrintQueueCommandsTest, ABatchOfTwoSizesGivesEachPageItsTemplatesPaper)
{
    addRow("sf", "Wang", "E1");
    addRow("yt", "Li", "E2");
    addRow("sf", "Zhao", "E3");
    auto r = cli({"print-list", "--printer", "Paper", "--keep"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "3 pages\n");
    const auto jobs = cups.jobs("Paper");
    ASSERT_EQ(jobs.size(), 3u) << cups.log();
    const struct {
        double width, height;
        const char *receiver;
        int left;
    } pages[] = {{230, 127, "Wang", 96}, {100, 150, "Li", 0}, {230, 127, "Zhao", 96}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(jobs[i].title, "批量打印 1 张");
        const test::PdfSheet page = onlyPage(jobs[i]);
        expectPaperMm(page, pages[i].width, pages[i].height);
        const test::PdfBox *receiver = page.find(pages[i].receiver);
        ASSERT_TRUE(receiver);
        EXPECT_NEAR(pointsToMm(receiver->xMin), placeMm(pages[i].left, 1), kTolerance);
    }

    // Two rows of one size in a row are one job; the printed rows move.
    addRow("sf", "Sun", "E4");
    r = cli({"print-list", "--printer", "Paper", "--ids", "3,4"});
    ASSERT_EQ(r.exitCode, 0);
    const auto more = cups.jobs("Paper");
    ASSERT_EQ(more.size(), 4u) << cups.log();
    EXPECT_EQ(more[3].title, "批量打印 2 张");
    const auto sheets = test::readPdfBoxes(more[3].data);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_TRUE(sheets[0].find("Zhao"));
    EXPECT_TRUE(sheets[1].find("Sun"));
    EXPECT_EQ(count("printList"), 2);
    EXPECT_EQ(count("printHistory"), 2);

    // A PDF holds the three sizes in one file.
    const std::string pdf = dir.file("batch.pdf");
    ASSERT_EQ(cli({"print-list", "--pdf", pdf, "--keep"}).exitCode, 0);
    const auto inPdf = test::readPdfBoxes(pdf);
    ASSERT_EQ(inPdf.size(), 2u);
    expectPaperMm(inPdf[0], 230, 127);
    expectPaperMm(inPdf[1], 100, 150);
}

TEST_F(PrintQueueCommandsTest, TheCalibrationSheetIsTheTemplatesSheet)
{
    ASSERT_EQ(cli({"print-calibration", "--printer", "Paper"}).exitCode, 0);
    const std::string pdf = dir.file("cal.pdf");
    ASSERT_EQ(cli({"print-calibration", "--pdf", pdf, "--template", "yt"}).exitCode, 0);
    EXPECT_EQ(cli({"print-calibration", "--pdf", pdf, "--template", "none"}).exitCode, 1);

    const auto jobs = cups.jobs("Paper");
    ASSERT_EQ(jobs.size(), 1u) << cups.log();
    EXPECT_EQ(jobs[0].title, "打印校准页");
    const test::PdfSheet sheet = onlyPage(jobs[0]);
    expectPaperMm(sheet, 230, 127);
    // The rulers run the whole width and height; the crosses fill the sheet.
    EXPECT_TRUE(sheet.find("120"));
    EXPECT_TRUE(sheet.find("220,100"));
    const test::PdfBox *mark = sheet.find("220");
    ASSERT_TRUE(mark);
    EXPECT_NEAR(pointsToMm(mark->xMin), 220.5, 0.3); // beside its tick, 220 mm from the edge

    const auto narrow = test::readPdfBoxes(pdf);
    ASSERT_EQ(narrow.size(), 1u);
    expectPaperMm(narrow[0], 100, 150);
    EXPECT_TRUE(narrow[0].find("80,140"));
    EXPECT_FALSE(narrow[0].find("100,20"));
}

TEST_F(PrintQueueCommandsTest, ComposePrintsOnTheQueueAndKeepsTheWaybill)
{
    DbConnection db;
    ASSERT_TRUE(db.open(home + "/data/data.db"));
    ASSERT_EQ(db.execute("insert into receiver(rID, rname) values(1, '张三')"), 1);
    db.close();
    auto r = cli({"compose", "--receiver", "1", "--print", "--printer", "Paper"});
    ASSERT_EQ(r.exitCode, 0);
    const auto jobs = cups.jobs("Paper");
    ASSERT_EQ(jobs.size(), 1u) << cups.log();
    EXPECT_EQ(jobs[0].title, "快递单 - 张三");
    EXPECT_EQ(count("printHistory"), 1);
}

// cups-pdf, where it is installed: the PDF it writes has the template's paper
// and every item where the margins put it. Ghostscript rewrites the fonts of
// what cups-pdf passes on so that its text cannot be read back; its items are
// found by their ink, against the same waybill written as a PDF by us.
TEST_F(PrintQueueCommandsTest, TheCupsPdfQueueWritesTheWaybillInPlace)
{
    if (!cups.addCupsPdfQueue("PDF"))
        GTEST_SKIP() << "no private cups-pdf queue: " << cups.why();
    ASSERT_TRUE(cups.setDefault("Dot"));
    ASSERT_EQ(cli({"print", "--template", "sf", "--printer", "PDF"}).exitCode, 0);
    const std::string pdf = dir.file("ref.pdf");
    ASSERT_EQ(cli({"print", "--template", "sf", "--pdf", pdf}).exitCode, 0);
    const auto jobs = cups.jobs("PDF");
    ASSERT_EQ(jobs.size(), 1u) << cups.log();
    expectPaperMm(onlyPage(jobs[0]), 230, 127);
    const test::InkBox got = test::inkBox(jobs[0].data);
    const test::InkBox want = test::inkBox(pdf);
    ASSERT_TRUE(got.found && want.found);
    EXPECT_NEAR(got.left, want.left, kTolerance);
    EXPECT_NEAR(got.top, want.top, kTolerance);
    EXPECT_NEAR(got.right, want.right, kTolerance);
    // Our own PDF has the receiver at the place the margins give.
    const auto reference = test::readPdfBoxes(pdf);
    ASSERT_EQ(reference.size(), 1u);
    ASSERT_TRUE(reference[0].find("Receiver"));
    EXPECT_NEAR(pointsToMm(reference[0].find("Receiver")->xMin), placeMm(96, 1), kTolerance);
}

}
}
