#pragma once

#include "core/text/TextDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// Caps on what one record may hold. A record over a cap is reported and
// passed over; memory stays within a few times kMaxRecordBytes whatever the
// file holds.
struct CsvLimits {
    std::size_t maxFields = 256;
    std::size_t maxFieldBytes = std::size_t(64) << 10;
    std::size_t maxRecordBytes = std::size_t(1) << 20;
};

// Why a record was not read.
enum class CsvProblem {
    None,
    UnmatchedQuote, // a quoted field that never ends, or that runs on over line ends into other records
    TooManyFields,
    FieldTooLong,
    RecordTooLong,
    Undecodable, // text that is not valid in the file's encoding
};

// The reason as the user reads it: "引号不成对", "列数超过 256", ...
std::string csvProblemText(CsvProblem problem, const CsvLimits &limits, TextEncoding encoding);

// One record and the line it starts on (from 1; CR, LF and CR LF each end a
// line). A record with a problem has no fields.
struct CsvRecord {
    int line = 0;
    CsvProblem problem = CsvProblem::None;
    std::vector<std::string> fields;
};

// A record passed over by an import, as the import reports it.
struct CsvSkipped {
    int line = 0;
    std::string reason;
};

// Reads the records of a CSV file (or of bytes in memory) one at a time, in
// UTF-8, after detecting the encoding (detectEncoding). The one reader of the
// order and item reports and of the books' CSV files.
//
// - Fields are separated by ","; outside quotes CR, LF and CR LF each end a
//   record; empty lines are no records.
// - A field that starts with a double quote runs to the closing quote and may
//   hold separators, doubled quotes (one quote) and line ends, which are kept
//   as written. Text between a closing quote and the next separator is kept,
//   spaces alone are dropped.
// - A quoted field is taken as never closed, and its record reported as
//   "引号不成对" and read again as its first line alone, when it ends the
//   file still open, or when, having run over a line end, it is followed by
//   text other than a separator or a line end, or gives its record more
//   (non-empty) fields than the header has (expectFields), or runs past the
//   record cap.
//   So one stray quote costs one line, never the rest of the file.
// - NUL characters are dropped from fields.
// - A record over a cap, or with text the encoding cannot decode, is
//   reported with its line and the reader goes on after it.
class CsvReader {
public:
    struct Options {
        // Spaces before a field are skipped (the seller reports pad some).
        bool skipSpacesBeforeField = false;
        CsvLimits limits;
    };

    CsvReader();
    explicit CsvReader(Options options);
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Reads a regular file a piece at a time. False, with the reason, when it
    // cannot be opened or is larger than `maxBytes`.
    bool openFile(const std::string &path, std::uint64_t maxBytes, std::string *error = nullptr);
    // Reads bytes held by the caller; they must outlive the reader.
    void openBytes(std::string_view bytes);

    TextEncoding encoding() const { return encoding_; }

    // After the header: a record whose quoted field ran over a line end and
    // that has more fields than this (not counting empty ones at its end) is
    // an unmatched quote.
    void expectFields(std::size_t count) { expectedFields_ = count; }

    // The next record; false at the end of the input or when reading failed
    // (error() then tells why).
    bool next(CsvRecord &record);

    const std::string &error() const { return error_; }
    // Bytes of the input read so far and in all, for a progress display.
    std::uint64_t bytesRead() const { return bytesRead_; }
    std::uint64_t totalBytes() const { return totalBytes_; }

    const CsvLimits &limits() const { return options_.limits; }

private:
    struct Parse;
    bool fill();
    void start(std::string_view head);
    Parse parse(std::string_view text) const;
    bool skipRestOfLine();

    Options options_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::unique_ptr<TextDecoder> decoder_;

    // Input: bytes in memory, or a file descriptor after a first sample.
    std::string_view memory_;
    std::size_t memoryPos_ = 0;
    int fd_ = -1;
    std::string sample_; // the file's first bytes, read for detection
    std::size_t samplePos_ = 0;
    bool inputDone_ = false;

    std::string text_;      // decoded text not yet consumed, from textPos_
    std::size_t textPos_ = 0;
    int line_ = 1;
    std::size_t expectedFields_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t totalBytes_ = 0;
    std::string error_;
};

}
