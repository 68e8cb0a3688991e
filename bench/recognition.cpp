// The address recognition's speed on one thread (processor time): texts per second over the
// labelled corpus (pasted texts of 20 to 150 characters), and the time of one
// long text: a copied web page, pasted address lists, a one-line run of place
// names, and a Taobao order whose address field holds 32 KB, at 4, 16, 32 KB
// and 1 MB. The smart method reads every text in one pass, so its time grows
// with the length and no faster.
//
//   bench_recognition [rounds]
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"
#include "core/taobao/TaobaoActions.h"

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace zentra;

namespace {

// The processor time of this thread: on a shared machine it counts what one
// core spends, not how long the core waited for its turn.
double cpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double seconds(double since)
{
    return cpuNow() - since;
}

std::vector<std::string> corpus(const char *file)
{
    std::ifstream in(std::string(ZENTRA_SOURCE_DIR) + "/tests/core/recognition/" + file);
    std::vector<std::string> texts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string text = line.substr(0, line.find('\t'));
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
                out += '\n';
                ++i;
            } else {
                out += text[i];
            }
        }
        texts.push_back(out);
    }
    return texts;
}

// Text of about `bytes` bytes made by repeating `unit`.
std::string repeat(const std::string &unit, std::size_t bytes)
{
    std::string s;
    s.reserve(bytes + unit.size());
    while (s.size() < bytes)
        s += unit;
    return s;
}

// A copied shop page: a delivery text at the top, then navigation, goods and
// reviews full of place names, numbers and labels.
std::string webPage(std::size_t bytes)
{
    std::string s = "收货人：张三 手机：13800138000 地址：陕西省西安市雁塔区高新路3号\n";
    const std::string para =
        "首页 > 女装 > 连衣裙 | 发货地：浙江省杭州市 | 月销 2000+ 评价 1234 条\n"
        "买家：王** 北京市朝阳区 2024-03-01 很好看，物流很快，上海发货第二天就到了，客服电话 400-800-1234\n"
        "店铺地址：广东省广州市白云区 石井街道 88号 联系电话：020-12345678 营业执照 91440101MA5XXXXX\n"
        "相关推荐：四川成都 重庆 湖北武汉 江苏南京 新疆喀什 内蒙古包头 ￥129.00 ￥99.00 收藏 分享 举报\n";
    return s + repeat(para, bytes);
}

double timeOnce(const std::string &text, RecognizeMethod method)
{
    double start = cpuNow();
    RecognizedAddress r = recognizeAddress(text, method);
    double t = seconds(start);
    if (r.mobile == "never")
        std::puts("");
    return t;
}

}

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    std::vector<std::string> texts = corpus("addresses.tsv");
    const std::vector<std::string> held = corpus("heldout.tsv");
    texts.insert(texts.end(), held.begin(), held.end());
    recognizeAddress(texts[0], RecognizeMethod::Smart); // builds the region index once
    std::size_t bytes = 0;
    for (const std::string &t : texts)
        bytes += t.size();
    std::printf("corpus: %zu texts, %zu bytes on average\n", texts.size(), bytes / texts.size());
    for (RecognizeMethod method : {RecognizeMethod::Standard, RecognizeMethod::Smart}) {
        std::size_t sink = 0;
        double start = cpuNow();
        for (int i = 0; i < rounds; ++i)
            for (const std::string &t : texts)
                sink += recognizeAddress(t, method).address.size();
        double perSecond = rounds * static_cast<double>(texts.size()) / seconds(start);
        std::printf("%-8s %10.0f texts/s  (%zu)\n", method == RecognizeMethod::Smart ? "smart" : "standard", perSecond,
                    sink % 10);
    }

    std::string lines;
    for (const std::string &t : texts)
        for (char c : t)
            lines += c == '\n' ? ' ' : c;
    const struct {
        const char *name;
        std::string unit;
    } shapes[] = {
        {"web page", ""},
        {"address lines", lines},
        {"labelled forms", "收货人：张三 手机：13800138000 地址：陕西省西安市雁塔区高新路3号 公司：西安移动营业厅\n"},
        {"one line of places", "北京市朝阳区上海浦东新区广东深圳南山区"},
        {"digits and spaces", "1380013 8000 0571-8888 "},
    };
    std::printf("\nlong texts, milliseconds (smart / standard):\n%-20s %10s %10s %10s %10s\n", "", "4 KB", "16 KB",
                "32 KB", "1 MB");
    for (const auto &shape : shapes) {
        std::printf("%-20s", shape.name);
        for (std::size_t size : {4u << 10, 16u << 10, 32u << 10, 1u << 20}) {
            const std::string text = shape.unit.empty() ? webPage(size) : repeat(shape.unit, size);
            std::printf(" %4.1f/%5.1f", 1000 * timeOnce(text, RecognizeMethod::Smart),
                        1000 * timeOnce(text, RecognizeMethod::Standard));
        }
        std::printf("\n");
    }
    // A Taobao order split with the smart recognition, its address field 32 KB.
    const std::string order =
        "张三，13800138000，，陕西省 西安市 雁塔区 " + repeat("高新路3号附近", 32 << 10) + "，710065";
    double start = cpuNow();
    OrderReceiver r = splitOrderAddress(order, AddressSplit::Smart);
    std::printf("\nTaobao order with a 32 KB address, smart split: %.1f ms (%s)\n", 1000 * seconds(start),
                r.district.c_str());
    return 0;
}
