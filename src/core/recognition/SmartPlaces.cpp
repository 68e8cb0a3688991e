// The smart recognition's places: every form of every region found in the text
// in one pass, then the province, city and district that belong together and
// stand where an address begins; the same places written again next to them
// (浙江省宁波市 浙江省宁波市鄞州区...) are taken out with them.
#include "core/recognition/SmartText.h"

#include <algorithm>

namespace zentra::smart {

namespace {

using Match = RegionIndex::Match;
using Form = RegionIndex::Form;

// At most this many place names are weighed: a pasted address has a handful,
// a pasted web page may have thousands, and the address is near its start.
constexpr std::size_t kMaxHits = 256;

// Characters that, right after a short place name, make it the start of a
// longer word: 北京路, 中山北路, 南京东路, 吉林大街, 湖南师范大学.
bool continuesWord(char32_t c)
{
    static const std::u32string_view chars =
        U"路街道巷弄东西南北中大门桥站湾国人师医学理工商银电市宾饭酒科航体外公一二三四五六七八九十号里";
    return chars.find(c) != std::u32string_view::npos;
}

double points(const Match *m)
{
    if (!m)
        return 0;
    switch (m->form) {
    case Form::Full:
        return 4.0 + 0.05 * static_cast<double>(m->len);
    case Form::Suffixed:
        return 3.6;
    default:
        return 3.0;
    }
}

bool overlap(const Match *a, const Match *b)
{
    return a && b && a->pos < b->pos + b->len && b->pos < a->pos + a->len;
}

bool sameSpan(const Match *a, const Match *b)
{
    return a && b && a->pos == b->pos && a->len == b->len;
}

class PlaceReader {
public:
    PlaceReader(Text &t, const RegionIndex &index) : t_(t), index_(index) {}

    Places read()
    {
        index_.scan(t_.w, all_, 4 * kMaxHits);
        // Where the hits starting and ending at each position are listed:
        // all_ is ordered by position; byEnd_ orders it by end.
        startsAt_.assign(t_.size() + 1, -1);
        endsAt_.assign(t_.size() + 1, -1);
        byEnd_.resize(all_.size());
        for (std::size_t i = 0; i < all_.size(); ++i) {
            byEnd_[i] = static_cast<int>(i);
            if (startsAt_[all_[i].pos] < 0)
                startsAt_[all_[i].pos] = static_cast<int>(i);
        }
        std::stable_sort(byEnd_.begin(), byEnd_.end(), [this](int a, int b) {
            return all_[static_cast<std::size_t>(a)].pos + all_[static_cast<std::size_t>(a)].len <
                   all_[static_cast<std::size_t>(b)].pos + all_[static_cast<std::size_t>(b)].len;
        });
        for (std::size_t i = 0; i < byEnd_.size(); ++i) {
            const Match &m = all_[static_cast<std::size_t>(byEnd_[i])];
            if (endsAt_[m.pos + m.len] < 0)
                endsAt_[m.pos + m.len] = static_cast<int>(i);
        }
        Places out = choose(false);
        if (!out.found)
            out = choose(true); // the only places are inside the company's name
        return out;
    }

private:
    bool freeSpan(const Match &m, bool inCompany) const
    {
        for (std::size_t i = m.pos; i < m.pos + m.len; ++i)
            if (t_.mark[i] != Mark::Free && !(inCompany && t_.mark[i] == Mark::Company))
                return false;
        return true;
    }

    // A county-level place that people write as they write a city: 仙桃,
    // 石河子 (under a province directly), 东莞 (a city without districts).
    bool cityLike(int region) const
    {
        const RegionIndex::Region &r = index_.region(region);
        if (r.level != RegionIndex::District || r.parent < 0)
            return r.level != RegionIndex::District;
        return index_.region(r.parent).placeholder || index_.onlyDistrict(r.parent) == region;
    }

    bool valid(const Match &m, bool inCompany) const
    {
        if (!freeSpan(m, inCompany))
            return false;
        if (m.form != Form::Short)
            return true;
        const std::size_t b = m.pos, e = m.pos + m.len, n = t_.size();
        auto boundary = [&](std::size_t i) { return t_.mark[i] != Mark::Free && t_.mark[i] != Mark::Company; };
        if (!(b == 0 || boundary(b - 1) || endsAt_[b] >= 0))
            return false;
        if (e >= n || boundary(e) || startsAt_[e] >= 0)
            return true;
        if (!cityLike(m.region))
            return false;
        return !continuesWord(t_.w[e]);
    }

    // The whole word between separators: such a place may stand anywhere
    // (福田区华强北街道，赛格广场，深圳).
    bool alone(const Match &m) const
    {
        const std::size_t b = m.pos, e = m.pos + m.len;
        return (b == 0 || t_.mark[b - 1] != Mark::Free) && (e >= t_.size() || t_.mark[e] != Mark::Free);
    }

