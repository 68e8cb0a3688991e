#pragma once

#include "core/templates/Template.h"

#include <array>

namespace zentra {

// The designer's commands on the selected items of a template. The selection
// has one flag per slot; a command walks the selected, non-empty slots in slot
// order. Rectangles are canvas pixels. Each returns whether a selected item
// was there to work on (false: the template is unchanged).
using ItemSelection = std::array<bool, Template::kSlotCount>;

// Moves every selected item by (dx, dy), keeping its size.
bool moveItems(Template &t, const ItemSelection &selected, int dx, int dy);

// Aligns the selected items on the smallest top or left or the largest bottom
// or right among them, keeping their sizes. The reference starts at 10000 for
// the smallest and at 0 for the largest.
enum class ItemAlign { Top, Bottom, Left, Right };
bool alignItems(Template &t, const ItemSelection &selected, ItemAlign align);

// Gives the selected items the largest or the smallest width, height or both
// among them (references starting at 0 and 10000, widths and heights taken
// independently), keeping their top-left corners.
enum class ItemSizing { MaxWidth, MinWidth, MaxHeight, MinHeight, MaxBoth, MinBoth };
bool sizeItems(Template &t, const ItemSelection &selected, ItemSizing sizing);

}
