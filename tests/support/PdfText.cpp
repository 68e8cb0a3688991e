#include "support/PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace zentra::test {

const PdfWord *PdfPage::find(const QString &text) const
{
    for (const auto &w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

QString PdfPage::allText() const
{
    QStringList parts;
    for (const auto &w : words)
        parts << w.text;
    return parts.join(QLatin1Char(' '));
}

namespace {

QString unescape(QString s)
{
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

}

std::vector<PdfPage> readPdfWords(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<PdfPage> pages;
    for (const QString &chunk : out.split(QStringLiteral("</page>"))) {
        const auto pm = pageRe.match(chunk);
        if (!pm.hasMatch())
            continue;
        PdfPage page;
        page.width = pm.captured(1).toDouble();
        page.height = pm.captured(2).toDouble();
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto m = it.next();
            page.words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                  m.captured(4).toDouble(),
                                  unescape(m.captured(5))});
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

}
