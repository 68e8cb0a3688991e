#include "core/masterdata/MasterBook.h"

#include "core/data/GbkCollation.h"
#include "core/data/NameKeys.h"
#include "core/text/LocalTime.h"
#include "core/text/Pinyin.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <unordered_map>
#include <unordered_set>

namespace zentra {
namespace {

const std::string kNoText;

const std::string &valueOf(const BookEntry &entry, const std::string &column)
{
    auto it = entry.find(column);
    return it == entry.end() ? kNoText : it->second;
}

// A LIKE pattern that finds `text` literally anywhere: "\" escapes the
// wildcards and itself.
std::string containsPattern(const std::string &text)
{
    std::string p = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            p += '\\';
        p += c;
    }
    return p + "%";
}

// Runs `sql` in one transaction with the check that no class is named
// `name` yet (a taken name is refused with the book's message).
BookResult changeUnlessClassTaken(DbConnection &db, const BookKind &kind, const std::string &name,
                                  const std::string &sql, const DbParams &params)
{
    Transaction tx(db);
    if (!tx.active())
        return BookResult::failed(db.lastError());
    const SqlDialect &d = db.dialect();
    DbRows found = db.query(
        "select className from " + kind.classTable + " where " + d.folded("className") + "=" + d.folded("?"), {name});
    if (!found.ok)
        return BookResult::failed(db.lastError());
    if (!found.empty())
        return BookResult::refused(kind.classExistsMessage);
    int n = db.execute(sql, params);
    if (n < 0 || !tx.commit())
        return BookResult::failed(db.lastError());
    BookResult r;
    r.changed = n;
    return r;
}

}

std::string bookSearchText(const BookKind &kind, const SqlDialect &d)
{
    std::string joined;
    for (const std::string &c : kind.searchColumns) {
        const std::string part = "coalesce(" + (kind.isNumeric(c) ? d.realText(c) : c) + ", '')";
        joined = joined.empty() ? part : d.joinWithSeparator(joined, part);
    }
    return "(" + joined + ")";
}

bool createBookSearchIndexes(DbConnection &db)
{
    const SqlDialect &d = db.dialect();
    if (!d.isPostgres())
        return true;
    std::string sql;
    for (const BookKind *k : {&receiverBook(), &senderBook(), &cargoBook()})
        sql += "CREATE INDEX IF NOT EXISTS " + k->table + "_text ON " + k->table + " USING gin (" +
               bookSearchText(*k, d) + " gin_trgm_ops);\n";
    return db.executeScript(sql);
}

BookEntry entryOf(const BookKind &kind, const DbRow &row)
{
    BookEntry e;
    for (const std::string &c : kind.columns)
        if (c != kind.idColumn)
            e[c] = row.text(c);
    return e;
}

bool isAllClasses(const std::string &className)
{
    return className.empty() || className == kAllClasses;
}

bool addMissingClass(DbConnection &db, const BookKind &kind, const std::string &className)
{
    if (isAllClasses(className))
        return true;
    const SqlDialect &d = db.dialect();
    DbRows known = db.query("select 1 from " + kind.classTable + " where " + d.folded("className") + "=" +
                                d.folded("?") + " limit 1",
                            {className});
    if (!known.ok)
        return false;
    return !known.empty() || db.execute("insert into " + kind.classTable + "(className) values(?)", {className}) == 1;
}

MasterBook::MasterBook(std::string databasePath, const BookKind &kind) : path_(std::move(databasePath)), kind_(kind) {}

std::string MasterBook::now()
{
    return localTimeNow();
}

bool MasterBook::openDb(DbConnection &db, std::string *error) const
{
    if (db.open(path_))
        return true;
    if (error)
        *error = db.lastError();
    return false;
}

std::string MasterBook::missingField(const BookEntry &entry) const
{
    for (const auto &[column, message] : kind_.required)
        if (valueOf(entry, column).empty())
            return message;
    return {};
}

DbParams MasterBook::valuesOf(const BookEntry &entry, const std::vector<std::string> &columns) const
{
    DbParams p;
    for (const std::string &c : columns) {
        if (c == kind_.nameKeyColumn) {
            p.values.emplace_back(gbkSortKey(valueOf(entry, kind_.nameColumn)));
        } else if (c == kind_.pinyinColumn) {
            const std::string &src = valueOf(entry, kind_.pinyinSource);
            p.values.emplace_back(src.empty() ? std::string() : toPinyin(src));
        } else if (kind_.isNumeric(c)) {
            p.values.emplace_back(std::strtod(valueOf(entry, c).c_str(), nullptr));
        } else {
            p.values.emplace_back(valueOf(entry, c));
        }
    }
    return p;
}

