// print, print-list: the single print of a template and the batch print of the
// print list, written to a PDF; the printed rows of a batch move to the history. Needs no display: the offscreen
// platform is used unless another one is chosen.
#include "cli/CliCommand.h"
#include "cli/CliGui.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
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

// Parses the options shared by both commands; false on a usage error.
bool parseOptions(const std::vector<std::string> &args, bool allowTemplate, PrintOptions &o, bool allowRows = false)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--pdf" && hasValue) {
            o.pdf = args[++i];
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
    return !o.pdf.empty() && (!allowTemplate || !o.templateName.empty());
}

AppState readSettings(const DataFolder &folder)
{
    AppState state;
    readStartupSettings(state, ConfigFile(folder.configPath()));
    return state;
}

int writeJob(render::PrintJob &job, const PrintOptions &o, const AppState &state, const Template *paper,
             render::Resolution screen)
{
    QString error;
    const int pages = render::writePdf(job, QString::fromStdString(o.pdf), o.dpi,
                                       render::PrintSettings::fromState(state), paper, screen, &error);
    for (const QString &w : job.warnings())
        std::cerr << w.toStdString() << "\n";
    if (pages < 0) {
        std::cerr << "cannot write " << o.pdf << ": " << error.toStdString() << "\n";
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
        std::cerr << "usage: zentra-cli print --template NAME --pdf OUT [--dpi N] [--set INDEX=TEXT]...\n";
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
    const AppState state = readSettings(ctx.folder);
    render::PrintJob job = render::PrintJob::single(t);
    return writeJob(job, o, state, &t, gui.screen);
}

int printList(CliContext &ctx)
{
    PrintOptions o;
    if (!parseOptions(ctx.args, false, o, true)) {
        std::cerr << "usage: zentra-cli print-list --pdf OUT [--dpi N] [--ids ID,ID,...] [--keep]\n";
        return 2;
    }
    if (!mayWriteOutput(ctx, o.pdf))
        return 1;
    DbConnection db;
    if (!fileExists(ctx.folder.databasePath()) || !db.open(ctx.folder.databasePath())) {
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
    if (rows.empty()) {
        std::cout << "0 pages\n";
        return 0;
    }
    const AppState state = readSettings(ctx.folder);

    // The paper of a batch is the current template's: the configured default,
    // else the first row's.
    Template paper;
    bool havePaper = false;
    if (state.setPrintPageSize) {
        const ConfigFile config(ctx.folder.configPath());
        // The default is kept as a file name, "NAME.ttp".
        std::string defaultName = config.readText("Template", "Default");
        if (defaultName.ends_with(".ttp"))
            defaultName.resize(defaultName.size() - 4);
        const std::vector<const WaybillRow *> first = rowsToPrint(rows, mode);
        for (const std::string &name : {defaultName, first.front()->cell(WaybillRow::TemplateName)}) {
            const std::string path = templateFilePath(ctx.folder, name);
            if (!path.empty() && readTemplateFile(path, paper)) {
                havePaper = true;
                break;
            }
        }
    }

    const Gui gui;
    render::PrintJob job = render::PrintJob::batch(
        mode, std::move(rows),
        [folder = ctx.folder](const std::string &name) { return templateFilePath(folder, name); },
        [](const std::string &path, Template &out) { return readTemplateFile(path, out); });
    // Only the rows that reached the file move, and only once it is written.
    bool moveFailed = false;
    if (!o.keep)
        job.afterPrint = [&db, &moveFailed](const render::PrintJob &done, int) {
            std::vector<std::int64_t> ids;
            for (const WaybillRow *r : done.printedRows())
                ids.push_back(r->printId());
            if (!movePrintedRows(db, ids).complete) {
                std::cerr << "cannot move the printed rows to the history: " << db.lastError() << "\n";
                moveFailed = true;
            }
        };
    const int rc = writeJob(job, o, state, havePaper ? &paper : nullptr, gui.screen);
    return moveFailed ? 1 : rc;
}

// The printer calibration sheet, as it is printed, into a PDF.
int printCalibration(CliContext &ctx)
{
    PrintOptions o;
    if (!parseOptions(ctx.args, false, o)) {
        std::cerr << "usage: zentra-cli print-calibration --pdf OUT [--dpi N]\n";
        return 2;
    }
    if (!mayWriteOutput(ctx, o.pdf))
        return 1;
    const Gui gui;
    QString error;
    if (!render::writeCalibrationPdf(QString::fromStdString(o.pdf), o.dpi, &error)) {
        std::cerr << "cannot write " << o.pdf << ": " << error.toStdString() << "\n";
        return 1;
    }
    std::cout << "1 page\n";
    return 0;
}

const CliRegistration regPrint("print", "print --template NAME --pdf OUT [--dpi N] [--set INDEX=TEXT]...", print);
const CliRegistration regPrintList("print-list", "print-list --pdf OUT [--dpi N] [--ids ID,ID,...] [--keep]",
                                   printList);
const CliRegistration regPrintCalibration("print-calibration", "print-calibration --pdf OUT [--dpi N]",
                                          printCalibration);

}
}
