#include "core/recognition/RegionIndex.h"

#include "core/data/DbConnection.h"
#include "core/data/SeedData.h"
#include "core/text/Gbk.h"

#include <algorithm>

namespace zentra {

std::u32string toCodePoints(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += c;
            ++i;
            continue;
        }
        std::size_t n = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 0;
        char32_t cp = c & (0x3F >> n);
        bool ok = n > 0 && i + n < s.size();
        for (std::size_t k = 1; ok && k <= n; ++k) {
            unsigned char t = static_cast<unsigned char>(s[i + k]);
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (!ok) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += cp;
        i += n + 1;
    }
    return out;
}

std::string toUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text)
        appendUtf8(out, c);
    return out;
}

namespace {

bool endsWith(std::u32string_view s, std::u32string_view suffix)
{
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool startsWith(std::u32string_view s, std::u32string_view prefix)
{
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The ethnic names inside the names of autonomous regions, prefectures and
// counties (延边朝鲜族自治州 -> 延边).
constexpr std::u32string_view kPeoples[] = {
    U"朝鲜",   U"土家",   U"苗",   U"藏",   U"羌",   U"彝",       U"布依",   U"侗",     U"哈尼",   U"壮",   U"傣",
    U"景颇",   U"白",     U"傈僳", U"回",   U"蒙古", U"柯尔克孜", U"哈萨克", U"维吾尔", U"满",     U"瑶",   U"畲",
    U"黎",     U"仫佬",   U"毛南", U"仡佬", U"水",   U"纳西",     U"拉祜",   U"佤",     U"独龙",   U"怒",   U"普米",
    U"达斡尔", U"鄂温克", U"锡伯", U"土",   U"撒拉", U"保安",     U"东乡",   U"裕固",   U"塔吉克", U"各族", U"鄂伦春"};

std::u32string withoutPeoples(std::u32string s)
{
    for (bool again = true; again;) {
        again = false;
        if (endsWith(s, U"族"))
            s.resize(s.size() - 1);
        for (std::u32string_view p : kPeoples)
            if (s.size() > p.size() + 1 && endsWith(s, p)) {
                s.resize(s.size() - p.size());
                again = true;
                break;
            }
    }
    return s;
}

bool isPlaceholder(std::string_view name)
{
    return name == "县" || name == "市辖区" || name.find("直辖") != std::string_view::npos;
}

// Development zones listed as districts, and their everyday forms.
struct ZoneWord {
    std::u32string_view official;
    std::u32string_view written[3];
};
constexpr ZoneWord kZoneWords[] = {
    {U"高新技术产业开发区", {U"高新区", U"高新技术开发区", {}}},
    {U"高技术产业开发区", {U"高新区", {}, {}}},
    {U"高新技术开发区", {U"高新区", {}, {}}},
    {U"经济技术开发区", {U"经开区", U"经济开发区", U"开发区"}},
    {U"经济开发区", {U"经开区", U"开发区", {}}},
};

bool isZone(std::u32string_view name)
{
    return name.find(U"开发区") != std::u32string_view::npos || name.find(U"园区") != std::u32string_view::npos ||
           name.find(U"管理区") != std::u32string_view::npos || name.find(U"管委会") != std::u32string_view::npos ||
           (endsWith(name, U"新区") && name.size() > 4);
}

struct Candidate {
    std::u32string text;
    int region;
    RegionIndex::Form form;
};

// The forms of one region other than its full name.
void formsOf(const std::u32string &full, RegionIndex::Level level, const std::u32string &province,
             const std::u32string &city, int region, std::vector<Candidate> &out)
{
    using Form = RegionIndex::Form;
    auto add = [&](std::u32string text, Form form) {
        if (text.size() >= 2 && text != full)
            out.push_back(Candidate{std::move(text), region, form});
    };
    auto stem = [&full](std::u32string_view suffix) { return full.substr(0, full.size() - suffix.size()); };
    static const std::u32string_view autonomous[] = {U"特别行政区", U"自治区", U"自治州", U"自治县", U"自治旗"};
    for (std::u32string_view a : autonomous)
        if (endsWith(full, a)) {
            std::u32string s = withoutPeoples(stem(a));
            if (s.size() < 2 && endsWith(stem(a), U"族")) // 鄂温克族自治旗: the people is the name
                s = stem(a).substr(0, stem(a).size() - 1);
            add(s, Form::Short);
            if (a == U"自治州")
                add(s + U"州", Form::Suffixed);
            else if (a == U"自治县")
                add(s + U"县", Form::Suffixed);
            else if (a == U"自治旗")
                add(s + U"旗", Form::Suffixed);
            return;
        }
    if (level == RegionIndex::District && isZone(full)) {
        // 合肥高新技术产业开发区: without its province and city, and in the words
        // people use for it (合肥高新区, 高新区).
        std::u32string rest = full;
        for (const std::u32string &prefix : {province, city})
            for (std::u32string_view p :
                 {std::u32string_view(prefix), std::u32string_view(prefix).substr(0, prefix.size() - 1)})
                if (p.size() >= 2 && startsWith(rest, p) && rest.size() > p.size() + 2) {
                    rest = rest.substr(p.size());
                    break;
                }
        std::u32string cityStem = city.size() > 2 && endsWith(city, U"市") ? city.substr(0, city.size() - 1) : city;
        auto zoneForm = [&](const std::u32string &text) {
            bool bare = false;
            for (const ZoneWord &z : kZoneWords)
                for (std::u32string_view w : z.written)
                    bare = bare || text == z.official || text == w;
            bare = bare || text == U"工业园区";
            add(text, bare ? Form::Zone : Form::Suffixed);
            if (bare)
                add(cityStem + text, Form::Suffixed);
        };
        if (rest != full)
            zoneForm(rest);
        for (const ZoneWord &z : kZoneWords)
            if (endsWith(rest, z.official))
                for (std::u32string_view w : z.written)
                    if (!w.empty())
                        zoneForm(rest.substr(0, rest.size() - z.official.size()) + std::u32string(w));
        return;
    }
    if (level == RegionIndex::Province) {
        for (std::u32string_view suf : {U"省", U"市"})
            if (endsWith(full, suf))
                add(stem(suf), Form::Short);
        return;
    }
    if (level == RegionIndex::City) {
        if (endsWith(full, U"市")) {
            add(stem(U"市"), Form::Short);
            add(stem(U"市") + U"地区", Form::Suffixed); // 毕节地区, 铜仁地区: prefectures that became cities
        } else if (endsWith(full, U"地区")) {
            add(stem(U"地区"), Form::Short);
        } else if (endsWith(full, U"盟")) {
            add(stem(U"盟"), Form::Short);
        }
        return;
    }
    if (endsWith(full, U"新区")) {
        add(stem(U"新区"), Form::Short);
        add(stem(U"新区") + U"区", Form::Suffixed); // 浦东区
    } else if (endsWith(full, U"林区")) {
        add(stem(U"林区"), Form::Short);
    } else if (endsWith(full, U"区")) {
        std::u32string s = stem(U"区");
        add(s, Form::Short);
        // Counties and county-level cities that became districts keep being
        // written under their old names (崇明县, 萧山市), as do new areas that
        // became districts (钱塘新区).
        add(s + U"县", Form::Suffixed);
        add(s + U"市", Form::Suffixed);
        add(s + U"新区", Form::Suffixed);
    } else if (endsWith(full, U"市")) {
        add(stem(U"市"), Form::Short);
        add(stem(U"市") + U"县", Form::Suffixed);
    } else if (endsWith(full, U"县") || endsWith(full, U"旗")) {
        add(full.substr(0, full.size() - 1), Form::Short);
    }
}

}

void RegionIndex::add(Level level, std::int64_t code, std::string_view name, std::int64_t fatherCode)
{
    Region r;
    r.name = std::string(name);
    r.level = level;
    r.placeholder = isPlaceholder(name);
    regions_.push_back(std::move(r));
    codes_.push_back(code);
    fathers_.emplace_back(level == District ? City : Province, level == Province ? 0 : fatherCode);
}

int RegionIndex::provinceOf(int index) const
{
    while (index >= 0 && regions_[static_cast<std::size_t>(index)].level != Province)
        index = regions_[static_cast<std::size_t>(index)].parent;
    return index;
}

int RegionIndex::onlyDistrict(int city) const
{
    if (city < 0 || static_cast<std::size_t>(city) >= districtCount_.size() ||
        districtCount_[static_cast<std::size_t>(city)] != 1)
        return -1;
    for (std::size_t i = 0; i < regions_.size(); ++i)
        if (regions_[i].parent == city && regions_[i].level == District)
            return regions_[i].name == regions_[static_cast<std::size_t>(city)].name ? static_cast<int>(i) : -1;
    return -1;
}

void RegionIndex::finish()
{
    // A city without districts shares its code with its one district (东莞市,
    // 441900), so fathers are looked up by level and code.
    std::unordered_map<std::int64_t, int> byCode[3];
    for (std::size_t i = 0; i < regions_.size(); ++i)
        byCode[regions_[i].level].emplace(codes_[i], static_cast<int>(i));
    districtCount_.assign(regions_.size(), 0);
    for (std::size_t i = 0; i < regions_.size(); ++i) {
        Region &r = regions_[i];
        if (r.level == Province)
            continue;
        auto it = byCode[fathers_[i].first].find(fathers_[i].second);
        r.parent = it == byCode[fathers_[i].first].end() ? -1 : it->second;
        if (r.level == District && r.parent >= 0)
            ++districtCount_[static_cast<std::size_t>(r.parent)];
    }
    std::vector<Candidate> all;
    std::unordered_map<std::u32string, bool> fullNames;
    for (std::size_t i = 0; i < regions_.size(); ++i) {
        const Region &r = regions_[i];
        if (r.placeholder || (r.level != Province && r.parent < 0))
            continue;
        std::u32string full = toCodePoints(r.name);
        fullNames[full] = true;
        // Two-character districts (城区, 东区, 矿区) are words of street texts too.
        bool word = full.size() <= 2 && full.back() == U'区';
        all.push_back(Candidate{full, static_cast<int>(i), word ? Form::Short : Form::Full});
        std::u32string province, city;
        if (r.level == District) {
            const Region &c = regions_[static_cast<std::size_t>(r.parent)];
            if (!c.placeholder)
                city = toCodePoints(c.name);
            if (c.parent >= 0)
                province = toCodePoints(regions_[static_cast<std::size_t>(c.parent)].name);
        }
        formsOf(full, r.level, province, city, static_cast<int>(i), all);
    }
    // Another name never hides a region that carries it as its own name.
    std::erase_if(all, [&](const Candidate &c) { return c.form == Form::Suffixed && fullNames.count(c.text) > 0; });
    std::stable_sort(all.begin(), all.end(), [](const Candidate &a, const Candidate &b) {
        return a.text != b.text ? a.text < b.text : a.region != b.region ? a.region < b.region : a.form < b.form;
    });
    forms_.clear();
    trie_ = WordTrie();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0 && all[i].text == all[i - 1].text && all[i].region == all[i - 1].region)
            continue; // the surer form of the same text was kept
        forms_.push_back(FormEntry{all[i].region, all[i].form});
        trie_.add(all[i].text, static_cast<int>(forms_.size() - 1));
    }
    addAliases(seedData("region-aliases.tsv"));
}

