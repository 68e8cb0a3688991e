#include "core/data/Schema.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/BatchInsert.h"
#include "core/data/DbLocation.h"
#include "core/data/NameKeys.h"
#include "core/data/SeedData.h"
#include "core/masterdata/MasterBook.h"
#include "core/templates/TemplateSync.h"
#include "core/users/PasswordHash.h"
#include "core/waybill/WaybillSearch.h"

#include <cstdio>
#include <functional>
#include <string_view>
#include <unistd.h>

namespace zentra {

namespace {

using T = DbType;

std::vector<SchemaColumn> addressColumns(const std::string &p)
{
    std::vector<SchemaColumn> c{{p + "ID", T::Counter}};
    for (const char *f : {"name", "mobile", "phone", "province", "city", "district", "address", "post", "company",
                          "note", "ww", "qq", "self1", "self2", "self3", "self4", "class", "namePY"})
        c.push_back({p + f, T::NoCase});
    c.push_back({p + "date", T::Text});
    return c;
}

std::vector<SchemaColumn> goodsColumns()
{
    return {{"cargoID", T::Counter}, {"cname", T::NoCase},   {"cshort", T::NoCase},  {"cclass", T::NoCase},
            {"cbarcode", T::NoCase}, {"cweight", T::Real},   {"ccurNum", T::Real},   {"cbotNum", T::Real},
            {"ctopNum", T::Real},    {"cpriceIn", T::Real},  {"cpriceOut", T::Real}, {"cpriceOn", T::Real},
            {"cnote", T::NoCase},    {"cshortPY", T::NoCase}};
}

// The 48 columns of a whole waybill, in the order "insert into printHistory
// select * from printList" relies on.
std::vector<SchemaColumn> waybillColumns()
{
    std::vector<SchemaColumn> c{{"printId", T::Counter},     {"orderNo", T::NoCase},    {"expressNo", T::NoCase},
                                {"templateName", T::NoCase}, {"printTime", T::Text},    {"tradeTime", T::Text},
                                {"cargoName", T::NoCase},    {"cargoShort", T::NoCase}, {"cargoNum", T::Real},
                                {"cargoWeight", T::Real},    {"orderprice", T::Real},   {"postfee", T::Real},
                                {"getmoney", T::Real},       {"protectMoney", T::Real}};
    for (const char *p : {"r", "s"})
        for (const char *f : {"name", "mobile", "phone", "province", "city", "district", "address", "post", "company",
                              "note", "ww", "qq", "self1", "self2", "self3", "self4", "namePY"})
            c.push_back({std::string(p) + f, T::NoCase});
    return c;
}

// Every table, in the order a copy fills them. Columns added by later steps
// are listed where those steps add them (at the end).
std::vector<SchemaTable> makeTables()
{
    std::vector<SchemaTable> t;
    auto receiver = addressColumns("r");
    receiver.push_back({"rnameKey", T::Text});
    auto sender = addressColumns("s");
    sender.push_back({"snameKey", T::Text});
    auto cargo = goodsColumns();
    cargo.push_back({"cnameKey", T::Text});
    t.push_back({"receiver", receiver, {}});
    t.push_back({"sender", sender, {}});
    t.push_back({"receiverClass", {{"className", T::NoCase}}, {}});
    t.push_back({"senderClass", {{"className", T::NoCase}}, {}});
    t.push_back({"cargoClass", {{"className", T::NoCase}}, {}});
    t.push_back({"cargo", cargo, {}});
    t.push_back({"cargoSel", goodsColumns(), {}});
    t.push_back({"freight",
                 {{"id", T::Counter},
                  {"provinceID", T::Integer},
                  {"province", T::NoCase},
                  {"tmpName", T::NoCase},
                  {"afreight", T::Text},
                  {"bfreight", T::Text},
                  {"moneyFree", T::Text}},
                 {}});
    t.push_back({"printList", waybillColumns(), "printIdSeq"});
    t.push_back({"printHistory", waybillColumns(), "printIdSeq"});
    t.push_back({"province", {{"provinceID", T::Integer}, {"province", T::NoCase}}, {}});
    t.push_back({"city", {{"cityID", T::Integer}, {"city", T::NoCase}, {"father", T::Text}}, {}});
    t.push_back({"area", {{"areaID", T::Integer}, {"area", T::NoCase}, {"father", T::Text}}, {}});
    t.push_back({"tbList",
                 {{"tb_id", T::Counter},
                  {"tb_orderNum", T::NoCase},
                  {"tb_status", T::NoCase},
                  {"tb_nickName", T::NoCase},
                  {"tb_proCity", T::NoCase},
                  {"tb_tradetime", T::Text},
                  {"tb_orderprice", T::Text},
                  {"tb_postfee", T::Text},
                  {"tb_getmoney", T::Text},
                  {"tb_addressInfo", T::NoCase},
                  {"tb_sNote", T::NoCase}},
                 {}});
    t.push_back({"tbGoods",
                 {{"tb_orderNum", T::NoCase},
                  {"tb_item", T::NoCase},
                  {"tb_sku", T::NoCase},
                  {"tb_price", T::Text},
                  {"tb_num", T::Text},
                  {"tb_seq", T::Counter}}, // added by step 4: the report's order
                 {}});
    t.push_back({"userLogin", {{"user_id", T::NoCase}, {"user_pwd", T::Text}, {"user_loginTime", T::Text}}, {}});
    t.push_back({"userPermission",
                 {{"user_id", T::NoCase},
                  {"ID", T::Integer},
                  {"PID", T::Integer},
                  {"Caption", T::Text},
                  {"permission", T::Text}},
                 {}});
    // Added by step 4: the shop's counters, the print list's claims, the
    // templates of a shared database, and this table's own rows.
    t.push_back({"shopCounter", {{"counterName", T::NoCase}, {"counterValue", T::Text}}, {}, 4});
    t.push_back(
        {"printClaim",
         {{"printId", T::Integer}, {"claimStation", T::Text}, {"claimJob", T::Text}, {"claimExpires", T::Integer}},
         {},
         4});
    t.push_back(
        {"templateFile",
         {{"tmpName", T::NoCase}, {"tmpBytes", T::Text}, {"tmpModified", T::Integer}, {"tmpDeleted", T::Integer}},
         {},
         4});
    t.push_back({"dbInfo", {{"infoName", T::Text}, {"infoValue", T::Text}}, {}, 4});
    return t;
}

const SchemaTable &tableNamed(const std::string &name)
{
    for (const SchemaTable &t : schemaTables())
        if (t.name == name)
            return t;
    static const SchemaTable none;
    return none;
}

DbType typeOf(const SchemaTable &table, const std::string &column)
{
    for (const SchemaColumn &c : table.columns)
        if (c.name == column)
            return c.type;
    return T::Text;
}

// CREATE TABLE for `table`, leaving out the columns a later step adds.
std::string createTable(const SqlDialect &d, const SchemaTable &table,
                        std::initializer_list<std::string_view> later = {}, std::string_view constraint = {})
{
    std::string sql = "CREATE TABLE IF NOT EXISTS " + table.name + " (";
    bool first = true;
    for (const SchemaColumn &c : table.columns) {
        bool skip = false;
        for (std::string_view l : later)
            skip = skip || l == c.name;
        if (skip)
            continue;
        sql += (first ? "" : ", ") + c.name + " " + d.columnType(c.type, table.sequence);
        first = false;
    }
    if (!constraint.empty())
        sql += ", " + std::string(constraint);
    return sql + ");\n";
}

std::string createIndex(const SqlDialect &d, const std::string &name, const std::string &table,
                        std::initializer_list<std::string> columns, bool unique = false)
{
    const SchemaTable &t = tableNamed(table);
    std::string sql =
        std::string(unique ? "CREATE UNIQUE INDEX" : "CREATE INDEX") + " IF NOT EXISTS " + name + " ON " + table + "(";
    bool first = true;
    for (const std::string &c : columns) {
        sql += (first ? "" : ", ") + d.indexColumn(c, typeOf(t, c));
        first = false;
    }
    return sql + ");\n";
}

// A printed waybill moves from printList to printHistory keeping its printId,
// while a single print goes straight into printHistory with a new one. Both
// tables therefore draw their ids from one shared range. The server's tables
// share one sequence; SQLite keeps a counter per table, so whenever either
// table receives an id the other's counter is raised past it.
std::string sharedCounterScript(const SqlDialect &d)
{
    if (d.isPostgres())
        return "CREATE SEQUENCE IF NOT EXISTS printIdSeq;\n";
    return R"sql(
CREATE TRIGGER IF NOT EXISTS printList_shared_id AFTER INSERT ON printList BEGIN
  UPDATE sqlite_sequence SET seq = NEW.printId WHERE name = 'printHistory' AND seq < NEW.printId;
  INSERT INTO sqlite_sequence(name, seq) SELECT 'printHistory', NEW.printId
    WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'printHistory');
END;
CREATE TRIGGER IF NOT EXISTS printHistory_shared_id AFTER INSERT ON printHistory BEGIN
  UPDATE sqlite_sequence SET seq = NEW.printId WHERE name = 'printList' AND seq < NEW.printId;
  INSERT INTO sqlite_sequence(name, seq) SELECT 'printList', NEW.printId
    WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'printList');
END;
)sql";
}

