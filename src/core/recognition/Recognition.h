#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zentra {

class RegionIndex;

// The nine fields read from a pasted delivery text, UTF-8. A field that was not
// found is empty.
struct RecognizedAddress {
    std::string name;
    std::string mobile;
    std::string phone; // landline
    std::string post;
    std::string province;
    std::string city;
    std::string district;
    std::string address;
    std::string company;

    // The fields in the order callers index them: name, mobile, landline, post
    // code, province, city, district, address, company.
    std::array<std::string, 9> toList() const
    {
        return {name, mobile, phone, post, province, city, district, address, company};
    }
    bool operator==(const RecognizedAddress &) const = default;
};

// 0 and 1 are the values of System/recognizeMethod in config.ini.
enum class RecognizeMethod { Standard = 0, Smart = 1 };

// The fixed series of byte patterns over the GBK form of the text: fast, and
// exactly what older installations gave, including their blind spots.
RecognizedAddress recognizeStandard(std::string_view utf8);

// Our own reading: places looked up in the region tables (and completed from
// them), phone numbers however they are written, labels, and the street
// address as what remains once everything else is taken out. Without an index
// the regions compiled into the program are used.
RecognizedAddress recognizeSmart(std::string_view utf8);
RecognizedAddress recognizeSmart(std::string_view utf8, const RegionIndex &regions);

RecognizedAddress recognizeAddress(std::string_view utf8, RecognizeMethod method);
RecognizedAddress recognizeAddress(std::string_view utf8, RecognizeMethod method, const RegionIndex &regions);

// "standard"/"smart" or "0"/"1"; false for anything else.
bool parseRecognizeMethod(std::string_view text, RecognizeMethod &method);

}
