#include "core/masterdata/BookCsv.h"

#include "core/text/Gbk.h"
#include "core/text/LocalTime.h"

namespace zentra {
namespace {

// Whether a spreadsheet would read the value as a formula: it starts (after
// any quotes marking it as text) with one of these characters.
bool needsTextMark(std::string_view v)
{
    const std::size_t first = v.find_first_not_of('\'');
    return first != std::string_view::npos && std::string_view("=+-@\t\r").find(v[first]) != std::string_view::npos;
}

std::string csvField(const std::string &value)
{
    const std::string v = needsTextMark(value) ? "'" + value : value;
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

// The value a cell of an exported file stands for.
std::string withoutTextMark(std::string value)
{
    if (value.starts_with('\'') && needsTextMark(value))
        value.erase(0, 1);
    return value;
}

std::string trimmed(const std::string &s)
{
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string missingField(const BookKind &kind, const BookEntry &e)
{
    for (const auto &[column, message] : kind.required) {
        const auto it = e.find(column);
        if (it == e.end() || it->second.empty())
            return message;
    }
    return {};
}

CsvImport importRead(const MasterBook &book, const BookCsvRead &read, const BookImportProgress &progress)
{
    CsvImport result;
    result.encoding = read.encoding;
    result.records = read.records;
    result.cancelled = read.cancelled;
    result.unreadable = read.unreadable;
    if (!read.ok) {
        result.ok = false;
        result.error = read.error;
        return result;
    }
    result.skipped = read.skipped;
    MasterBook::Progress storing;
    if (progress)
        storing = [&progress](std::size_t done, std::size_t total) {
            return progress(BookImportStage::Storing, done, total);
        };
    MasterBook::Upsert u = book.upsertMany(read.entries, MasterBook::UpsertDate::Given, storing);
    if (!u.result.ok()) {
        result.ok = false;
        result.cancelled = u.cancelled;
        result.error = u.result.message;
        return result;
    }
    result.inserted = u.inserted;
    result.updated = u.updated;
    return result;
}

}

std::string exportBookCsv(const BookKind &kind, const DbRows &rows, BookCsvEncoding encoding, int *unwritableRow)
{
    if (unwritableRow)
        *unwritableRow = -1;
    std::string out = encoding == BookCsvEncoding::Utf8WithMark ? "\xEF\xBB\xBF" : "";
    std::string line;
    auto put = [&](int row) {
        if (encoding == BookCsvEncoding::Gbk) {
            const std::string gbk = utf8ToGbk(line);
            if (unwritableRow && *unwritableRow < 0 && gbkToUtf8(gbk) != line)
                *unwritableRow = row;
            out += gbk;
        } else {
            out += line;
        }
        out += "\r\n";
        line.clear();
    };
    for (std::size_t i = 0; i < kind.gridColumns.size(); ++i)
        line += (i ? "," : "") + csvField(kind.gridColumns[i].first);
    put(-1);
    int row = 0;
    for (const DbRow &r : rows) {
        for (std::size_t i = 0; i < kind.gridColumns.size(); ++i)
            line += (i ? "," : "") + csvField(r.text(kind.gridColumns[i].second));
        put(row++);
    }
    return out;
}

BookExport exportBookCsvFile(const MasterBook &book, const DataFolder &folder, const std::string &path,
                             BookCsvEncoding encoding)
{
    BookExport r;
    r.error = dataFileOverwriteProblem(folder, path);
    if (!r.error.empty())
        return r;
    const DbRows rows = book.list();
    if (!rows.ok) {
        r.unreadableBook = true;
        r.error = "cannot read the " + book.kind().table + " table" + (rows.error.empty() ? "" : ": " + rows.error);
        return r;
    }
    int unwritable = -1;
    const std::string file = exportBookCsv(book.kind(), rows, encoding, &unwritable);
    if (unwritable >= 0) {
        r.error = "“" + rows[static_cast<std::size_t>(unwritable)].text(book.kind().nameColumn) +
                  "”中有 GBK 无法写出的字符，请用 UTF-8 导出";
        return r;
    }
    if (!writeFileAtomically(path, file, 0644, &r.error))
        return r;
    r.ok = true;
    r.written = static_cast<int>(rows.size());
    return r;
}

BookCsvRead readBookCsv(const BookKind &kind, CsvReader &reader, const BookImportProgress &progress)
{
    BookCsvRead result;
    result.encoding = std::string(encodingName(reader.encoding()));
    CsvRecord rec;
    if (!reader.next(rec)) {
        result.unreadable = !reader.error().empty();
        result.error = result.unreadable ? reader.error() : "文件中没有表头";
        return result;
    }
    if (rec.problem != CsvProblem::None) {
        result.error = "文件的表头无法读取：" + csvProblemText(rec.problem, reader.limits(), reader.encoding());
        return result;
    }
    // The counter and the initials are the book's own and never imported.
    std::vector<std::string> columnAt;
    bool anyKnown = false;
    for (const std::string &h : rec.fields) {
        const std::string title = trimmed(h);
        std::string column;
        for (const auto &[text, col] : kind.gridColumns)
            if (title == text)
                column = col;
        if (column.empty() && kind.hasColumn(title))
            column = title;
        if (column == kind.idColumn || column == kind.pinyinColumn)
            column.clear();
        anyKnown = anyKnown || !column.empty();
        columnAt.push_back(column);
    }
    if (!anyKnown) {
        result.error = "文件的表头中没有可导入的列";
        return result;
    }
    reader.expectFields(rec.fields.size());

    std::uint64_t reported = 0;
    while (reader.next(rec)) {
        if (progress && reader.bytesRead() != reported) {
            reported = reader.bytesRead();
            if (!progress(BookImportStage::Reading, reported, reader.totalBytes())) {
                result.cancelled = true;
                result.error = "导入已取消";
                return result;
            }
        }
        if (rec.problem != CsvProblem::None) {
            ++result.records;
            result.skipped.push_back({rec.line, csvProblemText(rec.problem, reader.limits(), reader.encoding())});
            continue;
        }
        bool blank = true;
        for (const std::string &f : rec.fields)
            blank = blank && trimmed(f).empty();
        if (blank)
            continue;
        ++result.records;
        BookEntry e;
        for (std::size_t c = 0; c < rec.fields.size() && c < columnAt.size(); ++c)
            if (!columnAt[c].empty())
                e[columnAt[c]] = withoutTextMark(std::move(rec.fields[c]));
        if (!kind.dateColumn.empty()) {
            // A time of entry the file gives is kept when it is a valid time.
            if (auto it = e.find(kind.dateColumn); it != e.end()) {
                if (auto time = normalTimeText(trimmed(it->second)))
                    it->second = *time;
                else
                    e.erase(it);
            }
        }
        const std::string missing = missingField(kind, e);
        if (!missing.empty()) {
            result.skipped.push_back({rec.line, missing});
            continue;
        }
        result.entries.push_back(std::move(e));
    }
    if (!reader.error().empty()) {
        result.unreadable = true;
        result.error = reader.error();
        return result;
    }
    if (progress && !progress(BookImportStage::Reading, reader.totalBytes(), reader.totalBytes())) {
        result.cancelled = true;
        result.error = "导入已取消";
        return result;
    }
    result.ok = true;
    return result;
}

CsvImport importBookCsv(const MasterBook &book, std::string_view fileBytes, const BookImportProgress &progress)
{
    CsvReader reader;
    reader.openBytes(fileBytes);
    return importRead(book, readBookCsv(book.kind(), reader, progress), progress);
}

CsvImport importBookCsvFile(const MasterBook &book, const std::string &path, const BookImportProgress &progress)
{
    CsvReader reader;
    std::string error;
    if (!reader.openFile(path, kMaxBookCsvBytes, &error)) {
        CsvImport r;
        r.ok = false;
        r.unreadable = true;
        r.error = error;
        return r;
    }
    return importRead(book, readBookCsv(book.kind(), reader, progress), progress);
}

}