// Step 1: the tables as the program has always had them. Every statement
// leaves what exists alone, so a database made by an earlier version gets
// only what it lacks.
bool stepBaseTables(DbConnection &db)
{
    const SqlDialect &d = db.dialect();
    std::string sql;
    if (d.isPostgres())
        sql += sharedCounterScript(d);
    sql += createTable(d, tableNamed("receiver"), {"rnameKey"});
    sql += createIndex(d, "receiver_key", "receiver", {"rmobile", "raddress"});
    sql += createTable(d, tableNamed("sender"), {"snameKey"});
    sql += createIndex(d, "sender_key", "sender", {"smobile", "saddress"});
    for (const char *t : {"receiverClass", "senderClass", "cargoClass"})
        sql += createTable(d, tableNamed(t));
    sql += createTable(d, tableNamed("cargo"), {"cnameKey"});
    sql += createIndex(d, "cargo_name", "cargo", {"cname"});
    sql += createTable(d, tableNamed("cargoSel"));
    sql += createTable(d, tableNamed("freight"));
    sql += createIndex(d, "freight_template", "freight", {"tmpName"});
    sql += createTable(d, tableNamed("printList"));
    sql += createTable(d, tableNamed("printHistory"));
    sql += createIndex(d, "printHistory_time", "printHistory", {"printTime"});
    if (!d.isPostgres())
        sql += sharedCounterScript(d);
    sql += createTable(d, tableNamed("province"));
    sql += createTable(d, tableNamed("city"));
    sql += createIndex(d, "city_father", "city", {"father"});
    sql += createTable(d, tableNamed("area"));
    sql += createIndex(d, "area_father", "area", {"father"});
    sql += createTable(d, tableNamed("tbList"));
    sql += createIndex(d, "tbList_order", "tbList", {"tb_orderNum"});
    sql += createTable(d, tableNamed("tbGoods"), {"tb_seq"});
    sql += createIndex(d, "tbGoods_order", "tbGoods", {"tb_orderNum"});
    // A user's name is the table's key, compared with case ignored.
    sql += createTable(d, tableNamed("userLogin"));
    sql += createIndex(d, "userLogin_user", "userLogin", {"user_id"}, true);
    sql += createTable(d, tableNamed("userPermission"));
    sql += createIndex(d, "userPermission_user", "userPermission", {"user_id", "ID"});
    return db.executeScript(sql);
}

