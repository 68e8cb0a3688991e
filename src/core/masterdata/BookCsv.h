#pragma once

#include "core/data/DbConnection.h"
#include "core/masterdata/MasterBook.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// A book's entries as a CSV file and back. The header row holds the grid's
// column texts. Export writes UTF-8 with a byte-order mark (spreadsheet
// programs then read it correctly) or, on request, GBK for older ones, with
// CRLF line ends; import reads UTF-8 with or without the mark, UTF-16LE with
// its mark, or GBK.

// One record of a CSV text and the line it starts on (from 1).
struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
    bool broken = false; // a quoted field that never ends
};

// Splits CSV text: fields separated by ",", quoted fields may hold commas,
// doubled quotes and line breaks; lines end with LF or CRLF.
std::vector<CsvRecord> parseCsv(std::string_view text);

// The bytes of a file as UTF-8, by its byte-order mark or, without one, as
// UTF-8 when it is valid UTF-8 and as GBK otherwise.
std::string decodeTextFile(std::string_view bytes);

enum class CsvEncoding { Utf8WithBom, Gbk };

// The largest CSV file an import reads.
inline constexpr std::size_t kMaxBookCsvBytes = std::size_t(256) << 20;

std::string exportBookCsv(const BookKind &kind, const DbRows &rows, CsvEncoding encoding = CsvEncoding::Utf8WithBom);

struct CsvImport {
    bool ok = true;
    std::string error; // why nothing was imported
    int inserted = 0;
    int updated = 0;
    struct Skipped {
        int line;
        std::string reason;
    };
    std::vector<Skipped> skipped;
};

// Imports CSV text into the book: rows missing a required field are skipped
// (with their line), the others are inserted or, when their identity exists,
// rewritten; all in one transaction. `progress` (see MasterBook::upsertMany)
// hears how far the writing is and may cancel it.
CsvImport importBookCsv(const MasterBook &book, std::string_view fileBytes,
                        const MasterBook::Progress &progress = nullptr);

}
