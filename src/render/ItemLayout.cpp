#include "render/ItemLayout.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace zentra::render {

double effectivePrinterScale(double configured)
{
    return configured > 0.0 && configured <= 3.0 ? configured : 1.0;
}

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t n = std::int64_t(a) * b;
    const std::int64_t half = std::abs(std::int64_t(c)) / 2;
    const std::int64_t r = (n >= 0) == (c > 0) ? (std::abs(n) + half) / std::abs(std::int64_t(c))
                                               : -((std::abs(n) + half) / std::abs(std::int64_t(c)));
    return static_cast<int>(std::clamp<std::int64_t>(r, INT_MIN, INT_MAX));
}

int toDeviceInt(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(v, -double(kMaxDeviceCoordinate), double(kMaxDeviceCoordinate))));
}

void installFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // A Latin face first: drawn with a CJK face, Latin text may be shaped into
    // glyphs that the PDF's text map does not cover, so copying or searching
    // the PDF would lose them. Chinese text falls back to the CJK face.
    const QStringList serif = {QStringLiteral("DejaVu Serif"), QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                               QStringLiteral("AR PL UMing CN")};
    const QStringList sans = {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Serif CJK SC")};
    for (const char *face :
         {"宋体", "新宋体", "仿宋", "仿宋_GB2312", "楷体", "楷体_GB2312", "SimSun", "NSimSun", "FangSong", "KaiTi"})
        QFont::insertSubstitutions(QString::fromUtf8(face), serif);
    for (const char *face : {"黑体", "微软雅黑", "幼圆", "隶书", "SimHei", "Microsoft YaHei"})
        QFont::insertSubstitutions(QString::fromUtf8(face), sans);
}

namespace {

// A batch prints the same few fonts and, from one sender, many of the same
// texts on every page; these memos keep their fonts, line breaks and ascents.
// They only remember results of pure functions and are bounded.
template <typename Map> void bound(Map &map, std::size_t limit)
{
    if (static_cast<std::size_t>(map.size()) >= limit)
        map.clear();
}

std::string fontKey(const TemplateItem &item, int pixelSize)
{
    return item.fontName + '\x1f' + std::to_string(pixelSize) + (item.bold ? "b" : "") + (item.italic ? "i" : "");
}

QFont itemFont(const TemplateItem &item, int pixelSize)
{
    pixelSize = std::clamp(pixelSize, 1, kMaxFontPixels);
    thread_local std::unordered_map<std::string, QFont> fonts;
    const std::string key = fontKey(item, pixelSize);
    if (auto it = fonts.find(key); it != fonts.end())
        return it->second;
    QFont f(QString::fromStdString(item.fontName));
    f.setPixelSize(pixelSize);
    f.setWeight(item.bold ? QFont::Bold : QFont::Normal);
    f.setItalic(item.italic);
    f.setUnderline(false);
    f.setStyleHint(QFont::SansSerif);
    bound(fonts, 256);
    fonts.emplace(key, f);
    return f;
}

QStringList itemLines(const TemplateItem &item, const QString &text, int screenDpiY)
{
    thread_local QHash<QString, QStringList> memo;
    const int pixels = mulDiv(item.fontSize, screenDpiY, 720);
    const int width = lineWidth(item);
    const QString key =
        QString::fromStdString(fontKey(item, pixels)) + QChar(0x1f) + QString::number(width) + QChar(0x1f) + text;
    if (auto it = memo.constFind(key); it != memo.constEnd())
        return *it;
    QStringList lines = breakLines(text, itemFont(item, pixels), width);
    bound(memo, 8192);
    memo.insert(key, lines);
    return lines;
}

}

QFont screenFont(const TemplateItem &item, int screenDpiY)
{
    return itemFont(item, mulDiv(item.fontSize, screenDpiY, 720));
}

int lineWidth(const TemplateItem &item)
{
    const std::int64_t inner = std::int64_t(item.right) - item.left - 2 * (kEditFrame + kEditMargin);
    return static_cast<int>(std::clamp<std::int64_t>(inner, 1, kMaxDeviceCoordinate));
}

namespace {

// Paragraphs longer than this, or holding a run without a space longer than
// kLongRun, are broken by our own greedy rule: the text layout engine re-measures
// a long word from its start for every line it cuts from it, which takes time
// growing with the square of the word's length. No real waybill text comes
// near these lengths, so ordinary texts break exactly as the edit boxes on the
// canvas break them.
constexpr qsizetype kLongParagraph = 2048;
constexpr qsizetype kLongRun = 256;

bool needsGreedyBreaking(const QString &paragraph)
{
    if (paragraph.size() > kLongParagraph)
        return true;
    qsizetype run = 0;
    for (QChar c : paragraph) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongRun)
            return true;
    }
    return false;
}

// A character after which a line may break even without a space: CJK text
// breaks between any two characters.
bool breaksAnywhere(char32_t c)
{
    return c >= 0x2E80;
}

