// print, print-list, print-calibration: the single print of a template, the
// batch print of the print list and the calibration sheet, written to a PDF or
// sent to a print queue as the window sends them; the printed rows of a batch
// move to the history. Needs no display: the offscreen platform is used unless
// another one is chosen.
#include "cli/CliCommand.h"
#include "cli/CliGui.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/PrinterOffset.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "core/waybill/PrintClaims.h"
#include "core/waybill/PrintListStore.h"
#include "core/waybill/WaybillRow.h"
#include "render/CalibrationSheet.h"
#include "render/ItemLayout.h"
#include "render/PrintJob.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace zentra::cli {
namespace {


struct PrintOptions {
    std::string templateName;
    std::string pdf;
    std::string printer; // a print queue instead of a PDF
    int dpi = 600;
    std::vector<std::pair<int, std::string>> sets;
    // print-list only: the rows to print (none: all) and whether printed rows
    // stay in the list.
    std::vector<std::int64_t> ids;
    bool keep = false;
};

// "ID,ID,...": positive whole numbers; false for anything else.
bool parseIds(const std::string &text, std::vector<std::int64_t> &ids)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string one = text.substr(start, comma - start);
        char *end = nullptr;
        const long long id = std::strtoll(one.c_str(), &end, 10);
        if (one.empty() || *end || id < 1 || one[0] == '+' || one[0] == ' ')
            return false;
        ids.push_back(id);
        start = comma + 1;
    }
    return !ids.empty();
}

// Parses the options shared by the commands; false on a usage error.
// `allowTemplate`: --template and --set (print); `templateOptional`: a
// --template that may be left out (print-calibration).
bool parseOptions(const std::vector<std::string> &args, bool allowTemplate, PrintOptions &o, bool allowRows = false,
                  bool templateOptional = false)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--pdf" && hasValue) {
            o.pdf = args[++i];
        } else if (a == "--printer" && hasValue) {
            o.printer = args[++i];
            if (o.printer.empty())
                return false;
        } else if (templateOptional && a == "--template" && hasValue) {
            o.templateName = args[++i];
        } else if (a == "--dpi" && hasValue) {
            char *end = nullptr;
            const long dpi = std::strtol(args[++i].c_str(), &end, 10);
            if (*end || dpi < 1 || dpi > 9600)
                return false;
            o.dpi = static_cast<int>(dpi);
        } else if (allowRows && a == "--ids" && hasValue) {
            if (!parseIds(args[++i], o.ids))
                return false;
        } else if (allowRows && a == "--keep") {
            o.keep = true;
        } else if (allowTemplate && a == "--template" && hasValue) {
            o.templateName = args[++i];
        } else if (allowTemplate && a == "--set" && hasValue) {
            const std::string &v = args[++i];
            const auto eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                return false;
            const std::string indexText = v.substr(0, eq); // `end` points into it below
            char *end = nullptr;
            const long index = std::strtol(indexText.c_str(), &end, 10);
            if (*end || index < 0 || index >= Template::kSlotCount)
                return false;
            o.sets.emplace_back(static_cast<int>(index), v.substr(eq + 1));
        } else {
            return false;
        }
    }
    // One output: a PDF or a print queue.
    return o.pdf.empty() != o.printer.empty() && (!allowTemplate || !o.templateName.empty());
}

// "zentra-cli: no such printer: NAME" for a queue that does not exist; true
// when it does. Asked before anything is printed or moved.
bool printerExists(const PrintOptions &o)
{
    if (o.printer.empty() || render::queueExists(QString::fromStdString(o.printer)))
        return true;
    std::cerr << "zentra-cli: no such printer: " << o.printer << "\n";
    return false;
}

AppState readSettings(const DataFolder &folder)
{
    AppState state;
    readStartupSettings(state, ConfigFile(folder.configPath()));
    return state;
}

