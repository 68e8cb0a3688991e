#include "core/waybill/PrintListStore.h"

#include "core/waybill/WaybillSearch.h"

namespace zentra {

std::vector<WaybillRow> searchPrintList(DbConnection &db, std::string_view text, bool *ok)
{
    if (text.empty())
        return readPrintList(db, ok);
    const SqlDialect &d = db.dialect();
    return queryWaybillRows(db,
                            "select * from printList where " + waybillTextCondition(d, text) + " order by " +
                                d.folded("expressNo") + " asc nulls first, printId asc",
                            {likePattern(text)}, ok);
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
        // A deleted row's claim goes with it.
        if (table == WaybillTable::PrintList && db.execute("delete from printClaim where printId = ?",
                                                           {static_cast<long long>(id)}) < 0)
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
    // Each row moves inside a savepoint of its own, so it is in exactly one
    // table whatever fails; the batch is committed once (one write to disk
    // instead of one per row). A failure undoes that row only, and the rows
    // before it are committed moved.
    MoveResult result;
    Transaction tx(db);
    if (!tx.active()) {
        result.complete = false;
        return result;
    }
    DbStatement copy(db, "insert into printHistory select * from printList where printId = ?");
    DbStatement remove(db, "delete from printList where printId = ?");
    DbStatement release(db, "delete from printClaim where printId = ?");
    std::vector<std::int64_t> moved;
    bool complete = copy.ok() && remove.ok() && release.ok();
    for (std::size_t i = 0; complete && i < ids.size(); ++i) {
        const DbParams key{static_cast<long long>(ids[i])};
        Savepoint row(db, "moveRow");
        if (!row.active()) {
            complete = false;
            break;
        }
        const int copied = copy.execute(key);
        const bool ok = copied == 0 || (copied == 1 && remove.execute(key) == 1 && release.execute(key) >= 0);
        if (!ok) {
            row.rollback();
            complete = false;
            break;
        }
        row.release();
        if (copied == 1) // else gone from the list meanwhile: nothing to move
            moved.push_back(ids[i]);
    }
    const std::string why = db.lastError();
    const DbFailure failure = db.lastFailure();
    if (!tx.commit()) {
        result.complete = false;
        return result;
    }
    if (!complete)
        db.setError(why, failure);
    result.moved = std::move(moved);
    result.complete = complete;
    return result;
}

}
