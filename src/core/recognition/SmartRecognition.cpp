// Our own reading of a pasted delivery text. Each step marks what it reads
// (labels, numbers, company, places, name) so that nothing is read twice and
// what remains after the places is the street address. Every step walks the
// text once, so a pasted web page of a megabyte is read in milliseconds.
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"
#include "core/recognition/SmartText.h"
#include "core/recognition/WordTrie.h"

#include <algorithm>
#include <iterator>

namespace zentra {

namespace smart {

namespace {

// Word lists looked up in one pass over a piece of text.
class WordSet {
public:
    explicit WordSet(std::initializer_list<std::u32string_view> words)
    {
        for (std::u32string_view w : words)
            trie_.add(w, 0);
    }
    bool in(std::u32string_view s) const
    {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (!trie_.starts(s[i]))
                continue;
            bool found = false;
            trie_.matchAt(s, i, [&found](std::size_t, int) { found = true; });
            if (found)
                return true;
        }
        return false;
    }

private:
    WordTrie trie_;
};

bool endsWithAny(std::u32string_view s, std::initializer_list<std::u32string_view> words)
{
    for (std::u32string_view w : words)
        if (s.size() >= w.size() && s.substr(s.size() - w.size()) == w)
            return true;
    return false;
}

bool anyCjk(std::u32string_view s)
{
    return std::any_of(s.begin(), s.end(), isCjk);
}

}

bool hasStreetWord(std::u32string_view s)
{
    static const WordSet words{
        U"路",   U"街",   U"道",   U"巷",   U"弄",   U"号",   U"楼",   U"栋",   U"幢",   U"座",   U"层",   U"室",
        U"村",   U"组",   U"屯",   U"苑",   U"园",   U"院",   U"城",   U"厦",   U"舍",   U"镇",   U"乡",   U"旁",
        U"区",   U"馆",   U"站",   U"湾",   U"场",   U"寓",   U"库",   U"埠",   U"坊",   U"墅",   U"单元", U"小区",
        U"花园", U"广场", U"大厦", U"中心", U"公寓", U"宿舍", U"校区", U"市场", U"基地", U"社区", U"附近", U"对面",
        U"隔壁", U"路口", U"门口", U"商铺", U"工业", U"期",   U"大院", U"二环", U"三环", U"四环", U"五环", U"之间"};
    return anyCjk(s) && words.in(s);
}

bool isCourtesy(std::u32string_view s)
{
    static const WordSet words{U"谢谢", U"麻烦", U"辛苦",     U"尽快",     U"发货",     U"快递",     U"包邮",
                               U"请",   U"亲",   U"务必",     U"周末",     U"工作日",   U"不要",     U"放门卫",
                               U"代收", U"驿站", U"丰巢",     U"顺丰",     U"送货上门", U"到付",     U"加急",
                               U"急件", U"包裹", U"家里有人", U"电话联系", U"打电话",   U"提前联系", U"签收",
                               U"放在", U"送到", U"上午",     U"下午",     U"晚上"};
    return anyCjk(s) && words.in(s);
}

namespace {

// ---- tokens ----------------------------------------------------------------

// A run of unread text, and what stands on either side of it.
struct Token {
    std::size_t begin, end;
    Mark left = Mark::Line, right = Mark::Line; // the nearest mark across separators (Line at the ends)
    bool leftGlued = false, rightGlued = false; // no separator between
    bool lineBefore = false;                    // a line break or comma on the way to the left
};

std::vector<Token> tokens(const Text &t)
{
    std::vector<Token> out;
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        if (t.mark[i] != Mark::Free) {
            ++i;
            continue;
        }
        Token tok;
        tok.begin = i;
        while (i < n && t.mark[i] == Mark::Free)
            ++i;
        tok.end = i;
        std::size_t k = tok.begin;
        while (k > 0 && isBreak(t.mark[k - 1])) {
            tok.lineBefore = tok.lineBefore || t.mark[k - 1] != Mark::Space;
            --k;
        }
        tok.leftGlued = k == tok.begin && k > 0;
        tok.left = k > 0 ? t.mark[k - 1] : Mark::Line;
        k = tok.end;
        while (k < n && isBreak(t.mark[k]))
            ++k;
        tok.rightGlued = k == tok.end && k < n;
        tok.right = k < n ? t.mark[k] : Mark::Line;
        out.push_back(tok);
    }
    return out;
}

// ---- name ------------------------------------------------------------------

bool commonSurname(char32_t c)
{
    static const std::u32string_view names =
        U"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢"
        U"姜崔钟谭陆汪范金石廖贾夏韦付傅方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤常温"
        U"康施文牛樊葛邢安齐易乔伍庞颜倪庄聂章鲁岳翟殷詹申欧耿关兰焦俞左柳甘祝包宁尚符舒阮柯纪梅童凌毕单季裴霍涂"
        U"成苗谷盛曲翁冉骆蓝路游辛靳管柴蒙鲍华喻祁蒲房滕屈饶解牟艾尤阳时穆农司卓古吉缪简车项连芦麦褚娄窦戚岑景党"
        U"宫费卜冷晏席卫米柏宗瞿桂全佟应臧闵苟邬边卞姬师和仇栾隋商刁沙荣巫寇桑郎甄丛仲虞敖巩明佘池查麻苑迟邝封楼";
    return names.find(c) != std::u32string_view::npos;
}

bool titled(std::u32string_view s)
{
    return endsWithAny(s, {U"先生", U"女士", U"小姐", U"老师", U"师傅", U"经理", U"老板", U"医生",
                           U"律师", U"护士", U"主任", U"厂长", U"大爷", U"阿姨", U"大姐", U"大哥",
                           U"同学", U"教授", U"总",   U"工",   U"哥",   U"姐",   U"伯",   U"叔"}) ||
           (s.size() == 2 && s[1] == U'生'); // 吴生: Mr Wu in the south
}

// What can never be in a name: place and street words, labels, requests.
bool notName(std::u32string_view s)
{
    static const WordSet words{U"省",   U"市",   U"县",   U"州",   U"旗",   U"盟",   U"收",   U"姓名",
                               U"名字", U"地址", U"电话", U"手机", U"联系", U"号码", U"邮编", U"公司",
                               U"電話", U"聯繫", U"地區", U"备注", U"订单", U"身份", U"不详", U"没有",
                               U"暂无", U"家里", U"单位", U"附件", U"未知", U"默认", U"本人"};
    return words.in(s) || hasStreetWord(s) || isCourtesy(s);
}

double looksLikeName(std::u32string_view s)
{
    if (s.empty() || s.size() > 12)
        return -1;
    std::size_t cjk = 0, latin = 0, dots = 0, masks = 0;
    for (char32_t c : s) {
        if (isCjk(c))
            ++cjk;
        else if (isLatin(c))
            ++latin;
        else if (c == 0xB7)
            ++dots;
        else if (c == '*')
            ++masks;
        else if (c != '.')
            return -1;
    }
    // A family name that is also a street word (楼, 路, 苑) counts as a name.
    const bool excluded = commonSurname(s[0]) && s.size() <= 3 ? notName(s.substr(1)) : notName(s);
    if (cjk > 0 && excluded)
        return -1;
    // 王xx, 刘*, 陈ab, 小zhang
    if (cjk == 1 && isCjk(s[0]) && s.size() >= 2 && s.size() <= 8 && cjk + latin + masks == s.size()) {
        if (commonSurname(s[0]) && (masks > 0 || latin <= 3))
            return 2.5;
        if (s[0] == U'小' || s[0] == U'老' || s[0] == U'阿')
            return 2.0;
        return -1;
    }
    if (latin > 0 || masks > 0)
        return cjk == 0 && masks == 0 && latin >= 2 && latin <= 15 ? 0.5 : -1;
    if (dots > 0)
        return cjk >= 3 && cjk <= 12 ? 2.0 : -1;
    if (cjk == 1) // a bare family name, or a one-character name beside the number
        return commonSurname(s[0]) ? 1.0 : 0.0;
    if (cjk > 4) // 哈力木拉提: transcribed names, beside the number
        return titled(s) && cjk <= 5 ? 1.5 : cjk <= 6 ? 0.3 : -1;
    double score = 1.0;
    const bool compound = s.size() >= 3 && (s.substr(0, 2) == U"欧阳" || s.substr(0, 2) == U"司徒" ||
                                            s.substr(0, 2) == U"上官" || s.substr(0, 2) == U"诸葛");
    // Four characters after a single family name are more often a building (金鹰世界).
    if (compound || (commonSurname(s[0]) && s.size() <= 3))
        score += 0.8;
    if (s[0] == U'小' || s[0] == U'老' || s[0] == U'阿')
        score += 0.8;
    if (titled(s))
        score += 1.5;
    return score;
}

}