// Writes the job to the PDF, or sends it to the print queue with the queue's
// calibration offset, as the window does without its dialog.
int writeJob(render::PrintJob &job, const PrintOptions &o, const AppState &state, const DataFolder &folder,
             render::Resolution screen)
{
    const render::PrintSettings settings = render::PrintSettings::fromState(state);
    QString error;
    int pages = 0;
    if (!o.printer.empty()) {
        const PrinterOffset offset = readPrinterOffset(ConfigFile(folder.configPath()), o.printer);
        pages = render::printOnQueue(job, QString::fromStdString(o.printer), settings, offset, screen);
        error = QStringLiteral("the print queue refused the job");
    } else {
        pages = render::writePdf(job, QString::fromStdString(o.pdf), o.dpi, settings, screen, &error);
    }
    for (const QString &w : job.warnings())
        std::cerr << w.toStdString() << "\n";
    if (pages < 0) {
        std::cerr << "cannot " << (o.printer.empty() ? "write " + o.pdf : "print on " + o.printer) << ": "
                  << error.toStdString() << "\n";
        return 1;
    }
    std::cout << pages << (pages == 1 ? " page" : " pages") << "\n";
    // Rows left out for want of a template: not everything asked was printed.
    return job.warnings().isEmpty() ? 0 : 1;
}

int print(CliContext &ctx)
{
    PrintOptions o;
    if (!parseOptions(ctx.args, true, o)) {
        std::cerr << "usage: zentra-cli print --template NAME (--pdf OUT | --printer QUEUE) [--dpi N] "
                     "[--set INDEX=TEXT]...\n";
        return 2;
    }
    if (!mayWriteOutput(ctx, o.pdf))
        return 1;
    const std::string path = templateFilePath(ctx.folder, o.templateName);
    Template t;
    if (path.empty() || !readTemplateFile(path, t)) {
        std::cerr << "no template " << o.templateName << "\n";
        return 1;
    }
    for (const auto &[index, text] : o.sets)
        if (auto &item = t.items[static_cast<std::size_t>(index)])
            item->text = text;
    const Gui gui;
    if (!printerExists(o))
        return 1;
    const AppState state = readSettings(ctx.folder);
    render::PrintJob job = render::PrintJob::single(t);
    return writeJob(job, o, state, ctx.folder, gui.screen);
}

int printList(CliContext &ctx)
{
    PrintOptions o;
    if (!parseOptions(ctx.args, false, o, true)) {
        std::cerr << "usage: zentra-cli print-list (--pdf OUT | --printer QUEUE) [--dpi N] [--ids ID,ID,...] "
                     "[--keep]\n";
        return 2;
    }
    if (!mayWriteOutput(ctx, o.pdf))
        return 1;
    const Gui gui;
    if (!printerExists(o))
        return 1;
    // The embedded file must be there already; a shared database is made or
    // upgraded, and the shop's templates come into the folder.
    std::string error;
    if (ctx.folder.isSharedDatabase() ? !initDataFolder(ctx.folder, &error)
                                      : !fileExists(ctx.folder.databasePath())) {
        std::cerr << "cannot open the database: " << error << "\n";
        return 1;
    }
    DbConnection db;
    if (!db.open(ctx.folder.databasePath())) {
        std::cerr << "cannot open the database: " << db.lastError() << "\n";
        return 1;
    }
    bool ok = false;
    std::vector<WaybillRow> rows = readPrintList(db, &ok);
    if (!ok) {
        std::cerr << "cannot read the print list: " << db.lastError() << "\n";
        return 1;
    }
    // Rows asked for by id are the ticked rows of a mode-2 job; an id that is
    // not in the list prints nothing at all.
    const int mode = o.ids.empty() ? 3 : 2;
    for (std::int64_t id : o.ids) {
        bool found = false;
        for (WaybillRow &r : rows)
            if (r.printId() == id)
                found = r.ticked = true;
        if (!found) {
            std::cerr << "no row " << id << " in the print list\n";
            return 1;
        }
    }
    // The rows are claimed first: another station printing the same list
    // passes them over, and this job passes over the rows another holds.
    const PrintClaimJob claim = PrintClaimJob::start();
    std::vector<std::int64_t> wanted;
    for (const WaybillRow *r : rowsToPrint(rows, mode))
        wanted.push_back(r->printId());
    const std::vector<std::int64_t> held = claimRows(db, claim, wanted, &ok);
    if (!ok) {
        std::cerr << "cannot claim the rows to print: " << db.lastError() << "\n";
        return 1;
    }
    if (!o.ids.empty() && held.size() != wanted.size()) {
        releaseClaims(db, claim);
        const auto elsewhere = claimedRows(db, claim.job);
        for (std::int64_t id : wanted)
            if (std::find(held.begin(), held.end(), id) == held.end())
                std::cerr << "row " << id << " is being printed at "
                          << (elsewhere.count(id) ? elsewhere.at(id) : std::string("another station")) << "\n";
        return 1;
    }
    db.close();
    if (held.empty()) {
        std::cout << "0 pages\n";
        return 0;
    }
    // What this job prints: exactly the rows it holds, in list order.
    std::vector<WaybillRow> mine;
    for (WaybillRow &r : rows)
        if (std::find(held.begin(), held.end(), r.printId()) != held.end()) {
            r.ticked = true;
            mine.push_back(std::move(r));
        }
    rows = std::move(mine);
    const AppState state = readSettings(ctx.folder);
    render::PrintJob job = render::PrintJob::batch(
        2, std::move(rows),
        [folder = ctx.folder](const std::string &name) { return templateFilePath(folder, name); },
        [](const std::string &path, Template &out) { return readTemplateFile(path, out); });
    // Only the rows that reached the file or the queue move, and only once
    // the file is written or the queue has the job; the rest are released
    // for others to print.
    bool moveFailed = false;
    job.afterPrint = [&](const render::PrintJob &done, int) {
        std::vector<std::int64_t> ids;
        for (const WaybillRow *r : done.printedRows())
            ids.push_back(r->printId());
        DbConnection after;
        const bool open = after.open(ctx.folder.databasePath());
        if (!o.keep && (!open || !movePrintedRows(after, ids).complete)) {
            std::cerr << "cannot move the printed rows to the history: " << after.lastError() << "\n";
            moveFailed = true;
        }
        if (open)
            releaseClaims(after, claim);
    };
    const int rc = writeJob(job, o, state, ctx.folder, gui.screen);
    if (rc != 0 || moveFailed) {
        // Nothing written (or not all of it moved): what this job still
        // holds goes back to the list.
        DbConnection after;
        if (after.open(ctx.folder.databasePath()))
            releaseClaims(after, claim);
    }
    return moveFailed ? 1 : rc;
}

