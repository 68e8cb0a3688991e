#pragma once

#include "core/text/CsvReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// The seller back office exports its order and item reports as CSV in one of
// several encodings: UTF-16LE with a byte-order mark (older exports), UTF-8
// with a byte-order mark (today's), or GBK; the one CsvReader detects which
// and reads the records.

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

// How reports are read: spaces before a field are skipped.
CsvReader::Options reportCsvOptions();

// Largest report file read.
constexpr std::uint64_t kMaxReportBytes = std::uint64_t(512) << 20;

}
