#pragma once

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/masterdata/MasterBook.h"
#include "core/text/CsvReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// A book's entries as a CSV file and back: the import and export of the
// receiver, sender and goods dialogs and of the command line.
//
// The header row holds the grid's column texts. Export writes CR LF line ends
// in UTF-8 with a byte-order mark (spreadsheet programs then read it
// correctly) or in GBK; import reads what CsvReader reads (UTF-8 with or
// without the mark, UTF-16 with or without it, GBK).
//
// A cell that a spreadsheet would take as a formula (one starting with "=",
// "+", "-", "@", a tab or a CR) is written with a leading "'", which the
// spreadsheet shows as text; import removes exactly that mark again, so an
// export read back gives the same entries. (A value that itself starts with
// "'" before such a character gets one more, for the same reason.)

enum class BookCsvEncoding { Utf8WithMark, Gbk };

// The file's bytes: the header and one record per row. GBK is written as
// GB18030, which keeps characters GBK lacks; the few it cannot write either
// come out as "?", and `unwritableRow` (when given) is set to the first row
// that holds one (else -1).
std::string exportBookCsv(const BookKind &kind, const DbRows &rows,
                          BookCsvEncoding encoding = BookCsvEncoding::Utf8WithMark, int *unwritableRow = nullptr);

struct BookExport {
    bool ok = false;
    bool unreadableBook = false; // the entries could not be read (`error` says why)
    std::string error;           // why nothing was written
    int written = 0;             // entries
};

// Writes every entry of the book to `path`, replacing the file atomically.
// The data folder's own files (the database, backup, settings, templates)
// are refused, whatever name leads to them; so is a GBK export of an entry
// with a character GBK cannot write (nothing is written).
BookExport exportBookCsvFile(const MasterBook &book, const DataFolder &folder, const std::string &path,
                             BookCsvEncoding encoding = BookCsvEncoding::Utf8WithMark);

// How far an import is. The file is read first (`done` and `total` count
// bytes), then its entries are stored in one transaction (they count
// entries, reported every 500 entries and at the end). Returning false
// cancels the import, which then writes nothing.
enum class BookImportStage { Reading, Storing };
using BookImportProgress = std::function<bool(BookImportStage stage, std::uint64_t done, std::uint64_t total)>;

// What an import did. Every data record of the file is inserted, updated or
// in `skipped` with its line and reason, so records = inserted + updated +
// skipped.size() (lines holding nothing but separators and spaces are no
// records).
struct CsvImport {
    bool ok = true;
    bool cancelled = false;
    bool unreadable = false; // the file could not be opened or read ("打开文件失败")
    std::string error;       // why nothing was imported
    std::string encoding;
    int records = 0;
    int inserted = 0;
    int updated = 0;
    using Skipped = CsvSkipped;
    std::vector<Skipped> skipped;
};

// The entries of a book CSV file, read and checked without the database.
struct BookCsvRead {
    bool ok = false;
    bool cancelled = false;
    bool unreadable = false;
    std::string error;
    std::string encoding;
    int records = 0;
    std::vector<BookEntry> entries;
    std::vector<CsvSkipped> skipped;
};

// Columns by the grid's header texts or by the column names; the counter and
// the pinyin are the book's own and never read, the time of entry only when it
// is a valid time. Records missing a required field are skipped with its
// message. `progress` hears only the reading stage here.
BookCsvRead readBookCsv(const BookKind &kind, CsvReader &reader, const BookImportProgress &progress = {});

// Imports into the book, in one transaction: entries whose identity exists
// are rewritten (columns the file lacks stay), the others inserted; each keeps
// the time of entry the file gives when it is a valid time. A cancelled
// import fails with "导入已取消" and `cancelled` set.
CsvImport importBookCsv(const MasterBook &book, std::string_view fileBytes, const BookImportProgress &progress = {});
CsvImport importBookCsvFile(const MasterBook &book, const std::string &path, const BookImportProgress &progress = {});

// Largest book file imported.
constexpr std::uint64_t kMaxBookCsvBytes = std::uint64_t(256) << 20;

}
