#pragma once

#include "core/waybill/ComposeSettings.h"

#include <optional>
#include <string>

namespace zentra {

class ConfigFile;
class DataFolder;
class DbConnection;

// "OrderNum", the order number the next waybill gets. With the embedded
// database it is this station's config.ini value ([Order] OrderNum). With a
// shared database it is the shop's: one counter in the database (the
// shopCounter row "OrderNum"), taken atomically, so two stations never hand
// out the same number; it starts from the first station's config.ini value.
// Express numbers stay per station in config.ini: they follow the sheets
// loaded in each station's printer.
class OrderCounter {
public:
    explicit OrderCounter(const DataFolder &folder);

    bool shared() const { return shared_; }

    // The number the next waybill gets; empty when there is none. nullopt
    // when the database could not be read (the reason in `error`).
    std::optional<std::string> peek(std::string *error = nullptr) const;

    // Sets the number the next waybill gets (typed by hand).
    bool set(const std::string &number, std::string *error = nullptr) const;

    // Takes `count` numbers in a row: the first of them; the counter is left
    // at the one after the last. An empty counter hands out nothing (empty
    // text). nullopt on failure (the reason in `error`).
    std::optional<std::string> take(int count, std::string *error = nullptr) const;

    // The shared counter inside a transaction of `db` the caller runs (see
    // Transaction; a writer's): its numbers go with that transaction's fate.
    // `fallback` is the value to start from when the database has none yet.
    static std::optional<std::string> takeIn(DbConnection &db, int count, const std::string &fallback);

private:
    std::string location_;
    std::string configPath_;
    bool shared_ = false;
};

// Takes the numbers of `count` waybills about to be stored, as
// takeNumbers does: the express numbers always from config.ini's counter
// (they follow the sheets in this station's printer), the order numbers from
// there too, or, with a shared database, from the shop's counter in the
// database while config.ini's switch "AutoOrderNum" is on.
TakenNumbers takeWaybillNumbers(const DataFolder &folder, int count, bool orderNumbers, bool expressNumbers);

}
