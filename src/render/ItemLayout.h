#pragma once

#include "core/templates/Template.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

namespace zentra::render {

// The one place where an item's text is broken into lines and where template
// units (canvas pixels, tenths of a point, centimetres) become screen pixels or
// printer dots. The canvas, the preview, the printer and the PDF all go
// through it, so a printed line is the line the canvas shows.

// A configured printer scale outside (0, 3] prints as 1.0: a missing value
// would otherwise put every item at the origin in a zero-size font.
double effectivePrinterScale(double configured);

// Pixels per inch of a device, horizontal and vertical.
struct Resolution {
    int x = 96;
    int y = 96;
};

// Rounded a * b / c, as an integer multiply-divide rounds (halves away from 0),
// held within the int range.
int mulDiv(int a, int b, int c);

// The one conversion of a computed position or size to an integer. Template
// files may hold any number (1e308, NaN, inf, 2147483647); converting such a
// value to int is undefined, and summing two large ones overflows. NaN becomes
// 0, the value is truncated toward zero and held within
// +-kMaxDeviceCoordinate, which is far beyond any sheet at any resolution
// (4,194,304 dots is 177 m at 600 dpi) and leaves room to add two of them.
constexpr int kMaxDeviceCoordinate = 1 << 22;
int toDeviceInt(double v);

// Font sizes in pixels are held within [1, kMaxFontPixels]: a hostile size
// would otherwise ask the font engine for glyphs of a billion pixels.
constexpr int kMaxFontPixels = 20000;

// Registers fonts with Chinese glyphs for the face names templates use
// ("宋体", "黑体", ...), which Linux systems do not have under those names.
// Safe to call more than once.
void installFontSubstitutions();

// The item's font on a screen of `screenDpiY`: size in tenths of a point
// converted to whole pixels, bold (700) or normal, italic, the face name.
QFont screenFont(const TemplateItem &item, int screenDpiY);

// The width an item's multi-line edit box breaks its lines at: the rectangle
// without its one-pixel border and one-pixel inner margin on each side.
int lineWidth(const TemplateItem &item);
constexpr int kEditFrame = 1;  // border width of an item's edit box
constexpr int kEditMargin = 1; // text margin inside the border

// Breaks `text` into the lines a multi-line edit box of `width` pixels shows
// with `font`: hard breaks ("\r\n", "\n") start a new line, words that do not
// fit move to the next line, and a word longer than the line is cut. Empty
// text gives one empty line.
QStringList breakLines(const QString &text, const QFont &font, int width);

// The geometry of one print job: the resolutions of the screen the items were
// laid out on and of the printer, and the printer scale already made
// effective.
struct PrintGeometry {
    Resolution screen;
    Resolution printer;
    double scale = 1.0;
    QPoint offset; // the printer's calibration, in printer dots; added to every item

    double ratioX() const { return double(printer.x) / screen.x; }
    double ratioY() const { return double(printer.y) / screen.y; }
};

// Where canvas point (0, 0) lands on the paper, in printer dots from the
// top-left of the printable area, for margins in centimetres.
QPoint marginOrigin(double leftCm, double topCm, const PrintGeometry &g);

// One item ready to draw: the printer font, the colour, and each line's text
// with its top-left position in printer dots relative to the page origin.
struct PlacedItem {
    struct Line {
        QPoint pos;
        QString text;
    };
    QFont font;
    QColor color;
    std::vector<Line> lines;
};

// Lays out an item's text for the printer. Point size p = (fontSize / 10) x
// scale; the printer font is p points on the printer; line i starts
// trunc(top_i x scale x ratio) dots down, top_0 being the rectangle's top and
// each next line trunc(top_i + 1.5 p) canvas pixels lower; x likewise from the
// rectangle's left.
PlacedItem placeItem(const TemplateItem &item, const QString &text, const PrintGeometry &g);

// Draws a placed item with its lines' top-left corners at their positions,
// shifted by `origin`.
void drawItem(QPainter &painter, const PlacedItem &item, QPoint origin);

}
