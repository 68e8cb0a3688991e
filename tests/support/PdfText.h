#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zentra::test {

// A word of a PDF page as poppler's text extraction places it, in points from
// the page's top-left corner, with the text exactly as extracted.
struct PdfWord {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

struct PdfPage {
    double width = 0, height = 0; // points
    std::vector<PdfWord> words;

    const PdfWord *find(const QString &text) const;
    QString allText() const;
};

// Runs `pdftotext -bbox` on the file; empty when it fails.
std::vector<PdfPage> readPdfWords(const QString &path);

// Printer dots at `dpi` to points.
inline double dotsToPoints(double dots, int dpi)
{
    return dots * 72.0 / dpi;
}

}