// Step 2: the history's search index (see WaybillSearch.h).
bool stepHistorySearch(DbConnection &db)
{
    return createHistorySearchIndex(db);
}

// Step 3: the books' name order from stored sort keys (see NameKeys.h)
// instead of a collation only our own connections know, so both engines list
// names alike and any SQLite shell can write the books.
bool stepNameKeys(DbConnection &db)
{
    const SqlDialect &d = db.dialect();
    std::string sql = "DROP INDEX IF EXISTS receiver_name;\nDROP INDEX IF EXISTS sender_name;\n"
                      "DROP INDEX IF EXISTS cargo_order;\n";
    for (const NameKeyColumns &k : nameKeyColumns()) {
        DbRows have = db.query("select * from " + std::string(k.table) + " where 1 = 0");
        if (!have.ok)
            return false;
        bool present = false;
        for (const std::string &c : have.columns)
            present = present || sameColumnName(c, k.keyColumn);
        if (!present)
            sql += "ALTER TABLE " + std::string(k.table) + " ADD COLUMN " + k.keyColumn + " " +
                   d.columnType(DbType::Text) + ";\n";
        sql += "CREATE INDEX IF NOT EXISTS " + std::string(k.table) + "_nameKey ON " + k.table + "(" + k.keyColumn +
               ", " + k.idColumn + ");\n";
        sql += nameKeyTriggerScript(d, k);
    }
    return db.executeScript(sql) && fillMissingNameKeys(db);
}

