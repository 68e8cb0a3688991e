#include "core/text/Pinyin.h"

#include "core/text/Gbk.h"
#include "core/text/PinyinTable.h"

#include <algorithm>

namespace zentra {

namespace pt = pinyin_table;

std::string_view pinyinSyllable(int code)
{
    if (code >= pt::level1First && code <= pt::level1Last) {
        // The last run whose first code is not after `code`.
        const auto *end = pt::level1Runs + pt::level1RunCount;
        const auto *it =
            std::upper_bound(pt::level1Runs, end, code, [](int c, const pt::Level1Run &r) { return c < r.firstCode; });
        if (it != pt::level1Runs)
            return pt::syllables[(it - 1)->syllable];
    }
    int zone = code / 100;
    int position = code % 100;
    if (zone >= pt::level2FirstZone && zone <= pt::level2LastZone && position >= 1 && position <= 94) {
        std::uint16_t s = pt::level2Syllables[(zone - pt::level2FirstZone) * 94 + position - 1];
        if (s != pt::noSyllable)
            return pt::syllables[s];
    }
    return "?";
}

std::string toPinyin(std::string_view utf8, const PinyinOptions &options)
{
    const std::string gbk = utf8ToGbk(utf8);
    std::string out;
    out.reserve(gbk.size());
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (lead < 0x80) {
            out += gbk[i++];
            continue;
        }
        std::size_t len = gbkCharLength(gbk, i);
        if (len == 2 && lead >= 0xA1 && static_cast<unsigned char>(gbk[i + 1]) >= 0xA1) {
            int code = lead * 100 + static_cast<unsigned char>(gbk[i + 1]) - 16160;
            std::string_view syllable = pinyinSyllable(code);
            std::size_t keep = options.initialsOnly ? 1 : syllable.size();
            for (std::size_t k = 0; k < keep && k < syllable.size(); ++k) {
                bool upper = k == 0 ? options.firstUpper : options.restUpper;
                out += upper ? syllable[k] : lower(syllable[k]);
            }
            if (options.apostrophe)
                out += '\'';
        }
        // Other GBK characters, four-byte sequences and stray bytes give nothing.
        i += len;
    }
    return out;
}

}