std::optional<DbRow> MasterBook::findIn(DbConnection &db, const BookEntry &key, bool &failed) const
{
    const SqlDialect &d = db.dialect();
    std::string sql = "select * from " + kind_.table + " where ";
    DbParams p;
    for (std::size_t i = 0; i < kind_.keyColumns.size(); ++i) {
        sql += (i ? " and " : "") + d.folded(kind_.keyColumns[i]) + "=" + d.folded("?");
        p.values.emplace_back(valueOf(key, kind_.keyColumns[i]));
    }
    sql += " order by " + kind_.idColumn + " asc limit 1";
    DbRows rows = db.query(sql, p);
    failed = !rows.ok;
    if (rows.empty())
        return std::nullopt;
    return rows[0];
}

std::optional<DbRow> MasterBook::find(const BookEntry &key, std::string *error) const
{
    DbConnection db;
    if (!openDb(db, error))
        return std::nullopt;
    bool failed = false;
    auto row = findIn(db, key, failed);
    if (failed && error)
        *error = db.lastError();
    return row;
}

std::string MasterBook::identityOf(const BookEntry &entry) const
{
    std::string key;
    for (const std::string &c : kind_.keyColumns) {
        for (const char ch : valueOf(entry, c))
            key += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
        key += '\0';
    }
    return key;
}

BookResult MasterBook::saveIn(DbConnection &db, const BookEntry &entry, Mode mode, const std::optional<DbRow> *known,
                              UpsertDate date, std::set<std::string> *classes, bool wantId) const
{
    // The class joins the class table unless the batch knows it is there.
    auto classStored = [&] {
        const std::string &className = valueOf(entry, kind_.classColumn);
        if (classes && classes->count(className))
            return true;
        if (!addMissingClass(db, kind_, className))
            return false;
        if (classes)
            classes->insert(className);
        return true;
    };
    // Only an entry that holds a time of entry can keep the one given.
    if (date == UpsertDate::Given && (kind_.dateColumn.empty() || valueOf(entry, kind_.dateColumn).empty()))
        date = UpsertDate::Keep;
    std::string missing = missingField(entry);
    if (!missing.empty())
        return BookResult::refused(missing);
    bool failed = false;
    std::optional<DbRow> existing = known ? *known : findIn(db, entry, failed);
    if (failed)
        return BookResult::failed(db.lastError());
    if (!existing) {
        std::vector<std::string> cols;
        for (const std::string &c : kind_.columns)
            if (c != kind_.idColumn)
                cols.push_back(c);
        cols.push_back(kind_.nameKeyColumn);
        BookEntry values = entry;
        if (!kind_.dateColumn.empty() && date != UpsertDate::Given)
            values[kind_.dateColumn] = now();
        std::string sql = "insert into " + kind_.table + "(";
        std::string marks;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            sql += (i ? "," : "") + cols[i];
            marks += i ? ",?" : "?";
        }
        sql += ") values(" + marks + ")";
        int n = db.execute(sql, valuesOf(values, cols));
        if (n < 0)
            return BookResult::failed(db.lastError());
        BookResult r;
        r.changed = n;
        r.id = wantId ? db.lastInsertId() : 0;
        r.inserted = true;
        if (!classStored())
            return BookResult::failed(db.lastError());
        return r;
    }
    if (mode == Mode::Add)
        return BookResult::refused(kind_.duplicateMessage);
    // The identity and the counter stay as they are; so does the time of
    // entry, unless the caller refreshes it or gives one.
    std::vector<std::string> cols;
    for (const std::string &c : kind_.columns)
        if (c != kind_.idColumn && (c != kind_.dateColumn || date != UpsertDate::Keep) &&
            std::find(kind_.keyColumns.begin(), kind_.keyColumns.end(), c) == kind_.keyColumns.end())
            cols.push_back(c);
    if (std::find(cols.begin(), cols.end(), kind_.nameColumn) != cols.end())
        cols.push_back(kind_.nameKeyColumn);
    std::string sql = "update " + kind_.table + " set ";
    for (std::size_t i = 0; i < cols.size(); ++i)
        sql += (i ? "," : "") + cols[i] + "=?";
    sql += " where " + kind_.idColumn + "=?";
    BookEntry values = entry;
    if (date == UpsertDate::Now && !kind_.dateColumn.empty())
        values[kind_.dateColumn] = now();
    DbParams p = valuesOf(values, cols);
    p.values.emplace_back(existing->integer(kind_.idColumn));
    int n = db.execute(sql, p);
    if (n < 0 || !classStored())
        return BookResult::failed(db.lastError());
    BookResult r;
    r.changed = n;
    r.id = existing->integer(kind_.idColumn);
    return r;
}

