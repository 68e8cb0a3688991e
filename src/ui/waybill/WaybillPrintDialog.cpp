#include "ui/waybill/WaybillPrintDialog.h"

#include "render/PrintJob.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace zentra::ui {

namespace {

// While the print dialog runs: fills in the last file when the dialog shows,
// and the paper when its properties show. Qt builds both windows anew as they
// open, so they are set up as they appear.
class DialogWatcher : public QObject {
public:
    DialogWatcher(QDialog &dialog, const QString &lastFile, const QPageSize &paper)
        : dialog_(dialog), lastFile_(lastFile), paper_(paper)
    {
        qApp->installEventFilter(this);
    }
    ~DialogWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == &dialog_) {
            if (!lastFile_.isEmpty())
                if (auto *file = dialog_.findChild<QLineEdit *>(QStringLiteral("filename")))
                    file->setText(lastFile_);
        } else if (paper_.isValid() && qobject_cast<QDialog *>(widget) &&
                   widget->findChild<QComboBox *>(QStringLiteral("pageSizeCombo"))) {
            WaybillPrintDialog::showPaper(*widget, paper_);
        }
        return false;
    }

private:
    QDialog &dialog_;
    QString lastFile_;
    QPageSize paper_;
};

}

void WaybillPrintDialog::showPaper(QWidget &properties, const QPageSize &paper)
{
    auto *sizes = properties.findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
    auto *width = properties.findChild<QDoubleSpinBox *>(QStringLiteral("pageWidth"));
    auto *height = properties.findChild<QDoubleSpinBox *>(QStringLiteral("pageHeight"));
    if (!sizes || !paper.isValid())
        return;
    int custom = -1;
    for (int i = 0; i < sizes->count(); ++i) {
        const QVariant data = sizes->itemData(i);
        if (data.canConvert<QPageSize>() && data.value<QPageSize>().isEquivalentTo(paper)) {
            sizes->setCurrentIndex(i);
            return;
        }
        if (!data.isValid() && !sizes->itemText(i).isEmpty())
            custom = i;
    }
    if (custom < 0 || !width || !height)
        return;
    if (auto *units = properties.findChild<QComboBox *>(QStringLiteral("unitsCombo"))) {
        const int mm = units->findData(QVariant::fromValue(QPageLayout::Millimeter));
        if (mm >= 0)
            units->setCurrentIndex(mm);
    }
    sizes->setCurrentIndex(custom);
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    width->setValue(mm.width());
    height->setValue(mm.height());
}

bool WaybillPrintDialog::run(QPrinter &printer, QWidget *parent, const QPageSize &shown)
{
    const QPageLayout prepared = printer.pageLayout();
    const QString preparedQueue = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    bool propertiesOpened = false;
    if (auto *properties = dialog.findChild<QPushButton *>(QStringLiteral("properties")))
        QObject::connect(properties, &QPushButton::clicked, &dialog, [&propertiesOpened] { propertiesOpened = true; });
    {
        DialogWatcher watcher(dialog, lastFile_, shown.isValid() ? shown : prepared.pageSize());
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        lastFile_ = printer.outputFileName();
    if (propertiesOpened)
        return true; // the user's paper
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.printerName() != preparedQueue) {
        const QPageSize paper = render::queuePaper(printer.printerName());
        if (paper.isValid()) {
            printer.setPageSize(paper);
            printer.setPageOrientation(QPageLayout::Portrait);
        }
    } else {
        printer.setPageLayout(prepared);
    }
    return true;
}

}
