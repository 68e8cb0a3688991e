#include "core/waybill/PrintListStore.h"

#include "core/waybill/WaybillSearch.h"

namespace zentra {

std::vector<WaybillRow> searchPrintList(DbConnection &db, std::string_view text, bool *ok)
{
    if (text.empty())
        return readPrintList(db, ok);
    static const std::string sql =
        "select * from printList where " + waybillTextCondition() + " order by expressNo asc, printId asc";
    DbRows rows = db.query(sql, {likePattern(text)});
    if (ok)
        *ok = rows.ok;
    return waybillRowsFrom(rows);
}

int deleteWaybillRows(DbConnection &db, WaybillTable table, const std::vector<std::int64_t> &ids)
{
    Transaction tx(db);
    if (!tx.active())
        return -1;
    const std::string sql = std::string("delete from ") + waybillTableName(table) + " where printId = ?";
    DbStatement del(db, sql);
    if (!del.ok())
        return -1;
    int deleted = 0;
    for (std::int64_t id : ids) {
        const int n = del.execute({static_cast<long long>(id)});
        if (n < 0)
            return -1;
        deleted += n;
    }
    return tx.commit() ? deleted : -1;
}

bool setExpressNo(DbConnection &db, std::int64_t printId, std::string_view expressNo)
{
    return db.execute("update printList set expressNo = ? where printId = ?",
                      {expressNo, static_cast<long long>(printId)}) == 1;
}

MoveResult movePrintedRows(DbConnection &db, const std::vector<std::int64_t> &ids)
{
    MoveResult result;
    for (std::int64_t id : ids) {
        Transaction tx(db);
        if (!tx.active()) {
            result.complete = false;
            return result;
        }
        const DbParams key{static_cast<long long>(id)};
        const int copied = db.execute("insert into printHistory select * from printList where printId = ?", key);
        if (copied < 0) {
            result.complete = false;
            return result;
        }
        if (copied == 0)
            continue; // gone from the list meanwhile: nothing to move
        if (db.execute("delete from printList where printId = ?", key) != 1 || !tx.commit()) {
            result.complete = false;
            return result;
        }
        result.moved.push_back(id);
    }
    return result;
}

}
