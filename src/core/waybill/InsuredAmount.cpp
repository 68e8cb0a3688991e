#include "core/waybill/InsuredAmount.h"

#include "core/text/Capitals.h"

#include <cstdlib>

namespace zentra {
namespace {

const char *const kCross = "╳";

// The character (as UTF-8) just before the first `unit` at or after byte
// `from`, or empty when there is none.
std::string characterBefore(const std::string &text, std::string_view unit, std::size_t from)
{
    const std::size_t at = text.find(unit, from);
    if (at == std::string::npos || at == 0)
        return {};
    std::size_t start = at - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    if (start < from)
        return {};
    return text.substr(start, at - start);
}

}

InsuredAmountTexts insuredAmountTexts(std::string_view amount)
{
    InsuredAmountTexts out;
    out.digits.fill(kCross);
    const std::string text(amount);
    if (!(std::strtod(text.c_str(), nullptr) > 0))
        return out;
    out.capitals = tidyCapitals(digitsToCapitals(amountDigits(text)));
    const std::string &c = out.capitals;

    // The part below 万 starts after the last 万 or 亿 in the text.
    std::size_t below = 0;
    const std::size_t wan = c.find("万");
    if (wan != std::string::npos) {
        if (wan > 0)
            out.digits[0] = c.substr(0, wan);
        below = wan + std::string_view("万").size();
    }
    const std::size_t yi = c.find("亿");
    if (yi != std::string::npos && yi + std::string_view("亿").size() > below)
        below = yi + std::string_view("亿").size();

    static const std::string_view units[] = {"仟", "佰", "拾"};
    for (std::size_t i = 0; i < 3; ++i) {
        std::string d = characterBefore(c, units[i], below);
        if (!d.empty())
            out.digits[i + 1] = d;
    }
    const std::string yuan = characterBefore(c, "元", 0);
    static const std::string_view unitChars[] = {"亿", "万", "仟", "佰", "拾"};
    bool isUnit = false;
    for (auto u : unitChars)
        isUnit = isUnit || yuan == u;
    if (!yuan.empty() && !isUnit)
        out.digits[4] = yuan;
    return out;
}

}
