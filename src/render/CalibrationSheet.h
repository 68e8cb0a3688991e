#pragma once

#include "core/templates/Template.h"

#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace zentra::render {

// The printer calibration sheet: a millimetre ruler along the top and the left
// edge of the whole sheet (a number every 10 mm) and a cross every 20 mm
// labelled with its coordinates, all measured from the sheet's corner, the
// origin every waybill is placed from. It is printed on the waybill sheet
// itself (the template's paper). The user measures on paper how far the
// crosses are off and types that correction as the printer's offset. The
// sheet itself is never offset.

// Paints the sheet over a device area of `widthDots` x `heightDots` at
// `dpiX` x `dpiY`.
void paintCalibrationSheet(QPainter &painter, int widthDots, int heightDots, int dpiX, int dpiY);

// Prints one sheet on a device that is set up; false when it cannot be painted.
bool printCalibrationSheet(QPagedPaintDevice &device);

// The job name the print queue lists the sheet under.
inline constexpr const char *kCalibrationJobName = "打印校准页";

// Prints the sheet on print queue `queue`, on the paper of `paper` (the
// default template; nullptr or a template without a size: the queue's
// default paper), the whole sheet as the area painted; false when the queue
// is unknown or cannot be printed on.
bool printCalibrationOnQueue(const QString &queue, const Template *paper);

// Writes the sheet as a one-page PDF at `dpi` on the paper of `paper` (A4
// without one), replacing `path` only when all of it is written; false with
// the reason in `error`.
bool writeCalibrationPdf(const QString &path, int dpi, const Template *paper, QString *error = nullptr);

}