void RegionIndex::addAliases(std::string_view table)
{
    // Lines: alias, the place as province[/city[/district]], why. '#' starts a
    // comment line. An alias whose place is not in the tables is left out.
    auto find = [this](int parent, std::string_view name, Level level) {
        for (std::size_t i = 0; i < regions_.size(); ++i) {
            const Region &r = regions_[i];
            if (r.name != name)
                continue;
            if (r.level == level && (level == Province || r.parent == parent))
                return static_cast<int>(i);
            // County-level places directly under a province stand where a city would.
            if (level == City && r.level == District && r.parent >= 0 &&
                regions_[static_cast<std::size_t>(r.parent)].placeholder &&
                regions_[static_cast<std::size_t>(r.parent)].parent == parent)
                return static_cast<int>(i);
        }
        return -1;
    };
    while (!table.empty()) {
        std::size_t nl = table.find('\n');
        std::string_view line = table.substr(0, nl);
        table = nl == std::string_view::npos ? std::string_view() : table.substr(nl + 1);
        if (line.empty() || line[0] == '#')
            continue;
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        std::string_view alias = line.substr(0, tab);
        std::string_view place = line.substr(tab + 1);
        place = place.substr(0, place.find('\t'));
        int region = -1;
        Level level = Province;
        for (int parent = -1; !place.empty(); level = static_cast<Level>(level + 1)) {
            std::size_t slash = place.find('/');
            std::string_view part = place.substr(0, slash);
            place = slash == std::string_view::npos ? std::string_view() : place.substr(slash + 1);
            region = level > District ? -1 : find(parent, part, level);
            if (region < 0)
                break;
            parent = region;
        }
        if (region < 0)
            continue;
        std::u32string text = toCodePoints(alias);
        bool suffixed = false;
        for (std::u32string_view suf : {U"省", U"市", U"区", U"县", U"州", U"旗", U"盟"})
            suffixed = suffixed || endsWith(text, suf);
        forms_.push_back(FormEntry{region, suffixed ? Form::Suffixed : Form::Short});
        trie_.add(text, static_cast<int>(forms_.size() - 1));
    }
}

