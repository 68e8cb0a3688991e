// The smart recognition's first steps: the text made uniform, labels, the
// values of labels, and the company (numbers are in SmartNumbers.cpp).
#include "core/recognition/SmartText.h"
#include "core/recognition/WordTrie.h"

#include <algorithm>
#include <array>

namespace zentra::smart {

namespace {

bool spaceLike(char32_t c)
{
    return c == 0x3000 || c == '\t' || c == '\r' || c == 0xA0 || (c >= 0x2000 && c <= 0x200B) || c == 0xFEFF ||
           c == 0x202F || c == 0x205F;
}

bool decoration(char32_t c)
{
    return c >= 0x1F000 || (c >= 0x2190 && c <= 0x2BFF) || c == 0xFE0F || c == 0x200D || c == 0x20E3 || c == 0x3010 ||
           c == 0x3011 || c == 0x300A || c == 0x300B || c == 0x300C || c == 0x300D || c == 0x300E || c == 0x300F ||
           c == 0x3016 || c == 0x3017 || c == 0x201C || c == 0x201D || c == 0x2018 || c == 0x2019 || c == 0x2026 ||
           c == '[' || c == ']' || c == '{' || c == '}' || c == '<' || c == '>' || c == '!' || c == '?' || c == '~' ||
           c == '"' || c == '`' || c == '^' || c == '\\' || c == '=' || c == '_' || c == 0xFF5E;
}

}

Text normalise(std::string_view utf8)
{
    Text t;
    t.w = toCodePoints(utf8);
    std::u32string &w = t.w;
    for (char32_t &c : w) {
        if (isCjk(c) || isDigit(c) || isLatin(c))
            continue; // most of a text: nothing to change
        if (c >= 0xFF01 && c <= 0xFF5E && c != 0xFF5E)
            c -= 0xFEE0;
        if (spaceLike(c) || (c < 0x20 && c != '\n'))
            c = ' ';
        else if (c == 0x3001 || c == 0x3002 || c == 0xFF64 || c == 0xFF61 || c == 0xFE50 || c == 0xFE51)
            c = ','; // 、 。
        else if (c == 0x2014 || c == 0x2013 || c == 0x2212 || c == 0x2010 || c == 0x2015 || c == 0xFE63 || c == 0x2011)
            c = '-';
        else if (c == 0x2022 || c == 0x30FB || c == 0x2027 || c == 0xFF65 || c == 0x2219)
            c = 0xB7; // the middle dot of transcribed names
        else if (c == 0xD7)
            c = '*';
        else if (decoration(c))
            c = ' ';
    }
    t.mark.assign(w.size(), Mark::Free);
    auto digitsAround = [&w](std::size_t i, int step) {
        std::size_t n = 0;
        for (std::size_t k = i + static_cast<std::size_t>(step); k < w.size() && isDigit(w[k]);
             k += static_cast<std::size_t>(step))
            ++n;
        return n;
    };
    for (std::size_t i = 0; i < w.size(); ++i) {
        char32_t c = w[i];
        if (isCjk(c) || isDigit(c) || isLatin(c))
            continue;
        // A slash beside a phone number or between spaces separates fields
        // ("张三/13812345678/..."); elsewhere it belongs to the address ("3/F").
        if (c == '/' && (digitsAround(i, -1) >= 7 || digitsAround(i, 1) >= 7 || (i > 0 && w[i - 1] == ' ') ||
                         (i + 1 < w.size() && w[i + 1] == ' ')))
            w[i] = c = ',';
        // A star masks part of a name (刘*, 王**); alone it is decoration.
        if (c == '*' && !(i > 0 && (isCjk(w[i - 1]) || isLatin(w[i - 1]) || isDigit(w[i - 1]) || w[i - 1] == '*')))
            w[i] = c = ' ';
        // 收 standing alone after a name (杨小婷 收 138...) only says "to".
        if (c == U'收' && i > 0 && w[i - 1] == ' ' && (i + 1 == w.size() || w[i + 1] == ' ' || w[i + 1] == ','))
            w[i] = c = ' ';
        if (c == ' ')
            t.mark[i] = Mark::Space;
        else if (c == ',' || c == ';' || c == ':' || c == '|')
            t.mark[i] = Mark::Comma;
        else if (c == '\n')
            t.mark[i] = Mark::Line;
    }
    return t;
}

// ---- labels ---------------------------------------------------------------

namespace {

struct LabelWord {
    std::u32string_view text;
    LabelKind kind;
};

constexpr LabelWord kLabels[] = {
    {U"收件人姓名", LabelKind::Name},
    {U"收货人姓名", LabelKind::Name},
    {U"联系人姓名", LabelKind::Name},
    {U"收件人信息", LabelKind::Name},
    {U"收货人信息", LabelKind::Name},
    {U"收件人", LabelKind::Name},
    {U"收货人", LabelKind::Name},
    {U"联系人", LabelKind::Name},
    {U"联络人", LabelKind::Name},
    {U"姓名", LabelKind::Name},
    {U"名字", LabelKind::Name},
    {U"收件", LabelKind::Name},
    {U"买家", LabelKind::Name},
    {U"客户", LabelKind::Name},
    {U"收", LabelKind::Name},
    {U"称呼", LabelKind::Name},
    {U"name", LabelKind::Name},
    {U"手机号码", LabelKind::Number},
    {U"联系电话", LabelKind::Number},
    {U"联系方式", LabelKind::Number},
    {U"电话号码", LabelKind::Number},
    {U"固定电话", LabelKind::Number},
    {U"移动电话", LabelKind::Number},
    {U"联系手机", LabelKind::Number},
    {U"收件人电话", LabelKind::Number},
    {U"收货人电话", LabelKind::Number},
    {U"收件人手机", LabelKind::Number},
    {U"收货人手机", LabelKind::Number},
    {U"手机号", LabelKind::Number},
    {U"手机", LabelKind::Number},
    {U"电话", LabelKind::Number},
    {U"固话", LabelKind::Number},
    {U"座机", LabelKind::Number},
    {U"tel", LabelKind::Number},
    {U"mobile", LabelKind::Number},
    {U"phone", LabelKind::Number},
    {U"详细地址", LabelKind::Address},
    {U"收货地址", LabelKind::Address},
    {U"收件地址", LabelKind::Address},
    {U"所在地区", LabelKind::Address},
    {U"配送地址", LabelKind::Address},
    {U"邮寄地址", LabelKind::Address},
    {U"送货地址", LabelKind::Address},
    {U"街道地址", LabelKind::Address},
    {U"所在地", LabelKind::Address},
    {U"省市区", LabelKind::Address},
    {U"地址", LabelKind::Address},
    {U"地区", LabelKind::Address},
    {U"address", LabelKind::Address},
    {U"公司名称", LabelKind::Company},
    {U"单位名称", LabelKind::Company},
    {U"公司", LabelKind::Company},
    {U"单位", LabelKind::Company},
    {U"邮政编码", LabelKind::Post},
    {U"邮编", LabelKind::Post},
    {U"订单编号", LabelKind::Token},
    {U"订单号", LabelKind::Token},
    {U"身份证号", LabelKind::Token},
    {U"身份证", LabelKind::Token},
    {U"运单号", LabelKind::Token},
    {U"快递单号", LabelKind::Token},
    {U"微信号", LabelKind::Token},
    {U"微信", LabelKind::Token},
    {U"qq", LabelKind::Token},
    {U"备注", LabelKind::Remark},
    {U"留言", LabelKind::Remark},
    {U"买家留言", LabelKind::Remark},
    {U"卖家备注", LabelKind::Remark},
    {U"订单备注", LabelKind::Remark},
    {U"省直辖县级行政区划", LabelKind::Filler},
    {U"自治区直辖县级行政区划", LabelKind::Filler},
    {U"直辖县级行政区划", LabelKind::Filler},
    {U"省直辖", LabelKind::Filler},
    {U"市辖区", LabelKind::Filler},
    {U"县", LabelKind::Filler},
};

// Labels copied from pages in traditional characters (聯繫人, 電話).
std::u32string traditional(std::u32string_view s)
{
    static constexpr std::pair<char32_t, char32_t> map[] = {
        {U'货', U'貨'}, {U'联', U'聯'}, {U'系', U'繫'}, {U'机', U'機'}, {U'电', U'電'}, {U'话', U'話'},
        {U'详', U'詳'}, {U'细', U'細'}, {U'区', U'區'}, {U'邮', U'郵'}, {U'编', U'編'}, {U'码', U'碼'},
        {U'订', U'訂'}, {U'单', U'單'}, {U'号', U'號'}, {U'备', U'備'}, {U'注', U'註'}, {U'称', U'稱'},
        {U'买', U'買'}, {U'运', U'運'}, {U'络', U'絡'}, {U'处', U'處'}};
    std::u32string out(s);
    for (char32_t &c : out)
        for (const auto &[from, to] : map)
            if (c == from)
                c = to;
    return out;
}

const WordTrie &labelTrie()
{
    static const WordTrie trie = [] {
        WordTrie t;
        for (std::size_t i = 0; i < std::size(kLabels); ++i) {
            t.add(kLabels[i].text, static_cast<int>(i));
            t.add(traditional(kLabels[i].text), static_cast<int>(i));
        }
        return t;
    }();
    return trie;
}

char32_t lower(char32_t c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

}

void readLabels(Text &t)
{
    const std::u32string &w = t.w;
    const WordTrie &trie = labelTrie();
    // The labels' words are matched on a lower-cased copy only where Latin
    // letters start one (tel, qq).
    std::u32string probe;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (t.mark[i] != Mark::Free)
            continue;
        char32_t first = lower(w[i]);
        if (!trie.starts(first))
            continue;
        std::u32string_view text = w;
        if (isLatin(w[i])) {
            probe.assign(w, i, std::min<std::size_t>(8, w.size() - i));
            for (char32_t &c : probe)
                c = lower(c);
            text = probe;
        }
        std::size_t offset = isLatin(w[i]) ? 0 : i;
        std::size_t bestLen = 0;
        int best = -1;
        trie.matchAt(text, offset, [&](std::size_t len, int v) {
            bestLen = len;
            best = v;
        });
        if (best < 0)
            continue;
        const LabelWord &l = kLabels[best];
        std::size_t j = i + bestLen;
        if (isLatin(w[i]) && j < w.size() && isLatin(w[j]))
            continue; // part of a longer word
        std::size_t k = j;
        while (k < w.size() && w[k] == ' ')
            ++k;
        const bool colon = k < w.size() && w[k] == ':';
        const bool before = i == 0 || isBreak(t.mark[i - 1]) || t.mark[i - 1] == Mark::Label || isDigit(w[i - 1]) ||
                            w[i - 1] == ')' || w[i - 1] == '(';
        const char32_t next = k < w.size() ? w[k] : 0;
        if (l.kind == LabelKind::Filler) {
            // Only a whole word: 县 between places, not 县 of 长沙县.
            if (before && (j == w.size() || t.mark[j] != Mark::Free)) {
                t.set(i, j, Mark::Dropped);
                i = j - 1;
            }
            continue;
        }
        bool accept = false;
        if (colon)
            accept = before || l.kind == LabelKind::Number || l.kind == LabelKind::Post;
        else if (before && l.text.size() >= 2)
            switch (l.kind) {
            case LabelKind::Name:
                accept = (l.text.size() >= 3 || l.text == U"姓名") && (isCjk(next) || isLatin(next));
                break;
            case LabelKind::Number:
            case LabelKind::Post:
            case LabelKind::Token:
                accept = isDigit(next) || next == '+' || next == '(';
                break;
            case LabelKind::Address:
                accept = l.text != U"地区" && ((k > j && next != 0) || (l.text.size() >= 4 && isCjk(next)));
                break;
            default:
                break;
            }
        if (!accept)
            continue;
        if (colon)
            ++k;
        while (k < w.size() && w[k] == ' ')
            ++k;
        t.set(i, k, Mark::Label);
        t.labels.push_back(LabelAt{i, k, l.kind});
        i = k - 1;
    }
    // Order and ID numbers, and remarks, are nobody's field.
    for (std::size_t n = 0; n < t.labels.size(); ++n) {
        const LabelAt &l = t.labels[n];
        std::size_t limit = n + 1 < t.labels.size() ? t.labels[n + 1].begin : w.size();
        if (l.kind == LabelKind::Token) {
            std::size_t e = l.valueBegin;
            while (e < limit && t.mark[e] == Mark::Free)
                ++e;
            t.set(l.valueBegin, e, Mark::Dropped);
        } else if (l.kind == LabelKind::Remark) {
            std::size_t e = l.valueBegin;
            while (e < limit && t.mark[e] != Mark::Line)
                ++e;
            t.set(l.valueBegin, e, Mark::Dropped);
        }
    }
}

// ---- label values ---------------------------------------------------------

namespace {

bool allLatin(std::u32string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char32_t c) { return isLatin(c) || c == '.'; });
}

