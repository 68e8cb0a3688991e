// Batch printing onto print queues of a private CUPS scheduler (the tests'
// test::PrivateCups): `zentra-cli print-list --printer QUEUE` over N rows of
// one 30-item template, 23 x 12.7 cm.
// - The 24-pin dot-matrix queue (CUPS's "Epson 24-Pin Series", its ESC/P
//   written to a file): the time until the queue has the job (the command
//   returns once CUPS holds the document), the document's size in the spool,
//   then the time until the driver has made the ESC/P and its size.
// - The cups-pdf queue (where installed): the time from the command's start
//   until cups-pdf has written its PDF, and that PDF's size.
//
// Usage: bench_cupsbatch [DOT_ROWS [PDF_ROWS]]   (default: 500 1000)
#include "BenchWaybills.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "support/PrivateCups.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <regex>
#include <sstream>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace zentra;
using namespace zentra::bench;
namespace fs = std::filesystem;

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The documents CUPS holds in its spool (d*-001 files).
double spoolKiB(const std::string &spool)
{
    double bytes = 0;
    for (const auto &e : fs::directory_iterator(spool))
        if (e.path().filename().string().rfind('d', 0) == 0 && e.is_regular_file())
            bytes += static_cast<double>(e.file_size());
    return bytes / 1024;
}

// Where a job's time went, from the scheduler's log (whole seconds): when
// each filter and the backend started and ended, counted from the job's
// queueing.
void printStages(const std::string &log)
{
    static const std::regex stamp(R"re(\[(\d+)/(\w+)/(\d+):(\d+):(\d+):(\d+) [^\]]*\] \[Job (\d+)\] (.*))re");
    static const std::regex started(R"re(Started (filter|backend) \S*/([^/ ]+) \(PID (\d+)\))re");
    static const std::regex exited(R"re(PID (\d+) \(\S*?([^/ ]+)\) exited)re");
    std::istringstream lines(log);
    int job = 0;
    long queued = -1;
    std::vector<std::pair<std::string, long>> starts;
    std::vector<std::pair<std::string, long>> ends;
    long completed = -1;
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, stamp))
            continue;
        const long t = std::stol(m[4]) * 3600 + std::stol(m[5]) * 60 + std::stol(m[6]);
        const int id = std::stoi(m[7]);
        const std::string what = m[8];
        if (what.find("Queued on") != std::string::npos) {
            job = id;
            queued = t;
            starts.clear();
            ends.clear();
            completed = -1;
        }
        if (id != job)
            continue;
        std::smatch f;
        if (std::regex_search(what, f, started))
            starts.emplace_back(f[2], t - queued);
        else if (std::regex_search(what, f, exited))
            ends.emplace_back(f[2], t - queued);
        else if (what.find("Job completed") != std::string::npos)
            completed = t - queued;
    }
    for (const auto &[name, t] : starts) {
        long end = -1;
        for (const auto &[n, e] : ends)
            if (n == name)
                end = e;
        std::printf("    %-12s started at %3ld s, ended at %3ld s\n", name.c_str(), t, end);
    }
    std::printf("    job completed at %ld s after it was queued\n", completed);
}

}

int main(int argc, char **argv)
{
    const int dotRows = argc > 1 ? std::atoi(argv[1]) : 500;
    const int pdfRows = argc > 2 ? std::atoi(argv[2]) : 1000;

    test::PrivateCups cups;
    if (!cups.available()) {
        std::cerr << "no CUPS scheduler: " << cups.why() << "\n";
        return 1;
    }
    if (!cups.addDotMatrixQueue("Dot")) {
        std::cerr << cups.why() << "\n";
        return 1;
    }
    const bool havePdf = cups.addCupsPdfQueue("PDF");

    const DataFolder folder(cups.folder() + "/home");
    std::string error;
    if (!initDataFolder(folder, &error) ||
        !saveTemplateFile(folder.templateDir() + "bench.ttp", benchTemplate(false))) {
        std::cerr << "setup failed: " << error << "\n";
        return 1;
    }
    const std::string cli = selfDir() + "/zentra-cli";
    auto printList = [&](const std::string &queue) {
        const std::string cmd = "QT_QPA_PLATFORM=offscreen " + cli + " --home " + folder.root() +
                                " print-list --keep --printer " + queue + " >/dev/null";
        return std::system(cmd.c_str()) == 0;
    };

    std::printf("template: 23 x 12.7 cm, 30 items; rows of about 250 characters\n");
    if (!fillPrintList(folder, dotRows))
        return 1;
    auto start = std::chrono::steady_clock::now();
    if (!printList("Dot")) {
        std::cerr << "print-list on Dot failed\n";
        return 1;
    }
    const double queued = since(start);
    const double spool = spoolKiB(cups.folder() + "/spool");
    const auto jobs = cups.jobs("Dot", 3600);
    const double driven = since(start);
    const double escp = jobs.empty() ? 0 : static_cast<double>(fs::file_size(jobs.back().data)) / 1024;
    std::printf("dot-matrix, %d rows: queue has the job after %.2f s (%.0f pages/s), spool %.1f KiB "
                "(%.2f KiB a page);\n  ESC/P ready after %.2f s, %.1f KiB\n",
                dotRows, queued, dotRows / queued, spool, spool / dotRows, driven, escp);
    printStages(cups.log());

    if (!havePdf) {
        std::printf("cups-pdf: skipped (%s)\n", cups.why().c_str());
        return 0;
    }
    if (!fillPrintList(folder, pdfRows))
        return 1;
    start = std::chrono::steady_clock::now();
    if (!printList("PDF")) {
        std::cerr << "print-list on PDF failed\n";
        return 1;
    }
    const double sent = since(start);
    const auto pdfs = cups.jobs("PDF", 3600);
    const double done = since(start);
    const double pdfKiB = pdfs.empty() ? 0 : static_cast<double>(fs::file_size(pdfs.back().data)) / 1024;
    std::printf("cups-pdf, %d rows: sent after %.2f s, PDF written after %.2f s end to end (%.0f pages/s), "
                "%.1f KiB\n",
                pdfRows, sent, done, pdfRows / done, pdfKiB);
    printStages(cups.log());
    return 0;
}