double nameLikeness(std::u32string_view s)
{
    return looksLikeName(s);
}

namespace {

// A name written with 收 after it: 张丽收, 王刚(收).
std::size_t withoutReceive(std::u32string_view s)
{
    for (std::u32string_view mark : {U"(收)", U"收"})
        if (s.size() >= mark.size() + 1 && s.substr(s.size() - mark.size()) == mark)
            return s.size() - mark.size();
    return s.size();
}

// Whether a position lies in the value of an address label; zones are in
// text order and do not overlap.
bool inZone(const Text &t, std::size_t pos)
{
    auto it = std::upper_bound(t.zones.begin(), t.zones.end(), pos,
                               [](std::size_t p, const std::pair<std::size_t, std::size_t> &z) { return p < z.first; });
    return it != t.zones.begin() && pos < std::prev(it)->second;
}

bool streetLike(std::u32string_view s)
{
    return hasStreetWord(s) || std::any_of(s.begin(), s.end(), isDigit);
}

}

void readName(Text &t, const Places &places)
{
    if (!t.name.empty())
        return;
    const std::vector<Token> toks = tokens(t);
    const std::u32string_view w = t.w;
    auto text = [&](const Token &k) { return w.substr(k.begin, k.end - k.begin); };
    double bestScore = 1.4;
    std::size_t best = toks.size(), bestEnd = 0, bestNameFrom = 0, bestNameEnd = 0;
    for (std::size_t k = 0; k < toks.size(); ++k) {
        const Token &tok = toks[k];
        std::size_t end = tok.end;
        std::u32string_view s = text(tok);
        std::size_t nameFrom = 0;
        // In brackets: (张女士).
        if (s.size() > 3 && s.front() == '(' && s.back() == ')') {
            s = s.substr(1, s.size() - 2);
            nameFrom = 1;
        }
        std::size_t nameLen = withoutReceive(s);
        bool receive = nameLen < s.size();
        double score = looksLikeName(s.substr(0, nameLen));
        // Latin names of two or three words: WANG Lei.
        std::size_t last = k;
        if (score == 0.5) {
            while (last + 1 < toks.size() && last < k + 2 && toks[last].right == Mark::Free &&
                   toks[last + 1].begin == toks[last].end + 1 && looksLikeName(text(toks[last + 1])) == 0.5)
                ++last;
            end = toks[last].end;
            nameLen = end - tok.begin;
        }
        if (score < 0)
            continue;
        // A family name with its title written apart: 张 先生.
        if (s.size() == 1 && k + 1 < toks.size() && toks[k + 1].begin == tok.end + 1 && tok.right == Mark::Free &&
            t.mark[tok.end] == Mark::Space) {
            std::u32string_view title = text(toks[k + 1]);
            if (title.size() <= 2 && titled(title) && !commonSurname(title[0])) {
                last = k + 1;
                end = toks[last].end;
                nameLen = end - tok.begin;
                score += 1.5;
            }
        }
        const Token &right = toks[last];
        const bool numberRight = right.right == Mark::Number, numberLeft = tok.left == Mark::Number;
        if (numberRight)
            score += right.rightGlued ? 3.5 : 3.0;
        else if (numberLeft)
            score += tok.leftGlued ? 3.0 : 2.5;
        if (receive)
            score += 1.0;
        if (k == 0 || last + 1 == toks.size())
            score += 0.5;
        if (inZone(t, tok.begin))
            score -= 3.0;
        // Right after the places the street begins.
        if (places.found && tok.left == Mark::Place && tok.begin <= places.streetFrom + 1)
            score -= tok.leftGlued ? 3.0 : 1.0;
        // Between two pieces of the street it is a building's name.
        if (k > 0 && last + 1 < toks.size() && tok.left == Mark::Free && right.right == Mark::Free && !tok.lineBefore &&
            streetLike(text(toks[k - 1])) && streetLike(text(toks[last + 1])))
            score -= 3.0;
        if (score > bestScore) {
            bestScore = score;
            best = k;
            bestEnd = end;
            bestNameFrom = tok.begin + nameFrom;
            bestNameEnd = bestNameFrom + nameLen;
        }
    }
    if (best < toks.size()) {
        t.name = std::u32string(w.substr(bestNameFrom, bestNameEnd - bestNameFrom));
        std::erase(t.name, U' ');
        if (std::all_of(t.name.begin(), t.name.end(), [](char32_t c) { return isLatin(c); }))
            t.name = std::u32string(w.substr(bestNameFrom, bestNameEnd - bestNameFrom)); // WANG Lei keeps its space
        t.set(toks[best].begin, bestEnd, Mark::Name);
        return;
    }
    // A name glued to the end of the street address, before the number or at
    // the end of the text: 幸福小区赵xy13912345678, 高新路3号张三.
    static const std::u32string_view ends = U"号室楼院苑座栋幢层弄村区";
    for (const Token &tok : toks) {
        if (!(tok.rightGlued && tok.right == Mark::Number) && tok.end != t.size())
            continue;
        std::u32string_view s = text(tok);
        // In brackets at the end: 文三路478号(张三收).
        std::size_t open = s.rfind('(');
        if (s.size() > 3 && s.back() == ')' && open != std::u32string_view::npos && open > 0) {
            std::u32string_view inner = s.substr(open + 1, s.size() - open - 2);
            inner = inner.substr(0, withoutReceive(inner));
            if (looksLikeName(inner) >= 1.0) {
                t.name = std::u32string(inner);
                t.set(tok.begin + open, tok.end, Mark::Name);
                return;
            }
        }
        for (std::size_t n = 2; n <= 4 && n + 2 <= s.size(); ++n) {
            std::size_t at = s.size() - n;
            if (ends.find(s[at - 1]) != std::u32string_view::npos && commonSurname(s[at]) &&
                looksLikeName(s.substr(at)) >= 1.0) {
                t.name = std::u32string(s.substr(at));
                t.set(tok.begin + at, tok.end, Mark::Name);
                return;
            }
        }
    }
}

