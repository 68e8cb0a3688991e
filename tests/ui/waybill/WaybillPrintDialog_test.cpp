// The canvas's jobs on the print queues of a private CUPS scheduler, with and
// without Qt's print dialog (driven offscreen), measured on what each queue
// received.
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/WaybillRow.h"
#include "render/PrintJob.h"
#include "support/PdfBoxes.h"
#include "support/PrivateCups.h"
#include "support/TempDir.h"
#include "support/TestTemplates.h"
#include "ui/common/Dialogs.h"
#include "ui/waybill/CQuorvelView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <functional>
#include <memory>

using namespace zentra;
using namespace zentra::ui;
using test::pointsToMm;

namespace {

constexpr double kTolerance = 0.1; // mm

// Where canvas pixel `canvas` lands, in millimetres from the sheet's edge, with
// a 1 cm margin on a 96 dpi screen (37 screen pixels).
double placeMm(int canvas)
{
    return (canvas + 37) * 25.4 / 96;
}

// Runs `step` on the modal window that opens next, once it shows.
void whenModalOpens(std::function<void(QWidget *)> step)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(modal);
    });
    timer->start();
}

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<CQuorvelView> view;

    Fixture()
    {
        folder.ensureLayout();
        state.setPrintPageSize = true;
        state.printerScale = 1.0f;
        saveTemplate("sf", "23", "12.7",
                     {test::textItem(20, 96, 96, "Receiver"), test::textItem(40, 288, 192, "Order")});
        saveTemplate("yt", "10", "15", {test::textItem(20, 0, 0, "")});
        view = std::make_unique<CQuorvelView>(state, folder, dialogs);
        view->resize(900, 600);
        view->show();
        view->loadTemplate("sf.ttp");
    }

    void saveTemplate(const std::string &name, const char *width, const char *height,
                      std::initializer_list<TemplateItem> items)
    {
        Template t;
        t.imgWidth = width;
        t.imgHeight = height;
        t.leftMargin = "1";
        t.topMargin = "1";
        for (const auto &it : items)
            t.items[static_cast<std::size_t>(it.fieldIndex())] = it;
        QVERIFY(saveTemplateFile(folder.templateDir() + name + ".ttp", t));
    }

    WaybillRow row(const std::string &templateName, const std::string &receiver)
    {
        WaybillRow r;
        r.cell(WaybillRow::TemplateName) = templateName;
        r.cell(WaybillRow::ReceiverName) = receiver;
        return r;
    }
};

// The one page of a job's PDF.
test::PdfSheet onlyPage(const test::PrivateCups::Job &job)
{
    const auto sheets = test::readPdfBoxes(job.data);
    return sheets.size() == 1 ? sheets.front() : test::PdfSheet{};
}

void expectPaperMm(const test::PdfSheet &page, double width, double height)
{
    QVERIFY2(qAbs(pointsToMm(page.width) - width) < 0.2, qPrintable(QString::number(pointsToMm(page.width))));
    QVERIFY2(qAbs(pointsToMm(page.height) - height) < 0.2, qPrintable(QString::number(pointsToMm(page.height))));
}

void expectNear(double actual, double expected, double tolerance, const char *what)
{
    QVERIFY2(qAbs(actual - expected) <= tolerance,
             qPrintable(QStringLiteral("%1: %2, not %3").arg(QLatin1String(what)).arg(actual).arg(expected)));
}

}

class WaybillPrintDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::PrivateCups> cups_;

    // The scheduler with the two queues; false (the test skips) when cupsd
    // cannot run here.
    bool haveCups() { return cups_ && cups_->available(); }

