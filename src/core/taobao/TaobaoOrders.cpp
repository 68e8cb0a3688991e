#include "core/taobao/TaobaoOrders.h"

#include "core/data/BatchInsert.h"
#include "core/data/DbConnection.h"
#include "core/taobao/ReportReader.h"

#include <array>
#include <cstdio>
#include <map>
#include <set>

namespace zentra {
namespace {

std::string without(std::string_view text, std::string_view chars)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (chars.find(c) == std::string_view::npos)
            out += c;
    return out;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the digits at `i` into `value`; false when there are none.
bool readNumber(std::string_view s, std::size_t &i, int &value, std::size_t maxDigits)
{
    const std::size_t start = i;
    value = 0;
    while (i < s.size() && isDigit(s[i]) && i - start < maxDigits)
        value = value * 10 + (s[i++] - '0');
    return i > start;
}

const std::string &field(const std::vector<std::string> &fields, int column)
{
    static const std::string empty;
    return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? fields[column] : empty;
}

}

TbOrder tbOrderOf(const DbRow &row)
{
    TbOrder t;
    t.id = row.text("tb_id");
    t.orderNum = row.text("tb_orderNum");
    t.status = row.text("tb_status");
    t.nickName = row.text("tb_nickName");
    t.proCity = row.text("tb_proCity");
    t.tradeTime = row.text("tb_tradetime");
    t.orderPrice = row.text("tb_orderprice");
    t.postFee = row.text("tb_postfee");
    t.getMoney = row.text("tb_getmoney");
    t.addressInfo = row.text("tb_addressInfo");
    t.sNote = row.text("tb_sNote");
    return t;
}

namespace {

// Reads a report of `kind` ("订单报表"): `onHeader` takes the header and names
// a column it lacks (empty when it is this kind of report); `onRow` takes a
// data record and gives the reason it is passed over (empty when read).
template <typename OnHeader, typename OnRow>
ReportRead readReport(CsvReader &reader, const std::string &kind, OnHeader onHeader, OnRow onRow)
{
    using Failure = ReportRead::Failure;
    ReportRead r;
    r.encoding = std::string(encodingName(reader.encoding()));
    auto failed = [&](Failure failure, std::string why) {
        r.failure = failure;
        r.message = failure == Failure::Open ? "打开文件失败" : "不是" + kind + "：" + why;
        r.error = std::move(why);
        return r;
    };
    CsvRecord rec;
    if (!reader.next(rec)) {
        if (!reader.error().empty())
            return failed(Failure::Open, reader.error());
        return failed(Failure::NotReport, "文件是空的");
    }
    if (rec.problem != CsvProblem::None)
        return failed(Failure::NotReport,
                      "表头" + csvProblemText(rec.problem, reader.limits(), reader.encoding()));
    const std::string missing = onHeader(headerOf(rec.fields));
    if (!missing.empty())
        return failed(Failure::NotReport, "没有“" + missing + "”列");
    reader.expectFields(rec.fields.size());
    while (reader.next(rec)) {
        ++r.records;
        std::string why = rec.problem != CsvProblem::None
                              ? csvProblemText(rec.problem, reader.limits(), reader.encoding())
                              : onRow(rec.fields);
        if (!why.empty())
            r.skipped.push_back({rec.line, std::move(why)});
    }
    if (!reader.error().empty())
        return failed(Failure::Open, reader.error());
    r.ok = true;
    return r;
}

template <typename Row>
ReportRead readReportFile(const std::string &path, std::vector<Row> &rows,
                          ReportRead (*read)(CsvReader &, std::vector<Row> &))
{
    CsvReader reader(reportCsvOptions());
    std::string error;
    if (!reader.openFile(path, kMaxReportBytes, &error)) {
        ReportRead r;
        r.failure = ReportRead::Failure::Open;
        r.error = error;
        r.message = "打开文件失败";
        return r;
    }
    return read(reader, rows);
}

// The text condition of the order list: the search text in every column.
constexpr std::string_view kSearchColumns[] = {"tb_orderNum", "tb_status",   "tb_nickName",
                                               "tb_proCity",  "tb_orderprice", "tb_postfee",
                                               "tb_getmoney", "tb_addressInfo", "tb_sNote"};

std::string searchCondition(const SqlDialect &d, std::string_view table)
{
    std::string where = " and (";
    bool first = true;
    for (std::string_view c : kSearchColumns) {
        if (!first)
            where += " or ";
        first = false;
        where += d.like(std::string(table) + std::string(c), "'%' || ?3 || '%'");
    }
    return where + ")";
}

}

std::string bareOrderNumber(std::string_view text)
{
    return without(text, "=\"");
}

void splitPostCode(std::string_view text, std::string &address, std::string &post)
{
    post.clear();
    if (text.size() >= 8) {
        const std::string_view tail = text.substr(text.size() - 8);
        bool code = tail[0] == '(' && tail[7] == ')' && tail[1] >= '1' && tail[1] <= '9';
        for (std::size_t i = 2; code && i < 7; ++i)
            code = isDigit(tail[i]);
        if (code) {
            post.assign(tail.substr(1, 6));
            address.assign(text.substr(0, text.size() - 8));
            return;
        }
    }
    address.assign(text);
}

std::string regionOfAddress(std::string_view address)
{
    constexpr std::string_view kCity = "市";
    if (const std::size_t at = address.find(kCity); at != std::string_view::npos)
        return std::string(address.substr(0, at + kCity.size()));
    // Without "市" (autonomous prefectures, leagues, counties under the
    // province): the province and city words.
    std::size_t words = 0, i = 0;
    while (i < address.size()) {
        const std::size_t space = address.find(' ', i);
        if (space == std::string_view::npos)
            return std::string(address);
        if (space > i && ++words == 2)
            return std::string(address.substr(0, space));
        i = space + 1;
    }
    return std::string(address);
}

std::string compositeAddress(std::string_view name, std::string_view mobile, std::string_view phone,
                             std::string_view address, std::string_view post)
{
    constexpr std::string_view kComma = "，";
    std::string out(name);
    for (std::string_view part : {mobile, phone, address, post}) {
        out += kComma;
        out += part;
    }
    return out;
}

std::string normalTradeTime(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int y, mo, d, h = 0, mi = 0, s = 0;
    auto sep = [&](char a, char b) {
        if (i < text.size() && (text[i] == a || text[i] == b)) {
            ++i;
            return true;
        }
        return false;
    };
    if (!readNumber(text, i, y, 4) || !sep('-', '/') || !readNumber(text, i, mo, 2) || !sep('-', '/') ||
        !readNumber(text, i, d, 2))
        return std::string(text);
    if (i < text.size() && text[i] == ' ') {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (!readNumber(text, i, h, 2) || !sep(':', ':') || !readNumber(text, i, mi, 2))
            return std::string(text);
        if (sep(':', ':') && !readNumber(text, i, s, 2))
            return std::string(text);
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size() || y < 1000 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return std::string(text);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return buf;
}

ReportRead readOrderReport(CsvReader &reader, std::vector<TbOrder> &orders)
{
    enum { Order, Nick, Status, Created, Goods, Postage, Total, Name, Message, Mobile, Phone, Address, Count };
    std::array<int, Count> col{};
    auto onHeader = [&](const ReportHeader &h) {
        const char *names[] = {"订单编号", "买家会员名", "订单状态", "订单创建时间", "买家应付货款", "买家应付邮费",
                               "总金额",   "收货人姓名", "买家留言", "联系手机",     "联系电话"};
        for (int i = 0; i < Address; ++i)
            col[i] = h.column(names[i]);
        col[Address] = h.columnContaining("收货地址", "修改后的");
        // An order report has its orders' numbers and addresses.
        return col[Order] < 0     ? std::string(names[Order])
               : col[Address] < 0 ? std::string("收货地址")
                                  : std::string();
    };
    auto onRow = [&](const std::vector<std::string> &f) {
        TbOrder o;
        o.orderNum = bareOrderNumber(field(f, col[Order]));
        if (o.orderNum.empty())
            return std::string("没有订单编号");
        o.status = field(f, col[Status]);
        o.nickName = field(f, col[Nick]);
        o.tradeTime = normalTradeTime(field(f, col[Created]));
        o.orderPrice = field(f, col[Goods]);
        o.postFee = field(f, col[Postage]);
        o.getMoney = field(f, col[Total]);
        o.sNote = field(f, col[Message]);
        std::string address, post;
        splitPostCode(field(f, col[Address]), address, post);
        o.proCity = regionOfAddress(address);
        o.addressInfo = compositeAddress(field(f, col[Name]), without(field(f, col[Mobile]), "'"),
                                         without(field(f, col[Phone]), "'"), address, post);
        orders.push_back(std::move(o));
        return std::string();
    };
    return readReport(reader, "订单报表", onHeader, onRow);
}

ReportRead readItemReport(CsvReader &reader, std::vector<TbItem> &items)
{
    int order = -1, title = -1, price = -1, count = -1, sku = -1;
    auto onHeader = [&](const ReportHeader &h) {
        order = h.column("订单编号");
        title = h.column("标题");
        price = h.column("价格");
        count = h.column("购买数量");
        sku = h.column("商品属性");
        return order < 0 ? std::string("订单编号") : title < 0 ? std::string("标题") : std::string();
    };
    auto onRow = [&](const std::vector<std::string> &f) {
        TbItem it{bareOrderNumber(field(f, order)), field(f, title), field(f, sku), field(f, price), field(f, count)};
        if (it.orderNum.empty())
            return std::string("没有订单编号");
        if (it.item.empty())
            return std::string("没有宝贝标题");
        items.push_back(std::move(it));
        return std::string();
    };
    return readReport(reader, "宝贝报表", onHeader, onRow);
}

ReportRead readOrderReport(const std::string &path, std::vector<TbOrder> &orders)
{
    return readReportFile<TbOrder>(path, orders, readOrderReport);
}

ReportRead readItemReport(const std::string &path, std::vector<TbItem> &items)
{
    return readReportFile<TbItem>(path, items, readItemReport);
}

namespace {

// After a large report the server learns the tables' new size at once: the
// transfer to the print list that often follows is planned on it. A failure
// here changes nothing stored.
void refreshAfterBulk(DbConnection &db, const char *table, int inserted)
{
    const std::string sql = db.dialect().refreshStatistics(table);
    if (inserted >= 1000 && !sql.empty())
        db.executeScript(sql);
}

// A natural key as the NoCase columns compare it: ASCII letters folded.
std::string foldedKey(std::string_view text)
{
    std::string k(text);
    for (char &c : k)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return k;
}

}

StoreResult storeOrders(DbConnection &db, const std::vector<TbOrder> &orders)
{
    StoreResult r;
    Transaction tx(db);
    if (!tx.active()) {
        r.error = db.lastError();
        return r;
    }
    const SqlDialect &d = db.dialect();
    // The orders already stored, found for the whole report at once; the new
    // ones go in 100 a statement (a round trip to a server is the cost).
    std::vector<std::string> numbers;
    for (const TbOrder &o : orders)
        if (!o.orderNum.empty() && !o.addressInfo.empty())
            numbers.push_back(o.orderNum);
    std::set<std::string> known;
    const bool read = db.forEachRow(
        "select tb_orderNum from tbList where " + d.folded("tb_orderNum") + " in (select " + d.folded("value") +
            " from (" + d.textSet("?") + ") as numbers)",
        {jsonTextArray(numbers)}, [](const std::vector<std::string> &) {},
        [&](const DbCells &cells) {
            std::string n;
            cells.read(0, n);
            known.insert(foldedKey(n));
        });
    if (!read) {
        r.error = db.lastError();
        return r;
    }
    DbStatement refresh(db, "update tbList set tb_status=? where " + d.folded("tb_orderNum") + "=" + d.folded("?"));
    if (!refresh.ok()) {
        r.error = db.lastError();
        return r;
    }
    // New orders wait here until written; a later line of the same order
    // refreshes the waiting one, as it would the stored one.
    std::vector<TbOrder> fresh;
    std::map<std::string, std::size_t> waiting;
    for (const TbOrder &o : orders) {
        if (o.orderNum.empty() || o.addressInfo.empty())
            continue;
        ++r.stored;
        const std::string key = foldedKey(o.orderNum);
        if (const auto w = waiting.find(key); w != waiting.end()) {
            fresh[w->second].status = o.status;
            ++r.updated;
        } else if (known.count(key)) {
            if (refresh.execute({o.status, o.orderNum}) < 0) {
                r.error = db.lastError();
                return r;
            }
            ++r.updated;
        } else {
            waiting.emplace(key, fresh.size());
            fresh.push_back(o);
            ++r.inserted;
        }
    }
    BatchInsert insert(db,
                       "insert into tbList(tb_orderNum,tb_status,tb_nickName,tb_proCity,tb_tradetime,"
                       "tb_orderprice,tb_postfee,tb_getmoney,tb_addressInfo,tb_sNote)",
                       10);
    for (const TbOrder &o : fresh)
        if (!insert.add({o.orderNum, o.status, o.nickName, o.proCity, o.tradeTime, o.orderPrice, o.postFee,
                         o.getMoney, o.addressInfo, o.sNote})) {
            r.error = db.lastError();
            return r;
        }
    if (!insert.flush() || !tx.commit()) {
        r.error = db.lastError();
        return r;
    }
    refreshAfterBulk(db, "tbList", r.inserted);
    r.ok = true;
    return r;
}

StoreResult storeItems(DbConnection &db, const std::vector<TbItem> &items)
{
    StoreResult r;
    Transaction tx(db);
    if (!tx.active()) {
        r.error = db.lastError();
        return r;
    }
    const SqlDialect &d = db.dialect();
    // The items already stored for the report's orders, read at once; an
    // item is known by its order and its title.
    std::vector<std::string> numbers;
    for (const TbItem &it : items)
        if (!it.orderNum.empty() && !it.item.empty())
            numbers.push_back(it.orderNum);
    std::set<std::pair<std::string, std::string>> known;
    const bool read = db.forEachRow(
        "select tb_orderNum, tb_item from tbGoods where " + d.folded("tb_orderNum") + " in (select " +
            d.folded("value") + " from (" + d.textSet("?") + ") as numbers)",
        {jsonTextArray(numbers)}, [](const std::vector<std::string> &) {},
        [&](const DbCells &cells) {
            std::string n, item;
            cells.read(0, n);
            cells.read(1, item);
            known.emplace(foldedKey(n), foldedKey(item));
        });
    if (!read) {
        r.error = db.lastError();
        return r;
    }
    BatchInsert insert(db, "insert into tbGoods(tb_orderNum,tb_item,tb_sku,tb_price,tb_num)", 5);
    for (const TbItem &it : items) {
        if (it.orderNum.empty() || it.item.empty())
            continue;
        ++r.stored;
        if (!known.emplace(foldedKey(it.orderNum), foldedKey(it.item)).second)
            continue;
        if (!insert.add({it.orderNum, it.item, it.sku, it.price, it.num})) {
            r.error = db.lastError();
            return r;
        }
        ++r.inserted;
    }
    if (!insert.flush() || !tx.commit()) {
        r.error = db.lastError();
        return r;
    }
    refreshAfterBulk(db, "tbGoods", r.inserted);
    r.ok = true;
    return r;
}

bool queryOrders(DbConnection &db, const OrderQuery &q, std::vector<TbOrder> &out)
{
    const SqlDialect &d = db.dialect();
    std::string sql;
    // Orders of one trade time come newest import first.
    if (q.mergeByAddress) {
        const std::string address = d.folded("tb_addressInfo");
        sql = "select t1.tb_id, t1.tb_orderNum, t1.tb_status, t1.tb_nickName, t1.tb_proCity, t1.tb_tradetime, "
              "t1.tb_orderprice, t1.tb_postfee, t1.tb_getmoney, t1.tb_addressInfo, t1.tb_sNote "
              "from tbList t1, (select " + address + " as addressKey, max(tb_id) as maxNum from tbList group by " +
              address + ") t2 where " + d.folded("t1.tb_addressInfo") + "=t2.addressKey and t1.tb_id=t2.maxNum "
              "and t1.tb_tradetime>?1 and t1.tb_tradetime<?2";
        if (!q.search.empty())
            sql += searchCondition(d, "t1.");
        sql += " order by t1.tb_tradetime desc nulls last, t1.tb_id desc";
    } else {
        sql = "select * from tbList where tb_tradetime>?1 and tb_tradetime<?2";
        if (!q.search.empty())
            sql += searchCondition(d, "");
        sql += " order by tb_tradetime desc nulls last, tb_id desc";
    }
    const DbRows rows = q.search.empty() ? db.query(sql, {q.from, q.to}) : db.query(sql, {q.from, q.to, q.search});
    if (!rows.ok)
        return false;
    out.clear();
    out.reserve(rows.size());
    for (const DbRow &row : rows)
        out.push_back(tbOrderOf(row));
    return true;
}

const std::vector<std::string> &orderRanges()
{
    static const std::vector<std::string> ranges{"今日", "近二天", "近三天", "近一周", "近一月", "本月", "自定义"};
    return ranges;
}

std::optional<std::pair<std::string, std::string>> orderRangeBounds(int index, std::time_t now)
{
    // Days back from now, counted in seconds as the list always has.
    static const long kBack[] = {0, 86400, 172800, 604800, 2592000};
    auto text = [](const std::tm &tm) {
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
        return std::string(buf);
    };
    std::tm end{};
    localtime_r(&now, &end);
    std::tm start{};
    if (index >= 0 && index < 5) {
        const std::time_t first = now - kBack[index];
        localtime_r(&first, &start);
    } else if (index == 5) {
        start = end;
        start.tm_mday = 1;
    } else {
        return std::nullopt;
    }
    start.tm_hour = start.tm_min = start.tm_sec = 0;
    return std::pair{text(start), text(end)};
}

bool orderItems(DbConnection &db, std::string_view orderNum, std::vector<TbItem> &out)
{
    const SqlDialect &d = db.dialect();
    const DbRows rows = db.query("select * from tbGoods where " + d.folded("tb_orderNum") + "=" + d.folded("?") +
                                     " order by tb_seq asc",
                                 {orderNum});
    if (!rows.ok)
        return false;
    out.clear();
    for (const DbRow &row : rows)
        out.push_back(TbItem{row.text("tb_orderNum"), row.text("tb_item"), row.text("tb_sku"), row.text("tb_price"),
                             row.text("tb_num")});
    return true;
}

bool deleteOrder(DbConnection &db, std::string_view orderNum)
{
    Transaction tx(db);
    if (!tx.active())
        return false;
    const SqlDialect &d = db.dialect();
    const std::string byNumber = d.folded("tb_orderNum") + "=" + d.folded("?");
    if (db.execute("delete from tbList where " + byNumber, {orderNum}) < 0 ||
        db.execute("delete from tbGoods where " + byNumber, {orderNum}) < 0)
        return false;
    return tx.commit();
}

const std::vector<std::string> &tbListColumns()
{
    static const std::vector<std::string> columns = {
        "tb_id",         "tb_orderNum", "tb_status",  "tb_nickName",    "tb_proCity", "tb_tradetime",
        "tb_orderprice", "tb_postfee",  "tb_getmoney", "tb_addressInfo", "tb_sNote"};
    return columns;
}

}