// ---- street ----------------------------------------------------------------

namespace {

bool asciiWord(char32_t c)
{
    return isDigit(c) || isLatin(c);
}

// Joins the pieces of the street: separators go, except a space between two
// Latin words or numbers (Room 1203).
void append(std::u32string &out, std::u32string_view piece)
{
    auto junk = [](char32_t c) { return c == ' ' || c == ',' || c == '.' || c == '-' || c == ')' || c == '('; };
    while (!piece.empty() && junk(piece.front()) && piece.front() != '(')
        piece.remove_prefix(1);
    while (!piece.empty() && junk(piece.back()) && piece.back() != ')')
        piece.remove_suffix(1);
    if (piece.empty())
        return;
    if (!out.empty() && asciiWord(out.back()) && asciiWord(piece.front()) && isLatin(out.back()) &&
        isLatin(piece.front()))
        out += ' ';
    out += piece;
}

std::u32string tidy(std::u32string s)
{
    for (std::u32string_view polite : {U"谢谢亲", U"谢谢", U"麻烦了", U"辛苦了", U"麻烦快点发货", U"请尽快发货"})
        if (s.size() > polite.size() && s.ends_with(polite))
            s.resize(s.size() - polite.size());
    while (!s.empty() && (s.back() == '(' || s.back() == ',' || s.back() == '-' || s.back() == '.'))
        s.pop_back();
    return s;
}

}

