// Batch printing speed: N print-list rows (30 items each, one template with a
// background of about 800 KB) printed to a PDF at 600 dpi by `zentra-cli
// print-list`, measured as the user would see it: wall time including start-up
// and the peak memory of the process, from /usr/bin/time -v.
//
// Usage: bench_batchprint [ROWS...]   (default: 1000 10000)
// With ZENTRA_BENCH_KEEP set, the data folder of the last size is kept and its
// path printed, so the same batch can be timed again by other means.
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace zentra;

namespace {

// The 30 fields the benchmark template shows.
const int kFields[] = {0,  1,  2,  3,  4,  5,  7,  8,  16, 20, 21, 22, 23, 24, 25,
                       27, 28, 29, 36, 40, 41, 42, 43, 45, 46, 50, 51, 52, 56, 57};

Template benchTemplate()
{
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    t.leftMargin = "1";
    t.topMargin = "1";
    std::string picture(600 * 1024, '\0'); // ~800 KB once in Base64
    std::mt19937 rng(42);
    for (auto &c : picture)
        c = static_cast<char>(rng());
    t.imgData = encodeBase64Lines(picture);
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        TemplateItem it;
        it.id = 100 + kFields[i];
        it.left = 20 + 210 * static_cast<int>(i % 4);
        it.top = 20 + 60 * static_cast<int>(i / 4);
        it.right = it.left + 200;
        it.bottom = it.top + 50;
        it.fontSize = i % 3 == 0 ? 120 : 90;
        it.bold = i % 5 == 0;
        t.items[static_cast<std::size_t>(kFields[i])] = it;
    }
    return t;
}

bool fillPrintList(const DataFolder &folder, int rows)
{
    DbConnection db;
    if (!db.open(folder.databasePath()))
        return false;
    Transaction tx(db);
    db.execute("delete from printList");
    const char *sql =
        "insert into printList(templateName, orderNo, expressNo, printTime, tradeTime, cargoName, cargoNum, "
        "cargoWeight, protectMoney, rname, rmobile, rphone, rprovince, rcity, rdistrict, raddress, rcompany, "
        "rnote, sname, smobile, sphone, sprovince, scity, sdistrict, saddress, scompany) "
        "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    for (int i = 0; i < rows; ++i) {
        const std::string n = std::to_string(i);
        if (db.execute(sql, {"bench",
                             "T" + n,
                             "SF10000" + n,
                             "2024-03-05 07:08:09",
                             "2024-03-04 21:00:00",
                             "纯棉T恤 白色 XL 码 两件装",
                             2.0,
                             0.6,
                             1005.0 + i,
                             "张三" + n,
                             "138000" + n,
                             "0755-8888" + n,
                             "广东省",
                             "深圳市",
                             "南山区",
                             "科技园南区高新南七道数字技术园 B2 栋 " + n + " 号",
                             "某某科技有限公司",
                             "工作日送货",
                             "李四",
                             "13900000000",
                             "020-12345678",
                             "浙江省",
                             "杭州市",
                             "西湖区",
                             "文三路 90 号东部软件园",
                             "杭州小店"}) != 1)
            return false;
    }
    return tx.commit();
}

std::string selfDir()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string field(const std::string &report, const std::string &label)
{
    const auto at = report.find(label);
    if (at == std::string::npos)
        return {};
    const auto end = report.find('\n', at);
    return report.substr(at + label.size(), end - at - label.size());
}

// "m:ss.ss" or "h:mm:ss" to seconds.
double seconds(const std::string &clock)
{
    double total = 0;
    std::stringstream s(clock);
    for (std::string part; std::getline(s, part, ':');)
        total = total * 60 + std::atof(part.c_str());
    return total;
}

}

int main(int argc, char **argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000};

    char tmpl[] = "/tmp/zentra-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    const std::string root = tmpl;
    const DataFolder folder(root + "/home");
    std::string error;
    if (!initDataFolder(folder, &error) || !saveTemplateFile(folder.templateDir() + "bench.ttp", benchTemplate())) {
        std::cerr << "setup failed: " << error << "\n";
        return 1;
    }
    struct stat st {};
    stat((folder.templateDir() + "bench.ttp").c_str(), &st);
    std::printf("template file: %lld bytes, 30 items; 600 dpi\n", static_cast<long long>(st.st_size));
    std::printf("%8s %10s %10s %12s %12s\n", "rows", "wall s", "pages/s", "peak MiB", "PDF KiB");

    const std::string cli = selfDir() + "/zentra-cli";
    for (int rows : sizes) {
        if (!fillPrintList(folder, rows)) {
            std::cerr << "cannot fill the print list\n";
            return 1;
        }
        const std::string pdf = root + "/out.pdf";
        const std::string report = root + "/time.txt";
        const std::string cmd = "QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o " + report + " " + cli + " --home " +
                                folder.root() + " print-list --dpi 600 --pdf " + pdf + " >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) {
            std::cerr << "print-list failed\n";
            return 1;
        }
        const std::string r = readAll(report);
        const double wall = seconds(field(r, "Elapsed (wall clock) time (h:mm:ss or m:ss): "));
        const double peakKb = std::atof(field(r, "Maximum resident set size (kbytes): ").c_str());
        stat(pdf.c_str(), &st);
        std::printf("%8d %10.2f %10.0f %12.1f %12.1f\n", rows, wall, wall > 0 ? rows / wall : 0.0, peakKb / 1024,
                    st.st_size / 1024.0);
    }
    if (std::getenv("ZENTRA_BENCH_KEEP")) {
        std::printf("kept: %s\n", folder.root().c_str());
        return 0;
    }
    std::system(("rm -rf " + root).c_str());
    return 0;
}
