#pragma once

// The batch-printing benchmarks' data: a 30-item template and a print list of
// N waybills on it, every field filled.
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/templates/Template.h"
#include "core/templates/TemplateFile.h"

#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

namespace zentra::bench {

// The 30 fields the benchmark template shows.
inline const int kFields[] = {0,  1,  2,  3,  4,  5,  7,  8,  16, 20, 21, 22, 23, 24, 25,
                              27, 28, 29, 36, 40, 41, 42, 43, 45, 46, 50, 51, 52, 56, 57};

// The benchmark template, 23 x 12.7 cm; with `picture`, a background of
// about 800 KB.
inline Template benchTemplate(bool picture)
{
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    t.leftMargin = "1";
    t.topMargin = "1";
    if (picture) {
        std::string bytes(600 * 1024, '\0'); // ~800 KB once in Base64
        std::mt19937 rng(42);
        for (auto &c : bytes)
            c = static_cast<char>(rng());
        t.imgData = encodeBase64Lines(bytes);
    }
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        TemplateItem it;
        it.id = 100 + kFields[i];
        it.left = 20 + 210 * static_cast<int>(i % 4);
        it.top = 20 + 60 * static_cast<int>(i / 4);
        it.right = it.left + 200;
        it.bottom = it.top + 50;
        it.fontSize = i % 3 == 0 ? 120 : 90;
        it.bold = i % 5 == 0;
        t.items[static_cast<std::size_t>(kFields[i])] = it;
    }
    return t;
}

// The print list replaced by `rows` waybills on the template "bench".
inline bool fillPrintList(const DataFolder &folder, int rows)
{
    DbConnection db;
    if (!db.open(folder.databasePath()))
        return false;
    Transaction tx(db);
    db.execute("delete from printList");
    const char *sql =
        "insert into printList(templateName, orderNo, expressNo, printTime, tradeTime, cargoName, cargoNum, "
        "cargoWeight, protectMoney, rname, rmobile, rphone, rprovince, rcity, rdistrict, raddress, rcompany, "
        "rnote, sname, smobile, sphone, sprovince, scity, sdistrict, saddress, scompany) "
        "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    for (int i = 0; i < rows; ++i) {
        const std::string n = std::to_string(i);
        if (db.execute(sql, {"bench",
                             "T" + n,
                             "SF10000" + n,
                             "2024-03-05 07:08:09",
                             "2024-03-04 21:00:00",
                             "纯棉T恤 白色 XL 码 两件装",
                             2.0,
                             0.6,
                             1005.0 + i,
                             "张三" + n,
                             "138000" + n,
                             "0755-8888" + n,
                             "广东省",
                             "深圳市",
                             "南山区",
                             "科技园南区高新南七道数字技术园 B2 栋 " + n + " 号",
                             "某某科技有限公司",
                             "工作日送货",
                             "李四",
                             "13900000000",
                             "020-12345678",
                             "浙江省",
                             "杭州市",
                             "西湖区",
                             "文三路 90 号东部软件园",
                             "杭州小店"}) != 1)
            return false;
    }
    return tx.commit();
}

// The folder of the running benchmark (the programs are built beside it).
inline std::string selfDir()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

}