    // The written form of region `target` that goes best with the lower place
    // `low`: the nearest one before it, or else a lone one after it.
    // Only a municipality's province may share its words with the city below
    // it (sameWords).
    const Match *upper(int target, const Match *low, const Match *lowest, bool sameWords) const
    {
        const Match *before = nullptr, *after = nullptr;
        for (const Match *m : hits_) {
            if (m->region != target || m == low)
                continue;
            if (overlap(m, low) && !(sameWords && sameSpan(m, low)))
                continue;
            if (m != low && low != lowest && overlap(m, lowest))
                continue;
            if (m->pos + m->len <= low->pos || sameSpan(m, low)) {
                if (!before || m->pos > before->pos || (m->pos == before->pos && m->len > before->len))
                    before = m;
            } else if (alone(*m) && (!after || (m->pos == after->pos && m->len > after->len))) {
                after = m;
            }
        }
        return before ? before : after;
    }

    Places choose(bool inCompany)
    {
        hits_.clear();
        candidates_.clear();
        for (const Match &m : all_)
            if (hits_.size() < kMaxHits && valid(m, inCompany))
                hits_.push_back(&m);
        const Match *best[3] = {nullptr, nullptr, nullptr};
        int bestRegion[3] = {-1, -1, -1};
        double bestScore = 0;
        for (const Match *h : hits_) {
            const RegionIndex::Region &r = index_.region(h->region);
            // The one district of a city without districts is the city itself
            // (东莞市): written, it is the city; 中山港 is no second 中山.
            if (r.level == RegionIndex::District && index_.onlyDistrict(r.parent) == h->region)
                continue;
            int region[3] = {-1, -1, -1};
            const Match *written[3] = {nullptr, nullptr, nullptr};
            region[r.level] = h->region;
            written[r.level] = h;
            if (r.level == RegionIndex::District)
                region[1] = r.parent;
            if (r.level != RegionIndex::Province)
                region[0] = index_.provinceOf(h->region);
            if (r.level == RegionIndex::District && region[1] >= 0 && !index_.region(region[1]).placeholder)
                written[1] = upper(region[1], h, h, false);
            if (r.level != RegionIndex::Province && region[0] >= 0)
                written[0] = upper(region[0], written[1] ? written[1] : h, h, written[1] != nullptr);
            // A municipality's province and city are the same words (上海市).
            if (region[1] >= 0 && !written[1] && written[0] &&
                index_.region(region[1]).name == index_.region(region[0]).name)
                written[1] = written[0];
            const Match *p = written[0], *c = written[1], *d = written[2];
            if (h->form == Form::Zone && !c)
                continue;
            if (d && d->form == Form::Short && !c && !p && !cityLike(d->region))
                continue;
            if (overlap(p, c) && !sameSpan(p, c))
                continue;
            double score = points(p) + points(c) + points(d);
            if (sameSpan(p, c))
                score -= points(c) - 0.5; // one written name, not two
            score += 2.0 * ((p && c && !sameSpan(p, c)) + (c && d) + (p && d && !c));
            std::size_t order[3] = {p ? p->pos : 0, c ? c->pos : 0, d ? d->pos : 0};
            if ((!p || !c || order[0] <= order[1]) && (!c || !d || order[1] <= order[2]) &&
                (!p || !d || order[0] <= order[2]))
                score += 1.0;
            // Written together: only separators between them.
            const Match *seq[3] = {p, c, d};
            const Match *prev = nullptr;
            for (const Match *m : seq) {
                if (!m || m == prev)
                    continue;
                if (prev) {
                    std::size_t from = std::min(prev->pos + prev->len, m->pos),
                                to = std::max(prev->pos + prev->len, m->pos);
                    bool close = to - from <= 3;
                    for (std::size_t i = from; close && i < to; ++i)
                        close = isBreak(t_.mark[i]);
                    score += close ? 0.5 : -std::min(2.0, 0.02 * static_cast<double>(to - from));
                }
                prev = m;
            }
            std::size_t first = std::min({p ? p->pos : t_.size(), c ? c->pos : t_.size(), d ? d->pos : t_.size()});
            score -= 0.001 * static_cast<double>(std::min<std::size_t>(first, 2000));
            Candidate cand;
            cand.score = score;
            std::copy(written, written + 3, cand.written);
            std::copy(region, region + 3, cand.region);
            candidates_.push_back(cand);
            if (score > bestScore) {
                bestScore = score;
                std::copy(written, written + 3, best);
                std::copy(region, region + 3, bestRegion);
            }
        }
        // The same places written twice (江苏 苏州 吴中区 ... 苏州市吴中区人民政府):
        // the first writing is the address, the later one street text.
        auto lowestPos = [](const Match *const w[3]) {
            const Match *m = w[2] ? w[2] : w[1] ? w[1] : w[0];
            return m ? m->pos : SIZE_MAX;
        };
        for (const Candidate &c : candidates_)
            if (std::equal(c.region, c.region + 3, bestRegion) && c.score > bestScore - 3.0 &&
                lowestPos(c.written) < lowestPos(best))
                std::copy(c.written, c.written + 3, best);
        Places out;
        if (bestScore <= 0)
            return out;
        out.found = true;
        out.province = bestRegion[0];
        out.city = bestRegion[1];
        out.district = bestRegion[2];
        std::size_t start = t_.size();
        for (const Match *m : best)
            if (m) {
                t_.set(m->pos, m->pos + m->len, Mark::Place);
                start = std::min(start, m->pos);
            }
        const Match *lowest = best[2] ? best[2] : best[1] ? best[1] : best[0];
        out.streetFrom = absorbForward(lowest->pos + lowest->len, out);
        absorbBackward(start, out);
        for (const auto &[zoneBegin, zoneEnd] : t_.zones)
            absorbForward(zoneBegin, out);
        absorbWholeWords(out);
        return out;
    }

