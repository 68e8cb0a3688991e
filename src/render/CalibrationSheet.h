#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace zentra::render {

// The printer calibration sheet: a millimetre ruler along the top and the left
// edge (a number every 10 mm) and a cross every 20 mm labelled with its
// coordinates, all measured from the point where a waybill's (0, 0) lands.
// The user measures on paper how far the crosses are off and types that
// correction as the printer's offset. The sheet itself is never offset.

// Paints the sheet over a device area of `widthDots` x `heightDots` at
// `dpiX` x `dpiY`.
void paintCalibrationSheet(QPainter &painter, int widthDots, int heightDots, int dpiX, int dpiY);

// Prints one sheet on a device that is set up; false when it cannot be painted.
bool printCalibrationSheet(QPagedPaintDevice &device);

// Writes the sheet as a one-page A4 PDF at `dpi`, replacing `path` only when
// all of it is written; false with the reason in `error`.
bool writeCalibrationPdf(const QString &path, int dpi, QString *error = nullptr);

}