std::size_t cjkCount(std::u32string_view s)
{
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), isCjk));
}

}

void readLabelValues(Text &t)
{
    const std::u32string &w = t.w;
    for (std::size_t n = 0; n < t.labels.size(); ++n) {
        const LabelAt &l = t.labels[n];
        const std::size_t limit = n + 1 < t.labels.size() ? t.labels[n + 1].begin : w.size();
        std::size_t v = l.valueBegin;
        if (l.kind == LabelKind::Address) {
            std::size_t e = v;
            while (e < limit && t.mark[e] != Mark::Line)
                ++e;
            if (e > v)
                t.zones.emplace_back(v, e);
            continue;
        }
        // The words of the value up to the next field: spaces part them.
        std::vector<std::pair<std::size_t, std::size_t>> words;
        std::size_t i = v;
        while (i < limit && (t.mark[i] == Mark::Free || t.mark[i] == Mark::Space)) {
            if (t.mark[i] == Mark::Space) {
                ++i;
                continue;
            }
            std::size_t e = i;
            while (e < limit && t.mark[e] == Mark::Free)
                ++e;
            words.emplace_back(i, e);
            i = e;
        }
        if (words.empty())
            continue;
        auto word = [&w, &words](std::size_t k) {
            return std::u32string_view(w).substr(words[k].first, words[k].second - words[k].first);
        };
        if (l.kind == LabelKind::Number || l.kind == LabelKind::Post) {
            // 手机：无, 电话：暂无
            if (word(0).size() <= 3 && cjkCount(word(0)) == word(0).size())
                t.set(words[0].first, words[0].second, Mark::Dropped);
        } else if (l.kind == LabelKind::Company) {
            if (t.company.empty()) {
                t.company = w.substr(words.front().first, words.back().second - words.front().first);
                t.set(words.front().first, words.back().second, Mark::Company);
            }
        } else if (l.kind == LabelKind::Name && t.name.empty()) {
            std::size_t last = 0;
            // Latin names of several words (Lucy Wang), a name split by a space
            // (杜 姗姗).
            if (allLatin(word(0))) {
                while (last + 1 < words.size() && last < 2 && allLatin(word(last + 1)))
                    ++last;
            } else if (words.size() == 2 && cjkCount(word(0)) == 1 && word(0).size() == 1 &&
                       cjkCount(word(1)) == word(1).size() && word(1).size() <= 3) {
                last = 1;
            }
            std::u32string name;
            for (std::size_t k = 0; k <= last; ++k) {
                if (k > 0 && allLatin(word(k)))
                    name += ' ';
                name += word(k);
            }
            for (std::u32string_view mark : {U"(收)", U"收"})
                if (name.size() > mark.size() + 1 && name.ends_with(mark))
                    name.resize(name.size() - mark.size());
            if (name.size() <= 20 && !hasStreetWord(name)) {
                t.name = name;
                t.set(words.front().first, words[last].second, Mark::Name);
            }
        }
    }
}

