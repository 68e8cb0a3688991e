#include "core/waybill/WaybillDraft.h"

#include "core/templates/FieldCatalogue.h"
#include "core/text/LocalTime.h"
#include "core/templates/Template.h"
#include "core/waybill/InsuredAmount.h"
#include "core/waybill/WaybillFields.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

namespace zentra {
namespace {

std::size_t slot(int index)
{
    return static_cast<std::size_t>(index);
}

bool isPartyField(int index)
{
    return (index >= field::SenderName && index <= field::SenderOrigin) ||
           (index >= field::ReceiverName && index <= field::ReceiverDestination);
}

const std::string &column(const BookEntry &entry, const std::string &name)
{
    static const std::string empty;
    const auto it = entry.find(name);
    return it == entry.end() ? empty : it->second;
}

// Counts per name in order of first appearance, as "name,count;".
std::string countedNames(const std::vector<GoodsUnit> &units, std::string GoodsUnit::*member)
{
    std::vector<std::pair<std::string, int>> counts;
    for (const GoodsUnit &u : units) {
        const std::string &name = u.*member;
        auto it = std::find_if(counts.begin(), counts.end(), [&name](const auto &c) { return c.first == name; });
        if (it == counts.end())
            counts.emplace_back(name, 1);
        else
            ++it->second;
    }
    std::string out;
    for (const auto &[name, n] : counts)
        out += name + "," + std::to_string(n) + ";";
    return out;
}

}

GoodsSummary summarizeGoods(const std::vector<GoodsUnit> &units)
{
    GoodsSummary s;
    s.count = static_cast<int>(units.size());
    for (const GoodsUnit &u : units) {
        s.weight += u.weight;
        s.total += u.price;
    }
    s.names = countedNames(units, &GoodsUnit::name);
    s.shortNames = countedNames(units, &GoodsUnit::shortName);
    return s;
}

std::string plainNumber(double value)
{
    if (value == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string moneyText(double value)
{
    if (value == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.2f", value);
    return buf;
}

std::string advanceNumber(std::string_view number)
{
    if (number.empty())
        return {};
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "1";
    std::string digits(number.substr(std::min(number.find_first_not_of('0'), number.size())));
    if (digits.empty())
        return "1";
    // Decimal addition from the last digit: no integer type limits the length.
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

std::string nowText()
{
    return localTimeNow();
}

bool isDateTime(std::string_view time)
{
    return printTimeParts(time).has_value();
}

WaybillDraft::WaybillDraft() = default;

void WaybillDraft::setPresent(const std::array<bool, 60> &present)
{
    present_ = present;
    for (std::size_t i = 0; i < texts_.size(); ++i)
        if (!present_[i])
            texts_[i].clear();
}

void WaybillDraft::setAllPresent()
{
    for (int i = 0; i < 60; ++i)
        present_[slot(i)] = hasField(i);
}

void WaybillDraft::takeTemplate(const Template &t)
{
    std::array<bool, 60> present{};
    for (std::size_t i = 0; i < present.size(); ++i) {
        present[i] = t.items[i].has_value();
        if (present[i])
            texts_[i] = t.items[i]->text;
    }
    setPresent(present);
}

bool WaybillDraft::has(int index) const
{
    return index >= 0 && index < 60 && present_[slot(index)];
}

const std::string &WaybillDraft::text(int index) const
{
    return texts_.at(slot(index));
}

void WaybillDraft::setText(int index, std::string text)
{
    if (has(index))
        texts_[slot(index)] = std::move(text);
}

void WaybillDraft::fillReceiver(const BookEntry &r)
{
    static const std::pair<int, const char *> map[] = {
        {field::ReceiverName, "rname"},       {field::ReceiverMobile, "rmobile"},
        {field::ReceiverPhone, "rphone"},     {field::ReceiverProvince, "rprovince"},
        {field::ReceiverCity, "rcity"},       {field::ReceiverDistrict, "rdistrict"},
        {field::ReceiverPostCode, "rpost"},   {field::ReceiverAddress, "raddress"},
        {field::ReceiverCompany, "rcompany"}, {field::ReceiverRemark, "rnote"},
        {field::ReceiverWangwang, "rww"},     {field::ReceiverQq, "rqq"},
        {field::ReceiverCustom1, "rself1"},   {field::ReceiverCustom2, "rself2"},
        {field::ReceiverCustom3, "rself3"},   {field::ReceiverCustom4, "rself4"},
    };
    for (const auto &[index, name] : map)
        setPartyText(index, column(r, name));
    setPartyText(field::ReceiverDestination, column(r, "rprovince") + column(r, "rcity"));
}

void WaybillDraft::fillSender(const BookEntry &s)
{
    static const std::pair<int, const char *> map[] = {
        {field::SenderName, "sname"},         {field::SenderMobile, "smobile"},   {field::SenderPhone, "sphone"},
        {field::SenderProvince, "sprovince"}, {field::SenderCity, "scity"},       {field::SenderDistrict, "sdistrict"},
        {field::SenderPostCode, "spost"},     {field::SenderAddress, "saddress"}, {field::SenderCompany, "scompany"},
        {field::SenderRemark, "snote"},       {field::SenderWangwang, "sww"},     {field::SenderQq, "sqq"},
        {field::SenderCustom1, "sself1"},     {field::SenderCustom2, "sself2"},   {field::SenderCustom3, "sself3"},
        {field::SenderSignature, "sself4"},
    };
    for (const auto &[index, name] : map)
        setPartyText(index, column(s, name));
    setPartyText(field::SenderOrigin, column(s, "sprovince") + column(s, "scity"));
}

void WaybillDraft::setPartyText(int index, std::string text)
{
    parties_[slot(index)] = text;
    setText(index, std::move(text));
}

void WaybillDraft::takeParties(const WaybillRow &row)
{
    const std::array<std::string, 60> texts = fieldTextsForRow(row);
    for (int i = 0; i < 60; ++i)
        parties_[slot(i)] = isPartyField(i) ? texts[slot(i)] : std::string();
}

const std::string &WaybillDraft::partyValue(int index) const
{
    return parties_.at(slot(index));
}

const std::string &WaybillDraft::storedText(int index) const
{
    return has(index) || !isPartyField(index) ? texts_[slot(index)] : parties_[slot(index)];
}

void WaybillDraft::fillGoods(const GoodsSummary &goods, const FreightRate &rate)
{
    setText(field::GoodsCount, goods.count == 0 ? "0" : std::to_string(goods.count));
    double weight = 0;
    if (has(field::GoodsWeight)) {
        weight = goods.weight;
        setText(field::GoodsWeight, plainNumber(goods.weight));
    }
    double total = 0;
    if (has(field::GoodsTotal)) {
        total = goods.total;
        setText(field::GoodsTotal, plainNumber(goods.total));
    }
    double freight = 0;
    if (has(field::Freight)) {
        freight = postage(weight, total, rate);
        setText(field::Freight, moneyText(freight));
    }
    setText(field::AmountReceived, moneyText(freight + total));
    setText(field::GoodsName, goods.names);
    setText(field::GoodsShortName, goods.shortNames);
}

void WaybillDraft::setOrderNumber(std::string number)
{
    setText(field::OrderNumber, std::move(number));
}

void WaybillDraft::setExpressNumber(std::string number)
{
    setText(field::ExpressNumber, std::move(number));
}

void WaybillDraft::setTradeTime(std::string time)
{
    tradeTime_ = std::move(time);
    setText(field::DealTime, tradeTime_);
}

void WaybillDraft::setPrintTime(std::string time)
{
    printTime_ = std::move(time);
    if (auto parts = printTimeParts(printTime_))
        for (int i = 0; i < 4; ++i)
            setText(field::PrintYear + i, (*parts)[slot(i)]);
}

void WaybillDraft::setInsuredAmount(std::string amount)
{
    insured_ = std::move(amount);
    const InsuredAmountTexts t = insuredAmountTexts(insured_);
    setText(field::InsuredAmount, t.capitals);
    for (int i = 0; i < 5; ++i)
        setText(field::InsuredTenThousands + i, t.digits[slot(i)]);
}

void WaybillDraft::reset(const OrderLocks &locks, const std::string &orderNumber, const std::string &expressNumber)
{
    for (int i = 0; i < 60; ++i)
        if (i < field::PrintYear)
            texts_[slot(i)].clear();
    parties_ = {};
    setOrderNumber(locks.autoOrderNum ? orderNumber : std::string());
    setExpressNumber(locks.autoExpressNum ? expressNumber : std::string());
    setText(field::DealTime, tradeTime_);
    if (locks.protectMoneyLock)
        setInsuredAmount(insured_);
}

void WaybillDraft::defaultTexts(const OrderLocks &locks, const std::string &orderNumber,
                                const std::string &expressNumber)
{
    for (int i = 0; i < 60; ++i)
        setText(i, fieldName(i));
    parties_ = {};
    if (locks.autoOrderNum)
        setOrderNumber(orderNumber);
    if (locks.autoExpressNum)
        setExpressNumber(expressNumber);
    if (locks.tradeTimeLock)
        setText(field::DealTime, tradeTime_);
    if (locks.protectMoneyLock)
        setInsuredAmount(insured_);
    if (locks.printTimeLock)
        setPrintTime(printTime_);
}

WaybillRow WaybillDraft::rowWithTimes(const std::string &templateName, const std::string &printTime,
                                      const std::string &tradeTime) const
{
    WaybillRow row;
    row.cell(WaybillRow::TemplateName) = templateName;
    row.cell(WaybillRow::ReceiverName) = storedText(field::ReceiverName);
    row.cell(WaybillRow::SenderName) = storedText(field::SenderName);
    row.cell(WaybillRow::OrderNo) = texts_[field::OrderNumber];
    row.cell(WaybillRow::ExpressNo) = texts_[field::ExpressNumber];
    row.cell(WaybillRow::PrintTime) = printTime;
    row.cell(WaybillRow::TradeTime) = tradeTime;
    // Goods name .. received money: grid columns 9..15 are fields 43..49.
    for (int c = WaybillRow::CargoName; c < WaybillRow::ProtectMoney; ++c)
        row.cell(c) = texts_[slot(c + 34)];
    row.cell(WaybillRow::ProtectMoney) = insured_;
    // Receiver mobile .. fourth custom text: grid columns 18..32 are fields 21..35.
    for (int c = WaybillRow::ReceiverMobile; c < WaybillRow::SenderMobile; ++c)
        row.cell(c) = storedText(c + 3);
    // Sender mobile .. signature: grid columns 33..47 are fields 1..15.
    for (int c = WaybillRow::SenderMobile; c <= WaybillRow::SenderSignature; ++c)
        row.cell(c) = storedText(c - 32);
    return row;
}

WaybillRow WaybillDraft::printListRow(const std::string &templateName) const
{
    return rowWithTimes(templateName, printTime_, tradeTime_);
}

WaybillRow WaybillDraft::historyRow(const std::string &templateName, const std::string &now) const
{
    std::string printTime = texts_[field::PrintYear] + "-" + texts_[field::PrintMonth] + "-" + texts_[field::PrintDay] +
                            " " + texts_[field::PrintHour] + ":00:00";
    if (!isDateTime(printTime))
        printTime = now;
    std::string tradeTime = texts_[field::DealTime];
    if (!isDateTime(tradeTime))
        tradeTime = now;
    return rowWithTimes(templateName, printTime, tradeTime);
}

}