// Step 4: what several stations share: the counters, the print list's
// claims, the templates; and the key of this table.
bool stepSharedTables(DbConnection &db)
{
    const SqlDialect &d = db.dialect();
    std::string sql;
    sql += createTable(d, tableNamed("shopCounter"));
    sql += createIndex(d, "shopCounter_name", "shopCounter", {"counterName"}, true);
    sql += createTable(d, tableNamed("printClaim"), {}, "PRIMARY KEY (printId)");
    sql += createTable(d, tableNamed("templateFile"));
    sql += createIndex(d, "templateFile_name", "templateFile", {"tmpName"}, true);
    // The Taobao transfer looks for a print-list row of the same address.
    sql += createIndex(d, "printList_key", "printList", {"rmobile", "raddress"});
    sql += createTable(d, tableNamed("dbInfo"));
    sql += createIndex(d, "dbInfo_name", "dbInfo", {"infoName"}, true);
    // Order items keep the order they were imported in (the goods names of a
    // waybill follow it): a counter, which SQLite can only get in a new table.
    if (d.isPostgres()) {
        sql += "ALTER TABLE tbGoods ADD COLUMN IF NOT EXISTS tb_seq " + d.columnType(DbType::Counter) + ";\n";
    } else {
        SchemaTable copy = tableNamed("tbGoods");
        copy.name = "tbGoods_new";
        sql += createTable(d, copy);
        sql += "INSERT INTO tbGoods_new(tb_orderNum, tb_item, tb_sku, tb_price, tb_num, tb_seq) "
               "SELECT tb_orderNum, tb_item, tb_sku, tb_price, tb_num, rowid FROM tbGoods ORDER BY rowid;\n"
               "DROP TABLE tbGoods;\n"
               "ALTER TABLE tbGoods_new RENAME TO tbGoods;\n";
        sql += createIndex(d, "tbGoods_order", "tbGoods", {"tb_orderNum"});
    }
    return db.executeScript(sql) && createBookSearchIndexes(db);
}

struct Step {
    int version;
    std::function<bool(DbConnection &)> run;
};

const std::vector<Step> &steps()
{
    static const std::vector<Step> s = {
        {1, stepBaseTables},
        {2, stepHistorySearch},
        {3, stepNameKeys},
        {4, stepSharedTables},
    };
    return s;
}

bool tableExists(DbConnection &db, const std::string &name, bool &failed)
{
    DbRows rows = db.query(db.dialect().tableExistsQuery(), {name});
    failed = !rows.ok;
    return !rows.empty();
}

bool writeInfo(DbConnection &db, const std::string &name, const std::string &value)
{
    if (db.execute("delete from dbInfo where infoName = ?", {name}) < 0)
        return false;
    return db.execute("insert into dbInfo(infoName, infoValue) values(?, ?)", {name, value}) == 1;
}

std::string newerMessage(int have)
{
    return "数据库的结构版本为 " + std::to_string(have) + "，比本程序支持的版本 " + std::to_string(kSchemaVersion) +
           " 新，请先升级本程序。数据库未作任何改动。";
}

// Regions and the default freight rates, in multi-row statements.
constexpr const char *kDefaultTemplate = "tmp_default";
constexpr const char *kFirstWeightFee = "10";
constexpr const char *kFurtherWeightFee = "5";
constexpr const char *kFreeAbove = "99999";

