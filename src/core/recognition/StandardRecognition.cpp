// The fixed series of patterns. Each step searches the whole GBK text from its
// start, independently of the others, and keeps its leftmost whole match.
#include "core/recognition/BytePattern.h"
#include "core/recognition/Recognition.h"
#include "core/text/Gbk.h"

namespace zentra {

namespace {

#define SEP_BEHIND "(?<=\\s|,|;|:|；|，|：)"

struct StandardPatterns {
    BytePattern nameCandidate{"(?<=^|\\s|,|;|:|；|，|：)\\S{4,8}(?=\\s|,|;|:|；|，|：|$)"};
    BytePattern nameExclusion{",|;|:|，|；|：|上海|北京|天津|重庆|姓名|地址|公司|联系人|收件人|发件人|联系方式|电话|http|"
                              "\\d{4,12}|手机|.{4,6}(区|省|市|县|镇)"};
    BytePattern mobile{"0?(13[0-9]|15[012356789]|18[0236789]|14[57])[0-9]{8}"};
    BytePattern phone{"0\\d{2,3}-\\d{7,8}"};
    BytePattern post{"(?<=[^0-9])[1-9]\\d{5}(?!\\d)"};
    // The alternatives are deliberately not grouped: the look-behind binds to
    // "上海" alone and the look-ahead to the last alternative alone.
    BytePattern province{SEP_BEHIND "上海|上海市|天津|天津市|重庆|重庆市|北京|北京市|([^\\s,;:，；：]{4,10}(省|自治区|"
                                    "行政区))(?=\\s|,|;|:|；|，|：)"};
    BytePattern city{SEP_BEHIND "\\S{4,8}(市|自治州|地区)(?=\\s|,|;|:|；|，|：)"};
    BytePattern district{SEP_BEHIND "\\S{2,8}(自治县|县|区|镇|旗)(?=\\s|,|;|:|；|，|：)"};
    BytePattern address{SEP_BEHIND "([^\\s,;:\\xA3]|（|）){10,60}(小区|城|店|处|所|站|栋|幢|卡|内|流|商|铺|线|近|心|座|楼|"
                                   "院|苑|号|社|室|档|层|弄|旁|米|村|口|道|路|面|场|元|园)(?=\\s|,|;|:|；|，|：|$)"};
    BytePattern company{SEP_BEHIND "[^\\s,;:\\xA3]{4,60}(公司|酒店|事务所|银行|医院|机关|研究所|营业厅)"
                                   "(?=\\s|,|;|:|；|，|：|$)"};
};

#undef SEP_BEHIND

const StandardPatterns &patterns()
{
    static const StandardPatterns p;
    return p;
}

std::string standardName(const StandardPatterns &p, std::string_view gbk)
{
    std::size_t from = 0, b = 0, e = 0;
    while (p.nameCandidate.find(gbk, from, b, e)) {
        std::string_view candidate = gbk.substr(b, e - b);
        // The exclusion pattern must have compiled for any candidate to pass.
        if (!candidate.empty() && p.nameExclusion.valid() && !p.nameExclusion.contains(candidate))
            return gbkToUtf8(candidate);
        if (e == from) // an empty match would never move on
            break;
        from = e;
    }
    return {};
}

}

RecognizedAddress recognizeStandard(std::string_view utf8)
{
    const StandardPatterns &p = patterns();
    const std::string gbk = utf8ToGbk(utf8);
    auto field = [&](const BytePattern &pattern) { return gbkToUtf8(pattern.firstMatch(gbk)); };
    RecognizedAddress r;
    r.name = standardName(p, gbk);
    r.mobile = field(p.mobile);
    r.phone = field(p.phone);
    r.post = field(p.post);
    r.province = field(p.province);
    r.city = field(p.city);
    r.district = field(p.district);
    r.address = field(p.address);
    r.company = field(p.company);
    return r;
}

RecognizedAddress recognizeAddress(std::string_view utf8, RecognizeMethod method)
{
    return method == RecognizeMethod::Smart ? recognizeSmart(utf8) : recognizeStandard(utf8);
}

RecognizedAddress recognizeAddress(std::string_view utf8, RecognizeMethod method, const RegionIndex &regions)
{
    return method == RecognizeMethod::Smart ? recognizeSmart(utf8, regions) : recognizeStandard(utf8);
}

bool parseRecognizeMethod(std::string_view text, RecognizeMethod &method)
{
    if (text == "standard" || text == "0") {
        method = RecognizeMethod::Standard;
        return true;
    }
    if (text == "smart" || text == "1") {
        method = RecognizeMethod::Smart;
        return true;
    }
    return false;
}

}
