#pragma once

#include "core/recognition/WordTrie.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zentra {

class DbConnection;

// The provinces, cities and districts of the region tables, with the forms
// people write them in, and a lookup of every such form occurring in a text in
// one pass. The forms are generated from the tables: the full name, the name
// without its suffix (陕西省 / 陕西, 广西壮族自治区 / 广西), autonomous places
// without their peoples (恩施州, 石柱县), former suffixes (崇明县 and 萧山市 for
// today's districts, 毕节地区 for today's city, 钱塘新区), development zones
// without their city (合肥高新区, 高新区); and a small hand-kept list of old
// and colloquial names (data/region-aliases.tsv: 襄樊, 闸北区, 内蒙, 莫旗).
// Immutable once built, so one index may serve several threads.
class RegionIndex {
public:
    enum Level { Province = 0, City = 1, District = 2 };

    struct Region {
        std::string name; // UTF-8, as the tables hold it
        Level level = Province;
        int parent = -1;          // index of the province of a city, the city of a district
        bool placeholder = false; // a grouping row such as "省直辖县级行政区划", never written by people
    };

    // How a form is written, from the surest to the weakest evidence.
    enum class Form : std::uint8_t {
        Full,     // the table's name
        Suffixed, // another name with an administrative suffix: 浦东区, 恩施州, 襄樊市, 崇明县
        Short,    // without any suffix: 陕西, 西安, 浦东, 襄樊; a word that often begins other words
        Zone      // a development zone without its city (高新区): only with its city written
    };

    // One occurrence of a region's form in a text, in code points.
    struct Match {
        std::size_t pos = 0;
        std::size_t len = 0;
        int region = -1;
        Form form = Form::Full;
    };

    // The regions compiled into the program (the rows a new database is seeded
    // with).
    static const RegionIndex &builtIn();
    // The rows of the province, city and area tables of an open database.
    static RegionIndex fromDatabase(DbConnection &db);
    // The same from a database file; empty when it cannot be opened or holds
    // no regions (callers then use builtIn()).
    static std::optional<RegionIndex> fromDatabaseFile(const std::string &path);

    // Adds one row; fatherCode is the code of the province of a city or the
    // city of a district (ignored for provinces). Rows whose father is unknown
    // are dropped. finish() builds the lookup; call it after the last add().
    void add(Level level, std::int64_t code, std::string_view name, std::int64_t fatherCode);
    void finish();

    const Region &region(int index) const { return regions_[static_cast<std::size_t>(index)]; }
    std::size_t size() const { return regions_.size(); }

    // The province of any region (itself for a province).
    int provinceOf(int index) const;
    // The single district of a city that has no districts of its own (东莞市,
    // 嘉峪关市: the tables list the city itself), or -1.
    int onlyDistrict(int city) const;

    // Every occurrence of every form in text, ordered by position, at most
    // limit of them.
    void scan(std::u32string_view text, std::vector<Match> &out, std::size_t limit = SIZE_MAX) const;

private:
    struct FormEntry {
        int region;
        Form form;
    };
    void addForm(const std::u32string &text, int region, Form form);
    void addAliases(std::string_view table);

    std::vector<Region> regions_;
    std::vector<std::int64_t> codes_;
    std::vector<std::pair<Level, std::int64_t>> fathers_; // level and code of each region's father
    std::vector<int> districtCount_;                      // per city
    std::vector<FormEntry> forms_;
    WordTrie trie_;
};

// UTF-8 <-> code points for the recognition; invalid bytes become U+FFFD.
std::u32string toCodePoints(std::string_view utf8);
std::string toUtf8(std::u32string_view text);

}
