#include "render/Pages.h"

#include "core/waybill/WaybillFields.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace zentra::render {

double marginCentimetres(const std::string &text)
{
    return std::strtod(text.c_str(), nullptr);
}

int wholeMarginCentimetres(const std::string &text)
{
    // Held like every other value: a margin of 10^30 cm is no margin either.
    const long cm = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(cm, -kMaxDeviceCoordinate, kMaxDeviceCoordinate));
}

void paintSinglePrint(QPainter &painter, const Template &canvas, const PrintGeometry &g)
{
    const QPoint origin =
        marginOrigin(marginCentimetres(canvas.leftMargin), marginCentimetres(canvas.topMargin), g) + g.offset;
    for (const auto &slot : canvas.items) {
        if (!slot || slot->id < Template::kFirstItemId)
            continue;
        drawItem(painter, placeItem(*slot, QString::fromStdString(slot->text), g), origin);
    }
}

void paintBatchPage(QPainter &painter, const Template &rowTemplate, const WaybillRow &row, const PrintGeometry &g)
{
    const QPoint origin =
        marginOrigin(wholeMarginCentimetres(rowTemplate.leftMargin), wholeMarginCentimetres(rowTemplate.topMargin), g) +
        g.offset;
    const std::array<std::string, 60> texts = fieldTextsForRow(row);
    for (const auto &slot : rowTemplate.items) {
        if (!slot)
            continue;
        const int index = slot->id - Template::kFirstItemId;
        if (index < 0 || index >= Template::kSlotCount)
            continue;
        drawItem(painter, placeItem(*slot, QString::fromStdString(texts[static_cast<std::size_t>(index)]), g), origin);
    }
}

}
