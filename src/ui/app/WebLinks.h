#pragma once

#include <QUrl>

namespace zentra {
class ConfigFile;
}

namespace zentra::ui {

// The web pages the program opens in the user's browser. Each can be changed
// in config.ini, section Links, so a shop or a reseller can point them
// elsewhere without a new build.
struct WebLinks {
    QUrl homePage;      // key homePage: the maker's home page (about box)
    QUrl shopPage;      // key shopPage: the maker's shop (about box)
    QUrl expressQuery;  // key expressQuery: parcel tracking ("快递查询")
    QUrl postcodeQuery; // key postcodeQuery: post-code lookup ("邮编查询")

    static WebLinks defaults();
    // The defaults, overridden by every non-empty key of section Links.
    static WebLinks fromConfig(const ConfigFile &config);
};

}
