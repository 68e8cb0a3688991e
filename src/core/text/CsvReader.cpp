#include "core/text/CsvReader.h"

#include "core/text/Gbk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

constexpr std::size_t kPieceBytes = std::size_t(64) << 10;
constexpr std::size_t npos = std::string_view::npos;

std::string sizeText(std::size_t bytes)
{
    if (bytes >= (std::size_t(1) << 20) && bytes % (std::size_t(1) << 20) == 0)
        return std::to_string(bytes >> 20) + " MB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes >> 10) + " KB";
    return std::to_string(bytes) + " 字节";
}

}

std::string csvProblemText(CsvProblem problem, const CsvLimits &limits, TextEncoding encoding)
{
    switch (problem) {
    case CsvProblem::None:
        return {};
    case CsvProblem::UnmatchedQuote:
        return "引号不成对";
    case CsvProblem::TooManyFields:
        return "列数超过 " + std::to_string(limits.maxFields);
    case CsvProblem::FieldTooLong:
        return "字段长度超过 " + sizeText(limits.maxFieldBytes);
    case CsvProblem::RecordTooLong:
        return "记录长度超过 " + sizeText(limits.maxRecordBytes);
    case CsvProblem::Undecodable:
        return "文字无法按 " + std::string(encodingName(encoding)) + " 解码";
    }
    return {};
}

// The outcome of reading one record from the start of the decoded text.
struct CsvReader::Parse {
    enum class Status { Complete, NeedMore, Broken };
    Status status = Status::Complete;
    std::size_t end = 0;             // Complete: just past the record's line end
    int lines = 0;                   // Complete: line ends inside and after the record
    bool crossed = false;            // a quoted field ran over a line end
    std::size_t firstLineEnd = npos; // just past the first line end inside the record
    CsvProblem problem = CsvProblem::None;
    std::vector<std::string> fields;
};

CsvReader::CsvReader() : CsvReader(Options{}) {}

CsvReader::CsvReader(Options options) : options_(options) {}

CsvReader::~CsvReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool CsvReader::openFile(const std::string &path, std::uint64_t maxBytes, std::string *error)
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = path + ": " + why;
        return false;
    };
    // O_NONBLOCK: a FIFO must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(std::strerror(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return fail(folder ? "is a folder" : "not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    }
    fd_ = fd;
    totalBytes_ = static_cast<std::uint64_t>(st.st_size);
    sample_.resize(kEncodingSampleBytes);
    std::size_t done = 0;
    while (done < sample_.size()) {
        const ssize_t n = ::read(fd_, sample_.data() + done, sample_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    sample_.resize(done);
    start(sample_);
    return true;
}

void CsvReader::openBytes(std::string_view bytes)
{
    memory_ = bytes;
    totalBytes_ = bytes.size();
    start(bytes);
}

void CsvReader::start(std::string_view head)
{
    const DetectedEncoding d = detectEncoding(head);
    encoding_ = d.encoding;
    decoder_ = makeTextDecoder(d.encoding);
    if (fd_ >= 0)
        samplePos_ = d.markBytes;
    else
        memoryPos_ = d.markBytes;
    bytesRead_ = d.markBytes;
}

bool CsvReader::fill()
{
    if (inputDone_)
        return true;
    std::string_view piece;
    std::string readBuf;
    if (fd_ < 0) {
        piece = memory_.substr(memoryPos_, std::min(kPieceBytes, memory_.size() - memoryPos_));
        memoryPos_ += piece.size();
    } else if (samplePos_ < sample_.size()) {
        piece = std::string_view(sample_).substr(samplePos_, std::min(kPieceBytes, sample_.size() - samplePos_));
        samplePos_ += piece.size();
    } else {
        if (!sample_.empty())
            std::string().swap(sample_);
        readBuf.resize(kPieceBytes);
        ssize_t n;
        do
            n = ::read(fd_, readBuf.data(), readBuf.size());
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            error_ = std::strerror(errno);
            return false;
        }
        readBuf.resize(static_cast<std::size_t>(n));
        piece = readBuf;
    }
    bytesRead_ += piece.size();
    if (piece.empty()) {
        decoder_->decode({}, true, text_);
        inputDone_ = true;
    } else {
        decoder_->decode(piece, false, text_);
    }
    return true;
}

