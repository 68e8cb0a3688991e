#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentra {

// One entry of a region list: its code and name.
struct Region {
    std::int64_t id = 0;
    std::string name;
};

// The read-only region lists of the whole country, each ordered by code:
// provinces, the cities of a province, the districts of a city. An unknown
// parent gives an empty list.
class Regions {
public:
    explicit Regions(std::string databasePath);

    std::vector<Region> provinces() const;
    std::vector<Region> cities(std::int64_t provinceId) const;
    std::vector<Region> districts(std::int64_t cityId) const;

    // The code of a province or city by its name; 0 when there is none.
    std::int64_t provinceId(const std::string &name) const;
    std::int64_t cityId(const std::string &name) const;

private:
    std::string path_;
};

}
