// Batch printing speed: N print-list rows (30 items each, one template with a
// background of about 800 KB) printed to a PDF at 600 dpi by `zentra-cli
// print-list`, measured as the user would see it: wall time including start-up
// and the peak memory of the process, from /usr/bin/time -v.
//
// Usage: bench_batchprint [ROWS...]   (default: 1000 10000)
// With ZENTRA_BENCH_KEEP set, the data folder of the last size is kept and its
// path printed, so the same batch can be timed again by other means.
#include "BenchWaybills.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace zentra;
using namespace zentra::bench;

namespace {

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
    if (!initDataFolder(folder, &error) || !saveTemplateFile(folder.templateDir() + "bench.ttp", benchTemplate(true))) {
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
