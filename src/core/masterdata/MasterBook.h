#pragma once

#include "core/data/DbConnection.h"
#include "core/masterdata/BookKind.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zentra {

// The values of one entry by column name ("rname" -> "张三"). Columns left
// out read as empty text (figures as 0).
using BookEntry = std::map<std::string, std::string>;

// How an operation of a book ended. `message` is the text to show the user:
// a refusal of the book's rules, or the engine's own message on failure.
struct BookResult {
    enum class Status { Ok, Refused, Failed };
    Status status = Status::Ok;
    std::string message;
    int changed = 0;       // rows written or deleted
    std::int64_t id = 0;   // the new entry's counter after an insert
    bool inserted = false; // an insert rather than an update

    bool ok() const { return status == Status::Ok; }
    static BookResult refused(std::string m) { return {Status::Refused, std::move(m), 0, 0, false}; }
    static BookResult failed(std::string m) { return {Status::Failed, std::move(m), 0, 0, false}; }
};

// One master-data book (receivers, senders or goods) over the database file:
// finding by identity, saving with the book's checks, deletion, search, class
// filters and class maintenance. Each operation opens the database, does its
// work and closes it; a change of several rows runs in one transaction.
class MasterBook {
public:
    enum class Mode { Add, Edit };

    MasterBook(std::string databasePath, const BookKind &kind);

    const BookKind &kind() const { return kind_; }
    const std::string &databasePath() const { return path_; }

    // The entry with the identity of `key` (its key columns), if any.
    std::optional<DbRow> find(const BookEntry &key, std::string *error = nullptr) const;

    // The save of the edit panel. The required fields are checked in order,
    // then the identity is looked up: a new identity is inserted (in either
    // mode, with the time of entry now); a known one is refused in Add mode
    // and rewritten in Edit mode, keeping its identity, counter and time of
    // entry. The pinyin column follows its source; figures that hold no
    // number are stored as 0. Every write of an entry (here, in the batch
    // class change and in upsertMany) adds its class to the class table when
    // the table lacks it, in the same transaction, so that every class in
    // use can be chosen in the class lists.
    BookResult save(const BookEntry &entry, Mode mode) const;

    // Deletes the entry of that identity: the number deleted.
    BookResult remove(const BookEntry &key) const;

    // Deletes the entries of the given identities in one transaction. The
    // result says which were deleted (`deleted[i]` for keys[i]); on a
    // failure nothing is deleted and every flag is false.
    struct BatchDelete {
        BookResult result;
        std::vector<bool> deleted;
    };
    BatchDelete removeMany(const std::vector<BookEntry> &keys) const;

    // Every entry of a class ("_全部类别_" or empty: all), ordered by name.
    DbRows list(const std::string &className = std::string()) const;
    // Entries with `text` inside any of the searched columns, taken literally
    // ("%" and "_" are no wildcards), ordered by name; empty text lists all.
    DbRows search(const std::string &text) const;

    // The ids of list(className)'s entries in the same order, read from the
    // name index alone: a book of 100,000 entries opens without reading them.
    // `ok` (when given) is false when the statement failed.
    std::vector<std::int64_t> listIds(const std::string &className = std::string(), bool *ok = nullptr,
                                      std::string *error = nullptr) const;
    // The entries with these ids (any order; ids no longer present are left
    // out), for showing a page of listIds() at a time.
    DbRows entriesWithIds(const std::vector<std::int64_t> &ids) const;

    // Sets the class of the entries with these counters (goods: these names)
    // in one transaction: all or none.
    BookResult setClassById(const std::vector<std::int64_t> &ids, const std::string &className) const;
    BookResult setClassByName(const std::vector<std::string> &names, const std::string &className) const;

    // Class maintenance. Names are ordered as the lists show them:
    // "_全部类别_" first (also when the table lacks it), then the others in
    // the GBK order of the lists.
    std::vector<std::string> classes(std::string *error = nullptr) const;
    // Empty names are ignored (Ok, nothing changed); an existing name is
    // refused; "_全部类别_" is never renamed or deleted. Entries keep their
    // class text when their class is renamed or deleted.
    BookResult addClass(const std::string &name) const;
    BookResult renameClass(const std::string &oldName, const std::string &newName) const;
    BookResult deleteClass(const std::string &name) const;

    // The time text of a new entry: local time, "%Y-%m-%d %H:%M:%S".
    static std::string now();

    // Upserts many entries in one transaction (the import): an entry whose
    // identity exists takes the columns given and keeps the others, the
    // others are inserted. On failure (or a refusal) nothing is written.
    // `date` decides the time of entry: Keep gives new entries the time now
    // and leaves known ones theirs; Now stamps every entry with the time now
    // (the Taobao transfers refresh the receivers they touch); Given keeps
    // the time an entry holds (checked by the caller: the CSV import), new or
    // known, and treats an entry without one as Keep does. `progress`, when
    // given, hears (entries done, entries in all) now and then; it returns
    // false to cancel, which writes nothing: the result fails with
    // "导入已取消" and `cancelled` is set.
    enum class UpsertDate { Keep, Now, Given };
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;
    struct Upsert {
        BookResult result;
        int inserted = 0;
        int updated = 0;
        bool cancelled = false;
    };
    Upsert upsertMany(const std::vector<BookEntry> &entries, UpsertDate date = UpsertDate::Keep,
                      const Progress &progress = nullptr) const;

    // The first required field that is empty, as its message; empty when all
    // are given.
    std::string missingField(const BookEntry &entry) const;

private:
    bool openDb(DbConnection &db, std::string *error) const;
    std::optional<DbRow> findIn(DbConnection &db, const BookEntry &key, bool &failed) const;
    // `known` is the entry of that identity when the caller looked it up
    // already. A batch passes the classes it knows are in the class table
    // (`classes`, kept up to date here) and may do without the new entry's
    // counter (`wantId` false: one statement less on a server).
    BookResult saveIn(DbConnection &db, const BookEntry &entry, Mode mode, const std::optional<DbRow> *known = nullptr,
                      UpsertDate date = UpsertDate::Keep, std::set<std::string> *classes = nullptr,
                      bool wantId = true) const;
    // The identity of an entry as the look-up compares it (ASCII case
    // ignored), as one text.
    std::string identityOf(const BookEntry &entry) const;
    DbParams valuesOf(const BookEntry &entry, const std::vector<std::string> &columns) const;
    std::string nameOrder() const;
    std::string classCondition(const SqlDialect &dialect) const;

    std::string path_;
    const BookKind &kind_;
};

// The searched columns of a book joined into one text (the separator
// between them), as the server's trigram index of the book holds it.
std::string bookSearchText(const BookKind &kind, const SqlDialect &dialect);
// The server's trigram indexes of the three books; nothing on SQLite, where
// a scan of the columns is quick enough.
bool createBookSearchIndexes(DbConnection &db);

// The entry of a row, every column but the counter.
BookEntry entryOf(const BookKind &kind, const DbRow &row);

// The class text of a filter: true when it means all entries.
bool isAllClasses(const std::string &className);

// Adds `className` to the book's class table when the table lacks it (an
// empty name and "_全部类别_" are never added). For writers of entries that
// do not go through MasterBook; false when a statement failed.
bool addMissingClass(DbConnection &db, const BookKind &kind, const std::string &className);

}
