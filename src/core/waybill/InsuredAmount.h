#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zentra {

// The six insured-amount items of a waybill: "保价金额" in capital numerals and
// the digit boxes 万, 仟, 佰, 拾, 元 of the courier's sheet.
struct InsuredAmountTexts {
    std::string capitals;              // empty unless the amount is above 0
    std::array<std::string, 5> digits; // 万, 仟, 佰, 拾, 元; "╳" where there is no digit
};

// Converts the amount text (as typed or as stored) through the three capital
// numeral steps when it is above 0. 万 takes everything before 万; 仟, 佰 and
// 拾 take the numeral just before their unit within the part below 万 (so the
// 拾 of "壹拾万" is not taken for the tens); 元 takes the numeral before 元, or
// "╳" when a unit character stands there.
InsuredAmountTexts insuredAmountTexts(std::string_view amount);

}
