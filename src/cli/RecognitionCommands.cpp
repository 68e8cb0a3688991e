// recognise: the nine fields of a pasted delivery text as one JSON object.
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/config/ConfigFile.h"
#include "core/recognition/Recognition.h"
#include "core/recognition/RecognizedEntry.h"
#include "core/recognition/RegionIndex.h"

#include <cstdio>
#include <iostream>

namespace zentra::cli {
namespace {

std::string toJson(const RecognizedAddress &r)
{
    return jsonObject({{"name", r.name},
                       {"mobile", r.mobile},
                       {"phone", r.phone},
                       {"post", r.post},
                       {"province", r.province},
                       {"city", r.city},
                       {"district", r.district},
                       {"address", r.address},
                       {"company", r.company}});
}

int recognise(CliContext &ctx)
{
    RecognizeMethod method = configuredRecognizeMethod(ConfigFile(ctx.folder.configPath()));
    std::vector<std::string> texts;
    bool haveText = false;
    const auto &a = ctx.args;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--method" && i + 1 < a.size() && (a[i + 1] == "standard" || a[i + 1] == "smart")) {
            parseRecognizeMethod(a[++i], method);
        } else if (!haveText && (a[i].empty() || a[i][0] != '-' || a[i].size() == 1)) {
            texts.push_back(a[i]);
            haveText = true;
        } else {
            std::cerr << "usage: zentra-cli recognise [--method standard|smart] [TEXT]\n";
            return 2;
        }
    }
    // The places of the data folder's own region tables, as the dialog reads them.
    const std::optional<RegionIndex> regions = RegionIndex::fromDatabaseFile(ctx.folder.databasePath());
    auto recognized = [&](const std::string &text) {
        return regions ? recognizeAddress(text, method, *regions) : recognizeAddress(text, method);
    };
    if (haveText) {
        std::cout << toJson(recognized(texts[0])) << "\n";
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::cout << toJson(recognized(line)) << "\n";
    }
    return 0;
}

const CliRegistration regRecognise("recognise", "recognise [--method standard|smart] [TEXT]", recognise);

}
}
