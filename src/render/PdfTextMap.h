#pragma once

#include <QByteArray>

namespace zentra::render {

// Mends the text maps (ToUnicode CMaps) of a PDF written by Qt so that
// copying or searching its text gives back the characters that were printed.
//
// A CJK font draws a radical (U+2E80..U+31EF) and the unified ideograph it
// looks like with one glyph, and Qt names each glyph of a subset by the lowest
// code point that reaches it: 行 copies out as the Kangxi radical ⾏, 门 as
// ⻔. Every such radical in a map is replaced by its ideograph. The maps are
// plain text and each entry keeps its length, so the document's byte offsets
// stay valid. Returns the number of entries changed.
int fixPdfTextMap(QByteArray &pdf);

// The same for a PDF file that Qt's printer wrote (a print dialog's "print to
// file"); the file is replaced atomically when anything changed. False when
// it could not be read or written.
bool fixPdfTextMapFile(const QString &path);

}
