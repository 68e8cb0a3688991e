// pinyin, capitals: the text conversions of the core, one result line each.
#include "cli/CliCommand.h"
#include "core/text/Capitals.h"
#include "core/text/Pinyin.h"

#include <iostream>

namespace zentra::cli {
namespace {

// The initials as the address books and goods lists store them.
int pinyin(CliContext &ctx)
{
    if (ctx.args.size() != 1) {
        std::cerr << "usage: zentra-cli pinyin TEXT\n";
        return 2;
    }
    std::cout << toPinyin(ctx.args[0]) << "\n";
    return 0;
}

int capitals(CliContext &ctx)
{
    if (ctx.args.size() != 1) {
        std::cerr << "usage: zentra-cli capitals AMOUNT\n";
        return 2;
    }
    std::cout << tidyCapitals(digitsToCapitals(amountDigits(std::string_view(ctx.args[0])))) << "\n";
    return 0;
}

const CliRegistration regPinyin("pinyin", "pinyin TEXT", pinyin);
const CliRegistration regCapitals("capitals", "capitals AMOUNT", capitals);

}
}
