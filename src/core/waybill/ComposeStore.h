#pragma once

#include "core/data/DbConnection.h"
#include "core/masterdata/MasterBook.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/PrintStore.h"
#include "core/waybill/WaybillDraft.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentra {

class ConfigFile;

// The goods of the waybill being composed: one unit per row of `cargoSel`,
// ordered by name as its list shows them.
std::vector<GoodsUnit> readSelectedGoods(DbConnection &db, bool *ok = nullptr);
// A unit of the catalogue's goods of that name, if there is one; `failed`
// tells a failed look-up (see the connection's lastError()) from no goods.
std::optional<GoodsUnit> catalogueGoods(DbConnection &db, const std::string &name, bool *failed = nullptr);

// The goods list of the waybill being composed (`cargoSel`): its rows
// ordered by name, a unit added as a copy of a catalogue entry, one removed,
// all removed. Each gives the rows changed, -1 on failure.
DbRows listSelectedGoods(DbConnection &db);
int addSelectedGoods(DbConnection &db, std::int64_t cargoId);
int removeSelectedGoods(DbConnection &db, std::int64_t selectedId);
// Several units in one transaction: all or none.
int removeSelectedGoods(DbConnection &db, const std::vector<std::int64_t> &selectedIds);
int clearSelectedGoods(DbConnection &db);

// The entries of a book of class `className` ("_全部类别_" or empty: all)
// holding `text` in any searched column (empty text: all of the class).
DbRows searchBook(const MasterBook &book, const std::string &className, const std::string &text);
// The goods catalogue's class filter: every goods whose class contains
// `className` ("_全部类别_" or empty: all).
DbRows goodsOfClassLike(DbConnection &db, const std::string &className);

// The receiver (sender) with that counter, as an entry of its book; `failed`
// tells a failed look-up (see the connection's lastError()) from no entry.
std::optional<BookEntry> findParty(DbConnection &db, Party party, std::int64_t id, bool *failed = nullptr);

// Fills a draft's goods and money items: the goods given, priced by the rate
// of `templateName` for the receiver's province.
void fillGoodsAndFreight(WaybillDraft &draft, DbConnection &db, const std::string &templateName,
                         const std::string &receiverProvince, const std::vector<GoodsUnit> &goods);

// Opens the database and stores one row: the new printId, 0 on failure with
// the engine's message in `error`.
std::int64_t storeWaybill(const std::string &databasePath, WaybillTable table, const WaybillRow &row,
                          std::string *error = nullptr);

// The batch add of the receiver and sender panels: one print-list row per
// ticked entry of `side`, the other side from its default (when locked), the
// goods of `cargoSel` when the goods lock is on (else none), the order values
// from the locks in config.ini. Each row is priced for its own receiver's
// province and, with automatic numbering on, gets its own order and express
// number taken from the counters in config.ini (takeNumbers). The rows go in
// one transaction. A failure stores nothing and gives the numbers back.
struct BatchAdd {
    std::string databasePath;
    std::string templateName;
    Party side = Party::Receiver;
    std::vector<BookEntry> entries;
    PartyDefault other; // the default of the other side
    bool cargoLock = false;
    std::string now; // "%Y-%m-%d %H:%M:%S"
};

struct BatchAddResult {
    bool ok = false;
    std::string error;
    std::vector<std::int64_t> printIds;
    // The next order and express numbers (the stored ones when their
    // switches are off or nothing was added).
    std::string orderNum;
    std::string expressNum;
};

BatchAddResult addBatchToPrintList(const BatchAdd &batch, const ConfigFile &config);

}
