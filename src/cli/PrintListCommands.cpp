// print-list list|delete|set-express and history list|delete: the print list
// and the history for automation, one JSON object per row.
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/waybill/HistoryStore.h"
#include "core/waybill/PrintClaims.h"
#include "core/waybill/PrintListStore.h"

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <map>

namespace zentra::cli {
namespace {

bool openDatabase(CliContext &ctx, DbConnection &db)
{
    std::string error;
    if (!initDataFolder(ctx.folder, &error) || !db.open(ctx.folder.databasePath())) {
        std::cerr << "zentra-cli: cannot open the database: " << (error.empty() ? db.lastError() : error) << "\n";
        return false;
    }
    return true;
}

// One JSON object per row; a row another station is printing now also
// names it ("claimedBy").
void printRows(const std::vector<WaybillRow> &rows, const std::map<std::int64_t, std::string> &claimed = {})
{
    const auto &names = waybillColumnNames();
    std::vector<std::pair<std::string_view, std::string_view>> members;
    for (const WaybillRow &r : rows) {
        members.clear();
        for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c)
            members.emplace_back(names[static_cast<std::size_t>(c)], r.cell(c));
        if (const auto it = claimed.find(r.printId()); it != claimed.end())
            members.emplace_back("claimedBy", it->second);
        std::cout << jsonObject(members) << "\n";
    }
}

bool parseId(const std::string &text, std::int64_t &id)
{
    char *end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 1 || text[0] == '+' || text[0] == ' ')
        return false;
    id = v;
    return true;
}

// "ID..." from argument `from` on: false when there is none or one is not an id.
bool parseIds(const std::vector<std::string> &args, std::size_t from, std::vector<std::int64_t> &ids)
{
    for (std::size_t i = from; i < args.size(); ++i) {
        std::int64_t id = 0;
        if (!parseId(args[i], id))
            return false;
        ids.push_back(id);
    }
    return !ids.empty();
}

int deleteRows(CliContext &ctx, WaybillTable table, const char *usage)
{
    std::vector<std::int64_t> ids;
    if (!parseIds(ctx.args, 0, ids)) {
        std::cerr << "usage: zentra-cli " << usage << "\n";
        return 2;
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    const int n = deleteWaybillRows(db, table, ids);
    if (n < 0) {
        std::cerr << "zentra-cli: nothing deleted: " << db.lastError() << "\n";
        return 1;
    }
    std::cout << n << "\n";
    return 0;
}

int listPrintList(CliContext &ctx)
{
    const auto &a = ctx.args;
    std::string text;
    if (a.size() == 2 && a[0] == "--search") {
        text = a[1];
    } else if (!a.empty()) {
        std::cerr << "usage: zentra-cli print-list list [--search TEXT]\n";
        return 2;
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    bool ok = false;
    const std::vector<WaybillRow> rows = searchPrintList(db, text, &ok);
    const std::map<std::int64_t, std::string> claimed = ok ? claimedRows(db, {}, &ok) : std::map<std::int64_t, std::string>();
    if (!ok) {
        std::cerr << "zentra-cli: " << db.lastError() << "\n";
        return 1;
    }
    printRows(rows, claimed);
    return 0;
}

int deletePrintList(CliContext &ctx)
{
    return deleteRows(ctx, WaybillTable::PrintList, "print-list delete ID...");
}

int setExpress(CliContext &ctx)
{
    std::int64_t id = 0;
    if (ctx.args.size() != 2 || !parseId(ctx.args[0], id)) {
        std::cerr << "usage: zentra-cli print-list set-express ID TEXT\n";
        return 2;
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    if (!setExpressNo(db, id, ctx.args[1])) {
        std::cerr << "zentra-cli: no row " << id << " in the print list" << (db.lastError().empty() ? "" : ": ")
                  << db.lastError() << "\n";
        return 1;
    }
    return 0;
}

int listHistory(CliContext &ctx)
{
    TimeRange range = openingRange(std::time(nullptr));
    std::string text;
    const auto &a = ctx.args;
    for (std::size_t i = 0; i < a.size(); i += 2) {
        const bool hasValue = i + 1 < a.size();
        if (hasValue && a[i] == "--from" && isTimeText(a[i + 1]))
            range.from = a[i + 1];
        else if (hasValue && a[i] == "--to" && isTimeText(a[i + 1]))
            range.to = a[i + 1];
        else if (hasValue && a[i] == "--search")
            text = a[i + 1];
        else {
            std::cerr << "usage: zentra-cli history list [--from \"Y-m-d H:M:S\"] [--to \"Y-m-d H:M:S\"] "
                         "[--search TEXT]\n";
            return 2;
        }
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    bool ok = false;
    const std::vector<WaybillRow> rows = readHistory(db, range, text, HistoryOrder::ByReceiver, &ok);
    if (!ok) {
        std::cerr << "zentra-cli: " << db.lastError() << "\n";
        return 1;
    }
    printRows(rows);
    return 0;
}

int deleteHistory(CliContext &ctx)
{
    return deleteRows(ctx, WaybillTable::PrintHistory, "history delete ID...");
}

const CliRegistration regList("print-list list", "print-list list [--search TEXT]", listPrintList);
const CliRegistration regDelete("print-list delete", "print-list delete ID...", deletePrintList);
const CliRegistration regSetExpress("print-list set-express", "print-list set-express ID TEXT", setExpress);
const CliRegistration regHistoryList("history list",
                                     "history list [--from \"Y-m-d H:M:S\"] [--to \"Y-m-d H:M:S\"] [--search TEXT]",
                                     listHistory);
const CliRegistration regHistoryDelete("history delete", "history delete ID...", deleteHistory);

}
}
