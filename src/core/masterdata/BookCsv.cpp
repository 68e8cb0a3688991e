#include "core/masterdata/BookCsv.h"

#include "core/text/Gbk.h"

#include <map>

namespace zentra {

std::vector<CsvRecord> parseCsv(std::string_view text)
{
    std::vector<CsvRecord> out;
    std::size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        CsvRecord rec;
        rec.line = line;
        std::string field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            if (i < text.size() && text[i] == '"') {
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                if (!closed)
                    rec.broken = true;
            }
            // Up to the next separator; text after a closing quote is kept.
            while (i < text.size() && text[i] != ',' && text[i] != '\n')
                field += text[i++];
            if (i < text.size() && text[i] == ',') {
                ++i;
                rec.fields.push_back(std::move(field));
                field.clear();
                continue;
            }
            if (!field.empty() && field.back() == '\r')
                field.pop_back();
            rec.fields.push_back(std::move(field));
            if (i < text.size()) {
                ++i; // the line feed
                ++line;
            }
            endOfRecord = true;
        }
        out.push_back(std::move(rec));
    }
    return out;
}

std::string decodeTextFile(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return std::string(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return utf16leToUtf8(bytes.substr(2));
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return gbkToUtf8(bytes);
}

namespace {

std::string csvField(const std::string &v)
{
    if (v.find_first_of(",\"\r\n") == std::string::npos)
        return v;
    std::string out = "\"";
    for (char c : v) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string trimmed(const std::string &s)
{
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

}

std::string exportBookCsv(const BookKind &kind, const DbRows &rows, CsvEncoding encoding)
{
    std::string out = encoding == CsvEncoding::Utf8WithBom ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < kind.gridColumns.size(); ++i)
        out += (i ? "," : "") + csvField(kind.gridColumns[i].first);
    out += "\r\n";
    for (const DbRow &r : rows) {
        for (std::size_t i = 0; i < kind.gridColumns.size(); ++i)
            out += (i ? "," : "") + csvField(r.text(kind.gridColumns[i].second));
        out += "\r\n";
    }
    return encoding == CsvEncoding::Gbk ? utf8ToGbk(out) : out;
}

CsvImport importBookCsv(const MasterBook &book, std::string_view fileBytes, const MasterBook::Progress &progress)
{
    const BookKind &kind = book.kind();
    CsvImport result;
    const std::vector<CsvRecord> records = parseCsv(decodeTextFile(fileBytes));
    if (records.empty()) {
        result.ok = false;
        result.error = "文件中没有表头";
        return result;
    }
    // Columns by the grid's header texts or by the column names. The counter
    // and the time of entry are the book's own and never imported.
    std::vector<std::string> columnAt;
    bool anyKnown = false;
    for (const std::string &h : records[0].fields) {
        const std::string title = trimmed(h);
        std::string column;
        for (const auto &[text, col] : kind.gridColumns)
            if (title == text)
                column = col;
        if (column.empty() && kind.hasColumn(title))
            column = title;
        if (column == kind.idColumn || column == kind.dateColumn || column == kind.pinyinColumn)
            column.clear();
        anyKnown = anyKnown || !column.empty();
        columnAt.push_back(column);
    }
    if (!anyKnown) {
        result.ok = false;
        result.error = "文件的表头中没有可导入的列";
        return result;
    }
    std::vector<BookEntry> entries;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord &rec = records[r];
        bool blank = true;
        for (const std::string &f : rec.fields)
            blank = blank && trimmed(f).empty();
        if (blank && !rec.broken)
            continue;
        if (rec.broken) {
            result.skipped.push_back({rec.line, "引号不成对"});
            continue;
        }
        BookEntry e;
        for (std::size_t c = 0; c < rec.fields.size() && c < columnAt.size(); ++c)
            if (!columnAt[c].empty())
                e[columnAt[c]] = rec.fields[c];
        std::string missing = book.missingField(e);
        if (!missing.empty()) {
            result.skipped.push_back({rec.line, missing});
            continue;
        }
        entries.push_back(std::move(e));
    }
    MasterBook::Upsert u = book.upsertMany(entries, MasterBook::UpsertDate::Keep, progress);
    if (!u.result.ok()) {
        result.ok = false;
        result.error = u.result.message;
        return result;
    }
    result.inserted = u.inserted;
    result.updated = u.updated;
    return result;
}

}