void readStreet(Text &t, const Places &places)
{
    const std::u32string_view w = t.w;
    std::u32string street;
    // An order page's form: what its address labels hold beside the places.
    for (const auto &[b, e] : t.zones) {
        std::size_t i = b;
        while (i < e) {
            if (t.mark[i] != Mark::Free) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < e && t.mark[j] == Mark::Free)
                ++j;
            std::u32string_view piece = w.substr(i, j - i);
            // The detail line often repeats the town or street of the area line.
            for (std::u32string_view unit : {U"街道", U"镇", U"乡"}) {
                std::size_t at = piece.find(unit);
                if (at != std::u32string_view::npos && street.ends_with(piece.substr(0, at + unit.size()))) {
                    piece.remove_prefix(at + unit.size());
                    break;
                }
            }
            if (!isCourtesy(piece) || hasStreetWord(piece))
                append(street, piece);
            i = j;
        }
    }
    if (street.empty() && places.found) {
        // From the places on: the pieces of the street parted by spaces, and by
        // commas and lines where what follows is still a street's words, up to
        // the next field.
        std::size_t i = places.streetFrom;
        bool first = true;
        while (i < t.size()) {
            std::size_t k = i;
            bool comma = false, line = false;
            while (k < t.size() && isBreak(t.mark[k])) {
                comma = comma || t.mark[k] == Mark::Comma;
                line = line || t.mark[k] == Mark::Line;
                ++k;
            }
            if (k >= t.size())
                break;
            if (t.mark[k] == Mark::Label) {
                // An address label carries on the street; any other ends it.
                auto l = std::upper_bound(t.labels.begin(), t.labels.end(), k,
                                          [](std::size_t p, const LabelAt &a) { return p < a.begin; });
                const bool address = l != t.labels.begin() && std::prev(l)->kind == LabelKind::Address;
                if (!address)
                    break;
                while (k < t.size() && t.mark[k] == Mark::Label)
                    ++k;
                i = k;
                continue;
            }
            if (t.mark[k] != Mark::Free)
                break;
            std::size_t e = k;
            while (e < t.size() && t.mark[e] == Mark::Free)
                ++e;
            std::u32string_view piece = w.substr(k, e - k);
            if (isCourtesy(piece) && !hasStreetWord(piece))
                break;
            // Past a comma or a line break the street goes on unless a name
            // or a request follows.
            if (!first && (comma || line) && !streetLike(piece) && looksLikeName(piece) >= 1.4)
                break;
            append(street, piece);
            first = false;
            i = e;
        }
    }
    if (street.empty()) {
        // No places, or nothing after them: the longest run of street words.
        const std::vector<Token> toks = tokens(t);
        std::size_t bestScore = 0;
        for (std::size_t k = 0; k < toks.size(); ++k) {
            std::u32string run;
            std::size_t streetWords = 0;
            for (std::size_t m = k; m < toks.size(); ++m) {
                std::u32string_view piece = w.substr(toks[m].begin, toks[m].end - toks[m].begin);
                if (m > k && (toks[m].left != Mark::Free || (toks[m].lineBefore && !streetLike(piece))))
                    break;
                if (isCourtesy(piece) && !hasStreetWord(piece))
                    break;
                streetWords += streetLike(piece);
                append(run, piece);
            }
            std::size_t score = streetWords * 1000 + run.size();
            if (run.size() >= 3 && score > bestScore) {
                bestScore = score;
                street = run;
            }
            // Each token begins at most one run worth trying: a run starts
            // after a field, not inside another run.
            while (k + 1 < toks.size() && toks[k + 1].left == Mark::Free && !toks[k + 1].lineBefore)
                ++k;
        }
    }
    t.r.address = toUtf8(tidy(std::move(street)));
}

}