// ---- company --------------------------------------------------------------

namespace {

// The ends of organisations' names; the strong ones are never the end of a
// street address, the weak ones (大学, 医院) are when the street goes on after
// them (北京航空航天大学 新主楼 C座).
struct CompanyEnd {
    std::u32string_view text;
    bool strong;
};
constexpr CompanyEnd kCompanyEnds[] = {
    {U"公司", true},   {U"事务所", true}, {U"营业部", true},  {U"营业厅", true},  {U"集团", true},   {U"工作室", true},
    {U"厂", true},     {U"门店", true},   {U"商行", true},    {U"经营部", true},  {U"办事处", true}, {U"研究所", true},
    {U"研究院", true}, {U"银行", true},   {U"支行", true},    {U"分行", true},    {U"酒店", true},   {U"宾馆", true},
    {U"诊所", true},   {U"商厦", false},  {U"大学", false},   {U"学院", false},   {U"学校", false},  {U"医院", false},
    {U"中学", false},  {U"小学", false},  {U"幼儿园", false}, {U"卫生院", false}, {U"机关", false},
};

const WordTrie &companyTrie()
{
    static const WordTrie trie = [] {
        WordTrie t;
        for (std::size_t i = 0; i < std::size(kCompanyEnds); ++i)
            t.add(kCompanyEnds[i].text, static_cast<int>(i));
        return t;
    }();
    return trie;
}

// Where a company's name cannot reach back over: the end of a road, or of a
// numbered house, floor or room (10层杭州云栖网络科技有限公司); 鼓楼 and 钟楼
// inside a name are no floors.
bool companyStop(const std::u32string &w, std::size_t i)
{
    static const std::u32string_view numbered = U"号室层楼座栋幢";
    if (w[i] == '#')
        return true;
    return numbered.find(w[i]) != std::u32string_view::npos && i > 0 &&
           (isDigit(w[i - 1]) || isLatin(w[i - 1]) ||
            std::u32string_view(U"一二三四五六七八九十").find(w[i - 1]) != std::u32string_view::npos);
}

// A university or a hospital is the company only where the street does not go
// on after it: a field, the end, or a person's name follows (延安大学 高老师,
// but 武汉大学 信息学部, 九江学院 附近).
bool weakCompanyEnds(const Text &t, std::size_t e)
{
    const std::u32string &w = t.w;
    std::size_t k = e;
    for (;;) {
        while (k < w.size() && t.mark[k] == Mark::Space)
            ++k;
        if (k >= w.size() || t.mark[k] != Mark::Free)
            return true;
        std::size_t ke = k;
        while (ke < w.size() && t.freeAt(ke))
            ++ke;
        std::u32string_view next = std::u32string_view(w).substr(k, ke - k);
        if (std::all_of(next.begin(), next.end(), [](char32_t c) { return c == '.' || c == '-'; })) {
            k = ke; // 海南大学 ... 邱老师
            continue;
        }
        if (nameLikeness(next) < 1.5)
            return false;
        // A name ends the street only where no more street follows it (高三 2班).
        std::size_t after = ke;
        while (after < w.size() && t.mark[after] == Mark::Space)
            ++after;
        std::size_t afterEnd = after;
        while (afterEnd < w.size() && t.freeAt(afterEnd))
            ++afterEnd;
        std::u32string_view more = std::u32string_view(w).substr(after, afterEnd - after);
        return !(hasStreetWord(more) || std::any_of(more.begin(), more.end(), isDigit));
    }
}

// A house number: a company's name holds none (a 中心, a 城 or a 路 as in
// 台州路桥 it may).
bool roadWord(std::u32string_view s)
{
    static const std::u32string_view chars = U"号室栋幢";
    return std::any_of(s.begin(), s.end(), [](char32_t c) { return chars.find(c) != std::u32string_view::npos; }) ||
           s.find(U"单元") != std::u32string_view::npos;
}

}

