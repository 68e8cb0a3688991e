#include "ui/masterdata/BookCsvTransfer.h"

#include "core/config/DataFolder.h"
#include "core/masterdata/BookCsv.h"
#include "core/masterdata/MasterBook.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"

#include <QFileInfo>
#include <QProgressDialog>

namespace zentra::ui {
namespace {

constexpr int kListedSkips = 20;

QString importSummary(const CsvImport &r)
{
    QString text = QStringLiteral("新增 %1，更新 %2，跳过 %3").arg(r.inserted).arg(r.updated).arg(r.skipped.size());
    if (r.skipped.empty())
        return text;
    text += QStringLiteral("\n\n跳过的行：");
    for (std::size_t i = 0; i < r.skipped.size() && i < kListedSkips; ++i)
        text += QStringLiteral("\n第%1行：%2").arg(r.skipped[i].line).arg(qs(r.skipped[i].reason));
    if (r.skipped.size() > kListedSkips)
        text += QStringLiteral("\n……另有 %1 行").arg(r.skipped.size() - kListedSkips);
    return text;
}

// The core's reason without the file name it starts with, where it does:
// the message names the file once.
QString reasonFor(const QString &path, const std::string &error)
{
    QString why = qs(error);
    if (why.startsWith(path + QStringLiteral(": ")))
        why = why.mid(path.size() + 2);
    return why;
}

}

bool importBookFile(QWidget *parent, const MasterBook &book, Dialogs &dialogs, const QString &dir)
{
    const QString path =
        dialogs.openFile(parent, QStringLiteral("导入"), dir, QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    if (path.isEmpty())
        return false;
    QProgressDialog *progress = nullptr;
    // Reading the file is quick; storing its entries is what takes time, and
    // what the bar shows.
    auto onProgress = [&](BookImportStage stage, std::uint64_t done, std::uint64_t total) {
        if (stage != BookImportStage::Storing || total <= kImportProgressRows)
            return true;
        if (!progress) {
            progress = parent->findChild<QProgressDialog *>(QStringLiteral("importProgress"));
            if (!progress) {
                progress = new QProgressDialog(parent);
                progress->setObjectName(QStringLiteral("importProgress"));
                progress->setWindowTitle(QStringLiteral("导入"));
                progress->setCancelButtonText(QStringLiteral("取消"));
                progress->setWindowModality(Qt::WindowModal);
                progress->setMinimumDuration(0);
                progress->setAutoClose(false);
                progress->setAutoReset(false);
            }
            progress->setLabelText(QStringLiteral("正在导入 %1 行……").arg(total));
            progress->setRange(0, int(total));
            progress->show();
        }
        // A window-modal progress dialog handles its own events here.
        progress->setValue(int(done));
        return !progress->wasCanceled();
    };
    const CsvImport r = importBookCsvFile(book, ss(path), onProgress);
    if (progress)
        progress->hide();
    if (r.unreadable) {
        const QString why = reasonFor(path, r.error);
        dialogs.warn(parent, QStringLiteral("无法读取文件 %1%2").arg(path, why.isEmpty() ? QString() : "：" + why));
        return false;
    }
    if (!r.ok) {
        dialogs.warn(parent, qs(r.error));
        return false;
    }
    const QString text = importSummary(r);
    if (r.skipped.empty())
        dialogs.inform(parent, text, QStringLiteral("导入"));
    else
        dialogs.warn(parent, text, QStringLiteral("导入"));
    return r.inserted + r.updated > 0;
}

void exportBookFile(QWidget *parent, const MasterBook &book, const DataFolder &folder, Dialogs &dialogs,
                    const QString &dir, const QString &name)
{
    const QStringList types{QStringLiteral("CSV 文件，UTF-8 带 BOM (*.csv)"), QStringLiteral("CSV 文件，GBK (*.csv)")};
    int type = 0;
    QString path = dialogs.saveFileAs(parent, QStringLiteral("导出"), dir + QLatin1Char('/') + name, types, type);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const BookCsvEncoding encoding = type == 1 ? BookCsvEncoding::Gbk : BookCsvEncoding::Utf8WithMark;
    const BookExport r = exportBookCsvFile(book, folder, ss(path), encoding);
    if (r.unreadableBook) {
        dialogs.warn(parent, QStringLiteral("无法读取数据库"));
        return;
    }
    if (!r.ok) {
        dialogs.warn(parent, QStringLiteral("无法写入文件 %1：%2").arg(path, reasonFor(path, r.error)));
        return;
    }
    dialogs.inform(parent, QStringLiteral("已导出 %1 条记录到 %2").arg(r.written).arg(path), QStringLiteral("导出"));
}

}
