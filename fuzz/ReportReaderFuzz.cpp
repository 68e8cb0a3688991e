// Feeds arbitrary bytes to the CSV reader and to the order and item report
// readers over it. Besides crashes, leaks and hangs it checks what the
// readers promise: every field given is valid UTF-8 without NUL and within
// the caps, records start on later and later lines, and every data record of
// a report is either read or named with its line (the counts add up).
//
// The first byte picks the caps (the defaults, or small ones that short
// inputs can reach); the rest is the file.
#include "core/taobao/ReportReader.h"
#include "core/taobao/TaobaoOrders.h"
#include "core/text/CsvReader.h"
#include "core/text/Gbk.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void checkText(const std::string &s)
{
    if (!zentra::isValidUtf8(s))
        fail("invalid UTF-8 given out");
    if (s.find('\0') != std::string::npos)
        fail("NUL given out");
}

zentra::CsvReader::Options options(unsigned char pick)
{
    zentra::CsvReader::Options o = zentra::reportCsvOptions();
    o.skipSpacesBeforeField = pick & 2;
    if (pick & 1) {
        o.limits.maxFields = 6;
        o.limits.maxFieldBytes = 24;
        o.limits.maxRecordBytes = 200;
    }
    return o;
}

template <typename Row, typename Check>
void readReport(std::string_view bytes, unsigned char pick,
                zentra::ReportRead (*read)(zentra::CsvReader &, std::vector<Row> &), Check check)
{
    zentra::CsvReader reader(options(pick));
    reader.openBytes(bytes);
    std::vector<Row> rows;
    const zentra::ReportRead r = read(reader, rows);
    if (!r.ok) {
        if (r.message.empty() || !rows.empty())
            fail("a refused report without message, or with rows");
        return;
    }
    if (static_cast<std::size_t>(r.records) != rows.size() + r.skipped.size())
        fail("records do not add up");
    int last = 1;
    for (const zentra::CsvSkipped &s : r.skipped) {
        if (s.line <= last || s.reason.empty())
            fail("skipped records out of order or without reason");
        last = s.line;
    }
    for (const Row &row : rows)
        check(row);
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace zentra;
    if (size == 0)
        return 0;
    const unsigned char pick = data[0];
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);

    CsvReader reader(options(pick));
    reader.openBytes(bytes);
    CsvRecord rec;
    int line = 0;
    while (reader.next(rec)) {
        if (rec.line <= line)
            fail("a record starts on a line already read");
        line = rec.line;
        if (rec.problem != CsvProblem::None && !rec.fields.empty())
            fail("a record with a problem has fields");
        if (rec.fields.size() > reader.limits().maxFields)
            fail("more fields than the cap");
        for (const std::string &f : rec.fields) {
            if (f.size() > reader.limits().maxFieldBytes)
                fail("a field over the cap");
            checkText(f);
        }
    }
    if (!reader.error().empty() || reader.bytesRead() != bytes.size())
        fail("bytes in memory not read to their end");

    readReport<TbOrder>(bytes, pick, readOrderReport, [](const TbOrder &o) {
        if (o.orderNum.empty())
            fail("an order without number");
        for (const std::string *s : {&o.orderNum, &o.status, &o.nickName, &o.proCity, &o.tradeTime, &o.orderPrice,
                                     &o.postFee, &o.getMoney, &o.addressInfo, &o.sNote})
            checkText(*s);
    });
    readReport<TbItem>(bytes, pick, readItemReport, [](const TbItem &i) {
        if (i.orderNum.empty() || i.item.empty())
            fail("an item without number or title");
        for (const std::string *s : {&i.orderNum, &i.item, &i.sku, &i.price, &i.num})
            checkText(*s);
    });
    return 0;
}
