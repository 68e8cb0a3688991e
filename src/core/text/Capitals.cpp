#include "core/text/Capitals.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace zentra {
namespace {

constexpr std::array<std::string_view, 10> kDigits = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};

// Units of the integer digits, counted from the right.
constexpr std::array<std::string_view, 13> kUnits = {"元", "拾", "佰", "仟", "万", "拾", "佰",
                                                     "仟", "亿", "拾", "佰", "仟", "万"};

// Replaces every occurrence of `from`, scanning left to right without looking
// at the text just inserted again.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(text, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text, pos);
    return out;
}

}

std::string amountDigits(std::string_view amountText)
{
    std::string text(amountText);
    char *end = nullptr;
    double amount = std::strtod(text.c_str(), &end);
    if (end == text.c_str())
        amount = 0;
    return amountDigits(amount);
}

std::string amountDigits(double amount)
{
    if (!std::isfinite(amount))
        amount = 0;
    double cents = std::round(amount * 100);
    if (cents < 0 || cents >= 1e15)
        return {};
    return std::to_string(static_cast<long long>(cents));
}

std::string digitsToCapitals(std::string_view digits)
{
    if (digits.empty())
        return {};
    for (char c : digits)
        if (c < '0' || c > '9')
            return {};
    std::string padded(digits);
    if (padded.size() < 2)
        padded.insert(0, 2 - padded.size(), '0');
    std::size_t intLen = padded.size() - 2;
    if (intLen > kUnits.size())
        return {};

    std::string out;
    for (std::size_t i = 0; i < intLen; ++i) {
        out.append(kDigits[padded[i] - '0']);
        out.append(kUnits[intLen - 1 - i]);
    }
    out.append(kDigits[padded[intLen] - '0']);
    out.append("角");
    out.append(kDigits[padded[intLen + 1] - '0']);
    out.append("分");
    return out;
}

std::string tidyCapitals(std::string_view capitals)
{
    struct Step {
        std::string_view from, to;
    };
    static constexpr Step steps[] = {
        {"零仟", "零"}, {"零佰", "零"}, {"零拾", "零"}, {"零零零", "零"}, {"零零", "零"}, {"零亿", "亿"},
        {"零万", "万"}, {"零元", "元"}, {"零角", ""},   {"零分", ""},     {"亿万", "亿"},
    };
    std::string text(capitals);
    for (const auto &s : steps)
        text = replaceAll(text, s.from, s.to);
    return text;
}

std::string amountToCapitals(double amount)
{
    return tidyCapitals(digitsToCapitals(amountDigits(amount)));
}

}