void readCompany(Text &t, const RegionIndex &index)
{
    if (!t.company.empty())
        return;
    const std::u32string &w = t.w;
    const WordTrie &trie = companyTrie();
    std::vector<RegionIndex::Match> places;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (!t.freeAt(i) || !trie.starts(w[i]))
            continue;
        int found = -1;
        std::size_t len = 0;
        trie.matchAt(w, i, [&](std::size_t l, int v) {
            found = v;
            len = l;
        });
        if (found < 0)
            continue;
        const CompanyEnd &end = kCompanyEnds[found];
        std::size_t e = i + len;
        // It ends the word, or a place follows it at once (华为技术有限公司深圳市...).
        bool boundary = e >= w.size() || !t.freeAt(e);
        if (!boundary && end.strong) {
            index.scan(std::u32string_view(w).substr(e, std::min<std::size_t>(12, w.size() - e)), places, 4);
            for (const RegionIndex::Match &m : places)
                boundary = boundary || (m.pos == 0 && m.form != RegionIndex::Form::Short);
        }
        if (!boundary)
            continue;
        std::size_t b = i;
        while (b > 0 && t.freeAt(b - 1) && !companyStop(w, b - 1) && i - b < 30)
            --b;
        if (i - b < 2 || isDigit(w[b]) || roadWord(std::u32string_view(w).substr(b, i - b)))
            continue;
        // At the start of the text a university or hospital is the company.
        std::size_t before = b;
        while (before > 0 && isBreak(t.mark[before - 1]))
            --before;
        if (!end.strong && before > 0 && !weakCompanyEnds(t, e))
            continue;
        // The rest of the name written apart: 中国银行 湖北省分行, 名创优品 大悦城门店.
        auto word = [&](std::size_t from, int step) {
            std::size_t k = from;
            while (k > 0 && k < w.size() && t.freeAt(k))
                k += static_cast<std::size_t>(step);
            return k;
        };
        if (e + 1 < w.size() && t.mark[e] == Mark::Space && t.freeAt(e + 1)) {
            std::size_t ke = e + 1;
            while (ke < w.size() && t.freeAt(ke))
                ++ke;
            std::u32string_view next = std::u32string_view(w).substr(e + 1, ke - e - 1);
            bool strongEnd = false;
            for (const CompanyEnd &c : kCompanyEnds)
                strongEnd = strongEnd || (c.strong && next.size() > c.text.size() && next.ends_with(c.text));
            if (strongEnd && !roadWord(next))
                e = ke;
        }
        if (e - b <= 6 && b >= 2 && t.mark[b - 1] == Mark::Space && t.freeAt(b - 2)) {
            std::size_t pb = word(b - 2, -1);
            pb = t.freeAt(pb) ? pb : pb + 1;
            std::u32string_view prev = std::u32string_view(w).substr(pb, b - 1 - pb);
            bool first = pb == 0 || t.mark[pb - 1] == Mark::Comma || t.mark[pb - 1] == Mark::Line;
            if (first && prev.size() >= 3 && prev.size() <= 8 && !hasStreetWord(prev) &&
                std::none_of(prev.begin(), prev.end(), isDigit))
                b = pb;
        }
        t.company = w.substr(b, e - b);
        t.company.erase(std::remove(t.company.begin(), t.company.end(), U' '), t.company.end());
        t.set(b, e, Mark::Company);
        return;
    }
}

}