// Breaks one paragraph in linear time: each character is measured once (the
// widths are memoised per character), words move to the next line when they do
// not fit, and a word wider than the line is cut where the line is full. Every
// line holds at least one character.
void breakGreedily(const QString &paragraph, const QFont &font, int width, QStringList &lines)
{
    const QFontMetricsF metrics(font);
    QHash<char32_t, qreal> widths;
    auto advance = [&](char32_t c, const QString &piece) {
        auto it = widths.constFind(c);
        if (it == widths.constEnd())
            it = widths.insert(c, metrics.horizontalAdvance(piece));
        return *it;
    };

    qsizetype lineStart = 0;  // index where the current line starts
    qreal lineWidth = 0;      // width of paragraph[lineStart, i)
    qsizetype lastBreak = -1; // index after the last place the line may break
    qreal widthAtBreak = 0;   // width of paragraph[lineStart, lastBreak)
    auto emitLine = [&](qsizetype end) {
        QString piece = paragraph.mid(lineStart, end - lineStart);
        while (!piece.isEmpty() && piece.back() == QLatin1Char(' '))
            piece.chop(1);
        lines.append(piece);
    };
    for (qsizetype i = 0; i < paragraph.size();) {
        const char32_t c = paragraph.at(i).isHighSurrogate() && i + 1 < paragraph.size()
                               ? QChar::surrogateToUcs4(paragraph.at(i), paragraph.at(i + 1))
                               : paragraph.at(i).unicode();
        const qsizetype len = c > 0xFFFF ? 2 : 1;
        const bool space = c == ' ' || c == '\t';
        const qreal w = advance(c, paragraph.mid(i, len));
        // Spaces hang past the end of a line and never push it over.
        if (!space && lineWidth + w > width && i > lineStart) {
            if (lastBreak > lineStart) {
                emitLine(lastBreak);
                lineWidth -= widthAtBreak;
                lineStart = lastBreak;
            } else {
                emitLine(i);
                lineWidth = 0;
                lineStart = i;
            }
            lastBreak = -1;
            widthAtBreak = 0;
            // The rest of the word may still not fit: look at this character again.
            if (lineWidth + w > width && i > lineStart)
                continue;
        }
        if (breaksAnywhere(c) && !space && i > lineStart) {
            lastBreak = i;
            widthAtBreak = lineWidth;
        }
        lineWidth += w;
        i += len;
        if (space || breaksAnywhere(c)) {
            lastBreak = i;
            widthAtBreak = lineWidth;
        }
    }
    QString last = paragraph.mid(lineStart);
    lines.append(last);
}

}

QStringList breakLines(const QString &text, const QFont &font, int width)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    QStringList lines;
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines.append(QString());
            continue;
        }
        if (needsGreedyBreaking(paragraph)) {
            breakGreedily(paragraph, font, width, lines);
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.setCacheEnabled(false);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            // Spaces at a soft break stay with the line but draw nothing.
            while (!piece.isEmpty() && piece.back() == QLatin1Char(' ') && i + 1 < layout.lineCount())
                piece.chop(1);
            lines.append(piece);
        }
    }
    return lines;
}

QPoint marginOrigin(double leftCm, double topCm, const PrintGeometry &g)
{
    // 254 / dpi is the size of one screen pixel in tenths of a millimetre.
    const double screenX = std::trunc(leftCm * 100.0 / (254.0 / g.screen.x));
    const double screenY = std::trunc(topCm * 100.0 / (254.0 / g.screen.y));
    return QPoint(toDeviceInt(screenX * g.ratioX()), toDeviceInt(screenY * g.ratioY()));
}

PlacedItem placeItem(const TemplateItem &item, const QString &text, const PrintGeometry &g)
{
    PlacedItem out;
    const double p = (item.fontSize / 10) * g.scale;
    out.font = itemFont(item, mulDiv(toDeviceInt(p), g.printer.y, 72));
    out.color = QColor(item.color.r, item.color.g, item.color.b);

    const QStringList lines = itemLines(item, text, g.screen.y);
    const int x = toDeviceInt(item.left * g.scale * g.ratioX());
    double top = item.top;
    for (const QString &line : lines) {
        const int y = toDeviceInt(top * g.scale * g.ratioY());
        out.lines.push_back({QPoint(x, y), line.left(1023)});
        top = std::trunc(top + p * 1.5);
    }
    return out;
}

void drawItem(QPainter &painter, const PlacedItem &item, QPoint origin)
{
    painter.setFont(item.font);
    painter.setPen(item.color);
    thread_local QHash<QString, double> ascents;
    const QString key = item.font.key() + QChar(0x1f) + QString::number(painter.device()->logicalDpiY());
    auto it = ascents.constFind(key);
    if (it == ascents.constEnd()) {
        bound(ascents, 256);
        it = ascents.insert(key, QFontMetricsF(item.font, painter.device()).ascent());
    }
    const double ascent = *it;
    // Lines run down the page: once one starts below the page, so do the rest
    // (a text of a million characters must not draw a hundred thousand lines
    // nobody sees).
    const bool plain = painter.worldTransform().isIdentity();
    const int bottom = painter.window().bottom();
    for (const auto &line : item.lines) {
        if (plain && origin.y() + line.pos.y() > bottom)
            break;
        if (line.text.isEmpty())
            continue;
        painter.drawText(QPointF(origin.x() + line.pos.x(), origin.y() + line.pos.y() + ascent), line.text);
    }
}

}