// The printer calibration sheet on the paper of the default template (or of
// --template NAME), into a PDF or onto a print queue.
int printCalibration(CliContext &ctx)
{
    PrintOptions o;
    if (!parseOptions(ctx.args, false, o, false, true)) {
        std::cerr << "usage: zentra-cli print-calibration (--pdf OUT | --printer QUEUE) [--template NAME] "
                     "[--dpi N]\n";
        return 2;
    }
    if (!mayWriteOutput(ctx, o.pdf))
        return 1;
    Template paper;
    bool havePaper = false;
    if (!o.templateName.empty()) {
        const std::string path = templateFilePath(ctx.folder, o.templateName);
        if (path.empty() || !readTemplateFile(path, paper)) {
            std::cerr << "no template " << o.templateName << "\n";
            return 1;
        }
        havePaper = true;
    } else {
        havePaper = readDefaultTemplate(ctx.folder, paper);
    }
    const Gui gui;
    if (!printerExists(o))
        return 1;
    if (!o.printer.empty()) {
        if (!render::printCalibrationOnQueue(QString::fromStdString(o.printer), havePaper ? &paper : nullptr)) {
            std::cerr << "cannot print on " << o.printer << "\n";
            return 1;
        }
    } else {
        QString error;
        if (!render::writeCalibrationPdf(QString::fromStdString(o.pdf), o.dpi, havePaper ? &paper : nullptr, &error)) {
            std::cerr << "cannot write " << o.pdf << ": " << error.toStdString() << "\n";
            return 1;
        }
    }
    std::cout << "1 page\n";
    return 0;
}

const CliRegistration
    regPrint("print", "print --template NAME (--pdf OUT | --printer QUEUE) [--dpi N] [--set INDEX=TEXT]...", print);
const CliRegistration regPrintList("print-list",
                                   "print-list (--pdf OUT | --printer QUEUE) [--dpi N] [--ids ID,ID,...] [--keep]",
                                   printList);
const CliRegistration regPrintCalibration("print-calibration",
                                          "print-calibration (--pdf OUT | --printer QUEUE) [--template NAME] [--dpi N]",
                                          printCalibration);

}
}
