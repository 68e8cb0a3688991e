#include "core/taobao/ReportReader.h"

namespace zentra {
namespace {

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
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

ReportHeader headerOf(const std::vector<std::string> &fields)
{
    ReportHeader h;
    h.names.reserve(fields.size());
    for (const std::string &f : fields)
        h.names.emplace_back(trimSpaces(f));
    return h;
}

CsvReader::Options reportCsvOptions()
{
    CsvReader::Options o;
    o.skipSpacesBeforeField = true;
    return o;
}

}
