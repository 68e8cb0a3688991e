#include "core/masterdata/BookKind.h"

#include <algorithm>

namespace zentra {
namespace {

// The address books: the receiver book and the sender book hold the same
// columns under their own prefix.
BookKind addressBook(const std::string &p, bool sender)
{
    BookKind k;
    k.table = sender ? "sender" : "receiver";
    k.prefix = p;
    const char *fields[] = {"name", "mobile", "phone", "province", "city",  "district", "address", "post", "company",
                            "note", "ww",     "qq",    "self1",    "self2", "self3",    "self4",   "class"};
    k.idColumn = p + "ID";
    k.columns.push_back(k.idColumn);
    for (const char *f : fields)
        k.columns.push_back(p + f);
    k.columns.push_back(p + "namePY");
    k.columns.push_back(p + "date");
    k.keyColumns = {p + "mobile", p + "address"};
    k.nameColumn = p + "name";
    k.nameKeyColumn = p + "nameKey";
    k.pinyinSource = p + "name";
    k.pinyinColumn = p + "namePY";
    k.dateColumn = p + "date";
    for (const char *f : {"name", "mobile", "phone", "province", "city", "district", "address", "post", "company",
                          "note", "ww", "qq", "self1", "self2", "self3", "self4", "class", "namePY", "date"})
        k.searchColumns.push_back(p + f);
    if (sender) {
        k.required = {{p + "name", "请输入发件人姓名!"},
                      {p + "mobile", "请输入发件人手机号码!"},
                      {p + "address", "请输入发件人地址!"}};
        k.duplicateMessage = "发件人手机号码和地址重复!";
    } else {
        k.required = {
            {p + "name", "请输入收件人姓名!"}, {p + "mobile", "请输入手机号码!"}, {p + "address", "请输入收件人地址!"}};
        k.duplicateMessage = "收件人手机号码和地址重复!";
    }
    k.classTable = sender ? "senderClass" : "receiverClass";
    k.classColumn = p + "class";
    k.classExistsMessage = "该用户类别已经存在";
    k.gridColumns = {{"姓名", p + "name"},
                     {"类别", p + "class"},
                     {"旺旺号", p + "ww"},
                     {"QQ号", p + "qq"},
                     {"手机", p + "mobile"},
                     {"固话", p + "phone"},
                     {"省份", p + "province"},
                     {"城市", p + "city"},
                     {"区镇", p + "district"},
                     {"邮编", p + "post"},
                     {"公司", p + "company"},
                     {"地址", p + "address"},
                     {"备注", p + "note"},
                     {"自定义1", p + "self1"},
                     {"自定义2", p + "self2"},
                     {"自定义3", p + "self3"},
                     {sender ? "发件人签名" : "自定义4", p + "self4"},
                     {"收录日期", p + "date"},
                     {"编号", k.idColumn}};
    return k;
}

BookKind goods()
{
    BookKind k;
    k.table = "cargo";
    k.prefix = "c";
    k.idColumn = "cargoID";
    k.columns = {"cargoID", "cname",   "cshort",   "cclass",    "cbarcode", "cweight", "ccurNum",
                 "cbotNum", "ctopNum", "cpriceIn", "cpriceOut", "cpriceOn", "cnote",   "cshortPY"};
    k.keyColumns = {"cname"};
    k.nameColumn = "cname";
    k.nameKeyColumn = "cnameKey";
    k.pinyinSource = "cshort";
    k.pinyinColumn = "cshortPY";
    k.numericColumns = {"cweight", "ccurNum", "cbotNum", "ctopNum", "cpriceIn", "cpriceOut", "cpriceOn"};
    k.searchColumns = {"cname",   "cshort",   "cclass",    "cbarcode", "cweight", "ccurNum", "cbotNum",
                       "ctopNum", "cpriceIn", "cpriceOut", "cpriceOn", "cnote",   "cshortPY"};
    k.required = {{"cname", "请输入货品名称!"}, {"cshort", "请输入货品简称!"}};
    k.duplicateMessage = "货品名称重复!";
    k.classTable = "cargoClass";
    k.classColumn = "cclass";
    k.classExistsMessage = "该货品类别已经存在";
    k.gridColumns = {{"货品名称", "cname"},     {"简称", "cshort"},       {"货品类别", "cclass"},
                     {"条码", "cbarcode"},      {"重量", "cweight"},      {"货品库存", "ccurNum"},
                     {"最低库存", "cbotNum"},   {"最高库存", "ctopNum"},  {"进货价格", "cpriceIn"},
                     {"零售价格", "cpriceOut"}, {"促销价格", "cpriceOn"}, {"货品备注", "cnote"}};
    return k;
}

}

bool BookKind::isNumeric(const std::string &column) const
{
    return std::find(numericColumns.begin(), numericColumns.end(), column) != numericColumns.end();
}

bool BookKind::hasColumn(const std::string &column) const
{
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

std::string BookKind::columnOfKey(const std::string &key) const
{
    std::string column = prefix + key;
    if (key.empty() || column == idColumn || column == pinyinColumn || column == dateColumn || !hasColumn(column))
        return {};
    return column;
}

const BookKind &receiverBook()
{
    static const BookKind k = addressBook("r", false);
    return k;
}

const BookKind &senderBook()
{
    static const BookKind k = addressBook("s", true);
    return k;
}

const BookKind &cargoBook()
{
    static const BookKind k = goods();
    return k;
}

}
