// Imports an order report of 10,000 orders and an item report of 25,000
// items into a fresh data folder, as the Taobao dialog and
// `zentra-cli taobao import-orders/import-items` do, and compares that with
// one autocommitted statement per row. Prints the figures.
//
//   bench_taobaoimport [FOLDER]   (default: a new folder under /tmp)
#include "BenchDatabase.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/taobao/TaobaoActions.h"
#include "core/taobao/TaobaoOrders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace zentra;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

const char *const kProvinces[] = {"浙江省 杭州市 西湖区", "北京 北京市 朝阳区", "广东省 深圳市 南山区",
                                  "内蒙古自治区 兴安盟 科尔沁右翼前旗", "陕西省 西安市 雁塔区"};

void writeReports(const std::string &orders, const std::string &items, int orderCount, int itemCount)
{
    std::ofstream o(orders, std::ios::binary);
    o << "\xEF\xBB\xBF订单编号,买家会员名,买家支付宝账号,买家应付货款,买家应付邮费,买家支付积分,总金额,返点积分,"
         "买家实际支付金额,订单状态,买家留言,收货人姓名,收货地址 ,运送方式,联系电话 ,联系手机,订单创建时间,"
         "订单付款时间 ,宝贝标题 ,宝贝种类 ,物流单号 ,物流公司,订单备注,宝贝总数量,店铺Id,店铺名称\r\n";
    for (int i = 0; i < orderCount; ++i) {
        char line[1024];
        std::snprintf(line, sizeof line,
                      "=\"%d\",buyer%d,buyer%d@example.com,%d.00,8.00,0,%d.00,0,%d.00,等待发货,\"请尽快发货,谢谢\","
                      "收件人%d,\"%s 某某路%d号(310%03d)\",快递,'0571-8888%04d,'138%08d,2026-12-%02d %02d:%02d:00,"
                      "2026-12-01 10:00:00,\"宝贝标题 %d\",1,,,,2,1,小店\r\n",
                      9000000 + i, i, i, 20 + i % 100, 28 + i % 100, 28 + i % 100, i, kProvinces[i % 5], i,
                      i % 1000, i % 10000, i, 1 + i % 28, i % 24, i % 60, i);
        o << line;
    }
    std::ofstream t(items, std::ios::binary);
    t << "\xEF\xBB\xBF订单编号,标题,价格,购买数量,外部系统编号,商品属性,套餐信息,备注,订单状态,商家编码\r\n";
    for (int i = 0; i < itemCount; ++i) {
        char line[512];
        std::snprintf(line, sizeof line, "=\"%d\",宝贝 %d,%d.50,%d,,\"颜色分类:红色;尺码:%d\",,,等待发货,\r\n",
                      9000000 + i % orderCount, i % 7, 10 + i % 50, 1 + i % 3, i % 7);
        t << line;
    }
}

// One autocommitted statement per row, the slow way, on the first `rows`
// orders; gives seconds per row.
double autocommitPerRow(DbConnection &db, const std::vector<TbOrder> &orders, std::size_t rows)
{
    const auto start = Clock::now();
    for (std::size_t i = 0; i < rows && i < orders.size(); ++i) {
        const TbOrder &o = orders[i];
        if (db.query("select 1 from tbList where tb_orderNum=?", {o.orderNum}).empty())
            db.execute("insert into tbList(tb_orderNum,tb_status,tb_nickName,tb_proCity,tb_tradetime,tb_orderprice,"
                       "tb_postfee,tb_getmoney,tb_addressInfo,tb_sNote) values(?,?,?,?,?,?,?,?,?,?)",
                       {o.orderNum, o.status, o.nickName, o.proCity, o.tradeTime, o.orderPrice, o.postFee,
                        o.getMoney, o.addressInfo, o.sNote});
    }
    return seconds(start) / static_cast<double>(rows);
}

}

int main(int argc, char **argv)
{
    const bench::BenchDatabase database(argc, argv);
    if (!database.ok()) {
        std::printf("no database: %s\n", database.error().c_str());
        return 1;
    }
    std::printf("engine: %s\n", database.engine());
    std::string root = argc > 1 ? argv[1] : "/tmp/zentra-bench-taobao-" + std::to_string(getpid());
    DataFolder folder(root);
    database.use(folder);
    std::string error;
    if (!initDataFolder(folder, &error)) {
        std::fprintf(stderr, "cannot make %s: %s\n", root.c_str(), error.c_str());
        return 1;
    }
    const std::string orderFile = root + "/orders.csv", itemFile = root + "/items.csv";
    writeReports(orderFile, itemFile, 10000, 25000);

    DbConnection db;
    if (!db.open(folder.databasePath()))
        return 1;
    const long before = peakKiB();
    const auto start = Clock::now();
    std::vector<TbOrder> orders;
    std::vector<TbItem> items;
    readOrderReport(orderFile, orders);
    const StoreResult a = storeOrders(db, orders);
    readItemReport(itemFile, items);
    const StoreResult b = storeItems(db, items);
    const double both = seconds(start);
    std::printf("import: %d orders + %d items in %.3f s (%s), peak memory %.1f MiB (%.1f MiB before)\n",
                a.inserted, b.inserted, both, a.ok && b.ok ? "ok" : "FAILED", peakKiB() / 1024.0,
                before / 1024.0);

    const auto again = Clock::now();
    const StoreResult c = storeOrders(db, orders);
    std::printf("the same orders again: %d updated in %.3f s\n", c.updated, seconds(again));

    // 1,000 checked orders to the print list, goods texts and freight
    // computed from the catalogue (every item title is a goods name here).
    {
        DbConnection goods;
        goods.open(folder.databasePath());
        Transaction tx(goods);
        for (int i = 0; i < 25000; ++i)
            goods.execute("insert into cargo(cname, cshort, cweight, cpriceOut) values(?, ?, 0.7, 12)",
                          {"宝贝 " + std::to_string(i), "b" + std::to_string(i)});
        tx.commit();
        // A catalogue entered over months, as the server's own statistics
        // know it by then.
        if (const std::string sql = goods.dialect().refreshStatistics("cargo"); !sql.empty())
            goods.executeScript(sql);
    }
    std::vector<TbOrder> checked(orders.begin(), orders.begin() + std::min<std::size_t>(1000, orders.size()));
    OrderTransfer transfer;
    transfer.templateName = "tmp_default";
    transfer.computeFigures = true;
    const auto transferStart = Clock::now();
    const OrderBatchResult t = addOrdersToPrintList(folder.databasePath(), checked, transfer);
    std::printf("1,000 orders to the print list: %zu rows (%d skipped) in %.3f s (%s)\n", t.printIds.size(),
                t.skipped, seconds(transferStart), t.ok ? "ok" : t.error.c_str());

    // The slow way into an empty table.
    db.execute("delete from tbList");
    const std::size_t sample = 500;
    const double perRow = autocommitPerRow(db, orders, sample);
    const double slowTotal = perRow * static_cast<double>(orders.size() + items.size());
    std::printf("autocommit per row: %.2f ms a row (%zu rows measured), %.1f s for both reports, %.0f times slower\n",
                perRow * 1000, sample, slowTotal, slowTotal / both);
    return 0;
}
