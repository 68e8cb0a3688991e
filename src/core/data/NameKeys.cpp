#include "core/data/NameKeys.h"

#include "core/data/DbConnection.h"
#include "core/data/GbkCollation.h"

namespace zentra {

const std::vector<NameKeyColumns> &nameKeyColumns()
{
    static const std::vector<NameKeyColumns> columns = {
        {"receiver", "rID", "rname", "rnameKey"},
        {"sender", "sID", "sname", "snameKey"},
        {"cargo", "cargoID", "cname", "cnameKey"},
    };
    return columns;
}

const NameKeyColumns *nameKeyOf(const std::string &table)
{
    for (const NameKeyColumns &k : nameKeyColumns())
        if (table == k.table)
            return &k;
    return nullptr;
}

std::string nameKeyTriggerScript(const SqlDialect &dialect, const NameKeyColumns &k)
{
    const std::string table = k.table, name = k.nameColumn, key = k.keyColumn, id = k.idColumn;
    const std::string trigger = table + "_nameKey_stale";
    if (dialect.isPostgres())
        return "CREATE OR REPLACE FUNCTION " + trigger + "() RETURNS trigger LANGUAGE plpgsql AS $$\n"
               "BEGIN\n"
               "  IF NEW." + name + " IS DISTINCT FROM OLD." + name + " AND NEW." + key +
               " IS NOT DISTINCT FROM OLD." + key + " THEN\n"
               "    NEW." + key + " := NULL;\n"
               "  END IF;\n"
               "  RETURN NEW;\n"
               "END $$;\n"
               "DROP TRIGGER IF EXISTS " + trigger + " ON " + table + ";\n"
               "CREATE TRIGGER " + trigger + " BEFORE UPDATE ON " + table +
               " FOR EACH ROW EXECUTE FUNCTION " + trigger + "();\n";
    return "CREATE TRIGGER IF NOT EXISTS " + trigger + " AFTER UPDATE OF " + name + " ON " + table +
           " WHEN NEW." + name + " IS NOT OLD." + name + " AND NEW." + key + " IS OLD." + key + " BEGIN\n"
           "  UPDATE " + table + " SET " + key + " = NULL WHERE " + id + " = NEW." + id + ";\n"
           "END;\n";
}

bool fillMissingNameKeys(DbConnection &db, const std::string &table)
{
    const NameKeyColumns *k = nameKeyOf(table);
    if (!k)
        return true;
    const std::string select = std::string("select ") + k->idColumn + ", " + k->nameColumn + " from " + table +
                               " where " + k->keyColumn + " is null";
    DbRows missing = db.query(select);
    if (!missing.ok)
        return false;
    if (missing.empty())
        return true;
    Transaction tx(db);
    if (!tx.active())
        return false;
    const std::string update = std::string("update ") + table + " set " + k->keyColumn + " = ? where " +
                               k->idColumn + " = ? and " + k->keyColumn + " is null";
    for (const DbRow &r : missing)
        if (db.execute(update, {gbkSortKey(r.at(1)), r.integer(k->idColumn)}) < 0)
            return false;
    return tx.commit();
}

bool fillMissingNameKeys(DbConnection &db)
{
    for (const NameKeyColumns &k : nameKeyColumns())
        if (!fillMissingNameKeys(db, k.table))
            return false;
    return true;
}

}
