// receiver, sender and cargo: the address books and the goods catalogue
// (add, update, list, delete, class maintenance, CSV import and export), with
// the dialogs' rules and messages.
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/masterdata/MasterBook.h"

#include <iostream>

namespace zentra::cli {
namespace {

int usage(const std::string &group)
{
    const bool goods = group == "cargo";
    const std::string id = goods ? "name=N" : "mobile=M address=A";
    std::cerr << "usage: zentra-cli " << group << " add KEY=VALUE... | update " << id
              << " KEY=VALUE... | list [--class C] "
              << "[--search T] | delete " << id << " | class list|add NAME|rename OLD NEW|delete NAME | import FILE | "
              << "export FILE\n";
    return 2;
}

// KEY=VALUE arguments as the entry's columns; false on a key the book lacks.
bool parseFields(const BookKind &kind, const std::vector<std::string> &args, std::size_t from, BookEntry &entry)
{
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::size_t eq = args[i].find('=');
        if (eq == std::string::npos) {
            std::cerr << "zentra-cli: expected KEY=VALUE, got '" << args[i] << "'\n";
            return false;
        }
        const std::string column = kind.columnOfKey(args[i].substr(0, eq));
        if (column.empty()) {
            std::cerr << "zentra-cli: unknown key '" << args[i].substr(0, eq) << "'\n";
            return false;
        }
        entry[column] = args[i].substr(eq + 1);
    }
    return true;
}

bool looksNumeric(const std::string &s)
{
    return !s.empty() && s.find_first_not_of("0123456789.-+eE") == std::string::npos &&
           s.find_first_of("0123456789") != std::string::npos;
}

std::string rowJson(const BookKind &kind, const DbRow &row)
{
    std::string out = "{";
    for (std::size_t i = 0; i < kind.columns.size(); ++i) {
        const std::string &c = kind.columns[i];
        const std::string &v = row.text(c);
        out += (i ? "," : "") + jsonString(c) + ":";
        out += (c == kind.idColumn || kind.isNumeric(c)) && looksNumeric(v) ? v : jsonString(v);
    }
    return out + "}";
}

int fail(const BookResult &r)
{
    std::cout << r.message << "\n";
    return 1;
}

int classCommand(const MasterBook &book, const std::vector<std::string> &a, const std::string &group)
{
    BookResult r;
    if (a.size() == 2 && a[1] == "list") {
        std::string error;
        const auto names = book.classes(&error);
        if (!error.empty()) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
        for (const std::string &n : names)
            std::cout << n << "\n";
        return 0;
    }
    if (a.size() == 3 && a[1] == "add" && !a[2].empty())
        r = book.addClass(a[2]);
    else if (a.size() == 4 && a[1] == "rename" && !a[3].empty())
        r = book.renameClass(a[2], a[3]);
    else if (a.size() == 3 && a[1] == "delete")
        r = book.deleteClass(a[2]);
    else
        return usage(group);
    return r.ok() ? 0 : fail(r);
}

int bookCommand(CliContext &ctx, const std::string &group, const BookKind &kind)
{
    const auto &a = ctx.args;
    if (a.empty())
        return usage(group);
    std::string error;
    if (!initDataFolder(ctx.folder, &error)) {
        std::cerr << "zentra-cli: " << error << "\n";
        return 1;
    }
    MasterBook book(ctx.folder.databasePath(), kind);
    const std::string &verb = a[0];

    if (verb == "add") {
        BookEntry e;
        if (!parseFields(kind, a, 1, e))
            return 2;
        BookResult r = book.save(e, MasterBook::Mode::Add);
        if (!r.ok())
            return fail(r);
        std::cout << r.id << "\n";
        return 0;
    }
    if (verb == "update") {
        BookEntry given;
        if (!parseFields(kind, a, 1, given))
            return 2;
        for (const std::string &k : kind.keyColumns)
            if (!given.count(k))
                return usage(group);
        auto row = book.find(given, &error);
        if (!row) {
            if (!error.empty())
                std::cerr << "zentra-cli: " << error << "\n";
            std::cout << 0 << "\n";
            return 1;
        }
        BookEntry e = entryOf(kind, *row);
        for (const auto &[c, v] : given)
            e[c] = v;
        BookResult r = book.save(e, MasterBook::Mode::Edit);
        if (!r.ok())
            return fail(r);
        std::cout << r.changed << "\n";
        return 0;
    }
    if (verb == "delete") {
        BookEntry key;
        if (!parseFields(kind, a, 1, key))
            return 2;
        for (const std::string &k : kind.keyColumns)
            if (!key.count(k))
                return usage(group);
        BookResult r = book.remove(key);
        if (!r.ok())
            return fail(r);
        std::cout << r.changed << "\n";
        return 0;
    }
    if (verb == "list") {
        std::string cls, text;
        bool searching = false;
        for (std::size_t i = 1; i < a.size(); ++i) {
            if (a[i] == "--class" && i + 1 < a.size())
                cls = a[++i];
            else if (a[i] == "--search" && i + 1 < a.size()) {
                text = a[++i];
                searching = true;
            } else
                return usage(group);
        }
        DbRows rows = searching ? book.search(text) : book.list(cls);
        if (!rows.ok) {
            std::cerr << "zentra-cli: cannot read the " << kind.table << " table: " << rows.error << "\n";
            return 1;
        }
        for (const DbRow &r : rows)
            if (!searching || isAllClasses(cls) || r.text(kind.classColumn) == cls)
                std::cout << rowJson(kind, r) << "\n";
        return 0;
    }
    if (verb == "class")
        return classCommand(book, a, group);
    if (verb == "export" && a.size() == 2) {
        const BookExport r = exportBookCsvFile(book, ctx.folder, a[1]);
        if (!r.ok) {
            std::cerr << "zentra-cli: " << r.error << "\n";
            return 1;
        }
        std::cout << r.written << "\n";
        return 0;
    }
    if (verb == "import" && a.size() == 2) {
        CsvImport r = importBookCsvFile(book, a[1]);
        if (r.unreadable) {
            std::cerr << "zentra-cli: cannot read " << a[1] << ": " << r.error << "\n";
            return 1;
        }
        if (!r.ok) {
            std::cout << r.error << "\n";
            return 1;
        }
        for (const auto &s : r.skipped)
            std::cerr << "第" << s.line << "行：" << s.reason << "\n";
        std::cout << "新增 " << r.inserted << "，更新 " << r.updated << "，跳过 " << r.skipped.size() << "\n";
        return 0;
    }
    return usage(group);
}

const CliRegistration regReceiver("receiver", "receiver add|update|list|delete|class|import|export ...",
                                  [](CliContext &c) { return bookCommand(c, "receiver", receiverBook()); });
const CliRegistration regSender("sender", "sender add|update|list|delete|class|import|export ...",
                                [](CliContext &c) { return bookCommand(c, "sender", senderBook()); });
const CliRegistration regCargo("cargo", "cargo add|update|list|delete|class|import|export ...",
                               [](CliContext &c) { return bookCommand(c, "cargo", cargoBook()); });

}
}
