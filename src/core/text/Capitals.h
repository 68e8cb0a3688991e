#pragma once

#include <string>
#include <string_view>

namespace zentra {

// An amount of money in Chinese capital numerals, the form written on financial
// documents (1005 -> 壹仟零伍元). Callers run the three steps in turn; each takes
// and gives UTF-8 text, so a caller can also pick single digits out of the
// intermediate forms (the insured-amount digit boxes of a waybill do).
//
// Callers only convert amounts greater than 0.

// The amount in cents as a digit string, without leading zeros: 1005 -> "100500",
// 123.45 -> "12345", 0.5 -> "50", 0.05 -> "5". Text that is not a number counts
// as 0; a negative amount, or one whose digit string would have 16 digits or
// more (10^13 and above), gives empty text.
std::string amountDigits(std::string_view amountText);
std::string amountDigits(double amount);

// Raw capitals of a digit string from amountDigits: every digit but the last two
// with the unit of its position (元 拾 佰 仟 万 … up to 13 digits), then the last
// two with 角 and 分. A single digit is taken as cents. Empty, over-long or
// non-digit input gives empty text.
std::string digitsToCapitals(std::string_view digits);

// Collapses the zeros of the raw form: 壹仟零佰零拾伍元零角零分 -> 壹仟零伍元.
std::string tidyCapitals(std::string_view capitals);

// All three steps; empty text when the amount has no capital form.
std::string amountToCapitals(double amount);

}