BookResult MasterBook::save(const BookEntry &entry, Mode mode) const
{
    std::string missing = missingField(entry);
    if (!missing.empty())
        return BookResult::refused(missing);
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    // Look-up and write in one transaction, so that two savers cannot both
    // find the identity free and insert it twice.
    Transaction tx(db);
    if (!tx.active())
        return BookResult::failed(db.lastError());
    BookResult r = saveIn(db, entry, mode);
    if (r.ok() && !tx.commit())
        return BookResult::failed(db.lastError());
    return r;
}

MasterBook::Upsert MasterBook::upsertMany(const std::vector<BookEntry> &entries, UpsertDate date,
                                          const Progress &progress) const
{
    Upsert u;
    DbConnection db;
    std::string error;
    if (!openDb(db, &error)) {
        u.result = BookResult::failed(error);
        return u;
    }
    Transaction tx(db);
    if (!tx.active()) {
        u.result = BookResult::failed(db.lastError());
        return u;
    }
    // A large batch reads the book once instead of looking its entries up
    // one by one (on a server each look-up is a round trip); a small one
    // looks them up. An identity this batch has stored or changed already is
    // looked up again, so that a file naming an entry twice updates what it
    // stored first.
    constexpr std::size_t kReadWholeBook = 200;
    const bool readWhole = entries.size() >= kReadWholeBook;
    std::unordered_map<std::string, DbRow> stored;
    if (readWhole) {
        // A key left NULL (by another program) matches no entry, as in the
        // look-up.
        std::string sql = "select * from " + kind_.table + " where ";
        for (std::size_t k = 0; k < kind_.keyColumns.size(); ++k)
            sql += (k ? " and " : "") + kind_.keyColumns[k] + " is not null";
        DbRows all = db.query(sql + " order by " + kind_.idColumn + " asc");
        if (!all.ok) {
            u.result = BookResult::failed(db.lastError());
            return u;
        }
        for (DbRow &row : all.rows) {
            BookEntry key;
            for (const std::string &c : kind_.keyColumns)
                key[c] = row.text(c);
            stored.try_emplace(identityOf(key), std::move(row));
        }
    }
    std::unordered_set<std::string> touched;
    std::set<std::string> classes;
    // The caller hears of every 500th entry, and of the last.
    constexpr std::size_t kProgressStep = 500;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (progress && i % kProgressStep == 0 && !progress(i, entries.size())) {
            u.result = BookResult::failed("导入已取消");
            u.cancelled = true;
            return u;
        }
        const BookEntry &given = entries[i];
        const std::string identity = identityOf(given);
        std::optional<DbRow> existing;
        if (!readWhole || touched.count(identity)) {
            bool failed = false;
            existing = findIn(db, given, failed);
            if (failed) {
                u.result = BookResult::failed(db.lastError());
                return u;
            }
        } else if (const auto it = stored.find(identity); it != stored.end()) {
            existing = it->second;
        }
        BookEntry e = existing ? entryOf(kind_, *existing) : BookEntry();
        for (const auto &[column, value] : given)
            e[column] = value;
        // A known entry brings its own time of entry: only the one given
        // may be kept.
        const UpsertDate entryDate =
            date == UpsertDate::Given && !given.count(kind_.dateColumn) ? UpsertDate::Keep : date;
        BookResult r = saveIn(db, e, Mode::Edit, &existing, entryDate, &classes, false);
        touched.insert(identity);
        if (!r.ok()) {
            u.result = r;
            u.inserted = u.updated = 0;
            return u;
        }
        (r.inserted ? u.inserted : u.updated) += 1;
    }
    if (progress && !progress(entries.size(), entries.size())) {
        u.result = BookResult::failed("导入已取消");
        u.cancelled = true;
        u.inserted = u.updated = 0;
        return u;
    }
    if (!tx.commit()) {
        u.result = BookResult::failed(db.lastError());
        u.inserted = u.updated = 0;
        return u;
    }
    u.result.changed = u.inserted + u.updated;
    return u;
}

