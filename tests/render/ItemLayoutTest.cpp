#include "render/ItemLayout.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace zentra;
using namespace zentra::render;

namespace {

TemplateItem item(int left, int top, int right, int bottom, int fontSize = 200)
{
    TemplateItem it;
    it.id = 120;
    it.left = left;
    it.top = top;
    it.right = right;
    it.bottom = bottom;
    it.fontSize = fontSize;
    return it;
}

PrintGeometry geometry(int printerDpi, double scale, int screenDpi = 96)
{
    PrintGeometry g;
    g.screen = {screenDpi, screenDpi};
    g.printer = {printerDpi, printerDpi};
    g.scale = effectivePrinterScale(scale);
    return g;
}

}

TEST(PrinterScale, ValuesOutsideZeroToThreePrintAsOne)
{
    const struct {
        double configured, effective;
    } cases[] = {{0.0, 1.0}, {-1.0, 1.0}, {3.0001, 1.0}, {3.0, 3.0}, {0.5, 0.5}, {1.25, 1.25}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(effectivePrinterScale(c.configured), c.effective) << c.configured;
}

TEST(MarginOrigin, CentimetresBecomeWholeScreenPixelsThenPrinterDots)
{
    const struct {
        double left, top;
        int dpi;
        QPoint expected;
    } cases[] = {
        {0, 0, 600, {0, 0}},       {1, 0, 96, {37, 0}}, // trunc(100 / 2.6458...) = 37 screen pixels
        {1, 1, 600, {231, 231}},                        // 37 x 6.25, truncated
        {1.5, 2, 600, {350, 468}},                      // 56 and 75 screen pixels
        {0.99, 0, 300, {115, 0}},                       // 37 screen pixels x 3.125
    };
    for (const auto &c : cases)
        EXPECT_EQ(marginOrigin(c.left, c.top, geometry(c.dpi, 1.0)), c.expected) << c.left << "," << c.top;
}

TEST(PlaceItem, PositionsFontAndLineStepFollowScaleAndRatio)
{
    const struct {
        int printerDpi;
        double scale;
        int left, top, fontSize;
        QPoint first;
        int secondY;
        int fontPixels;
    } cases[] = {
        // 96 canvas pixels are one inch: 600 dots at 600 dpi. 20 pt -> 30 px step.
        {600, 1.0, 96, 10, 200, {600, 62}, 250, 167},
        // A missing scale (0) prints as 1.0, not at the origin.
        {600, 0.0, 96, 10, 200, {600, 62}, 250, 167},
        // Scale 2: p = 40 pt, step trunc(60) canvas pixels, positions doubled.
        {600, 2.0, 50, 20, 200, {625, 250}, 1000, 333},
        // 12 pt stored as 72 tenths: p = 7 (integer division), step trunc(10.5) = 10.
        {300, 1.0, 10, 10, 72, {31, 31}, 62, 29},
    };
    for (const auto &c : cases) {
        TemplateItem it = item(c.left, c.top, c.left + 400, c.top + 100, c.fontSize);
        PlacedItem placed = placeItem(it, QStringLiteral("AB\nCD"), geometry(c.printerDpi, c.scale));
        ASSERT_EQ(placed.lines.size(), 2u);
        EXPECT_EQ(placed.lines[0].pos, c.first) << c.scale;
        EXPECT_EQ(placed.lines[1].pos.x(), c.first.x());
        EXPECT_EQ(placed.lines[1].pos.y(), c.secondY) << c.scale;
        EXPECT_EQ(placed.font.pixelSize(), c.fontPixels);
        EXPECT_EQ(placed.lines[1].text, QStringLiteral("CD"));
    }
}

TEST(PlaceItem, CarriesColourAndStyle)
{
    TemplateItem it = item(0, 0, 100, 20);
    it.color = {255, 0, 128};
    it.bold = true;
    it.italic = true;
    PlacedItem placed = placeItem(it, QStringLiteral("x"), geometry(600, 1));
    EXPECT_EQ(placed.color, QColor(255, 0, 128));
    EXPECT_EQ(placed.font.weight(), QFont::Bold);
    EXPECT_TRUE(placed.font.italic());
}

TEST(ScreenFont, TenthsOfAPointBecomeRoundedPixels)
{
    const struct {
        int fontSize, dpi, pixels;
    } cases[] = {{200, 96, 27}, {90, 96, 12}, {72, 96, 10}, {120, 120, 20}, {0, 96, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(screenFont(item(0, 0, 10, 10, c.fontSize), c.dpi).pixelSize(), c.pixels) << c.fontSize;
}

TEST(BreakLines, HardBreaksAndWrappingAsAnEditBoxShowsThem)
{
    QFont font = screenFont(item(0, 0, 10, 10, 120), 96);
    const struct {
        QString text;
        QStringList lines;
    } fixed[] = {
        {QString(), {QString()}},
        {QStringLiteral("one"), {QStringLiteral("one")}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\n\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
    };
    for (const auto &c : fixed)
        EXPECT_EQ(breakLines(c.text, font, 300), c.lines) << c.text.toStdString();

    // Long texts wrap: every line fits the width, words are not split while
    // they fit, and nothing is lost.
    const QString texts[] = {
        QStringLiteral("广东省深圳市南山区科技园南区高新南七道数字技术园"),
        QStringLiteral("alpha beta gamma delta epsilon zeta eta theta"),
        QStringLiteral("Averyveryveryverylongwordwithoutanyspaceinside"),
    };
    const QFontMetrics fm(font);
    for (const QString &text : texts) {
        const QStringList lines = breakLines(text, font, 100);
        EXPECT_GT(lines.size(), 1) << text.toStdString();
        QString joined;
        for (const QString &line : lines) {
            EXPECT_LE(fm.horizontalAdvance(line), 100) << line.toStdString();
            joined += line;
        }
        QString compact = text;
        compact.remove(QLatin1Char(' '));
        joined.remove(QLatin1Char(' '));
        EXPECT_EQ(joined, compact);
        if (text.contains(QLatin1Char(' '))) {
            for (const QString &line : lines)
                EXPECT_FALSE(line.startsWith(QLatin1Char(' ')));
        }
    }
}

TEST(BreakLines, LongUnbrokenTextBreaksByWidthAndKeepsEveryCharacter)
{
    // Runs far longer than any word: broken where the line is full, each
    // line fitting the width (a line holds at least one character), nothing
    // lost. Mixed Latin, CJK and spaces take the same road.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    const QFontMetricsF metrics(font);
    const QString cases[] = {QString(5000, QLatin1Char('x')), QString(3000, QChar(0x4E2D)),
                             QStringLiteral("abc ").repeated(800) + QString(600, QLatin1Char('y')),
                             QString(300, QLatin1Char('w')) + QStringLiteral("深圳市南山区").repeated(100)};
    for (int width : {1, 7, 120}) {
        for (const QString &text : cases) {
            const QStringList lines = breakLines(text, font, width);
            ASSERT_GT(lines.size(), 1);
            QString joined;
            for (const QString &line : lines) {
                ASSERT_FALSE(line.isEmpty());
                if (line.size() > 1) {
                    EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), width + 0.5) << width;
                }
                joined += line;
            }
            QString expected = text;
            joined.remove(QLatin1Char(' '));
            expected.remove(QLatin1Char(' '));
            EXPECT_EQ(joined, expected) << width;
        }
    }
}

TEST(BreakLines, OrdinaryTextIsUntouchedByTheLongTextRule)
{
    // Below the long-text limits the layout engine's own wrap rule applies,
    // as on the canvas: a word that does not fit moves to the next line.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    const int width = static_cast<int>(QFontMetricsF(font).horizontalAdvance(QStringLiteral("hello world")) + 2);
    EXPECT_EQ(breakLines(QStringLiteral("hello world hello world"), font, width),
              (QStringList{QStringLiteral("hello world"), QStringLiteral("hello world")}));
}
