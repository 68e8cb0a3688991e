#pragma once
// The working state of the smart recognition, shared by its steps. The text is
// worked on as code points, each with a mark saying what it has been read as;
// every step reads the text once from left to right (or a bounded list of what
// earlier steps found), so that the whole reading stays linear in the text.
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zentra::smart {

enum class Mark : std::uint8_t {
    Free,    // not read yet: street, name or noise
    Space,   // a space between words
    Comma,   // , ; : and the like: a field boundary in free text
    Line,    // a line break
    Label,   // a label word with its colon (收货人:, 手机号码:)
    Number,  // a mobile, landline or post code
    Dropped, // read and thrown away: order and ID numbers, remarks, "无" after a number label
    Place,   // a province, city or district taken into the result
    Company, // the company
    Name     // the name
};

inline bool isBreak(Mark m)
{
    return m == Mark::Space || m == Mark::Comma || m == Mark::Line;
}

// The kinds of labels.
// Filler: a word that is itself nobody's field (省直辖县级行政区划, copied from a
// region chooser).
enum class LabelKind : std::uint8_t { Name, Number, Post, Address, Company, Token, Remark, Filler };

struct LabelAt {
    std::size_t begin, valueBegin;
    LabelKind kind;
};

struct NumberAt {
    std::size_t begin, end;
    enum Kind : std::uint8_t { Mobile, Phone, Post } kind;
};

struct Text {
    std::u32string w;
    std::vector<Mark> mark;
    std::vector<LabelAt> labels;
    std::vector<NumberAt> numbers;
    // The labelled address zones ([begin, end) of the values of 地址, 所在地区,
    // 详细地址...), in text order.
    std::vector<std::pair<std::size_t, std::size_t>> zones;
    std::u32string name, company;
    RecognizedAddress r;

    std::size_t size() const { return w.size(); }
    bool freeAt(std::size_t i) const { return i < w.size() && mark[i] == Mark::Free; }
    void set(std::size_t from, std::size_t to, Mark m)
    {
        for (std::size_t i = from; i < to && i < w.size(); ++i)
            mark[i] = m;
    }
};

// The places chosen, and where the street may begin.
struct Places {
    int province = -1, city = -1, district = -1;
    bool found = false;
    std::size_t streetFrom = 0; // just past the written places the street follows
};

// ---- character classes -----------------------------------------------------

inline bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}
inline bool isLatin(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isCjk(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

// The steps, in the order recognizeSmart runs them.
Text normalise(std::string_view utf8);
void readLabels(Text &t);
void readNumbers(Text &t);
void readLabelValues(Text &t);
void readCompany(Text &t, const RegionIndex &index);
Places readPlaces(Text &t, const RegionIndex &index);
void readName(Text &t, const Places &places);
void readStreet(Text &t, const Places &places);

// Words that make a piece of text a street address rather than a name.
bool hasStreetWord(std::u32string_view s);
// Whether a piece of text is a courtesy or a request (谢谢, 请尽快发货).
bool isCourtesy(std::u32string_view s);
// How much a word looks like a person's name on its own (王芳 2, 王xx 2.5, a
// bare family name 1); below zero: not at all.
double nameLikeness(std::u32string_view s);

}
