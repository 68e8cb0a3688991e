#pragma once

#include <cstdint>
#include <string>

namespace zentra {

class ConfigFile;

// The lock boxes of the composing panels as config.ini keeps them: a locked
// value survives from one waybill to the next and across restarts. Switching a
// lock off writes "0" and the empty value; keys are never removed.

// The five switches of the order panel (section "Order").
struct OrderLocks {
    bool autoOrderNum = false;
    std::string orderNum;
    bool autoExpressNum = false;
    std::string expressNum;
    bool tradeTimeLock = false;
    std::string tradeTime; // "%Y-%m-%d %H:%M:%S"
    bool printTimeLock = false;
    std::string printTime;
    bool protectMoneyLock = false;
    std::string protectMoney; // as typed
};

// The values of switches that are off read as empty.
OrderLocks readOrderLocks(const ConfigFile &config);

// Writes one switch and its value; the value is written empty when `on` is false.
void writeOrderNumberLock(const ConfigFile &config, bool on, const std::string &number);
void writeExpressNumberLock(const ConfigFile &config, bool on, const std::string &number);
void writeTradeTimeLock(const ConfigFile &config, bool on, const std::string &time);
void writePrintTimeLock(const ConfigFile &config, bool on, const std::string &time);
void writeProtectMoneyLock(const ConfigFile &config, bool on, const std::string &amount);
// A value changed by hand (typed, picked): its switch goes off, the value is kept.
enum class OrderValue { OrderNumber, ExpressNumber, TradeTime, PrintTime, ProtectMoney };
void writeUnlockedValue(const ConfigFile &config, OrderValue which, const std::string &value);
// Only the number, while its switch stays on (after a count-up).
void writeOrderNumber(const ConfigFile &config, const std::string &number);
void writeExpressNumber(const ConfigFile &config, const std::string &number);

// The default receiver or sender (sections "Receiver" / "Sender").
struct PartyDefault {
    bool locked = false;
    std::int64_t id = 0;
    std::string name;
};

enum class Party { Receiver, Sender };

PartyDefault readPartyDefault(const ConfigFile &config, Party party);
// On: the lock, the id and the name; off: "0" and empty texts.
void writePartyDefault(const ConfigFile &config, Party party, const PartyDefault &value);

// The goods lock (section "Cargo", key "CargoLock").
bool readCargoLock(const ConfigFile &config);
void writeCargoLock(const ConfigFile &config, bool on);

}
