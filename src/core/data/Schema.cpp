#include "core/data/Schema.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/SeedData.h"
#include "core/users/PasswordHash.h"
#include "core/waybill/WaybillSearch.h"

#include <cstdio>
#include <string_view>
#include <unistd.h>

namespace zentra {

// Text columns compare without regard to ASCII case, as the original database
// engine did, so a natural key ("Admin" vs "admin") finds the same row. The
// books' name indexes use the GBK collation the lists sort by, so a book opens
// in index order without sorting; every connection of ours registers it.
static const char *const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS receiver (
  rID INTEGER PRIMARY KEY AUTOINCREMENT,
  rname TEXT COLLATE NOCASE, rmobile TEXT COLLATE NOCASE, rphone TEXT COLLATE NOCASE,
  rprovince TEXT COLLATE NOCASE, rcity TEXT COLLATE NOCASE, rdistrict TEXT COLLATE NOCASE,
  raddress TEXT COLLATE NOCASE, rpost TEXT COLLATE NOCASE, rcompany TEXT COLLATE NOCASE,
  rnote TEXT COLLATE NOCASE, rww TEXT COLLATE NOCASE, rqq TEXT COLLATE NOCASE,
  rself1 TEXT COLLATE NOCASE, rself2 TEXT COLLATE NOCASE, rself3 TEXT COLLATE NOCASE, rself4 TEXT COLLATE NOCASE,
  rclass TEXT COLLATE NOCASE, rnamePY TEXT COLLATE NOCASE, rdate TEXT);
CREATE INDEX IF NOT EXISTS receiver_key ON receiver(rmobile, raddress);
CREATE INDEX IF NOT EXISTS receiver_name ON receiver(rname COLLATE GBK, rID);

CREATE TABLE IF NOT EXISTS sender (
  sID INTEGER PRIMARY KEY AUTOINCREMENT,
  sname TEXT COLLATE NOCASE, smobile TEXT COLLATE NOCASE, sphone TEXT COLLATE NOCASE,
  sprovince TEXT COLLATE NOCASE, scity TEXT COLLATE NOCASE, sdistrict TEXT COLLATE NOCASE,
  saddress TEXT COLLATE NOCASE, spost TEXT COLLATE NOCASE, scompany TEXT COLLATE NOCASE,
  snote TEXT COLLATE NOCASE, sww TEXT COLLATE NOCASE, sqq TEXT COLLATE NOCASE,
  sself1 TEXT COLLATE NOCASE, sself2 TEXT COLLATE NOCASE, sself3 TEXT COLLATE NOCASE, sself4 TEXT COLLATE NOCASE,
  sclass TEXT COLLATE NOCASE, snamePY TEXT COLLATE NOCASE, sdate TEXT);
CREATE INDEX IF NOT EXISTS sender_key ON sender(smobile, saddress);
CREATE INDEX IF NOT EXISTS sender_name ON sender(sname COLLATE GBK, sID);

CREATE TABLE IF NOT EXISTS receiverClass (className TEXT COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS senderClass (className TEXT COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS cargoClass (className TEXT COLLATE NOCASE);

CREATE TABLE IF NOT EXISTS cargo (
  cargoID INTEGER PRIMARY KEY AUTOINCREMENT,
  cname TEXT COLLATE NOCASE, cshort TEXT COLLATE NOCASE, cclass TEXT COLLATE NOCASE, cbarcode TEXT COLLATE NOCASE,
  cweight REAL, ccurNum REAL, cbotNum REAL, ctopNum REAL, cpriceIn REAL, cpriceOut REAL, cpriceOn REAL,
  cnote TEXT COLLATE NOCASE, cshortPY TEXT COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS cargo_name ON cargo(cname);
CREATE INDEX IF NOT EXISTS cargo_order ON cargo(cname COLLATE GBK, cargoID);

CREATE TABLE IF NOT EXISTS cargoSel (
  cargoID INTEGER PRIMARY KEY AUTOINCREMENT,
  cname TEXT COLLATE NOCASE, cshort TEXT COLLATE NOCASE, cclass TEXT COLLATE NOCASE, cbarcode TEXT COLLATE NOCASE,
  cweight REAL, ccurNum REAL, cbotNum REAL, ctopNum REAL, cpriceIn REAL, cpriceOut REAL, cpriceOn REAL,
  cnote TEXT COLLATE NOCASE, cshortPY TEXT COLLATE NOCASE);

CREATE TABLE IF NOT EXISTS freight (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  provinceID INTEGER, province TEXT COLLATE NOCASE, tmpName TEXT COLLATE NOCASE,
  afreight TEXT, bfreight TEXT, moneyFree TEXT);
CREATE INDEX IF NOT EXISTS freight_template ON freight(tmpName);

CREATE TABLE IF NOT EXISTS printList (
  printId INTEGER PRIMARY KEY AUTOINCREMENT,
  orderNo TEXT COLLATE NOCASE, expressNo TEXT COLLATE NOCASE, templateName TEXT COLLATE NOCASE,
  printTime TEXT, tradeTime TEXT,
  cargoName TEXT COLLATE NOCASE, cargoShort TEXT COLLATE NOCASE,
  cargoNum REAL, cargoWeight REAL, orderprice REAL, postfee REAL, getmoney REAL, protectMoney REAL,
  rname TEXT COLLATE NOCASE, rmobile TEXT COLLATE NOCASE, rphone TEXT COLLATE NOCASE,
  rprovince TEXT COLLATE NOCASE, rcity TEXT COLLATE NOCASE, rdistrict TEXT COLLATE NOCASE,
  raddress TEXT COLLATE NOCASE, rpost TEXT COLLATE NOCASE, rcompany TEXT COLLATE NOCASE,
  rnote TEXT COLLATE NOCASE, rww TEXT COLLATE NOCASE, rqq TEXT COLLATE NOCASE,
  rself1 TEXT COLLATE NOCASE, rself2 TEXT COLLATE NOCASE, rself3 TEXT COLLATE NOCASE, rself4 TEXT COLLATE NOCASE,
  rnamePY TEXT COLLATE NOCASE,
  sname TEXT COLLATE NOCASE, smobile TEXT COLLATE NOCASE, sphone TEXT COLLATE NOCASE,
  sprovince TEXT COLLATE NOCASE, scity TEXT COLLATE NOCASE, sdistrict TEXT COLLATE NOCASE,
  saddress TEXT COLLATE NOCASE, spost TEXT COLLATE NOCASE, scompany TEXT COLLATE NOCASE,
  snote TEXT COLLATE NOCASE, sww TEXT COLLATE NOCASE, sqq TEXT COLLATE NOCASE,
  sself1 TEXT COLLATE NOCASE, sself2 TEXT COLLATE NOCASE, sself3 TEXT COLLATE NOCASE, sself4 TEXT COLLATE NOCASE,
  snamePY TEXT COLLATE NOCASE);

CREATE TABLE IF NOT EXISTS printHistory (
  printId INTEGER PRIMARY KEY AUTOINCREMENT,
  orderNo TEXT COLLATE NOCASE, expressNo TEXT COLLATE NOCASE, templateName TEXT COLLATE NOCASE,
  printTime TEXT, tradeTime TEXT,
  cargoName TEXT COLLATE NOCASE, cargoShort TEXT COLLATE NOCASE,
  cargoNum REAL, cargoWeight REAL, orderprice REAL, postfee REAL, getmoney REAL, protectMoney REAL,
  rname TEXT COLLATE NOCASE, rmobile TEXT COLLATE NOCASE, rphone TEXT COLLATE NOCASE,
  rprovince TEXT COLLATE NOCASE, rcity TEXT COLLATE NOCASE, rdistrict TEXT COLLATE NOCASE,
  raddress TEXT COLLATE NOCASE, rpost TEXT COLLATE NOCASE, rcompany TEXT COLLATE NOCASE,
  rnote TEXT COLLATE NOCASE, rww TEXT COLLATE NOCASE, rqq TEXT COLLATE NOCASE,
  rself1 TEXT COLLATE NOCASE, rself2 TEXT COLLATE NOCASE, rself3 TEXT COLLATE NOCASE, rself4 TEXT COLLATE NOCASE,
  rnamePY TEXT COLLATE NOCASE,
  sname TEXT COLLATE NOCASE, smobile TEXT COLLATE NOCASE, sphone TEXT COLLATE NOCASE,
  sprovince TEXT COLLATE NOCASE, scity TEXT COLLATE NOCASE, sdistrict TEXT COLLATE NOCASE,
  saddress TEXT COLLATE NOCASE, spost TEXT COLLATE NOCASE, scompany TEXT COLLATE NOCASE,
  snote TEXT COLLATE NOCASE, sww TEXT COLLATE NOCASE, sqq TEXT COLLATE NOCASE,
  sself1 TEXT COLLATE NOCASE, sself2 TEXT COLLATE NOCASE, sself3 TEXT COLLATE NOCASE, sself4 TEXT COLLATE NOCASE,
  snamePY TEXT COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS printHistory_time ON printHistory(printTime);

-- A printed waybill moves from printList to printHistory keeping its printId,
-- while a single print goes straight into printHistory with a new one. Both
-- tables therefore draw their ids from one shared range: whenever either table
-- receives an id, the other's counter is raised past it, so a moved row can
-- never collide with a row already in the history.
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

CREATE TABLE IF NOT EXISTS province (provinceID INTEGER, province TEXT COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS city (cityID INTEGER, city TEXT COLLATE NOCASE, father TEXT);
CREATE INDEX IF NOT EXISTS city_father ON city(father);
CREATE TABLE IF NOT EXISTS area (areaID INTEGER, area TEXT COLLATE NOCASE, father TEXT);
CREATE INDEX IF NOT EXISTS area_father ON area(father);

CREATE TABLE IF NOT EXISTS tbList (
  tb_id INTEGER PRIMARY KEY AUTOINCREMENT,
  tb_orderNum TEXT COLLATE NOCASE, tb_status TEXT COLLATE NOCASE, tb_nickName TEXT COLLATE NOCASE,
  tb_proCity TEXT COLLATE NOCASE, tb_tradetime TEXT,
  tb_orderprice TEXT, tb_postfee TEXT, tb_getmoney TEXT,
  tb_addressInfo TEXT COLLATE NOCASE, tb_sNote TEXT COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tbList_order ON tbList(tb_orderNum);

CREATE TABLE IF NOT EXISTS tbGoods (
  tb_orderNum TEXT COLLATE NOCASE, tb_item TEXT COLLATE NOCASE, tb_sku TEXT COLLATE NOCASE,
  tb_price TEXT, tb_num TEXT);
CREATE INDEX IF NOT EXISTS tbGoods_order ON tbGoods(tb_orderNum);

CREATE TABLE IF NOT EXISTS userLogin (
  user_id TEXT COLLATE NOCASE PRIMARY KEY, user_pwd TEXT, user_loginTime TEXT);

CREATE TABLE IF NOT EXISTS userPermission (
  user_id TEXT COLLATE NOCASE, ID INTEGER, PID INTEGER, Caption TEXT, permission TEXT);
CREATE INDEX IF NOT EXISTS userPermission_user ON userPermission(user_id, ID);
)sql";

const PermissionSeed kPermissionSeeds[] = {
    {1, 0, "快递打印"},
    {2, 0, "模板管理"},
    {3, 0, "数据管理"},
    {4, 0, "系统选项"},
    {5, 1, "新快递单"},
    {6, 1, "单张打印"},
    {7, 1, "批量打印"},
    {8, 3, "淘宝订单"},
    {9, 2, "新建模板"},
    {10, 2, "编辑模板"},
    {11, 2, "模板导入"},
    {12, 2, "模板导出"},
    {13, 2, "删除模板"},
    {14, 3, "新发件人"},
    {15, 3, "新收件人"},
    {16, 3, "收货信息识别"},
    {17, 3, "添加货品"},
    {18, 3, "运费设置"},
    {19, 3, "历史快递单查询"},
    {20, 3, "数据库备份"},
    {21, 3, "数据库还原"},
    {22, 3, "数据库压缩和修复"},
    {23, 4, "系统设置"},
    {24, 4, "用户管理"},
    {25, 4, "修改密码"},
    {26, 4, "权限设置"},
};
const int kPermissionSeedCount = int(sizeof kPermissionSeeds / sizeof kPermissionSeeds[0]);

bool createSchema(DbConnection &db)
{
    return db.executeScript(kSchema);
}

namespace {

// Default rates of a new template: 10 yuan for the first unit of weight, 5 for
// each further unit, no free shipping below an order of 99999 yuan.
constexpr const char *kDefaultTemplate = "tmp_default";
constexpr const char *kFirstWeightFee = "10";
constexpr const char *kFurtherWeightFee = "5";
constexpr const char *kFreeAbove = "99999";

bool seedRegions(DbConnection &db)
{
    std::string_view data = seedData("regions.tsv");
    if (data.empty())
        return false;
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
        int rc = 0;
        switch (f[0].empty() ? ' ' : f[0][0]) {
        case 'P':
            rc = db.execute("insert into province(provinceID, province) values(?, ?)", {code, f[2]});
            if (rc >= 0)
                rc = db.execute("insert into freight(provinceID, province, tmpName, afreight, bfreight, moneyFree) "
                                "values(?, ?, ?, ?, ?, ?)",
                                {code, f[2], kDefaultTemplate, kFirstWeightFee, kFurtherWeightFee, kFreeAbove});
            break;
        case 'C':
            rc = db.execute("insert into city(cityID, city, father) values(?, ?, ?)", {code, f[2], f[3]});
            break;
        case 'A':
            rc = db.execute("insert into area(areaID, area, father) values(?, ?, ?)", {code, f[2], f[3]});
            break;
        default:
            break;
        }
        if (rc < 0)
            return false;
    }
    return true;
}

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
    for (int i = 0; i < kPermissionSeedCount; ++i) {
        const PermissionSeed &p = kPermissionSeeds[i];
        if (db.execute("insert into userPermission(user_id, ID, PID, Caption, permission) values(?, ?, ?, ?, ?)",
                       {"admin", p.id, p.pid, p.caption, "1"}) < 0)
            return false;
    }
    return true;
}

bool initDataFolder(const DataFolder &folder, std::string *error)
{
    if (!folder.ensureLayout(error))
        return false;
    const std::string dbPath = folder.databasePath();
    if (fileExists(dbPath)) {
        // A database made by an earlier version gets the tables and indexes
        // added since (every statement of the schema leaves what exists
        // alone) and the history's search index. Should that fail (a
        // read-only file, a locked database), the file is reported where it
        // is used and the search makes its index when it is first needed.
        DbConnection db;
        if (db.open(dbPath)) {
            createSchema(db);
            ensureHistorySearchIndex(db);
        }
        return true;
    }
    const std::string tmpPath = dbPath + ".new";
    ::unlink(tmpPath.c_str());
    {
        DbConnection db;
        bool ok = db.open(tmpPath, true) && createSchema(db);
        if (ok) {
            Transaction tx(db);
            ok = tx.active() && seedNewDatabase(db) && tx.commit();
        }
        ok = ok && ensureHistorySearchIndex(db);
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