    bool sameRegion(int region, const Places &p) const
    {
        if (region == p.province || region == p.city || region == p.district)
            return true;
        const std::string &name = index_.region(region).name;
        return (p.province >= 0 && name == index_.region(p.province).name) ||
               (p.city >= 0 && name == index_.region(p.city).name);
    }

    // The longest hit of the chosen places starting (or ending) at pos.
    const Match *repeatAt(std::size_t pos, const Places &p, bool ending) const
    {
        const Match *longest = nullptr;
        if (pos > t_.size())
            return nullptr;
        int first = ending ? endsAt_[pos] : startsAt_[pos];
        for (std::size_t i = first < 0 ? all_.size() : static_cast<std::size_t>(first); i < all_.size(); ++i) {
            const Match &m = ending ? all_[static_cast<std::size_t>(byEnd_[i])] : all_[i];
            if ((ending ? m.pos + m.len : m.pos) != pos)
                break;
            if (sameRegion(m.region, p) && valid(m, false) && (!longest || m.len > longest->len))
                longest = &m;
        }
        return longest;
    }

    // The chosen places written again right after `from` (a repeated prefix).
    std::size_t absorbForward(std::size_t from, const Places &p)
    {
        std::size_t pos = from;
        for (;;) {
            std::size_t k = pos;
            while (k < t_.size() && isBreak(t_.mark[k]))
                ++k;
            const Match *m = repeatAt(k, p, false);
            if (!m)
                return pos;
            t_.set(m->pos, m->pos + m->len, Mark::Place);
            pos = m->pos + m->len;
        }
    }

    void absorbBackward(std::size_t from, const Places &p)
    {
        std::size_t pos = from;
        for (;;) {
            std::size_t k = pos;
            while (k > 0 && isBreak(t_.mark[k - 1]))
                --k;
            const Match *m = repeatAt(k, p, true);
            if (!m)
                return;
            t_.set(m->pos, m->pos + m->len, Mark::Place);
            pos = m->pos;
        }
    }

    // A word made of nothing but the chosen places, anywhere (…银河南路1号
    // 河北省廊坊市安次区): a place name inside a longer word stays.
    void absorbWholeWords(const Places &p)
    {
        std::size_t i = 0;
        while (i < t_.size()) {
            if (!t_.freeAt(i) || (i > 0 && t_.mark[i - 1] == Mark::Free)) {
                ++i;
                continue;
            }
            std::size_t e = i;
            std::vector<const Match *> parts;
            while (const Match *m = repeatAt(e, p, false)) {
                parts.push_back(m);
                e = m->pos + m->len;
            }
            if (!parts.empty() && (e >= t_.size() || t_.mark[e] != Mark::Free))
                for (const Match *m : parts)
                    t_.set(m->pos, m->pos + m->len, Mark::Place);
            i = std::max(e, i + 1);
        }
    }

    Text &t_;
    const RegionIndex &index_;
    std::vector<Match> all_;
    std::vector<const Match *> hits_;
    struct Candidate {
        double score = 0;
        const Match *written[3] = {nullptr, nullptr, nullptr};
        int region[3] = {-1, -1, -1};
    };
    std::vector<Candidate> candidates_;
    std::vector<int> startsAt_, endsAt_, byEnd_;
};

}

Places readPlaces(Text &t, const RegionIndex &index)
{
    return PlaceReader(t, index).read();
}

}
