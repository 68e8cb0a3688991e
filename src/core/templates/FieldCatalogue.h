#pragma once

#include "core/templates/Template.h"

#include <span>
#include <string>
#include <string_view>

namespace zentra {

struct AppState;

// The fixed catalogue of the 60 field slots a template item binds to. The field
// index is the item's identity: its slot, its id (100 + index) and which panel
// writes into it. Slots 17..19 and 37..39 have no field. Groups are laid out in
// tens: sender 0..16, receiver 20..36, order and goods 40..50, amount in
// capitals 51..55, print time 56..59.
namespace field {
constexpr int SenderName = 0, SenderMobile = 1, SenderPhone = 2, SenderProvince = 3, SenderCity = 4,
              SenderDistrict = 5, SenderPostCode = 6, SenderAddress = 7, SenderCompany = 8, SenderRemark = 9,
              SenderWangwang = 10, SenderQq = 11, SenderCustom1 = 12, SenderCustom2 = 13, SenderCustom3 = 14,
              SenderSignature = 15, SenderOrigin = 16;
constexpr int ReceiverName = 20, ReceiverMobile = 21, ReceiverPhone = 22, ReceiverProvince = 23,
              ReceiverCity = 24, ReceiverDistrict = 25, ReceiverPostCode = 26, ReceiverAddress = 27,
              ReceiverCompany = 28, ReceiverRemark = 29, ReceiverWangwang = 30, ReceiverQq = 31,
              ReceiverCustom1 = 32, ReceiverCustom2 = 33, ReceiverCustom3 = 34, ReceiverCustom4 = 35,
              ReceiverDestination = 36;
constexpr int OrderNumber = 40, ExpressNumber = 41, DealTime = 42, GoodsName = 43, GoodsShortName = 44,
              GoodsCount = 45, GoodsWeight = 46, GoodsTotal = 47, Freight = 48, AmountReceived = 49,
              InsuredAmount = 50;
// One capital numeral each of the insured amount, for the units 万 仟 佰 拾 元.
constexpr int InsuredTenThousands = 51, InsuredThousands = 52, InsuredHundreds = 53, InsuredTens = 54,
              InsuredOnes = 55;
// The print time's year, month, day and hour.
constexpr int PrintYear = 56, PrintMonth = 57, PrintDay = 58, PrintHour = 59;
}

// True for the 54 slots that have a field.
bool hasField(int index);

// The field's name, which is also a new item's text; empty for slots without a
// field and indexes outside 0..59.
std::string fieldName(int index);

// One checkbox of the add-label set that the wizard and the designer's add-label
// dialog show: its caption inside its group box.
struct AddLabelCheckbox {
    int index;
    std::string_view group;
    std::string_view caption;
};

// The five group boxes, in the order they are shown.
std::span<const std::string_view> addLabelGroups();
// The 54 checkboxes in field-index order.
std::span<const AddLabelCheckbox> addLabelCheckboxes();
// The checkbox of a field index; nullptr for slots without a field.
const AddLabelCheckbox *addLabelCheckbox(int index);
// The field index of a checkbox; -1 when there is no such checkbox.
int addLabelIndex(std::string_view group, std::string_view caption);

// A new item for a field index, placed by its index (column = index / 10,
// row = index % 10, 100 x 20 pixels on a 120 x 30 grid from (20, 20)) with the
// default font of new items from the settings: size 6 x fontHeight (tenths of
// a point), fontName, fontStyle ("正常", "斜体", "粗体", "粗斜") and fontColor
// ("r,g,b"). An unset fontHeight (0 or less) counts as 12, the size the
// settings offer first for new items, so the text of a fresh installation's
// items fits their 20-pixel boxes; an unset fontName keeps "宋体".
constexpr int kUnsetFontHeight = 12;
TemplateItem makeDefaultItem(int index, const AppState &settings);

// Every existing item's text set to its field name.
void setDefaultTexts(Template &t);
// Every existing item's text set to empty.
void clearTexts(Template &t);

}
