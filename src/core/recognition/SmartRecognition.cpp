// Our own reading of a pasted delivery text. The text is worked on as code
// points; every piece that is recognised (label, number, company, place, name)
// is overwritten with kTaken so that what remains around the places is the
// street address, and nothing is read twice.
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"

#include <algorithm>
#include <array>

namespace zentra {

namespace {

constexpr char32_t kTaken = 1;

bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isCjk(char32_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF); }
bool isHardSep(char32_t c) { return c == '\n' || c == ',' || c == ';' || c == ':' || c == '|' || c == kTaken; }
bool isSep(char32_t c) { return c == ' ' || isHardSep(c); }

// Full-width forms to ASCII, the many spaces and dashes to one, list marks to
// commas, pictographs and decorations to spaces.
std::u32string normalise(std::string_view utf8)
{
    std::u32string w = toCodePoints(utf8);
    for (char32_t &c : w) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c -= 0xFEE0;
        if (c == '~' || c == '!' || c == '?' || c == '*' || c == '"')
            c = ' ';
        else if (c == 0x3000 || c == '\t' || c == '\r' || c == 0xA0)
            c = ' ';
        else if (c == 0x3001 || c == 0x3002 || c == 0xFF64) // 、 。
            c = ',';
        else if (c == 0x2014 || c == 0x2013 || c == 0x2212 || c == 0x2010)
            c = '-';
        else if (c >= 0x1F000 || (c >= 0x2190 && c <= 0x2BFF) || c == 0xFE0F || c == 0x200D || c == 0x3010 ||
                 c == 0x3011 || c == '[' || c == ']' || c == '!' || c == '?' || c == '"' || c == '*' || c == '~' ||
                 c == 0x201C || c == 0x201D)
            c = ' ';
        else if (c < 0x20 && c != '\n')
            c = ' ';
    }
    // A slash beside a phone number separates fields ("张三/13812345678/...");
    // elsewhere it belongs to the address ("3/F", "1栋/2单元").
    auto digitsAround = [&w](std::size_t i, int step) {
        std::size_t n = 0;
        for (std::size_t k = i + step; k < w.size() && isDigit(w[k]); k += step)
            ++n;
        return n;
    };
    for (std::size_t i = 0; i < w.size(); ++i)
        if (w[i] == '/' && (digitsAround(i, -1) >= 7 || digitsAround(i, 1) >= 7))
            w[i] = ',';
    return w;
}

void take(std::u32string &w, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to && i < w.size(); ++i)
        w[i] = kTaken;
}

