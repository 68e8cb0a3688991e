#pragma once

#include <string>
#include <vector>

namespace zentra::test {

// The pages of a PDF as `pdftotext -bbox` reads them, without Qt (for the
// command-line tests): each page's size and each word's box, in points from
// the page's top-left corner.
struct PdfBox {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    std::string text;
};

struct PdfSheet {
    double width = 0, height = 0;
    std::vector<PdfBox> words;

    const PdfBox *find(const std::string &text) const;
};

// Empty when pdftotext fails (no such file, not a PDF).
std::vector<PdfSheet> readPdfBoxes(const std::string &path);

// The box of everything inked on the first page, in millimetres from its
// top-left corner, from the page rendered at `dpi` (pdftoppm). For a PDF whose
// text cannot be read back (ghostscript may rewrite the fonts of one it passes
// on) this is where its items stand. `found` is false for a blank page.
struct InkBox {
    bool found = false;
    double left = 0, top = 0, right = 0, bottom = 0;
};
InkBox inkBox(const std::string &path, int dpi = 254);

inline double pointsToMm(double points)
{
    return points * 25.4 / 72.0;
}

}
