#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentra {

class DbConnection;

// The template whose rows are the default rates copied to a template the
// first time its rates are used.
inline constexpr const char *kDefaultFreightTemplate = "tmp_default";

// One province's rates of a template. The figures are kept as the texts
// stored (decimal numbers).
struct FreightRow {
    std::int64_t id = 0;
    std::int64_t provinceId = 0;
    std::string province;
    std::string afreight;  // first unit of weight, yuan
    std::string bfreight;  // each further unit, yuan
    std::string moneyFree; // goods total from which postage is free; 0: always free
};

// The three figures a postage is computed from.
struct FreightRate {
    double afreight = 0;
    double bfreight = 0;
    double moneyFree = 0;
};

// The postage of an order: with the weight rounded up to a whole number W
// and the goods total P, 0 when P is not below moneyFree or W is 0, else
// (W - 1) * bfreight + afreight. Every caller computes postage here.
double postage(double weight, double goodsTotal, const FreightRate &rate);

// The freight rates per template and province.
class FreightRates {
public:
    explicit FreightRates(std::string databasePath);

    // The rows of a template in id order. A template without rows first gets
    // a copy of the default rows (in one statement); "tmp_default" itself is
    // never changed by that. Empty with `error` set on failure.
    std::vector<FreightRow> rowsFor(const std::string &templateName, std::string *error = nullptr) const;

    // Writes the figures of every row (matched by province) in one
    // transaction: all rows or none. False with the engine's message.
    bool saveRows(const std::string &templateName, const std::vector<FreightRow> &rows,
                  std::string *error = nullptr) const;

    // Sets one province's figures: the number of rows changed, -1 on failure.
    int setRate(const std::string &templateName, const std::string &province, const std::string &afreight,
                const std::string &bfreight, const std::string &moneyFree, std::string *error = nullptr) const;

    // The rate of the first row whose province contains `province` (taken
    // literally); no row gives the zero rate, under which all ships free.
    FreightRate rateFor(const std::string &templateName, const std::string &province) const;
    // The same on a connection the caller holds (inside its transaction).
    static FreightRate rateIn(DbConnection &db, const std::string &templateName, const std::string &province);

private:
    std::string path_;
};

}
