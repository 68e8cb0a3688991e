#pragma once

#include "core/waybill/WaybillRow.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zentra {

// "%Y", "%m", "%d", "%H" of a time text "YYYY-MM-DD HH:MM:SS" (seconds and the
// time of day may be left out; "/" also separates the date), zero-padded. None
// when the text is not a valid date and time.
std::optional<std::array<std::string, 4>> printTimeParts(std::string_view time);

// The text of every field index (0..59) for a waybill row, as a batch page and
// an opened row fill the items: the columns by field, the origin and the
// destination as province and city joined, the insured amount in capitals with
// its digit boxes, and the parts of the print time. Slots without a field are
// empty.
std::array<std::string, 60> fieldTextsForRow(const WaybillRow &row);

}
