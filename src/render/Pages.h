#pragma once

#include "core/templates/Template.h"
#include "core/waybill/WaybillRow.h"
#include "render/ItemLayout.h"

class QPainter;

namespace zentra::render {

// The single print: every item of the canvas's template (id 100 and up) with
// the text it holds, the page origin set by the margins in centimetres,
// fractions included. The background is never drawn.
void paintSinglePrint(QPainter &painter, const Template &canvas, const PrintGeometry &g);

// A batch page: the items of the row's template filled from the row by field
// index; the margins count in whole centimetres only.
void paintBatchPage(QPainter &painter, const Template &rowTemplate, const WaybillRow &row, const PrintGeometry &g);

// The margins as the two kinds of page read them.
double marginCentimetres(const std::string &text);   // "1.5" -> 1.5
int wholeMarginCentimetres(const std::string &text); // "1.5" -> 1

}