BookResult MasterBook::remove(const BookEntry &key) const
{
    BatchDelete b = removeMany({key});
    return b.result;
}

MasterBook::BatchDelete MasterBook::removeMany(const std::vector<BookEntry> &keys) const
{
    BatchDelete b;
    b.deleted.assign(keys.size(), false);
    DbConnection db;
    std::string error;
    if (!openDb(db, &error)) {
        b.result = BookResult::failed(error);
        return b;
    }
    const SqlDialect &d = db.dialect();
    std::string sql = "delete from " + kind_.table + " where ";
    for (std::size_t i = 0; i < kind_.keyColumns.size(); ++i)
        sql += (i ? " and " : "") + d.folded(kind_.keyColumns[i]) + "=" + d.folded("?");
    Transaction tx(db);
    if (!tx.active()) {
        b.result = BookResult::failed(db.lastError());
        return b;
    }
    int total = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        DbParams p;
        for (const std::string &c : kind_.keyColumns)
            p.values.emplace_back(valueOf(keys[i], c));
        int n = db.execute(sql, p);
        if (n < 0) {
            b.result = BookResult::failed(db.lastError());
            b.deleted.assign(keys.size(), false);
            return b;
        }
        b.deleted[i] = n > 0;
        total += n;
    }
    if (!tx.commit()) {
        b.result = BookResult::failed(db.lastError());
        b.deleted.assign(keys.size(), false);
        return b;
    }
    b.result.changed = total;
    return b;
}

namespace {

// The rows of a read that could not start: the reason is the connection's.
DbRows failedRows(const DbConnection &db)
{
    DbRows none;
    none.ok = false;
    none.error = db.lastError();
    return none;
}

}

std::string MasterBook::nameOrder() const
{
    return " order by " + kind_.nameKeyColumn + " asc, " + kind_.idColumn + " asc";
}

std::string MasterBook::classCondition(const SqlDialect &d) const
{
    return d.folded(kind_.classColumn) + "=" + d.folded("?");
}

DbRows MasterBook::list(const std::string &className) const
{
    DbConnection db;
    if (!db.open(path_) || !fillMissingNameKeys(db, kind_.table))
        return failedRows(db);
    if (isAllClasses(className))
        return db.query("select * from " + kind_.table + nameOrder());
    return db.query("select * from " + kind_.table + " where " + classCondition(db.dialect()) + nameOrder(),
                    {className});
}

std::vector<std::int64_t> MasterBook::listIds(const std::string &className, bool *ok, std::string *error) const
{
    std::vector<std::int64_t> ids;
    DbConnection db;
    if (!db.open(path_) || !fillMissingNameKeys(db, kind_.table)) {
        if (ok)
            *ok = false;
        if (error)
            *error = db.lastError();
        return ids;
    }
    const std::string select = "select " + kind_.idColumn + " from " + kind_.table;
    DbRows rows = isAllClasses(className)
                      ? db.query(select + nameOrder())
                      : db.query(select + " where " + classCondition(db.dialect()) + nameOrder(), {className});
    if (ok)
        *ok = rows.ok;
    if (error && !rows.ok)
        *error = rows.error;
    ids.reserve(rows.size());
    for (const DbRow &r : rows)
        ids.push_back(std::strtoll(r.at(0).c_str(), nullptr, 10));
    return ids;
}

DbRows MasterBook::entriesWithIds(const std::vector<std::int64_t> &ids) const
{
    DbConnection db;
    if (!db.open(path_))
        return failedRows(db);
    // The ids travel as one bound JSON array, whatever their number.
    std::string list = "[";
    for (std::size_t i = 0; i < ids.size(); ++i)
        list += (i ? "," : "") + std::to_string(ids[i]);
    list += "]";
    return db.query(
        "select * from " + kind_.table + " where " + kind_.idColumn + " in (" + db.dialect().idSet("?") + ")", {list});
}

