#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// The seller back office exports its order and item reports as CSV in one of
// several encodings: UTF-16LE with a byte-order mark (older exports), UTF-8
// with a byte-order mark (today's), or GBK. One small decoder per encoding
// turns the file's bytes into UTF-8 text.
class ReportDecoder {
public:
    virtual ~ReportDecoder() = default;
    virtual std::string_view name() const = 0;
    // The whole file's bytes, byte-order mark included, as UTF-8 text.
    virtual std::string toUtf8(std::string_view bytes) const = 0;
};

// The decoder for a file starting with `bytes`: FF FE is UTF-16LE, EF BB BF
// is UTF-8; without a mark, text that is valid UTF-8 is taken as UTF-8 and
// anything else as GBK.
std::unique_ptr<ReportDecoder> decoderFor(std::string_view bytes);

// Splits CSV text into records (RFC 4180): a field in double quotes may hold
// separators and line breaks, a doubled quote inside it is one quote.
// Spaces before a field are skipped; text between a closing quote and the
// next separator is dropped. Records end at LF or CR LF; empty lines are
// skipped. `onRecord` gets each record's fields; returning false stops.
void forEachCsvRecord(std::string_view text,
                      const std::function<bool(const std::vector<std::string> &fields)> &onRecord);

// A report's header row: its names, trimmed of surrounding spaces.
struct ReportHeader {
    std::vector<std::string> names;

    // The column whose name equals `name`; -1 when there is none.
    int column(std::string_view name) const;
    // The first column whose name contains `part` and none of `unless`.
    int columnContaining(std::string_view part, std::string_view unless) const;
};

// The header of a report from its first record. Names are compared trimmed:
// exports pad some of them with spaces.
ReportHeader headerOf(const std::vector<std::string> &fields);

// A report read whole: the decoded text, for forEachCsvRecord.
struct ReportFile {
    std::string text;
    std::string encoding;
};

// Reads a report file (read-only files and files other programs hold open
// included; at most kMaxReportBytes). False with the reason when it cannot.
constexpr std::size_t kMaxReportBytes = std::size_t(512) << 20;
bool readReportFile(const std::string &path, ReportFile &out, std::string *error = nullptr);

}