private slots:
    void initTestCase()
    {
        std::setlocale(LC_NUMERIC, "C");
        cups_ = std::make_unique<test::PrivateCups>();
        if (!cups_->available())
            return;
        QVERIFY2(cups_->addPaperQueue("Paper"), cups_->why().c_str());
        QVERIFY2(cups_->addDotMatrixQueue("Dot"), cups_->why().c_str());
    }

    void cleanupTestCase() { cups_.reset(); }

    // Reported: with printerName and noPrintreSel = 1 the text landed 6.35 mm
    // off with one default queue and 3.53 mm off with another.
    void theNamedQueueWithoutDialogWhateverTheDefault()
    {
        if (!haveCups())
            QSKIP(qPrintable(QString::fromStdString("no CUPS scheduler: " + cups_->why())));
        Fixture f;
        f.state.printerName = "Paper";
        f.state.noPrinterSelect = true;
        std::size_t printed = cups_->jobs("Paper").size();
        for (const char *defaultQueue : {"Dot", "Paper", "Dot"}) {
            QVERIFY(cups_->setDefault(defaultQueue));
            f.view->printCanvas();
            const auto jobs = cups_->jobs("Paper");
            QCOMPARE(jobs.size(), ++printed);
            const test::PdfSheet page = onlyPage(jobs.back());
            expectPaperMm(page, 230, 127);
            const test::PdfBox *receiver = page.find("Receiver");
            const test::PdfBox *order = page.find("Order");
            QVERIFY(receiver && order);
            expectNear(pointsToMm(receiver->xMin), placeMm(96), kTolerance, defaultQueue);
            expectNear(pointsToMm(order->xMin), placeMm(288), kTolerance, defaultQueue);
            QCOMPARE(QString::fromStdString(jobs.back().title), QStringLiteral("快递单 - Receiver"));
        }
        // The line's top stands where our own PDF has it.
        const QString pdf = QString::fromStdString(f.dir.file("ref.pdf"));
        render::PrintJob job = render::PrintJob::single(f.view->currentTemplate());
        render::PrintSettings settings = render::PrintSettings::fromState(f.state);
        QCOMPARE(render::writePdf(job, pdf, 600, settings, f.view->screenResolution()), 1);
        const auto reference = test::readPdfBoxes(pdf.toStdString());
        QCOMPARE(reference.size(), std::size_t(1));
        const test::PdfSheet last = onlyPage(cups_->jobs("Paper").back());
        expectNear(pointsToMm(last.find("Receiver")->yMin), pointsToMm(reference[0].find("Receiver")->yMin), kTolerance,
                   "top");
    }

    // Reported: through the dialog, single and batch jobs went out as A4 to
    // one queue and as Letter to the dot-matrix one.
    void theDialogAcceptedAsItOpensKeepsTheTemplatesPaper()
    {
        if (!haveCups())
            QSKIP(qPrintable(QString::fromStdString("no CUPS scheduler: " + cups_->why())));
        Fixture f;
        QVERIFY(cups_->setDefault("Paper"));
        const std::size_t before = cups_->jobs("Paper").size();
        whenModalOpens([](QWidget *w) {
            QVERIFY(qobject_cast<QPrintDialog *>(w));
            static_cast<QDialog *>(w)->accept();
        });
        f.view->printCanvas();
        auto jobs = cups_->jobs("Paper");
        QCOMPARE(jobs.size(), before + 1);
        test::PdfSheet page = onlyPage(jobs.back());
        expectPaperMm(page, 230, 127);
        QVERIFY(page.find("Receiver"));
        expectNear(pointsToMm(page.find("Receiver")->xMin), placeMm(96), kTolerance, "x");

        // A batch through the dialog: each page on its template's paper.
        whenModalOpens([](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
        int printed = -1;
        f.view->printRows(3, {f.row("sf", "Wang"), f.row("yt", "Li")},
                          [&](const render::PrintJob &, int pages) { printed = pages; });
        QCOMPARE(printed, 2);
        jobs = cups_->jobs("Paper");
        QCOMPARE(jobs.size(), before + 3);
        expectPaperMm(onlyPage(jobs[before + 1]), 230, 127);
        expectPaperMm(onlyPage(jobs[before + 2]), 100, 150);
        QCOMPARE(QString::fromStdString(jobs[before + 2].title), QStringLiteral("批量打印 1 张"));

        // The dot-matrix queue as the default: the driver gets 230 x 127 mm.
        QVERIFY(cups_->setDefault("Dot"));
        const std::size_t dotBefore = cups_->jobs("Dot").size();
        whenModalOpens([](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
        f.view->printCanvas();
        const auto dot = cups_->jobs("Dot");
        QCOMPARE(dot.size(), dotBefore + 1);
        QCOMPARE(QString::fromStdString(dot.back().option("PageSize")), QStringLiteral("Custom.652x360"));
    }

    void theDialogsPropertiesShowTheTemplatesPaper()
    {
        if (!haveCups())
            QSKIP(qPrintable(QString::fromStdString("no CUPS scheduler: " + cups_->why())));
        Fixture f;
        QVERIFY(cups_->setDefault("Dot"));
        const std::size_t before = cups_->jobs("Dot").size();
        QString shownSize;
        double shownWidth = 0, shownHeight = 0;
        whenModalOpens([&](QWidget *dialog) {
            // The properties open on top, modal in their turn.
            whenModalOpens([&](QWidget *properties) {
                auto *sizes = properties->findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
                auto *width = properties->findChild<QDoubleSpinBox *>(QStringLiteral("pageWidth"));
                auto *height = properties->findChild<QDoubleSpinBox *>(QStringLiteral("pageHeight"));
                if (sizes && width && height) {
                    shownSize = sizes->currentText();
                    shownWidth = width->value();
                    shownHeight = height->value();
                }
                static_cast<QDialog *>(properties)->accept();
            });
            auto *button = dialog->findChild<QPushButton *>(QStringLiteral("properties"));
            QVERIFY(button);
            button->click();
            static_cast<QDialog *>(dialog)->accept();
        });
        f.view->printCanvas();
        QVERIFY2(!shownSize.isEmpty(), "no page settings in the printer's properties");
        QVERIFY2(qAbs(shownWidth - 230) < 0.01 && qAbs(shownHeight - 127) < 0.01,
                 qPrintable(QStringLiteral("%1: %2 x %3").arg(shownSize).arg(shownWidth).arg(shownHeight)));
        const auto dot = cups_->jobs("Dot");
        QCOMPARE(dot.size(), before + 1);
        QCOMPARE(QString::fromStdString(dot.back().option("PageSize")), QStringLiteral("Custom.652x360"));
    }

    // Reported: "print to file" offered print.pdf in the home folder on every
    // job. It offers the file chosen last in this run, and that file holds the
    // template's paper with the items where the margins put them.
    void printToFileOffersTheFileChosenLast()
    {
        Fixture f;
        const QString chosen = QString::fromStdString(f.dir.file("waybill.pdf"));
        whenModalOpens([&](QWidget *dialog) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
            QVERIFY(printers && file);
            printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
            file->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        });
        f.view->printCanvas();
        const auto sheets = test::readPdfBoxes(chosen.toStdString());
        QCOMPARE(sheets.size(), std::size_t(1));
        expectPaperMm(sheets[0], 230, 127);
        QVERIFY(sheets[0].find("Receiver"));
        expectNear(pointsToMm(sheets[0].find("Receiver")->xMin), placeMm(96), kTolerance, "x");

        QString offered;
        whenModalOpens([&](QWidget *dialog) {
            if (auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename")))
                offered = file->text();
            static_cast<QDialog *>(dialog)->reject();
        });
        f.view->printCanvas();
        QCOMPARE(offered, chosen);
    }

    // Reported: with setPrintPageSize = 0 every job was A4, even on a queue set
    // to Legal.
    void withoutTheTemplatesPaperTheQueuesDefault()
    {
        if (!haveCups())
            QSKIP(qPrintable(QString::fromStdString("no CUPS scheduler: " + cups_->why())));
        Fixture f;
        f.state.setPrintPageSize = false;
        f.state.printerName = "Paper";
        f.state.noPrinterSelect = true;
        QVERIFY(cups_->setQueueOption("Paper", "PageSize=Legal"));
        const std::size_t before = cups_->jobs("Paper").size();
        f.view->printCanvas();
        QVERIFY(cups_->setQueueOption("Paper", "PageSize=A4"));
        const auto jobs = cups_->jobs("Paper");
        QCOMPARE(jobs.size(), before + 1);
        const test::PdfSheet page = onlyPage(jobs.back());
        expectPaperMm(page, 215.9, 355.6);
        QVERIFY(page.find("Receiver"));
        expectNear(pointsToMm(page.find("Receiver")->xMin), placeMm(96), kTolerance, "x");
    }

    // A queue gives all pages of a job one paper: a batch of two sizes goes out
    // as a job per run of one paper, every row counted once.
    void aBatchOfTwoSizesWithoutDialog()
    {
        if (!haveCups())
            QSKIP(qPrintable(QString::fromStdString("no CUPS scheduler: " + cups_->why())));
        Fixture f;
        f.state.printerName = "Paper";
        f.state.noPrinterSelect = true;
        const std::size_t before = cups_->jobs("Paper").size();
        std::vector<std::string> printed;
        f.view->printRows(3, {f.row("sf", "Wang"), f.row("sf", "Zhao"), f.row("yt", "Li")},
                          [&](const render::PrintJob &job, int) {
                              for (const WaybillRow *r : job.printedRows())
                                  printed.push_back(r->cell(WaybillRow::ReceiverName));
                          });
        QCOMPARE(printed, (std::vector<std::string>{"Wang", "Zhao", "Li"}));
        const auto jobs = cups_->jobs("Paper");
        QCOMPARE(jobs.size(), before + 2);
        QCOMPARE(QString::fromStdString(jobs[before].title), QStringLiteral("批量打印 2 张"));
        const auto first = test::readPdfBoxes(jobs[before].data);
        QCOMPARE(first.size(), std::size_t(2));
        expectPaperMm(first[1], 230, 127);
        QVERIFY(first[1].find("Zhao"));
        expectPaperMm(onlyPage(jobs[before + 1]), 100, 150);
        QVERIFY(onlyPage(jobs[before + 1]).find("Li"));
    }
};

QTEST_MAIN(WaybillPrintDialogTest)
#include "WaybillPrintDialog_test.moc"
