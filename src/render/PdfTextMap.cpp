#include "render/PdfTextMap.h"

#include "core/config/DataFolder.h"
#include "render/RadicalTable.h"

#include <QFile>

#include <algorithm>

namespace zentra::render {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The ideograph for a radical, or 0.
unsigned ideographFor(unsigned code)
{
    const RadicalPair *end = kRadicalPairs + kRadicalPairCount;
    const RadicalPair *it = std::lower_bound(kRadicalPairs, end, code,
                                             [](const RadicalPair &p, unsigned c) { return p.radical < c; });
    return it != end && it->radical == code ? it->ideograph : 0;
}

// Rewrites the four-digit hex token starting at `at` ("<" excluded) when it
// names a radical.
bool mendToken(QByteArray &pdf, qsizetype at)
{
    unsigned code = 0;
    for (int k = 0; k < 4; ++k) {
        const int v = hexValue(pdf.at(at + k));
        if (v < 0)
            return false;
        code = code << 4 | static_cast<unsigned>(v);
    }
    const unsigned ideograph = ideographFor(code);
    if (!ideograph)
        return false;
    static const char digits[] = "0123456789ABCDEF";
    for (int k = 0; k < 4; ++k)
        pdf[at + k] = digits[(ideograph >> (12 - 4 * k)) & 0xF];
    return true;
}

// One "begin<kind> ... end<kind>" block: which hex tokens are destinations.
// bfchar entries are "<src> <dst>"; bfrange entries are "<lo> <hi> <dst>" (a
// run of consecutive code points: mended only when it holds one glyph) or
// "<lo> <hi> [<dst> ...]".
int mendBlock(QByteArray &pdf, qsizetype from, qsizetype to, bool ranges)
{
    int changed = 0;
    int position = 0; // token number within the entry
    bool inArray = false;
    bool singleGlyph = false;
    QByteArray lo;
    for (qsizetype i = from; i < to; ++i) {
        const char c = pdf.at(i);
        if (c == '[') {
            inArray = true;
            continue;
        }
        if (c == ']') {
            inArray = false;
            position = 0;
            continue;
        }
        if (c != '<')
            continue;
        const qsizetype close = pdf.indexOf('>', i);
        if (close < 0 || close > to)
            break;
        const qsizetype length = close - i - 1;
        const bool four = length == 4;
        if (inArray) {
            if (four && mendToken(pdf, i + 1))
                ++changed;
        } else if (!ranges) {
            if (position == 1 && four && mendToken(pdf, i + 1))
                ++changed;
            position = (position + 1) % 2;
        } else {
            if (position == 0)
                lo = pdf.mid(i + 1, length);
            else if (position == 1)
                singleGlyph = pdf.mid(i + 1, length) == lo;
            else if (singleGlyph && four && mendToken(pdf, i + 1))
                ++changed;
            position = (position + 1) % 3;
        }
        i = close;
    }
    return changed;
}

int mendBlocks(QByteArray &pdf, const QByteArray &begin, const QByteArray &end, bool ranges)
{
    int changed = 0;
    for (qsizetype at = pdf.indexOf(begin); at >= 0; at = pdf.indexOf(begin, at)) {
        const qsizetype stop = pdf.indexOf(end, at);
        if (stop < 0)
            break;
        changed += mendBlock(pdf, at + begin.size(), stop, ranges);
        at = stop + end.size();
    }
    return changed;
}

}

int fixPdfTextMap(QByteArray &pdf)
{
    return mendBlocks(pdf, QByteArrayLiteral("beginbfrange"), QByteArrayLiteral("endbfrange"), true) +
           mendBlocks(pdf, QByteArrayLiteral("beginbfchar"), QByteArrayLiteral("endbfchar"), false);
}

bool fixPdfTextMapFile(const QString &path)
{
    const std::string file = QFile::encodeName(path).toStdString();
    std::string bytes;
    if (!readFile(file, bytes))
        return false;
    QByteArray pdf(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (fixPdfTextMap(pdf) == 0)
        return true;
    return writeFileAtomically(file, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
}

}