CsvReader::Parse CsvReader::parse(std::string_view t) const
{
    using Status = Parse::Status;
    Parse p;
    const bool atEnd = inputDone_;
    const CsvLimits &lim = options_.limits;
    const std::size_t n = t.size();
    std::size_t i = 0;
    std::string field;
    auto stop = [&p](Status s) {
        p.status = s;
        if (s == Status::Broken)
            p.fields.clear();
        return std::move(p);
    };
    auto add = [&](std::string_view s) {
        if (p.problem != CsvProblem::None)
            return;
        if (field.size() + s.size() > lim.maxFieldBytes) {
            p.problem = CsvProblem::FieldTooLong;
            p.fields.clear();
            field.clear();
            return;
        }
        field.append(s);
    };
    // The length of the line end at `k` (CR LF is one); 0 when a CR ends the
    // text read so far and the next piece may hold its LF.
    auto lineEndLength = [&](std::size_t k) -> std::size_t {
        if (t[k] != '\r')
            return 1;
        if (k + 1 == n)
            return atEnd ? 1 : 0;
        return t[k + 1] == '\n' ? 2 : 1;
    };
    for (;;) {
        field.clear();
        if (options_.skipSpacesBeforeField)
            while (i < n && t[i] == ' ')
                ++i;
        if (i < n && t[i] == '"') {
            ++i;
            for (;;) {
                const std::size_t q = t.find_first_of("\"\r\n", i);
                if (q == npos) {
                    // The text ends inside the quotes.
                    return stop(atEnd ? Status::Broken : Status::NeedMore);
                }
                add(t.substr(i, q - i));
                i = q;
                if (t[i] == '"') {
                    if (i + 1 == n && !atEnd)
                        return stop(Status::NeedMore);
                    if (i + 1 < n && t[i + 1] == '"') {
                        add("\"");
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                const std::size_t len = lineEndLength(i);
                if (len == 0)
                    return stop(Status::NeedMore);
                add(t.substr(i, len)); // kept as written
                i += len;
                ++p.lines;
                p.crossed = true;
                if (p.firstLineEnd == npos)
                    p.firstLineEnd = i;
            }
            const std::size_t sep = t.find_first_of(",\r\n", i);
            if (sep == npos && !atEnd)
                return stop(Status::NeedMore);
            const std::size_t to = sep == npos ? n : sep;
            const std::string_view rest = t.substr(i, to - i);
            if (rest.find_first_not_of(" \t") != npos) {
                if (p.crossed)
                    return stop(Status::Broken); // the quote that "closed" it was another field's
                add(rest);
            }
            i = to;
        } else {
            const std::size_t sep = t.find_first_of(",\r\n", i);
            if (sep == npos && !atEnd)
                return stop(Status::NeedMore);
            const std::size_t to = sep == npos ? n : sep;
            add(t.substr(i, to - i));
            i = to;
        }
        if (p.problem == CsvProblem::None && p.fields.size() >= lim.maxFields) {
            p.problem = CsvProblem::TooManyFields;
            p.fields.clear();
        }
        if (p.problem == CsvProblem::None) {
            field.erase(std::remove(field.begin(), field.end(), '\0'), field.end());
            p.fields.push_back(std::move(field));
        }
        if (i >= n) {
            p.end = n;
            break;
        }
        if (t[i] == ',') {
            ++i;
            continue;
        }
        const std::size_t len = lineEndLength(i);
        if (len == 0)
            return stop(Status::NeedMore);
        p.end = i + len;
        ++p.lines;
        break;
    }
    // A quote that "closed" at another record's quote gives more fields than
    // the header (empty ones at the end, which some exports write, aside).
    if (p.crossed && expectedFields_ != 0 && p.problem == CsvProblem::None) {
        std::size_t filled = p.fields.size();
        while (filled > 0 && p.fields[filled - 1].empty())
            --filled;
        if (filled > expectedFields_)
            return stop(Status::Broken);
    }
    p.status = Status::Complete;
    return p;
}

bool CsvReader::skipRestOfLine()
{
    for (;;) {
        const std::size_t at = text_.find_first_of("\r\n", textPos_);
        if (at != npos) {
            if (text_[at] == '\r' && at + 1 == text_.size() && !inputDone_) {
                textPos_ = at;
                if (!fill())
                    return false;
                continue;
            }
            textPos_ = at + 1;
            if (text_[at] == '\r' && textPos_ < text_.size() && text_[textPos_] == '\n')
                ++textPos_;
            ++line_;
            return true;
        }
        text_.clear();
        textPos_ = 0;
        if (inputDone_)
            return true;
        if (!fill())
            return false;
    }
}

bool CsvReader::next(CsvRecord &record)
{
    using Status = Parse::Status;
    if (!decoder_)
        return false;
    for (;;) {
        // Consumed text goes; what is left of a record stays.
        if (textPos_ >= kPieceBytes || textPos_ == text_.size()) {
            text_.erase(0, textPos_);
            textPos_ = 0;
        }
        // Empty lines are no records.
        bool waitForLf = false;
        while (textPos_ < text_.size() && (text_[textPos_] == '\n' || text_[textPos_] == '\r')) {
            if (text_[textPos_] == '\r' && textPos_ + 1 == text_.size() && !inputDone_) {
                waitForLf = true;
                break;
            }
            if (text_[textPos_] == '\r' && textPos_ + 1 < text_.size() && text_[textPos_ + 1] == '\n')
                ++textPos_;
            ++textPos_;
            ++line_;
        }
        if (waitForLf || textPos_ == text_.size()) {
            if (inputDone_ && !waitForLf)
                return false;
            if (!fill())
                return false;
            continue;
        }

        Parse p = parse(std::string_view(text_).substr(textPos_));
        if (p.status == Status::NeedMore) {
            if (text_.size() - textPos_ <= options_.limits.maxRecordBytes) {
                if (!fill())
                    return false;
                continue;
            }
            // Past the record cap: report it and go on after its first line.
            record.line = line_;
            record.fields.clear();
            if (p.crossed) {
                record.problem = CsvProblem::UnmatchedQuote;
                textPos_ += p.firstLineEnd;
                ++line_;
            } else {
                // No line end yet (one outside quotes ends a record, one
                // inside makes it cross): the record ends with its line.
                record.problem = CsvProblem::RecordTooLong;
                if (!skipRestOfLine())
                    return false;
            }
            return true;
        }
        record.line = line_;
        if (p.status == Status::Broken) {
            record.problem = CsvProblem::UnmatchedQuote;
            record.fields.clear();
            if (p.firstLineEnd == npos) {
                textPos_ = text_.size();
            } else {
                textPos_ += p.firstLineEnd;
                ++line_;
            }
            return true;
        }
        textPos_ += p.end;
        line_ += p.lines;
        if (p.problem == CsvProblem::None && p.fields.size() == 1 && p.fields[0].empty())
            continue; // a line of spaces
        record.problem = p.problem;
        record.fields = std::move(p.fields);
        if (record.problem == CsvProblem::None)
            for (const std::string &f : record.fields)
                if (!isValidUtf8(f)) {
                    record.problem = CsvProblem::Undecodable;
                    break;
                }
        if (record.problem != CsvProblem::None)
            record.fields.clear();
        return true;
    }
}

}