bool seedRegions(DbConnection &db)
{
    std::string_view data = seedData("regions.tsv");
    if (data.empty())
        return false;
    BatchInsert provinces(db, "insert into province(provinceID, province)", 2);
    BatchInsert rates(db, "insert into freight(provinceID, province, tmpName, afreight, bfreight, moneyFree)", 6);
    BatchInsert cities(db, "insert into city(cityID, city, father)", 3);
    BatchInsert areas(db, "insert into area(areaID, area, father)", 3);
    while (!data.empty()) {
        std::size_t nl = data.find('\n');
        std::string_view line = data.substr(0, nl);
        data = nl == std::string_view::npos ? std::string_view() : data.substr(nl + 1);
        if (line.empty())
            continue;
        std::string_view f[4];
        int n = 0;
        while (n < 4) {
            std::size_t tab = line.find('\t');
            f[n++] = line.substr(0, tab);
            if (tab == std::string_view::npos)
                break;
            line = line.substr(tab + 1);
        }
        long long code = std::stoll(std::string(f[1]));
        bool ok = true;
        switch (f[0].empty() ? ' ' : f[0][0]) {
        case 'P':
            ok = provinces.add({code, f[2]}) &&
                 rates.add({code, f[2], kDefaultTemplate, kFirstWeightFee, kFurtherWeightFee, kFreeAbove});
            break;
        case 'C':
            ok = cities.add({code, f[2], f[3]});
            break;
        case 'A':
            ok = areas.add({code, f[2], f[3]});
            break;
        default:
            break;
        }
        if (!ok)
            return false;
    }
    return provinces.flush() && rates.flush() && cities.flush() && areas.flush();
}

}

const std::vector<SchemaTable> &schemaTables()
{
    static const std::vector<SchemaTable> tables = makeTables();
    return tables;
}

const PermissionSeed kPermissionSeeds[] = {
    {1, 0, "快递打印"},    {2, 0, "模板管理"},          {3, 0, "数据管理"},        {4, 0, "系统选项"},
    {5, 1, "新快递单"},    {6, 1, "单张打印"},          {7, 1, "批量打印"},        {8, 3, "淘宝订单"},
    {9, 2, "新建模板"},    {10, 2, "编辑模板"},         {11, 2, "模板导入"},       {12, 2, "模板导出"},
    {13, 2, "删除模板"},   {14, 3, "新发件人"},         {15, 3, "新收件人"},       {16, 3, "收货信息识别"},
    {17, 3, "添加货品"},   {18, 3, "运费设置"},         {19, 3, "历史快递单查询"}, {20, 3, "数据库备份"},
    {21, 3, "数据库还原"}, {22, 3, "数据库压缩和修复"}, {23, 4, "系统设置"},       {24, 4, "用户管理"},
    {25, 4, "修改密码"},   {26, 4, "权限设置"},
};
const int kPermissionSeedCount = int(sizeof kPermissionSeeds / sizeof kPermissionSeeds[0]);

bool createFirstVersionTables(DbConnection &db)
{
    return stepBaseTables(db);
}

int schemaVersionOf(DbConnection &db)
{
    bool failed = false;
    if (!tableExists(db, "dbInfo", failed))
        return failed ? -1 : 0;
    DbRows rows = db.query("select infoValue from dbInfo where infoName = 'schemaVersion'");
    if (!rows.ok)
        return -1;
    return rows.empty() ? 0 : std::atoi(rows[0].at(0).c_str());
}

bool createSchema(DbConnection &db)
{
    // A quick look without the write lock: an up-to-date database (the
    // usual case) is left without waiting for writers.
    const int seen = schemaVersionOf(db);
    if (seen < 0)
        return false;
    if (seen > kSchemaVersion) {
        db.setError(newerMessage(seen));
        return false;
    }
    if (seen == kSchemaVersion)
        return true;
    Transaction tx(db);
    if (!tx.active())
        return false;
    // Another program may have upgraded it meanwhile.
    const int have = schemaVersionOf(db);
    if (have < 0)
        return false;
    if (have > kSchemaVersion) {
        db.setError(newerMessage(have));
        return false;
    }
    for (const Step &s : steps())
        if (s.version > have && !s.run(db))
            return false;
    if (have < kSchemaVersion && !writeInfo(db, "schemaVersion", std::to_string(kSchemaVersion)))
        return false;
    return tx.commit();
}