std::u32string_view trimmed(std::u32string_view s)
{
    auto junk = [](char32_t c) { return c == ' ' || c == '-' || c == '.' || c == ',' || c == kTaken; };
    while (!s.empty() && junk(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && junk(s.back()))
        s.remove_suffix(1);
    return s;
}

bool containsAny(std::u32string_view s, std::initializer_list<std::u32string_view> words)
{
    for (std::u32string_view w : words)
        if (s.find(w) != std::u32string_view::npos)
            return true;
    return false;
}

// ---- labels ---------------------------------------------------------------

enum class LabelKind { Name, Number, Address, Company, Post, Other };

struct Label {
    std::u32string_view text;
    LabelKind kind;
};

// Longest first, so that 收件人姓名 is taken before 收件人.
constexpr Label kLabels[] = {
    {U"收件人姓名", LabelKind::Name}, {U"收货人姓名", LabelKind::Name}, {U"联系人姓名", LabelKind::Name},
    {U"收件人信息", LabelKind::Name}, {U"收货人信息", LabelKind::Name},
    {U"收件人", LabelKind::Name},     {U"收货人", LabelKind::Name},     {U"联系人", LabelKind::Name},
    {U"姓名", LabelKind::Name},       {U"名字", LabelKind::Name},       {U"收件", LabelKind::Name},
    {U"手机号码", LabelKind::Number}, {U"联系电话", LabelKind::Number}, {U"联系方式", LabelKind::Number},
    {U"电话号码", LabelKind::Number}, {U"固定电话", LabelKind::Number}, {U"移动电话", LabelKind::Number},
    {U"手机号", LabelKind::Number},   {U"手机", LabelKind::Number},     {U"电话", LabelKind::Number},
    {U"固话", LabelKind::Number},     {U"座机", LabelKind::Number},     {U"tel", LabelKind::Number},
    {U"详细地址", LabelKind::Address}, {U"收货地址", LabelKind::Address}, {U"收件地址", LabelKind::Address},
    {U"所在地区", LabelKind::Address}, {U"地址", LabelKind::Address},   {U"地区", LabelKind::Address},
    {U"公司名称", LabelKind::Company}, {U"单位名称", LabelKind::Company}, {U"公司", LabelKind::Company},
    {U"单位", LabelKind::Company},    {U"邮政编码", LabelKind::Post},   {U"邮编", LabelKind::Post},
    {U"订单编号", LabelKind::Other},  {U"订单号", LabelKind::Other},   {U"身份证号", LabelKind::Other},
    {U"身份证", LabelKind::Other},    {U"备注", LabelKind::Other},
};

char32_t lower(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool labelAt(const std::u32string &w, std::size_t i, std::u32string_view label)
{
    if (label.size() > w.size() - i)
        return false;
    for (std::size_t k = 0; k < label.size(); ++k)
        if (lower(w[i + k]) != label[k])
            return false;
    return true;
}

struct Found {
    std::u32string name, company;
    std::size_t numberPos = std::u32string::npos; // where the first phone number stood
    RecognizedAddress r;
};

// Up to the next separator (a space ends a value too).
std::size_t valueEnd(const std::u32string &w, std::size_t i)
{
    while (i < w.size() && !isSep(w[i]))
        ++i;
    return i;
}

void readLabels(std::u32string &w, Found &f)
{
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (i > 0 && !isSep(w[i - 1]) && !isDigit(w[i - 1]))
            continue;
        for (const Label &l : kLabels) {
            if (!labelAt(w, i, l.text))
                continue;
            std::size_t j = i + l.text.size();
            bool colon = j < w.size() && w[j] == ':';
            // Without a colon only the name, number and post code labels are
            // read, and only when their value follows at once; 公司 at the end
            // of a company name or 地址 inside a sentence are no labels.
            if (!colon) {
                bool numberNext = j < w.size() && (isDigit(w[j]) || w[j] == '+' || w[j] == '(' || w[j] == ' ');
                bool nameNext = j < w.size() && (isCjk(w[j]) || w[j] == ' ');
                bool numberLabel = l.kind == LabelKind::Number || l.kind == LabelKind::Post;
                if (!((numberLabel && numberNext) ||
                      (l.kind == LabelKind::Name && nameNext && (l.text.size() >= 3 || l.text == U"姓名"))))
                    continue;
            }
            if (colon)
                ++j;
            while (j < w.size() && w[j] == ' ')
                ++j;
            take(w, i, j);
            if (l.kind == LabelKind::Name || l.kind == LabelKind::Company || l.kind == LabelKind::Other) {
                std::size_t e = valueEnd(w, j);
                std::u32string value = w.substr(j, e - j);
                if (l.kind == LabelKind::Name && f.name.empty() && !value.empty()) {
                    f.name = value;
                    take(w, j, e);
                } else if (l.kind == LabelKind::Company && f.company.empty() && !value.empty()) {
                    f.company = value;
                    take(w, j, e);
                } else if (l.kind == LabelKind::Other) {
                    take(w, j, e);
                }
            }
            i = j > 0 ? j - 1 : 0;
            break;
        }
    }
}

// ---- numbers --------------------------------------------------------------

struct Group {
    std::size_t begin, end; // in w
    std::u32string digits;
};

bool mobileDigits(std::u32string_view d)
{
    return d.size() == 11 && d[0] == '1' && d[1] >= '3' && d[1] <= '9';
}

std::string ascii(std::u32string_view d)
{
    std::string s;
    for (char32_t c : d)
        s += static_cast<char>(c);
    return s;
}

// Area code length of a landline written without a dash: 010 and 02x are
// three digits, the others four.
std::size_t areaLength(std::u32string_view d) { return d.size() > 1 && (d[1] == '1' || d[1] == '2') ? 3 : 4; }

void readNumbers(std::u32string &w, Found &f)
{
    std::size_t i = 0;
    while (i < w.size()) {
        bool start = isDigit(w[i]) || ((w[i] == '+' || w[i] == '(') && i + 1 < w.size() && isDigit(w[i + 1]));
        if (!start) {
            ++i;
            continue;
        }
        // A run of digit groups joined by spaces, dashes, brackets and a plus.
        std::vector<Group> groups;
        std::size_t j = i;
        while (j < w.size()) {
            char32_t c = w[j];
            if (isDigit(c)) {
                std::size_t k = j;
                while (k < w.size() && isDigit(w[k]))
                    ++k;
                groups.push_back(Group{j, k, w.substr(j, k - j)});
                j = k;
            } else if (c == ' ' || c == '-' || c == '(' || c == ')' || c == '+') {
                std::size_t k = j;
                while (k < w.size() && (w[k] == ' ' || w[k] == '-' || w[k] == '(' || w[k] == ')' || w[k] == '+'))
                    ++k;
                if (k - j > 3 || k >= w.size() || !isDigit(w[k]))
                    break;
                j = k;
            } else {
                break;
            }
        }
        // Digits glued to Latin letters are a code (an ID card's X, a room A12),
        // never a phone number.
        auto gluedToLetter = [&](const Group &g) {
            auto letter = [](char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
            return (g.begin > 0 && letter(w[g.begin - 1])) || (g.end < w.size() && letter(w[g.end]));
        };
        std::size_t g = 0;
        while (g < groups.size()) {
            const Group &a = groups[g];
            std::size_t used = 0;
            std::string value;
            enum { None, Mobile, Phone, Post, Drop } kind = None;
            // Country code in front of a mobile: 86, 0086, +86.
            std::size_t first = g;
            if ((a.digits == U"86" || a.digits == U"0086") && g + 1 < groups.size())
                first = g + 1;
            // A mobile number, whole or written in groups (138 0013 8000).
            std::u32string joined;
            for (std::size_t k = first; k < groups.size() && k < first + 4 && kind == None; ++k) {
                joined += groups[k].digits;
                if (joined.size() > 13)
                    break;
                std::u32string_view d = joined;
                if (d.size() == 13 && d.substr(0, 2) == U"86" && k == first)
                    d.remove_prefix(2);
                if (mobileDigits(d) && !gluedToLetter(groups[k])) {
                    kind = Mobile;
                    value = ascii(d);
                    used = k + 1 - g;
                }
            }
            if (kind == None && a.digits.size() >= 3 && a.digits.size() <= 4 && a.digits[0] == '0' &&
                g + 1 < groups.size() && groups[g + 1].digits.size() >= 7 && groups[g + 1].digits.size() <= 8) {
                kind = Phone;
                value = ascii(a.digits) + "-" + ascii(groups[g + 1].digits);
                used = 2;
                if (g + 2 < groups.size() && groups[g + 2].digits.size() <= 5 && w[groups[g + 2].begin - 1] == '-') {
                    value += "-" + ascii(groups[g + 2].digits);
                    used = 3;
                }
            }
            // The local number written in two halves: (0755) 8888 1234.
            if (kind == None && a.digits.size() >= 3 && a.digits.size() <= 4 && a.digits[0] == '0' &&
                g + 2 < groups.size() && groups[g + 1].digits.size() >= 3 && groups[g + 1].digits.size() <= 4 &&
                groups[g + 2].digits.size() >= 3 && groups[g + 2].digits.size() <= 4 &&
                groups[g + 1].digits.size() + groups[g + 2].digits.size() >= 7) {
                kind = Phone;
                value = ascii(a.digits) + "-" + ascii(groups[g + 1].digits) + ascii(groups[g + 2].digits);
                used = 3;
            }
            if (kind == None && a.digits.size() >= 10 && a.digits.size() <= 12 && a.digits[0] == '0' &&
                a.digits[1] != '0' && !gluedToLetter(a)) {
                std::size_t al = areaLength(a.digits);
                std::size_t rest = a.digits.size() - al;
                if (rest >= 7 && rest <= 8) {
                    kind = Phone;
                    value = ascii(a.digits.substr(0, al)) + "-" + ascii(a.digits.substr(al));
                    used = 1;
                }
            }
            if (kind == None && a.digits.size() == 6 && a.digits[0] <= '8' && !gluedToLetter(a)) {
                kind = Post;
                value = ascii(a.digits);
                used = 1;
            }
            if (kind == None && (a.digits.size() >= 12 || (a.digits.size() == 17 && gluedToLetter(a)))) {
                kind = Drop; // an ID card, an order or tracking number
                used = 1;
            }
            if (kind == None) {
                ++g;
                continue;
            }
            std::size_t from = groups[g].begin, to = groups[g + used - 1].end;
            if (kind == Drop && to < w.size() && (w[to] == 'X' || w[to] == 'x'))
                ++to;
            if (kind == Mobile || kind == Phone)
                f.numberPos = std::min(f.numberPos, from);
            if (kind == Mobile && f.r.mobile.empty())
                f.r.mobile = value;
            else if (kind == Phone && f.r.phone.empty())
                f.r.phone = value;
            else if (kind == Post && f.r.post.empty())
                f.r.post = value;
            // A leading + or bracket belongs to the number.
            if (from > 0 && (w[from - 1] == '+' || w[from - 1] == '('))
                --from;
            if (to < w.size() && w[to] == ')')
                ++to;
            take(w, from, to);
            g += used;
        }
        i = std::max(j, i + 1);
    }
}

// ---- company --------------------------------------------------------------

constexpr std::u32string_view kCompanyEnds[] = {U"公司", U"酒店", U"事务所", U"银行", U"医院", U"研究所",
                                                U"营业厅", U"学校", U"大学", U"学院", U"工作室", U"集团",
                                                U"诊所", U"幼儿园", U"宾馆", U"支行", U"分行", U"研究院"};

void readCompany(std::u32string &w, Found &f)
{
    if (!f.company.empty())
        return;
    std::size_t i = 0;
    while (i < w.size()) {
        while (i < w.size() && isSep(w[i]))
            ++i;
        std::size_t e = valueEnd(w, i);
        std::u32string_view seg(w.data() + i, e - i);
        if (seg.size() >= 4 && std::none_of(seg.begin(), seg.end(), isDigit) &&
            !containsAny(seg, {U"路", U"街", U"号", U"巷", U"弄", U"村"})) {
            for (std::u32string_view end : kCompanyEnds)
                if (seg.size() > end.size() && seg.substr(seg.size() - end.size()) == end) {
                    f.company = std::u32string(seg);
                    take(w, i, e);
                    return;
                }
        }
        i = e;
    }
}

// ---- places ---------------------------------------------------------------

struct Places {
    int province = -1, city = -1, district = -1;
    std::size_t end = 0; // just past the last place taken
    bool found = false;
};

bool streetAfter(const std::u32string &w, std::size_t at)
{
    if (at >= w.size())
        return false;
    char32_t c = w[at];
    return c == U'路' || c == U'街' || c == U'巷' || c == U'道' || c == U'大' || c == U'村' || c == U'小' ||
           c == U'号';
}

Places readPlaces(std::u32string &w, const RegionIndex &index)
{
    thread_local std::vector<RegionIndex::Match> all;
    index.scan(w, all);
    std::vector<RegionIndex::Match> level[3];
    for (const RegionIndex::Match &m : all) {
        // 北京路, 长安街: a place name that begins a street is part of the street.
        if (streetAfter(w, m.pos + m.len) && (m.shortForm || index.region(m.region).level == RegionIndex::Province))
            continue;
        level[index.region(m.region).level].push_back(m);
    }
    const RegionIndex::Match *best[3] = {nullptr, nullptr, nullptr};
    double bestScore = 0;
    auto overlap = [](const RegionIndex::Match *a, const RegionIndex::Match *b) {
        return a && b && a->pos < b->pos + b->len && b->pos < a->pos + a->len;
    };
    auto sameSpan = [](const RegionIndex::Match *a, const RegionIndex::Match *b) {
        return a && b && a->pos == b->pos && a->len == b->len;
    };
    auto points = [](const RegionIndex::Match *m) { return !m ? 0.0 : m->shortForm ? 3.0 : 4.0 + m->len * 0.05; };
    std::vector<const RegionIndex::Match *> ps{nullptr}, cs{nullptr}, ds{nullptr};
    for (const auto &m : level[0])
        ps.push_back(&m);
    for (const auto &m : level[1])
        cs.push_back(&m);
    for (const auto &m : level[2])
        ds.push_back(&m);
    for (const RegionIndex::Match *p : ps)
        for (const RegionIndex::Match *c : cs) {
            if (p && c && index.region(c->region).parent != p->region)
                continue;
            // A municipality's city shares the province's words (上海市 / 上海市).
            if (overlap(p, c) && !sameSpan(p, c))
                continue;
            for (const RegionIndex::Match *d : ds) {
                if (d && c && index.region(d->region).parent != c->region)
                    continue;
                if (d && p && !c) {
                    int city = index.region(d->region).parent;
                    if (city < 0 || index.region(city).parent != p->region)
                        continue;
                }
                if (overlap(d, p) || overlap(d, c))
                    continue;
                // A bare short district name (雁塔) is too common a pair of
                // characters to stand alone.
                if (d && d->shortForm && !c && !p)
                    continue;
                double score = points(p) + points(c) + points(d);
                int links = (p && c) + (c && d) + (p && d && !c);
                score += 2.0 * links;
                if (sameSpan(p, c))
                    score -= 2.0; // one written name, not two
                std::size_t order[3] = {p ? p->pos : 0, c ? c->pos : 0, d ? d->pos : 0};
                if ((!p || !c || order[0] <= order[1]) && (!c || !d || order[1] <= order[2]) &&
                    (!p || !d || order[0] <= order[2]))
                    score += 1.0;
                std::size_t firstPos = std::min({p ? p->pos : w.size(), c ? c->pos : w.size(), d ? d->pos : w.size()});
                score -= 0.001 * static_cast<double>(firstPos);
                if (score > bestScore) {
                    bestScore = score;
                    best[0] = p;
                    best[1] = c;
                    best[2] = d;
                }
            }
        }
    Places out;
    if (!best[0] && !best[1] && !best[2])
        return out;
    out.found = true;
    out.province = best[0] ? best[0]->region : -1;
    out.city = best[1] ? best[1]->region : -1;
    out.district = best[2] ? best[2]->region : -1;
    // Complete upwards what the text leaves out, unless the district's name
    // belongs to several cities and nothing else tells which.
    if (out.district >= 0 && out.city < 0) {
        bool ambiguous = false;
        for (const auto &m : level[2])
            if (m.pos == best[2]->pos && m.len == best[2]->len && m.region != best[2]->region)
                ambiguous = true;
        if (!ambiguous || out.province >= 0) {
            out.city = index.region(out.district).parent;
            if (out.province >= 0 && index.region(out.city).parent != out.province)
                out.city = -1;
        }
    }
    if (out.city >= 0 && out.province < 0)
        out.province = index.region(out.city).parent;
    for (const RegionIndex::Match *m : best)
        if (m) {
            out.end = std::max(out.end, m->pos + m->len);
            take(w, m->pos, m->pos + m->len);
        }
    return out;
}

// ---- name and address -----------------------------------------------------

bool looksLikeName(std::u32string_view s)
{
    std::size_t cjk = 0;
    for (char32_t c : s) {
        if (isCjk(c))
            ++cjk;
        else if (c != 0xB7 && c != 0x2022) // the middle dot of transcribed names
            return false;
    }
    if (cjk < 2 || s.size() > (s.find(0xB7) != std::u32string_view::npos ? 12u : 4u))
        return false;
    return !containsAny(s, {U"路", U"街", U"号", U"楼", U"室", U"村", U"镇", U"巷", U"弄", U"栋", U"幢", U"座", U"层",
                            U"单元", U"小区", U"花园", U"大厦", U"广场", U"公寓", U"中心", U"宿舍", U"苑", U"院",
                            U"门", U"店", U"区", U"县", U"市", U"省", U"附近", U"旁", U"对面", U"谢谢", U"快递",
                            U"发货", U"麻烦", U"尽快", U"收货", U"地址", U"电话", U"手机", U"公司", U"亲", U"请",
                            U"送", U"家", U"里", U"口", U"园", U"厦", U"城", U"场", U"站", U"馆", U"湾",
                            U"姓名", U"名字"});
}

// Family names that open a name glued to the end of an address.
bool commonSurname(char32_t c)
{
    static const std::u32string_view names = U"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘"
                                             U"于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦"
                                             U"邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤";
    return names.find(c) != std::u32string_view::npos;
}

struct Segment {
    std::size_t begin, end;
};

std::vector<Segment> segments(const std::u32string &w)
{
    std::vector<Segment> out;
    std::size_t i = 0;
    while (i < w.size()) {
        while (i < w.size() && isSep(w[i]))
            ++i;
        std::size_t e = valueEnd(w, i);
        if (e > i)
            out.push_back(Segment{i, e});
        i = e;
    }
    return out;
}

void readNameAndAddress(std::u32string &w, const Places &places, Found &f)
{
    std::vector<Segment> segs = segments(w);
    if (f.name.empty()) {
        std::size_t bestDistance = std::u32string::npos;
        std::size_t chosen = segs.size();
        for (std::size_t k = 0; k < segs.size(); ++k) {
            const Segment &s = segs[k];
            // The words glued to the last place start the street address.
            if (places.found && s.begin == places.end)
                continue;
            // A name in brackets: (张女士).
            std::size_t b = s.begin, e = s.end;
            if (e - b > 2 && w[b] == '(' && w[e - 1] == ')')
                ++b, --e;
            if (!looksLikeName(std::u32string_view(w).substr(b, e - b)))
                continue;
            std::size_t distance = 0;
            if (f.numberPos != std::u32string::npos)
                distance = s.begin > f.numberPos ? s.begin - f.numberPos : f.numberPos - s.end;
            if (distance < bestDistance) {
                bestDistance = distance;
                chosen = k;
            }
        }
        if (chosen < segs.size()) {
            std::size_t b = segs[chosen].begin, e = segs[chosen].end;
            if (e - b > 2 && w[b] == '(' && w[e - 1] == ')')
                ++b, --e;
            f.name = w.substr(b, e - b);
            take(w, segs[chosen].begin, segs[chosen].end);
        }
    }
    // The address: from the end of the places, the pieces parted only by
    // spaces, up to the next thing taken out or the next comma or line.
    std::u32string address;
    if (places.found) {
        std::size_t i = places.end;
        while (i < w.size() && (w[i] == ' ' || w[i] == kTaken))
            ++i;
        // Nothing right after the places: the address may have been written in
        // front of them (街道 first, city last) or after the next separator.
        std::size_t e = i;
        while (e < w.size() && !isHardSep(w[e]))
            ++e;
        address = std::u32string(trimmed(std::u32string_view(w).substr(i, e - i)));
    }
    if (address.empty()) {
        // No places, or nothing after them: the longest piece left.
        std::size_t bestLen = 0;
        for (const Segment &s : segments(w)) {
            std::size_t e = s.end;
            while (e < w.size() && !isHardSep(w[e]))
                ++e;
            std::u32string_view piece = trimmed(std::u32string_view(w).substr(s.begin, e - s.begin));
            if (piece.size() > bestLen && piece.size() >= 3) {
                bestLen = piece.size();
                address = std::u32string(piece);
            }
        }
    }
    // A name glued to the end of the street address (高新路3号张三).
    if (f.name.empty() && address.size() > 4) {
        static const std::u32string_view ends = U"号室楼院苑座栋幢层弄村";
        for (std::size_t n = 2; n <= 3; ++n) {
            std::size_t at = address.size() - n;
            if (ends.find(address[at - 1]) != std::u32string_view::npos && commonSurname(address[at]) &&
                looksLikeName(std::u32string_view(address).substr(at))) {
                f.name = address.substr(at);
                address.resize(at);
                break;
            }
        }
    }
    // Courtesy words after the address are no part of it.
    for (std::u32string_view polite : {U"谢谢", U"麻烦了", U"辛苦了"})
        if (address.size() > polite.size() && std::u32string_view(address).substr(address.size() - polite.size()) == polite)
            address = std::u32string(trimmed(std::u32string_view(address).substr(0, address.size() - polite.size())));
    // Collapse the spaces between the pieces.
    std::u32string tidy;
    for (char32_t c : address) {
        if (c == kTaken)
            c = ' ';
        if (c == ' ' && (tidy.empty() || tidy.back() == ' '))
            continue;
        tidy += c;
    }
    while (!tidy.empty() && tidy.back() == ' ')
        tidy.pop_back();
    f.r.address = toUtf8(tidy);
}

}

RecognizedAddress recognizeSmart(std::string_view utf8, const RegionIndex &regions)
{
    std::u32string w = normalise(utf8);
    Found f;
    readLabels(w, f);
    readNumbers(w, f);
    readCompany(w, f);
    Places places = readPlaces(w, regions);
    readNameAndAddress(w, places, f);
    auto placeName = [&](int i) { return i >= 0 && !regions.region(i).placeholder ? regions.region(i).name : ""; };
    f.r.province = placeName(places.province);
    f.r.city = placeName(places.city);
    // The county-level places of a municipality hang under a grouping row; the
    // city there is the municipality itself.
    if (places.city >= 0 && regions.region(places.city).placeholder && places.province >= 0 &&
        f.r.province.size() > 3 && f.r.province.compare(f.r.province.size() - 3, 3, "市") == 0)
        f.r.city = f.r.province;
    f.r.district = placeName(places.district);
    f.r.name = toUtf8(trimmed(f.name));
    f.r.company = toUtf8(trimmed(f.company));
    return f.r;
}

RecognizedAddress recognizeSmart(std::string_view utf8)
{
    return recognizeSmart(utf8, RegionIndex::builtIn());
}

}
