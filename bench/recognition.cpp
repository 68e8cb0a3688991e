// Texts per second of both recognition methods on one thread, for pasted
// texts of 30 to 80 characters.
#include "core/recognition/Recognition.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main()
{
    using namespace zentra;
    const std::vector<std::string> texts = {
        "张三，13800138000 ，029-88887777 ，陕西省 西安市 雁塔区 高新路3号附近 ，710065  西安移动营业厅",
        "收件人：李四 手机：138 0013 8000 地址：上海市浦东新区张江路100号中建大厦15楼",
        "王五13912345678雁塔区科技路10号西部电子大厦1203室",
        "姓名:刘洋，电话：(020)38881234，手机：+86 18611112222，地址：广东省广州市天河区体育西路103号维多利广场A塔",
        "😊朱琳，180 2222 3333；浙江宁波市鄞州区钱湖北路66号～谢谢",
        "华为技术有限公司，宋女士，151 7777 6666，广州天河区天河北路233号中信广场",
    };
    RecognizeMethod warm = RecognizeMethod::Smart;
    recognizeAddress(texts[0], warm); // builds the region index once
    for (RecognizeMethod method : {RecognizeMethod::Standard, RecognizeMethod::Smart}) {
        const int rounds = 20000;
        std::size_t sink = 0;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i)
            for (const std::string &t : texts)
                sink += recognizeAddress(t, method).address.size();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double perSecond = rounds * static_cast<double>(texts.size()) / seconds;
        std::printf("%-8s %10.0f texts/s  (%zu)\n", method == RecognizeMethod::Smart ? "smart" : "standard",
                    perSecond, sink % 10);
    }
    return 0;
}
