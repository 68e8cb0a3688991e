#include "core/waybill/WaybillFields.h"

#include "core/waybill/InsuredAmount.h"

#include <cstdio>

namespace zentra {
namespace {

bool validDateTime(int y, int mo, int d, int h, int mi, int s)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[mo - 1] + (mo == 2 && leap ? 1 : 0);
}

std::string twoDigits(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}

std::optional<std::array<std::string, 4>> printTimeParts(std::string_view time)
{
    const std::string text(time);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    char sep1 = 0, sep2 = 0;
    if (std::sscanf(text.c_str(), "%4d%c%2d%c%2d%n", &y, &sep1, &mo, &sep2, &d, &used) != 5 || sep1 != sep2 ||
        (sep1 != '-' && sep1 != '/'))
        return std::nullopt;
    std::string rest = text.substr(static_cast<std::size_t>(used));
    if (!rest.empty()) {
        int n = 0;
        if (std::sscanf(rest.c_str(), " %2d:%2d%n", &h, &mi, &n) != 2)
            return std::nullopt;
        rest = rest.substr(static_cast<std::size_t>(n));
        if (!rest.empty()) {
            n = 0;
            if (std::sscanf(rest.c_str(), ":%2d%n", &s, &n) != 1 || static_cast<std::size_t>(n) != rest.size())
                return std::nullopt;
        }
    }
    if (!validDateTime(y, mo, d, h, mi, s))
        return std::nullopt;
    char year[8];
    std::snprintf(year, sizeof year, "%04d", y);
    return std::array<std::string, 4>{year, twoDigits(mo), twoDigits(d), twoDigits(h)};
}

std::array<std::string, 60> fieldTextsForRow(const WaybillRow &row)
{
    std::array<std::string, 60> f;
    auto c = [&row](int column) -> const std::string & { return row.cell(column); };

    // Sender 0..16: name, then mobile .. QQ from grid columns 33..43, the
    // sender's custom texts 44..46 and the signature 47.
    f[0] = c(WaybillRow::SenderName);
    for (int i = 1; i <= 11; ++i)
        f[static_cast<std::size_t>(i)] = c(32 + i);
    for (int i = 12; i <= 15; ++i)
        f[static_cast<std::size_t>(i)] = c(32 + i);
    f[16] = c(WaybillRow::SenderProvince) + c(WaybillRow::SenderCity);

    // Receiver 20..36: name, mobile .. QQ from 18..28, custom texts 29..32.
    f[20] = c(WaybillRow::ReceiverName);
    for (int i = 21; i <= 35; ++i)
        f[static_cast<std::size_t>(i)] = c(i - 3);
    f[36] = c(WaybillRow::ReceiverProvince) + c(WaybillRow::ReceiverCity);

    // Order and goods 40..49.
    f[40] = c(WaybillRow::OrderNo);
    f[41] = c(WaybillRow::ExpressNo);
    f[42] = c(WaybillRow::TradeTime);
    for (int i = 43; i <= 49; ++i)
        f[static_cast<std::size_t>(i)] = c(i - 34);

    const InsuredAmountTexts amount = insuredAmountTexts(c(WaybillRow::ProtectMoney));
    f[50] = amount.capitals;
    for (std::size_t i = 0; i < amount.digits.size(); ++i)
        f[51 + i] = amount.digits[i];

    if (auto parts = printTimeParts(c(WaybillRow::PrintTime)))
        for (std::size_t i = 0; i < 4; ++i)
            f[56 + i] = (*parts)[i];
    return f;
}

}
