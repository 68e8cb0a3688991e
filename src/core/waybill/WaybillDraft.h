#pragma once

#include "core/masterdata/Freight.h"
#include "core/masterdata/MasterBook.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/WaybillRow.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

struct Template;

// One unit of goods on a waybill (a row of `cargoSel`, or a pick of the
// command line): picking the same goods three times gives three units.
struct GoodsUnit {
    std::string name;
    std::string shortName;
    double weight = 0;
    double price = 0; // selling price
};

// What a waybill's goods add up to.
struct GoodsSummary {
    int count = 0;
    double weight = 0;
    double total = 0;
    std::string names;      // "A,2;B,1;": each name with its count, in order of first appearance
    std::string shortNames; // the same over the short names
};

GoodsSummary summarizeGoods(const std::vector<GoodsUnit> &units);

// Text of an amount or weight as the goods items show it: "0" for zero, else
// the number without trailing zeros ("2.3", "50").
std::string plainNumber(double value);
// "%0.2f", but "0" for zero.
std::string moneyText(double value);

// The number after `number`, exact for digit strings of any length ("0099"
// gives "100", "999999999999999" gives "1000000000000000"). Empty stays empty;
// a number that is not all digits gives "1".
std::string advanceNumber(std::string_view number);

// The current local time as "%Y-%m-%d %H:%M:%S".
std::string nowText();
// Whether `time` is a valid "%Y-%m-%d %H:%M:%S" date and time.
bool isDateTime(std::string_view time);

// The waybill being composed: the text of each of the 60 field slots and
// which slots the template has an item for, plus the order panel's own values
// (the two times and the insured amount as typed), which the stored row takes
// instead of the item texts. A slot without an item is never written and
// stays empty, so what is shown is what the sheet shows.
//
// The receiver's and sender's values (fields 0..16 and 20..36) are also kept
// apart, whether or not the template has an item for them: the stored row
// takes the item's text where there is an item (the user may have typed into
// it) and the party's value where there is none. A batch page lays the row out
// with its own template, which may show a field (the destination) from
// columns this template has no item for (province, city); so the row carries
// them and the batch page prints what the single print showed.
//
// Every rule of composing lives here: the panels and the command line call
// these operations and show the texts.
class WaybillDraft {
public:
    WaybillDraft();

    // Which slots have an item; texts of slots that lose their item are
    // dropped.
    void setPresent(const std::array<bool, 60> &present);
    // Every slot with a field gets an item (for the batch add, which stores
    // every column).
    void setAllPresent();
    // Items and texts of a template.
    void takeTemplate(const Template &t);
    bool has(int index) const;
    const std::string &text(int index) const;
    // Ignored for a slot without an item.
    void setText(int index, std::string text);
    const std::array<std::string, 60> &texts() const { return texts_; }

    // The receiver fields from an entry of the receiver book (columns
    // "rname", ...); the destination is province then city.
    void fillReceiver(const BookEntry &receiver);
    // The sender fields from an entry of the sender book; the signature is
    // "sself4", the origin province then city.
    void fillSender(const BookEntry &sender);
    // The receiver's and sender's values of a stored row opened again (its
    // items are filled by the caller, as fieldTextsForRow gives them).
    void takeParties(const WaybillRow &row);
    // The party value behind a receiver or sender field, item or not; empty
    // for other fields.
    const std::string &partyValue(int index) const;

    // The goods and money items from the goods and the rate of the
    // receiver's province. The weight counts only when the template shows it
    // and the goods total likewise; the freight follows the postage rule,
    // the received money is freight plus goods total.
    void fillGoods(const GoodsSummary &goods, const FreightRate &rate);

    void setOrderNumber(std::string number);
    void setExpressNumber(std::string number);
    // "%Y-%m-%d %H:%M:%S"; into "成交时间".
    void setTradeTime(std::string time);
    // Into the 年, 月, 日, 时 items (left alone when it is no valid time).
    void setPrintTime(std::string time);
    // The amount as typed: "保价金额" in capitals and the five digit boxes.
    void setInsuredAmount(std::string amount);

    // A fresh waybill: the order and express numbers when they count
    // automatically, the trade time, the insured amount when it is fixed, the
    // print-time items unchanged, everything else empty (no receiver and no
    // sender either). `locks` tells the
    // switches; the numbers and amount are the ones given.
    void reset(const OrderLocks &locks, const std::string &orderNumber, const std::string &expressNumber);
    // Every item shows its field name, except the values whose switch is on
    // (numbers, trade time, insured amount, print time); no receiver and no
    // sender are kept.
    void defaultTexts(const OrderLocks &locks, const std::string &orderNumber, const std::string &expressNumber);

    // The row "添加到打印列表" stores: the texts by field, the two times and
    // the insured amount from the order values.
    WaybillRow printListRow(const std::string &templateName) const;
    // The row a single print stores in the history: the print time from the
    // 年/月/日/时 items at the full hour, the trade time from "成交时间";
    // either is `now` when it is no valid time.
    WaybillRow historyRow(const std::string &templateName, const std::string &now) const;

private:
    WaybillRow rowWithTimes(const std::string &templateName, const std::string &printTime,
                            const std::string &tradeTime) const;
    void setPartyText(int index, std::string text);
    // The item's text, or the party's value without an item.
    const std::string &storedText(int index) const;

    std::array<std::string, 60> texts_;
    std::array<std::string, 60> parties_; // receiver and sender fields only
    std::array<bool, 60> present_{};
    std::string tradeTime_;
    std::string printTime_;
    std::string insured_;
};

}
