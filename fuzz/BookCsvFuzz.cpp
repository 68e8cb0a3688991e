// Feeds arbitrary bytes to the book CSV reader (the receiver book's columns).
// Besides crashes, leaks and hangs it checks that every record is read or
// named with its line, that nothing read is invalid UTF-8, that a time of
// entry kept is a valid time, and that what was read survives our export:
// the exported file (UTF-8, or GBK when it is detected as GBK) reads back
// as the same entries.
#include "core/masterdata/BookCsv.h"
#include "core/text/Gbk.h"
#include "core/text/LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace zentra;
    const BookKind &kind = receiverBook();
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    CsvReader reader;
    reader.openBytes(bytes);
    const BookCsvRead read = readBookCsv(kind, reader);
    if (!read.ok)
        return 0;
    if (static_cast<std::size_t>(read.records) != read.entries.size() + read.skipped.size())
        fail("records do not add up");
    for (const BookEntry &e : read.entries)
        for (const auto &[column, value] : e) {
            if (!isValidUtf8(value) || value.find('\0') != std::string::npos)
                fail("invalid text read");
            if (column == kind.dateColumn && normalTimeText(value) != value)
                fail("a time of entry that is no valid time");
        }

    // Exported and read again: the same entries, column by column.
    auto names = std::make_shared<const std::vector<std::string>>(kind.columns);
    DbRows rows;
    rows.columns = kind.columns;
    for (const BookEntry &e : read.entries) {
        std::vector<std::string> values;
        for (const std::string &c : kind.columns) {
            const auto it = e.find(c);
            values.push_back(it == e.end() ? std::string() : it->second);
        }
        rows.rows.emplace_back(names, std::move(values));
    }
    for (BookCsvEncoding encoding : {BookCsvEncoding::Utf8WithMark, BookCsvEncoding::Gbk}) {
        int unwritable = -1;
        const std::string file = exportBookCsv(kind, rows, encoding, &unwritable);
        if (unwritable >= 0)
            continue; // refused by the export to a file
        CsvReader again;
        again.openBytes(file);
        // A GBK file has no mark: one whose few characters also read as
        // UTF-8 is taken for UTF-8, a limit of every reader without a mark.
        if (encoding == BookCsvEncoding::Gbk && again.encoding() != TextEncoding::Gbk)
            continue;
        const BookCsvRead back = readBookCsv(kind, again);
        if (!back.ok || !back.skipped.empty() || back.entries.size() != read.entries.size())
            fail("the export does not read back whole");
        for (std::size_t i = 0; i < read.entries.size(); ++i)
            for (const auto &[text, column] : kind.gridColumns) {
                if (column == kind.idColumn)
                    continue;
                const auto a = read.entries[i].find(column);
                const auto b = back.entries[i].find(column);
                const std::string va = a == read.entries[i].end() ? std::string() : a->second;
                const std::string vb = b == back.entries[i].end() ? std::string() : b->second;
                if (va != vb) {
                    std::fprintf(stderr, "column %s: [%s] read back as [%s]\n", column.c_str(), va.c_str(),
                                 vb.c_str());
                    fail("the export reads back differently");
                }
            }
    }
    return 0;
}
