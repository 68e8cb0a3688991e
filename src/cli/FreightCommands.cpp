// freight list, set and quote: the rates of a template per province and the
// postage computed from them.
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/data/Schema.h"
#include "core/masterdata/Freight.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace zentra::cli {
namespace {

bool isNumber(const std::string &s, double &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == '\0';
}

int freight(CliContext &ctx)
{
    const auto &a = ctx.args;
    const bool list = a.size() == 2 && a[0] == "list";
    const bool set = a.size() == 6 && a[0] == "set";
    const bool quote = a.size() == 5 && a[0] == "quote";
    if (!list && !set && !quote) {
        std::cerr << "usage: zentra-cli freight list TEMPLATE | set TEMPLATE PROVINCE A B M | "
                     "quote TEMPLATE PROVINCE WEIGHT GOODSTOTAL\n";
        return 2;
    }
    std::string error;
    if (!initDataFolder(ctx.folder, &error)) {
        std::cerr << "zentra-cli: " << error << "\n";
        return 1;
    }
    FreightRates rates(ctx.folder.databasePath());
    if (list) {
        const auto rows = rates.rowsFor(a[1], &error);
        if (!error.empty()) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
        for (const FreightRow &r : rows)
            std::cout << "{\"id\":" << r.id << ",\"province\":" << jsonString(r.province)
                      << ",\"afreight\":" << jsonString(r.afreight) << ",\"bfreight\":" << jsonString(r.bfreight)
                      << ",\"moneyFree\":" << jsonString(r.moneyFree) << "}\n";
        return 0;
    }
    if (set) {
        double x = 0;
        for (std::size_t i = 3; i < 6; ++i)
            if (!isNumber(a[i], x)) {
                std::cerr << "zentra-cli: not a number: '" << a[i] << "'\n";
                return 2;
            }
        // The template's own rows are made first, as the rate dialog does.
        rates.rowsFor(a[1], &error);
        int n = rates.setRate(a[1], a[2], a[3], a[4], a[5], &error);
        if (n < 0) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
        std::cout << n << "\n";
        return n > 0 ? 0 : 1;
    }
    double weight = 0, total = 0;
    if (!isNumber(a[3], weight) || !isNumber(a[4], total)) {
        std::cerr << "zentra-cli: WEIGHT and GOODSTOTAL must be numbers\n";
        return 2;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.2f", postage(weight, total, rates.rateFor(a[1], a[2])));
    std::cout << buf << "\n";
    return 0;
}

const CliRegistration regFreight("freight", "freight list TEMPLATE | set TEMPLATE PROVINCE A B M | quote ...", freight);

}
}
