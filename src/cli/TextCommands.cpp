// pinyin, capitals: the text conversions of the core, one result line each.
#include "cli/CliCommand.h"
#include "core/text/Capitals.h"

#include <iostream>

namespace zentra::cli {
namespace {

int capitals(CliContext &ctx)
{
    if (ctx.args.size() != 1) {
        std::cerr << "usage: zentra-cli capitals AMOUNT\n";
        return 2;
    }
    std::cout << tidyCapitals(digitsToCapitals(amountDigits(std::string_view(ctx.args[0])))) << "\n";
    return 0;
}

const CliRegistration regCapitals("capitals", "capitals AMOUNT", capitals);

}
}
