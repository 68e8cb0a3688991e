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

// Numbers handed out by the automatic counters ("OrderNum", "ExpressNum").
// Taking reads a counter and advances it past the numbers taken as one step
// under config.ini's write lock, so no two takers, in this process or another
// (the window and the command line), ever get the same number.
struct TakenNumbers {
    bool ok = false;
    std::string error;
    int count = 0;
    // The first number taken of each counter; empty when that counter was
    // not asked for, its switch is off or it holds no number.
    std::string orderNum, expressNum;
    // What the counters hold after the take (the stored numbers when nothing
    // was taken from them).
    std::string nextOrderNum, nextExpressNum;
    // The order numbers came from a shared database's counter: they are
    // never given back (a gap, never a duplicate).
    bool orderFromShop = false;
};

// Takes `count` consecutive numbers from each counter asked for whose
// switch is on.
TakenNumbers takeNumbers(const ConfigFile &config, int count, bool orderNumbers, bool expressNumbers);
// Gives taken numbers back after what they were taken for was not stored: a
// counter still where the take left it goes back to the first number taken;
// one that another taker has moved on since stays (its numbers are then a
// gap, never a duplicate).
void returnNumbers(const ConfigFile &config, const TakenNumbers &taken);

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
