#include "core/waybill/ComposeSettings.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/waybill/WaybillDraft.h"

#include <cstdlib>

namespace zentra {
namespace {

const char *const kOrder = "Order";

void readLock(const ConfigFile &config, const char *flagKey, const char *valueKey, bool &flag, std::string &value)
{
    flag = config.readFlag(kOrder, flagKey);
    value = flag ? config.readText(kOrder, valueKey) : std::string();
}

void writeLock(const ConfigFile &config, const char *section, const char *flagKey, const char *valueKey, bool on,
               const std::string &value)
{
    config.writeFlag(section, flagKey, on);
    config.writeText(section, valueKey, on ? value : std::string());
}

}

OrderLocks readOrderLocks(const ConfigFile &config)
{
    OrderLocks l;
    if (!fileExists(config.path()))
        return l;
    readLock(config, "AutoOrderNum", "OrderNum", l.autoOrderNum, l.orderNum);
    readLock(config, "AutoExpressNum", "ExpressNum", l.autoExpressNum, l.expressNum);
    readLock(config, "TradeTimeLock", "TradeTime", l.tradeTimeLock, l.tradeTime);
    readLock(config, "PrintTimeLock", "PrintTime", l.printTimeLock, l.printTime);
    readLock(config, "ProtectMoneyLock", "ProtectMoney", l.protectMoneyLock, l.protectMoney);
    return l;
}

void writeOrderNumberLock(const ConfigFile &config, bool on, const std::string &number)
{
    writeLock(config, kOrder, "AutoOrderNum", "OrderNum", on, number);
}

void writeExpressNumberLock(const ConfigFile &config, bool on, const std::string &number)
{
    writeLock(config, kOrder, "AutoExpressNum", "ExpressNum", on, number);
}

void writeTradeTimeLock(const ConfigFile &config, bool on, const std::string &time)
{
    writeLock(config, kOrder, "TradeTimeLock", "TradeTime", on, time);
}

void writePrintTimeLock(const ConfigFile &config, bool on, const std::string &time)
{
    writeLock(config, kOrder, "PrintTimeLock", "PrintTime", on, time);
}

void writeProtectMoneyLock(const ConfigFile &config, bool on, const std::string &amount)
{
    writeLock(config, kOrder, "ProtectMoneyLock", "ProtectMoney", on, amount);
}

void writeUnlockedValue(const ConfigFile &config, OrderValue which, const std::string &value)
{
    static const char *const keys[][2] = {{"AutoOrderNum", "OrderNum"},
                                          {"AutoExpressNum", "ExpressNum"},
                                          {"TradeTimeLock", "TradeTime"},
                                          {"PrintTimeLock", "PrintTime"},
                                          {"ProtectMoneyLock", "ProtectMoney"}};
    const auto &k = keys[static_cast<int>(which)];
    config.writeFlag(kOrder, k[0], false);
    config.writeText(kOrder, k[1], value);
}

void writeOrderNumber(const ConfigFile &config, const std::string &number)
{
    config.writeText(kOrder, "OrderNum", number);
}

void writeExpressNumber(const ConfigFile &config, const std::string &number)
{
    config.writeText(kOrder, "ExpressNum", number);
}

TakenNumbers takeNumbers(const ConfigFile &config, int count, bool orderNumbers, bool expressNumbers)
{
    TakenNumbers t;
    t.count = count;
    // One counter: the first number and the counter moved past the last one.
    auto take = [count](ConfigFile::Edit &e, bool asked, const char *flagKey, const char *valueKey,
                        std::string &first, std::string &next, std::string *error) {
        next = e.readText(kOrder, valueKey);
        if (!asked || count <= 0 || !e.readFlag(kOrder, flagKey) || next.empty())
            return true;
        first = next;
        for (int i = 0; i < count; ++i)
            next = advanceNumber(next);
        return e.writeText(kOrder, valueKey, next, error);
    };
    t.ok = config.edit(
        [&](ConfigFile::Edit &e) {
            return take(e, orderNumbers, "AutoOrderNum", "OrderNum", t.orderNum, t.nextOrderNum, &t.error) &&
                   take(e, expressNumbers, "AutoExpressNum", "ExpressNum", t.expressNum, t.nextExpressNum, &t.error);
        },
        &t.error);
    if (!t.ok)
        t.orderNum.clear(), t.expressNum.clear();
    return t;
}

void returnNumbers(const ConfigFile &config, const TakenNumbers &taken)
{
    if (!taken.ok || (taken.orderNum.empty() && taken.expressNum.empty()))
        return;
    config.edit([&](ConfigFile::Edit &e) {
        bool ok = true;
        if (!taken.orderNum.empty() && !taken.orderFromShop && e.readText(kOrder, "OrderNum") == taken.nextOrderNum)
            ok = e.writeText(kOrder, "OrderNum", taken.orderNum);
        if (!taken.expressNum.empty() && e.readText(kOrder, "ExpressNum") == taken.nextExpressNum)
            ok = e.writeText(kOrder, "ExpressNum", taken.expressNum) && ok;
        return ok;
    });
}

PartyDefault readPartyDefault(const ConfigFile &config, Party party)
{
    PartyDefault d;
    const bool r = party == Party::Receiver;
    const char *section = r ? "Receiver" : "Sender";
    if (!fileExists(config.path()) || !config.readFlag(section, r ? "ReceiverLock" : "SenderLock"))
        return d;
    d.locked = true;
    d.id = std::strtoll(config.readText(section, r ? "ReceiverID" : "SenderID").c_str(), nullptr, 10);
    d.name = config.readText(section, r ? "ReceiverName" : "SenderName");
    return d;
}

void writePartyDefault(const ConfigFile &config, Party party, const PartyDefault &value)
{
    const bool r = party == Party::Receiver;
    const char *section = r ? "Receiver" : "Sender";
    config.writeFlag(section, r ? "ReceiverLock" : "SenderLock", value.locked);
    config.writeText(section, r ? "ReceiverID" : "SenderID", value.locked ? std::to_string(value.id) : std::string());
    config.writeText(section, r ? "ReceiverName" : "SenderName", value.locked ? value.name : std::string());
}

bool readCargoLock(const ConfigFile &config)
{
    return fileExists(config.path()) && config.readFlag("Cargo", "CargoLock");
}

void writeCargoLock(const ConfigFile &config, bool on)
{
    config.writeFlag("Cargo", "CargoLock", on);
}

}