using namespace smart;

RecognizedAddress recognizeSmart(std::string_view utf8, const RegionIndex &regions)
{
    Text t = normalise(utf8);
    readLabels(t);
    readNumbers(t);
    readLabelValues(t);
    readCompany(t, regions);
    const Places places = readPlaces(t, regions);
    readName(t, places);
    readStreet(t, places);
    auto placeName = [&](int i) { return i >= 0 && !regions.region(i).placeholder ? regions.region(i).name : ""; };
    int city = places.city;
    int district = places.district;
    // A city without districts of its own: the tables list it as its own district.
    if (district < 0 && city >= 0)
        district = regions.onlyDistrict(city);
    t.r.province = placeName(places.province >= 0 ? places.province : regions.provinceOf(city));
    t.r.city = placeName(city);
    if (city >= 0 && regions.region(city).placeholder) {
        // The county-level places of a municipality hang under a grouping row;
        // the city there is the municipality itself. Those directly under a
        // province (仙桃市, 石河子市) stand for their own city.
        if (t.r.province.size() > 3 && t.r.province.compare(t.r.province.size() - 3, 3, "市") == 0)
            t.r.city = t.r.province;
        else
            t.r.city = placeName(district);
    }
    t.r.district = placeName(district);
    auto clean = [](std::u32string s) {
        while (!s.empty() && (s.back() == ' ' || s.back() == ',' || s.back() == '.'))
            s.pop_back();
        std::size_t b = 0;
        while (b < s.size() && (s[b] == ' ' || s[b] == ','))
            ++b;
        return toUtf8(std::u32string_view(s).substr(b));
    };
    t.r.name = clean(t.name);
    t.r.company = clean(t.company);
    return t.r;
}

RecognizedAddress recognizeSmart(std::string_view utf8)
{
    return recognizeSmart(utf8, RegionIndex::builtIn());
}

}
