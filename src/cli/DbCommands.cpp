// db info|copy and order-number show|set|take: the database a station works
// on, moving the data between the embedded file and a shared server, and the
// shop's order-number counter.
#include "cli/CliCommand.h"
#include "core/data/DbConnection.h"
#include "core/data/DbCopy.h"
#include "core/data/DbLocation.h"
#include "core/data/Schema.h"
#include "core/waybill/OrderCounter.h"

#include <cstdlib>
#include <iostream>

namespace zentra::cli {
namespace {

constexpr const char *kDbUsage = "db info | db copy --to URL|FILE";
constexpr const char *kOrderUsage = "order-number show | order-number set NUMBER | order-number take [COUNT]";

int info(CliContext &ctx)
{
    const std::string location = ctx.folder.databasePath();
    DbConnection db;
    if (!db.open(location)) {
        std::cerr << "zentra-cli: cannot open the database " << describeLocation(location) << ": " << db.lastError()
                  << "\n";
        return 1;
    }
    std::cout << (db.dialect().isPostgres() ? "postgresql" : "sqlite") << "\t" << describeLocation(location) << "\t"
              << schemaVersionOf(db) << "\n";
    return 0;
}

int copy(CliContext &ctx)
{
    const auto &a = ctx.args;
    if (a.size() != 2 || a[0] != "--to" || a[1].empty()) {
        std::cerr << "usage: zentra-cli " << kDbUsage << "\n";
        return 2;
    }
    std::string error;
    if (!initDataFolder(ctx.folder, &error)) {
        std::cerr << "zentra-cli: cannot open the database: " << error << "\n";
        return 1;
    }
    const CopyResult r = copyFolderDatabase(ctx.folder, a[1]);
    for (const CopyCount &c : r.counts)
        std::cout << c.table << "\t" << c.source << "\t" << c.target << "\n";
    if (!r.ok) {
        std::cerr << "zentra-cli: db copy: " << r.error << "\n";
        return 1;
    }
    std::cout << "copied to " << describeLocation(a[1]) << "\n";
    return 0;
}

int db(CliContext &ctx)
{
    if (!ctx.args.empty() && ctx.args[0] == "info" && ctx.args.size() == 1)
        return info(ctx);
    if (!ctx.args.empty() && ctx.args[0] == "copy") {
        CliContext rest{ctx.folder, {ctx.args.begin() + 1, ctx.args.end()}};
        return copy(rest);
    }
    std::cerr << "usage: zentra-cli " << kDbUsage << "\n";
    return 2;
}

int orderNumber(CliContext &ctx)
{
    const auto &a = ctx.args;
    std::string error;
    if (!initDataFolder(ctx.folder, &error)) {
        std::cerr << "zentra-cli: cannot open the database: " << error << "\n";
        return 1;
    }
    const OrderCounter counter(ctx.folder);
    if (a.size() == 1 && a[0] == "show") {
        const auto v = counter.peek(&error);
        if (!v) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
        std::cout << *v << "\n";
        return 0;
    }
    if (a.size() == 2 && a[0] == "set") {
        if (!counter.set(a[1], &error)) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
        return 0;
    }
    if ((a.size() == 1 || a.size() == 2) && a[0] == "take") {
        char *end = nullptr;
        const long count = a.size() == 2 ? std::strtol(a[1].c_str(), &end, 10) : 1;
        if (count < 1 || (end && *end)) {
            std::cerr << "usage: zentra-cli " << kOrderUsage << "\n";
            return 2;
        }
        // One number at a time, each taken on its own: what a station does
        // for every waybill it stores.
        for (long i = 0; i < count; ++i) {
            const auto v = counter.take(1, &error);
            if (!v) {
                std::cerr << "zentra-cli: " << error << "\n";
                return 1;
            }
            if (v->empty()) {
                std::cerr << "zentra-cli: no order number is set\n";
                return 1;
            }
            std::cout << *v << "\n";
        }
        return 0;
    }
    std::cerr << "usage: zentra-cli " << kOrderUsage << "\n";
    return 2;
}

const CliRegistration regDb("db", kDbUsage, db);
const CliRegistration regOrderNumber("order-number", kOrderUsage, orderNumber);

}
}
