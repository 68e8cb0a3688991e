#include "core/recognition/RegionIndex.h"

#include "core/data/DbConnection.h"
#include "core/data/SeedData.h"

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
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

bool endsWith(const std::u32string &s, std::u32string_view suffix)
{
    return s.size() >= suffix.size() && std::u32string_view(s).substr(s.size() - suffix.size()) == suffix;
}

// The ethnic names inside the names of autonomous regions, prefectures and
// counties (延边朝鲜族自治州 -> 延边).
constexpr std::u32string_view kPeoples[] = {
    U"朝鲜", U"土家", U"苗", U"藏", U"羌", U"彝", U"布依", U"侗", U"哈尼", U"壮", U"傣", U"景颇", U"白",
    U"傈僳", U"回", U"蒙古", U"柯尔克孜", U"哈萨克", U"维吾尔", U"满", U"瑶", U"畲", U"黎", U"仫佬", U"毛南",
    U"仡佬", U"水", U"纳西", U"拉祜", U"佤", U"独龙", U"怒", U"普米", U"达斡尔", U"鄂温克", U"锡伯", U"土",
    U"撒拉", U"保安", U"东乡", U"裕固", U"塔吉克", U"各族", U"鄂伦春"};

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

// The name without its administrative suffix, or empty when that would leave
// fewer than two characters.
std::u32string shortForm(const std::u32string &full, RegionIndex::Level level)
{
    static const std::u32string_view autonomous[] = {U"特别行政区", U"自治区", U"自治州", U"自治县", U"自治旗"};
    for (std::u32string_view a : autonomous)
        if (endsWith(full, a)) {
            std::u32string s = withoutPeoples(full.substr(0, full.size() - a.size()));
            return s.size() >= 2 ? s : std::u32string();
        }
    std::vector<std::u32string_view> suffixes;
    if (level == RegionIndex::Province)
        suffixes = {U"省", U"市"};
    else if (level == RegionIndex::City)
        suffixes = {U"地区", U"市", U"盟"};
    else
        suffixes = {U"新区", U"区", U"县", U"市", U"旗"};
    for (std::u32string_view suf : suffixes)
        if (endsWith(full, suf) && full.size() >= suf.size() + 2)
            return full.substr(0, full.size() - suf.size());
    return {};
}

bool isPlaceholder(std::string_view name)
{
    return name == "县" || name == "市辖区" || name.find("直辖") != std::string_view::npos;
}

}

void RegionIndex::add(Level level, std::int64_t code, std::string_view name, std::int64_t fatherCode)
{
    Region r;
    r.name = std::string(name);
    r.level = level;
    r.placeholder = isPlaceholder(name);
    byCode_[code] = static_cast<int>(regions_.size());
    regions_.push_back(std::move(r));
    fathers_.emplace_back(code, level == Province ? 0 : fatherCode);
}

void RegionIndex::addForm(std::u32string text, int region, bool isShort)
{
    if (text.empty())
        return;
    char32_t first = text[0];
    byFirst_[first].push_back(Form{std::move(text), region, isShort});
}

void RegionIndex::finish()
{
    byFirst_.clear();
    for (std::size_t i = 0; i < regions_.size(); ++i) {
        Region &r = regions_[i];
        if (r.level != Province) {
            auto it = byCode_.find(fathers_[i].second);
            r.parent = it == byCode_.end() ? -1 : it->second;
        }
        if (r.placeholder || (r.level != Province && r.parent < 0))
            continue;
        std::u32string full = toCodePoints(r.name);
        std::u32string abbreviated = shortForm(full, r.level);
        addForm(full, static_cast<int>(i), false);
        addForm(abbreviated, static_cast<int>(i), true);
    }
    for (auto &[c, forms] : byFirst_)
        std::stable_sort(forms.begin(), forms.end(),
                         [](const Form &a, const Form &b) { return a.text.size() > b.text.size(); });
}

void RegionIndex::scan(const std::u32string &text, std::vector<Match> &out) const
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto it = byFirst_.find(text[i]);
        if (it == byFirst_.end())
            continue;
        for (const Form &f : it->second)
            if (f.text.size() <= text.size() - i && text.compare(i, f.text.size(), f.text) == 0)
                out.push_back(Match{i, f.text.size(), f.region, f.shortForm});
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
