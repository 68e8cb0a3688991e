#include "core/taobao/ReportReader.h"

#include "core/config/DataFolder.h"
#include "core/text/Gbk.h"

namespace zentra {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

class Utf16LeDecoder : public ReportDecoder {
public:
    std::string_view name() const override { return "UTF-16LE"; }
    std::string toUtf8(std::string_view bytes) const override
    {
        return utf16leToUtf8(bytes.substr(kUtf16Mark.size()));
    }
};

class Utf8Decoder : public ReportDecoder {
public:
    std::string_view name() const override { return "UTF-8"; }
    std::string toUtf8(std::string_view bytes) const override
    {
        if (bytes.starts_with(kUtf8Mark))
            bytes.remove_prefix(kUtf8Mark.size());
        return std::string(bytes);
    }
};

class GbkDecoder : public ReportDecoder {
public:
    std::string_view name() const override { return "GBK"; }
    std::string toUtf8(std::string_view bytes) const override { return gbkToUtf8(bytes); }
};

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}

std::unique_ptr<ReportDecoder> decoderFor(std::string_view bytes)
{
    if (bytes.starts_with(kUtf16Mark))
        return std::make_unique<Utf16LeDecoder>();
    if (bytes.starts_with(kUtf8Mark) || isValidUtf8(bytes))
        return std::make_unique<Utf8Decoder>();
    return std::make_unique<GbkDecoder>();
}

void forEachCsvRecord(std::string_view text,
                      const std::function<bool(const std::vector<std::string> &fields)> &onRecord)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        fields.clear();
        bool recordEnded = false;
        while (!recordEnded) {
            while (i < n && text[i] == ' ')
                ++i;
            std::string field;
            if (i < n && text[i] == '"') {
                ++i;
                for (;;) {
                    const std::size_t q = text.find('"', i);
                    if (q == std::string_view::npos) {
                        field.append(text.substr(i));
                        i = n;
                        break;
                    }
                    field.append(text.substr(i, q - i));
                    i = q + 1;
                    if (i < n && text[i] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                // Whatever stands between the closing quote and the separator.
                while (i < n && text[i] != ',' && text[i] != '\n')
                    ++i;
            } else {
                const std::size_t end = text.find_first_of(",\n", i);
                const std::size_t stop = end == std::string_view::npos ? n : end;
                std::string_view raw = text.substr(i, stop - i);
                if (!raw.empty() && raw.back() == '\r' && (stop == n || text[stop] == '\n'))
                    raw.remove_suffix(1);
                field.assign(raw);
                i = stop;
            }
            fields.push_back(std::move(field));
            if (i >= n || text[i] == '\n')
                recordEnded = true;
            ++i; // past the separator or the line feed
        }
        if (fields.size() == 1 && fields[0].empty())
            continue; // an empty line
        if (!onRecord(fields))
            return;
    }
}

int ReportHeader::column(std::string_view name) const
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<int>(i);
    return -1;
}

int ReportHeader::columnContaining(std::string_view part, std::string_view unless) const
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].find(part) != std::string::npos &&
            (unless.empty() || names[i].find(unless) == std::string::npos))
            return static_cast<int>(i);
    return -1;
}

bool readReportFile(const std::string &path, ReportFile &out, std::string *error)
{
    std::string bytes;
    std::string why;
    if (readRegularFile(path, bytes, kMaxReportBytes, &why) != ReadStatus::Ok) {
        if (error)
            *error = why.empty() ? "no such file" : why;
        return false;
    }
    const auto decoder = decoderFor(bytes);
    out.encoding = std::string(decoder->name());
    out.text = decoder->toUtf8(bytes);
    return true;
}

ReportHeader headerOf(const std::vector<std::string> &fields)
{
    ReportHeader h;
    h.names.reserve(fields.size());
    for (const std::string &f : fields)
        h.names.emplace_back(trimSpaces(f));
    return h;
}

}