DbRows MasterBook::search(const std::string &text) const
{
    DbConnection db;
    if (!db.open(path_) || !fillMissingNameKeys(db, kind_.table))
        return failedRows(db);
    const SqlDialect &d = db.dialect();
    std::string sql = "select * from " + kind_.table + " where ";
    // On the server a trigram index over the joined columns passes the rows
    // that can match at all (the joined text finds every row a column finds,
    // the search text being literal); the LIKE of each column decides.
    if (d.isPostgres())
        sql += d.like(bookSearchText(kind_, d), "?1", '\\') + " and ";
    sql += "(";
    // Figures meet only a text that can be a number's (numberTextCanMatch).
    const bool figures = numberTextCanMatch(text);
    bool first = true;
    for (const std::string &c : kind_.searchColumns) {
        if (kind_.isNumeric(c) && !figures)
            continue;
        sql += (first ? "" : " or ") + d.like(kind_.isNumeric(c) ? d.realText(c) : c, "?1", '\\');
        first = false;
    }
    sql += ")" + nameOrder();
    return db.query(sql, {containsPattern(text)});
}

namespace {

template <typename Key>
BookResult setClassOf(DbConnection &db, const BookKind &kind, const std::string &sql, const std::vector<Key> &keys,
                      const std::string &className)
{
    Transaction tx(db);
    if (!tx.active())
        return BookResult::failed(db.lastError());
    if (!keys.empty() && !addMissingClass(db, kind, className))
        return BookResult::failed(db.lastError());
    int total = 0;
    for (const Key &k : keys) {
        int n = db.execute(sql, {className, k});
        if (n < 0)
            return BookResult::failed(db.lastError());
        total += n;
    }
    if (!tx.commit())
        return BookResult::failed(db.lastError());
    BookResult r;
    r.changed = total;
    return r;
}

}

BookResult MasterBook::setClassById(const std::vector<std::int64_t> &ids, const std::string &className) const
{
    if (className.empty())
        return {};
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    std::vector<long long> keys(ids.begin(), ids.end());
    return setClassOf(db, kind_,
                      "update " + kind_.table + " set " + kind_.classColumn + "=? where " + kind_.idColumn + "=?", keys,
                      className);
}

BookResult MasterBook::setClassByName(const std::vector<std::string> &names, const std::string &className) const
{
    if (className.empty())
        return {};
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    const SqlDialect &d = db.dialect();
    return setClassOf(db, kind_,
                      "update " + kind_.table + " set " + kind_.classColumn + "=? where " + d.folded(kind_.nameColumn) +
                          "=" + d.folded("?"),
                      names, className);
}

std::vector<std::string> MasterBook::classes(std::string *error) const
{
    std::vector<std::string> out;
    DbConnection db;
    if (!openDb(db, error))
        return out;
    DbRows rows = db.query("select className from " + kind_.classTable);
    if (!rows.ok) {
        if (error)
            *error = db.lastError();
        return out;
    }
    // "_全部类别_" sorts after digits and Latin letters by its bytes, yet it
    // is the list's first entry, the one selected when a list opens; the
    // others follow in the lists' order (GBK bytes), the same on either
    // engine.
    for (const DbRow &r : rows)
        if (r.text("className") != kAllClasses)
            out.push_back(r.text("className"));
    std::stable_sort(out.begin(), out.end(),
                     [](const std::string &a, const std::string &b) { return compareGbk(a, b) < 0; });
    out.insert(out.begin(), kAllClasses);
    return out;
}

BookResult MasterBook::addClass(const std::string &name) const
{
    if (name.empty())
        return {};
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    return changeUnlessClassTaken(db, kind_, name, "insert into " + kind_.classTable + "(className) values(?)", {name});
}

BookResult MasterBook::renameClass(const std::string &oldName, const std::string &newName) const
{
    if (oldName == kAllClasses)
        return BookResult::refused("全部类别无法修改");
    if (newName.empty())
        return {};
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    const SqlDialect &d = db.dialect();
    return changeUnlessClassTaken(db, kind_, newName,
                                  "update " + kind_.classTable + " set className=? where " + d.folded("className") +
                                      "=" + d.folded("?"),
                                  {newName, oldName});
}

BookResult MasterBook::deleteClass(const std::string &name) const
{
    if (name == kAllClasses)
        return BookResult::refused("全部类别无法删除");
    DbConnection db;
    std::string error;
    if (!openDb(db, &error))
        return BookResult::failed(error);
    const SqlDialect &d = db.dialect();
    int n =
        db.execute("delete from " + kind_.classTable + " where " + d.folded("className") + "=" + d.folded("?"), {name});
    if (n < 0)
        return BookResult::failed(db.lastError());
    BookResult r;
    r.changed = n;
    return r;
}

}