void RegionIndex::scan(std::u32string_view text, std::vector<Match> &out, std::size_t limit) const
{
    out.clear();
    for (std::size_t i = 0; i < text.size() && out.size() < limit; ++i) {
        if (!trie_.starts(text[i]))
            continue;
        trie_.matchAt(text, i, [&](std::size_t len, int f) {
            const FormEntry &e = forms_[static_cast<std::size_t>(f)];
            out.push_back(Match{i, len, e.region, e.form});
        });
    }
}

const RegionIndex &RegionIndex::builtIn()
{
    static const RegionIndex index = [] {
        RegionIndex idx;
        std::string_view data = seedData("regions.tsv");
        while (!data.empty()) {
            std::size_t nl = data.find('\n');
            std::string_view line = data.substr(0, nl);
            data = nl == std::string_view::npos ? std::string_view() : data.substr(nl + 1);
            std::string_view f[4];
            int n = 0;
            while (n < 4 && !line.empty()) {
                std::size_t tab = line.find('\t');
                f[n++] = line.substr(0, tab);
                line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
            }
            if (n < 3 || f[0].empty())
                continue;
            auto number = [](std::string_view s) {
                std::int64_t v = 0;
                for (char c : s)
                    if (c >= '0' && c <= '9')
                        v = v * 10 + (c - '0');
                return v;
            };
            Level level = f[0][0] == 'P' ? Province : f[0][0] == 'C' ? City : District;
            idx.add(level, number(f[1]), f[2], n > 3 ? number(f[3]) : 0);
        }
        idx.finish();
        return idx;
    }();
    return index;
}

RegionIndex RegionIndex::fromDatabase(DbConnection &db)
{
    RegionIndex idx;
    for (const DbRow &row : db.query("select provinceID, province from province order by provinceID"))
        idx.add(Province, row.integer("provinceID"), row.text("province"), 0);
    for (const DbRow &row : db.query("select cityID, city, father from city order by cityID"))
        idx.add(City, row.integer("cityID"), row.text("city"), row.integer("father"));
    for (const DbRow &row : db.query("select areaID, area, father from area order by areaID"))
        idx.add(District, row.integer("areaID"), row.text("area"), row.integer("father"));
    idx.finish();
    return idx;
}

std::optional<RegionIndex> RegionIndex::fromDatabaseFile(const std::string &path)
{
    DbConnection db;
    if (!db.open(path))
        return std::nullopt;
    RegionIndex idx = fromDatabase(db);
    if (idx.size() == 0)
        return std::nullopt;
    return idx;
}

}