bool seedNewDatabase(DbConnection &db)
{
    for (const char *table : {"receiverClass", "senderClass", "cargoClass"})
        if (db.execute(std::string("insert into ") + table + "(className) values(?)", {"_全部类别_"}) < 0)
            return false;
    if (!seedRegions(db))
        return false;
    // The built-in administrator's password is empty, and kept as a hash
    // like every other.
    const std::string adminPassword = hashPassword("");
    if (adminPassword.empty() ||
        db.execute("insert into userLogin(user_id, user_pwd, user_loginTime) values(?, ?, NULL)",
                   {"admin", adminPassword}) < 0)
        return false;
    BatchInsert permissions(db, "insert into userPermission(user_id, ID, PID, Caption, permission)", 5);
    for (int i = 0; i < kPermissionSeedCount; ++i) {
        const PermissionSeed &p = kPermissionSeeds[i];
        if (!permissions.add({"admin", p.id, p.pid, p.caption, "1"}))
            return false;
    }
    return permissions.flush();
}

std::string unusableMark(DbConnection &db)
{
    bool failed = false;
    if (!tableExists(db, "dbInfo", failed))
        return {};
    DbRows rows = db.query("select infoValue from dbInfo where infoName = 'unusable'");
    return rows.empty() ? std::string() : rows[0].at(0);
}

bool setUnusableMark(DbConnection &db, const std::string &reason)
{
    return writeInfo(db, "unusable", reason.empty() ? std::string("unusable") : reason);
}

bool clearUnusableMark(DbConnection &db)
{
    return db.execute("delete from dbInfo where infoName = 'unusable'") >= 0;
}

namespace {

// An empty server database gets the whole schema and the seed rows in one
// transaction; an existing one is upgraded. `db` is open.
bool initOpenDatabase(DbConnection &db, std::string *error)
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    bool failed = false;
    const bool empty = !tableExists(db, "receiver", failed);
    if (failed)
        return fail(db.lastError());
    if (empty) {
        Transaction tx(db);
        if (!tx.active())
            return fail(db.lastError());
        // Another station may have made it meanwhile.
        const bool stillEmpty = !tableExists(db, "receiver", failed);
        if (failed)
            return fail(db.lastError());
        if (stillEmpty && !(createSchema(db) && seedNewDatabase(db)))
            return fail(db.lastError());
        if (!tx.commit())
            return fail(db.lastError());
    } else if (!createSchema(db)) {
        return fail(db.lastError());
    }
    if (const std::string mark = unusableMark(db); !mark.empty())
        return fail("数据库被标记为不可用：" + mark);
    return true;
}

}

bool initDatabase(const std::string &location, std::string *error)
{
    DbConnection db;
    if (!db.open(location)) {
        if (error)
            *error = db.lastError();
        return false;
    }
    return initOpenDatabase(db, error);
}

bool initDataFolder(const DataFolder &folder, std::string *error)
{
    if (!folder.ensureLayout(error))
        return false;
    const std::string dbPath = folder.databasePath();
    if (isServerLocation(dbPath)) {
        if (!initDatabase(dbPath, error))
            return false;
        // A station new to the shop gets a new folder's settings.
        if (!fileExists(folder.configPath()))
            writeNewFolderSettings(ConfigFile(folder.configPath()));
        // The shop's templates, as the other stations left them.
        const TemplateSyncResult s = syncTemplates(folder);
        if (!s.ok && error)
            *error = "templates: " + s.error;
        return s.ok;
    }
    if (fileExists(dbPath))
        return initDatabase(dbPath, error);
    const std::string tmpPath = dbPath + ".new";
    ::unlink(tmpPath.c_str());
    {
        DbConnection db;
        bool ok = db.open(tmpPath, true);
        if (ok) {
            Transaction tx(db);
            ok = tx.active() && createSchema(db) && seedNewDatabase(db) && tx.commit();
        }
        if (!ok) {
            if (error)
                *error = db.lastError();
            db.close();
            ::unlink(tmpPath.c_str());
            return false;
        }
    }
    if (::rename(tmpPath.c_str(), dbPath.c_str()) != 0) {
        if (error)
            *error = "cannot create " + dbPath;
        ::unlink(tmpPath.c_str());
        return false;
    }
    // A new folder's settings; a config.ini brought along keeps its own.
    // Like every settings write, a failure leaves the defaults.
    writeNewFolderSettings(ConfigFile(folder.configPath()));
    return true;
}

}
