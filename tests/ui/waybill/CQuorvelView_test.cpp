#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/templates/TemplateFile.h"
#include "render/ItemLayout.h"
#include "render/PrintJob.h"
#include "support/PdfText.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QAction>
#include <QBuffer>
#include <QMarginsF>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <clocale>
#include <memory>

using namespace zentra;
using namespace zentra::ui;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<CQuorvelView> view;

    Fixture() { folder.ensureLayout(); }
    CQuorvelView &make()
    {
        view = std::make_unique<CQuorvelView>(state, folder, dialogs);
        view->resize(900, 600);
        view->show();
        return *view;
    }
};

TemplateItem textItem(int index, QRect r, std::string text, int fontSize = 120)
{
    TemplateItem it;
    it.id = 100 + index;
    it.left = r.left();
    it.top = r.top();
    it.right = r.left() + r.width();
    it.bottom = r.top() + r.height();
    it.text = std::move(text);
    it.fontSize = fontSize;
    return it;
}

std::string pngBase64(QSize size, QColor color)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return encodeBase64Lines(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// The lines an edit box shows, read from its own text layout.
QStringList shownLines(MyEdit *edit)
{
    QStringList lines;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        QTextLayout *layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QString piece = text.mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
            while (!piece.isEmpty() && piece.back() == QLatin1Char(' ') && i + 1 < layout->lineCount())
                piece.chop(1);
            lines << piece;
        }
        if (layout->lineCount() == 0)
            lines << QString();
    }
    return lines;
}

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

}

class CQuorvelViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void itemsBreakLinesAsThePrinterDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<int>("minLines");
        QTest::newRow("short") << QStringLiteral("张三") << 100 << 120 << 1;
        QTest::newRow("address") << QStringLiteral("广东省深圳市南山区科技园南区高新南七道数字技术园B2栋") << 150 << 120
                                 << 3;
        QTest::newRow("words") << QStringLiteral("Room 1203, Tower B, Science Park Road 88") << 120 << 90 << 3;
        QTest::newRow("hard breaks") << QStringLiteral("第一行\n第二行很长很长很长很长很长很长") << 90 << 200 << 4;
        QTest::newRow("long word") << QStringLiteral("SF1234567890123456789012") << 80 << 150 << 3;
    }
    void itemsBreakLinesAsThePrinterDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, fontSize);
        QFETCH(int, minLines);
        Fixture f;
        CQuorvelView &view = f.make();
        TemplateItem it = textItem(27, QRect(10, 10, width, 200), text.toStdString(), fontSize);
        MyEdit *edit = view.createItem(it);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
        const QStringList expected =
            render::breakLines(text, render::screenFont(it, edit->logicalDpiY()), render::lineWidth(it));
        QCOMPARE(shownLines(edit), expected);
        QVERIFY(expected.size() >= minLines);
    }

    void loadsTemplatesAndTheDefaultOne()
    {
        Fixture f;
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        t.leftMargin = "1";
        t.imgData = pngBase64(QSize(40, 20), Qt::red);
        TemplateItem name = textItem(20, QRect(30, 40, 120, 25), "收件人姓名", 90);
        name.bold = true;
        name.color = {0, 0, 255};
        t.items[20] = name;
        t.items[40] = textItem(40, QRect(200, 40, 100, 25), "订单号");
        QVERIFY(saveTemplateFile(f.folder.templateDir() + "sf.ttp", t));
        QVERIFY(ConfigFile(f.folder.configPath()).writeText("Template", "Default", "sf.ttp"));

        CQuorvelView &view = f.make();
        QCOMPARE(f.state.currentTemplateName, std::string("sf"));
        QVERIFY(view.hasBackground());
        MyEdit *edit = view.item(20);
        QVERIFY(edit);
        QCOMPARE(edit->geometry(), QRect(30, 40, 120, 25));
        QCOMPARE(edit->text(), QStringLiteral("收件人姓名"));
        QVERIFY(edit->isBold());
        QCOMPARE(edit->palette().color(QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(edit->font().pixelSize(), render::mulDiv(90, edit->logicalDpiY(), 720));
        QVERIFY(view.item(40));
        QVERIFY(!view.item(21));
        // The background spans the paper: 23 x 12.7 cm at the screen's resolution.
        const int dpi = view.screenResolution().x;
        QCOMPARE(view.paperPixels().width(), int(2300 / (254.0 / dpi)));
        QCOMPARE(view.widget()->size(), view.paperPixels());

        // The canvas gives back what it shows.
        Template back = view.currentTemplate();
        QCOMPARE(back.leftMargin, std::string("1"));
        QCOMPARE(back.items[20]->text, name.text);
        QCOMPARE(back.items[20]->left, 30);
        QCOMPARE(back.items[20]->right, 150);

        // A missing file changes nothing.
        QVERIFY(!view.loadTemplate("none.ttp"));
        QVERIFY(!view.loadTemplate("../config.ini"));
        QVERIFY(view.item(20));

        view.destroyAllItems();
        QVERIFY(!view.item(20) && !view.item(40));
        QVERIFY(view.loadTemplate("sf.ttp"));
        QVERIFY(view.item(20));
    }

    void backgroundKeepsTheOldOneWhenUndecodable()
    {
        Fixture f;
        CQuorvelView &view = f.make();
        QVERIFY(!view.hasBackground());
        QVERIFY(!view.setBackground("not a picture"));
        QVERIFY(!view.hasBackground());
        QVERIFY(view.setBackground(pngBase64(QSize(8, 6), QColor(0, 0, 0, 0))));
        QCOMPARE(view.background().size(), QSize(8, 6));
        QCOMPARE(view.background().pixelColor(0, 0), QColor(Qt::white)); // transparent shows white
        QVERIFY(!view.setBackground("////"));
        QCOMPARE(view.background().size(), QSize(8, 6));

        // Loading a template without a picture after one with a picture: the
        // picture must not travel into the second template when it is saved.
        Template plain;
        plain.imgWidth = "10";
        plain.imgHeight = "5";
        QVERIFY(saveTemplateFile(f.folder.templateDir() + "plain.ttp", plain));
        view.destroyAllItems();
        QVERIFY(view.loadTemplate("plain.ttp"));
        QVERIFY(!view.hasBackground());
        QCOMPARE(view.currentTemplate().imgData, std::string());
    }

    void makesItemsSelectsAndOffersTheContextMenu()
    {
        Fixture f;
        CQuorvelView &view = f.make();
        MyEdit *last = view.makeItemForIndex(59);
        QVERIFY(last);
        QCOMPARE(last->geometry(), QRect(620, 290, 100, 20));
        QCOMPARE(last->text(), QStringLiteral("时"));
        QCOMPARE(last->id(), 159);
        view.setItemSelected(59, true);
        QCOMPARE(last->palette().color(QPalette::Base), QColor(150, 250, 150));
        view.leaveDesignMode();
        QVERIFY(!view.isItemSelected(59));
        QCOMPARE(last->palette().color(QPalette::Base), QColor(Qt::white));
        view.setItemText(59, QStringLiteral("07"));
        QCOMPARE(last->text(), QStringLiteral("07"));

        QAction a(QStringLiteral("新快递单(&N)")), b(QStringLiteral("打印本快递单(&P)"));
        view.setContextMenuActions({&a, &b});
        QCOMPARE(view.contextMenu()->title(), QStringLiteral("编辑"));
        QCOMPARE(view.contextMenu()->actions(), (QList<QAction *>{&a, &b}));
    }

    void printCanvasPrintsItemsAndRunsTheAfterPrintStep()
    {
        Fixture f;
        f.state.printerScale = 0; // never configured: prints as 1.0
        CQuorvelView &view = f.make();
        view.createItem(textItem(20, QRect(96, 96, 200, 30), "Receiver"));
        view.createItem(textItem(40, QRect(96, 200, 200, 30), "Order"));
        const QString pdf = QString::fromStdString(f.dir.file("canvas.pdf"));
        int dialogs = 0, after = 0;
        view.setPrinterUi({[&](QPrinter &printer, QWidget *) {
                               ++dialogs;
                               printer.setOutputFormat(QPrinter::PdfFormat);
                               printer.setOutputFileName(pdf);
                               return true;
                           },
                           {}});
        view.setAfterSinglePrint([&] { ++after; });
        view.printCanvas();
        QCOMPARE(f.state.canvasPrintJob, 1);
        QCOMPARE(dialogs, 1);
        QCOMPARE(after, 1);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Receiver")) && text.contains(QStringLiteral("Order")), qPrintable(text));

        // A cancelled dialog prints nothing and skips the after-print step.
        view.setPrinterUi({[&](QPrinter &, QWidget *) { return false; }, {}});
        view.printCanvas();
        QCOMPARE(after, 1);

        // The preview paints the same page and is no print.
        const QString previewPdf = QString::fromStdString(f.dir.file("preview.pdf"));
        view.setPrinterUi({{}, [&](QPrinter &printer, QWidget *, const std::function<void(QPrinter *)> &paint) {
                               printer.setOutputFormat(QPrinter::PdfFormat);
                               printer.setOutputFileName(previewPdf);
                               paint(&printer);
                           }});
        view.previewCanvas();
        QCOMPARE(after, 1);
        QVERIFY(pdfText(previewPdf).contains(QStringLiteral("Receiver")));
    }

    void aPdfFromTheDialogPlacesItemsAsTheCommandLinesPdf()
    {
        Fixture f;
        CQuorvelView &view = f.make();
        view.createItem(textItem(20, QRect(96, 96, 200, 30), "Receiver"));
        view.createItem(textItem(40, QRect(300, 400, 200, 30), "Order"));

        // The print dialog hands back a PDF printer with its default margins.
        const QString viaDialog = QString::fromStdString(f.dir.file("dialog.pdf"));
        view.setPrinterUi({[&](QPrinter &printer, QWidget *) {
                               printer.setOutputFormat(QPrinter::PdfFormat);
                               printer.setOutputFileName(viaDialog);
                               printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
                               return true;
                           },
                           {}});
        view.printCanvas();

        const QString direct = QString::fromStdString(f.dir.file("direct.pdf"));
        render::PrintJob job = render::PrintJob::single(view.currentTemplate());
        QCOMPARE(render::writePdf(job, direct, 300, render::PrintSettings::fromState(f.state), view.screenResolution()),
                 1);

        const auto a = test::readPdfWords(viaDialog);
        const auto b = test::readPdfWords(direct);
        QCOMPARE(a.size(), std::size_t(1));
        QCOMPARE(b.size(), std::size_t(1));
        for (const char *word : {"Receiver", "Order"}) {
            const test::PdfWord *x = a[0].find(QString::fromLatin1(word));
            const test::PdfWord *y = b[0].find(QString::fromLatin1(word));
            QVERIFY2(x && y, word);
            // Within a printer dot at 300 dpi; the margins would be 28 points.
            QVERIFY2(std::abs(x->xMin - y->xMin) < 0.5 && std::abs(x->yMin - y->yMin) < 0.5,
                     qPrintable(QStringLiteral("%1: %2,%3 vs %4,%5")
                                    .arg(QString::fromLatin1(word))
                                    .arg(x->xMin)
                                    .arg(x->yMin)
                                    .arg(y->xMin)
                                    .arg(y->yMin)));
        }
    }

    void theFrameKeepsItsColourWhateverTheTextColour_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::newRow("blue") << 0 << 0 << 255;
        QTest::newRow("red") << 255 << 0 << 0;
        QTest::newRow("black") << 0 << 0 << 0;
    }

    void theFrameKeepsItsColourWhateverTheTextColour()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        Fixture f;
        CQuorvelView &view = f.make();
        TemplateItem item = textItem(20, QRect(50, 50, 120, 40), "Colour");
        item.color = Rgb{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
        MyEdit *edit = view.createItem(item);
        QVERIFY(edit);
        QApplication::processEvents();
        const QImage shot = edit->grab().toImage();
        const QRgb frame = MyEdit::frameColor().rgb();
        // Every edge of the border, sampled away from the corners.
        for (const QPoint p : {QPoint(0, shot.height() / 2), QPoint(shot.width() - 1, shot.height() / 2),
                               QPoint(shot.width() / 2, 0), QPoint(shot.width() / 2, shot.height() - 1)})
            QCOMPARE(QColor(shot.pixel(p)).name(), QColor(frame).name());
    }

    void printRowsPrintsOnePagePerTickedRow()
    {
        Fixture f;
        Template t;
        t.items[20] = textItem(20, QRect(10, 10, 200, 30), "");
        QVERIFY(saveTemplateFile(f.folder.templateDir() + "sf.ttp", t));
        std::vector<WaybillRow> rows(5);
        for (int i = 0; i < 5; ++i) {
            rows[i].cell(WaybillRow::TemplateName) = "sf";
            rows[i].cell(WaybillRow::ReceiverName) = "Row" + std::to_string(i);
            rows[i].ticked = i != 1 && i != 3;
        }
        CQuorvelView &view = f.make();
        const QString pdf = QString::fromStdString(f.dir.file("batch.pdf"));
        view.setPrinterUi({[&](QPrinter &printer, QWidget *) {
                               printer.setOutputFormat(QPrinter::PdfFormat);
                               printer.setOutputFileName(pdf);
                               return true;
                           },
                           {}});
        int printed = -1;
        view.printRows(2, rows, [&](const render::PrintJob &, int pages) { printed = pages; });
        QCOMPARE(f.state.canvasPrintJob, 2);
        QCOMPARE(printed, 3);
        const QStringList pages = pdfText(pdf).split(QChar(0x0c), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 3);
        QVERIFY(pages[0].contains(QStringLiteral("Row0")));
        QVERIFY(pages[1].contains(QStringLiteral("Row2")));
        QVERIFY(pages[2].contains(QStringLiteral("Row4")));
    }

    void unknownPrinterIsReportedAndTheJobGoesOn()
    {
        Fixture f;
        f.state.printerName = "no such printer 41c2";
        CQuorvelView &view = f.make();
        view.createItem(textItem(20, QRect(10, 10, 100, 30), "x"));
        int dialogs = 0;
        view.setPrinterUi({[&](QPrinter &, QWidget *) { return ++dialogs, false; }, {}});
        view.printCanvas();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("Failed to select custom printer"));
        QCOMPARE(dialogs, 1);

        f.state.noPrinterSelect = true;
        view.printCanvas();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("GetPrinterDevice called failed\n"));
        QCOMPARE(dialogs, 1); // no dialog
    }
};

QTEST_MAIN(CQuorvelViewTest)
#include "CQuorvelView_test.moc"
