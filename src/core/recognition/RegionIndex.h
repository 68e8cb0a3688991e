#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zentra {

class DbConnection;

// The provinces, cities and districts of the region tables, with the forms
// people write them in: the full name and the name without its suffix
// (陕西省 / 陕西, 西安市 / 西安, 雁塔区 / 雁塔, 广西壮族自治区 / 广西). Looks up
// every place name occurring in a text in one pass. Immutable once built, so
// one index may serve several threads.
class RegionIndex {
public:
    enum Level { Province = 0, City = 1, District = 2 };

    struct Region {
        std::string name; // UTF-8, as the tables hold it
        Level level = Province;
        int parent = -1;  // index of the province of a city, the city of a district
        bool placeholder = false; // a grouping row such as "省直辖县级行政区划", never written by people
    };

    // One occurrence of a region's name in a text, in code points.
    struct Match {
        std::size_t pos = 0;
        std::size_t len = 0;
        int region = -1;
        bool shortForm = false;
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

    // Every occurrence of every form in text, ordered by position.
    void scan(const std::u32string &text, std::vector<Match> &out) const;

private:
    struct Form {
        std::u32string text;
        int region;
        bool shortForm;
    };
    void addForm(std::u32string text, int region, bool shortForm);

    std::vector<Region> regions_;
    std::unordered_map<std::int64_t, int> byCode_;
    std::vector<std::pair<std::int64_t, std::int64_t>> fathers_; // code, father code, per region
    std::unordered_map<char32_t, std::vector<Form>> byFirst_;
};

// UTF-8 <-> code points for the recognition; invalid bytes become U+FFFD.
std::u32string toCodePoints(std::string_view utf8);
std::string toUtf8(std::u32string_view text);

}
