// compose, print-list add-receivers, print-list add-senders: one waybill
// composed from a receiver, a sender, goods and order values as the panels
// compose it, and the panels' batch add to the print list.
#include "cli/CliCommand.h"
#include "cli/CliGui.h"
#include "cli/CliJson.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/PrinterOffset.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "core/data/Schema.h"
#include "core/waybill/ComposeStore.h"
#include "core/waybill/OrderCounter.h"
#include "render/ItemLayout.h"
#include "render/PrintJob.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace zentra::cli {
namespace {

const char *const kComposeUsage =
    "compose [--template NAME] [--receiver ID] [--sender ID] [--goods NAME]... [--order-no X] [--express-no X] "
    "[--trade-time \"Y-m-d H:M:S\"] [--print-time \"Y-m-d H:M:S\"] [--insured AMOUNT] [--set INDEX=TEXT]... "
    "(--json | --add | --print (--pdf OUT | --printer QUEUE))";


struct ComposeOptions {
    std::string templateName;
    std::int64_t receiver = 0;
    std::int64_t sender = 0;
    std::vector<std::string> goods;
    std::optional<std::string> orderNo, expressNo, tradeTime, printTime, insured;
    std::vector<std::pair<int, std::string>> sets;
    enum class Output { None, Json, Add, Print } output = Output::None;
    std::string pdf;
    std::string printer; // --print onto a print queue instead of a PDF
};

bool parseId(const std::string &text, std::int64_t &id)
{
    char *end = nullptr;
    id = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && !*end && id > 0;
}

bool setOutput(ComposeOptions &o, ComposeOptions::Output out)
{
    if (o.output != ComposeOptions::Output::None)
        return false;
    o.output = out;
    return true;
}

bool parseCompose(const std::vector<std::string> &args, ComposeOptions &o)
{
    using Output = ComposeOptions::Output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--json" || a == "--add" || a == "--print") {
            if (!setOutput(o, a == "--json" ? Output::Json : a == "--add" ? Output::Add : Output::Print))
                return false;
            continue;
        }
        if (!hasValue)
            return false;
        const std::string &v = args[++i];
        if (a == "--template")
            o.templateName = v;
        else if (a == "--receiver") {
            if (!parseId(v, o.receiver))
                return false;
        } else if (a == "--sender") {
            if (!parseId(v, o.sender))
                return false;
        } else if (a == "--goods")
            o.goods.push_back(v);
        else if (a == "--order-no")
            o.orderNo = v;
        else if (a == "--express-no")
            o.expressNo = v;
        else if (a == "--trade-time")
            o.tradeTime = v;
        else if (a == "--print-time")
            o.printTime = v;
        else if (a == "--insured")
            o.insured = v;
        else if (a == "--pdf")
            o.pdf = v;
        else if (a == "--printer" && !v.empty())
            o.printer = v;
        else if (a == "--set") {
            const auto eq = v.find('=');
            const std::string indexText = v.substr(0, eq == std::string::npos ? 0 : eq);
            char *end = nullptr;
            const long index = std::strtol(indexText.c_str(), &end, 10);
            if (indexText.empty() || *end || index < 0 || index >= Template::kSlotCount)
                return false;
            o.sets.emplace_back(static_cast<int>(index), v.substr(eq + 1));
        } else
            return false;
    }
    // --print takes one output, a PDF or a print queue; the others take none.
    const bool printOutput = o.pdf.empty() != o.printer.empty();
    const bool noOutput = o.pdf.empty() && o.printer.empty();
    if (o.output == Output::None || (o.output == Output::Print ? !printOutput : !noOutput))
        return false;
    return (!o.tradeTime || isDateTime(*o.tradeTime)) && (!o.printTime || isDateTime(*o.printTime));
}

std::string defaultTemplateName(const DataFolder &folder)
{
    if (!fileExists(folder.configPath()))
        return {};
    return templateNameOfFile(ConfigFile(folder.configPath()).readText("Template", "Default"));
}

int compose(CliContext &ctx)
{
    ComposeOptions o;
    if (!parseCompose(ctx.args, o)) {
        std::cerr << "usage: zentra-cli " << kComposeUsage << "\n";
        return 2;
    }
    if (o.output == ComposeOptions::Output::Print && !mayWriteOutput(ctx, o.pdf))
        return 1;
    // Printing needs the application object; a print queue that does not
    // exist prints and stores nothing.
    std::unique_ptr<Gui> gui;
    if (o.output == ComposeOptions::Output::Print) {
        gui = std::make_unique<Gui>();
        if (!o.printer.empty() && !render::queueExists(QString::fromStdString(o.printer))) {
            std::cerr << "zentra-cli: no such printer: " << o.printer << "\n";
            return 1;
        }
    }
    const ConfigFile config(ctx.folder.configPath());
    // A shared database first brings the shop's templates into the folder.
    if (std::string error; ctx.folder.isSharedDatabase() && !initDataFolder(ctx.folder, &error)) {
        std::cerr << "cannot open the database: " << error << "\n";
        return 1;
    }
    if (o.templateName.empty())
        o.templateName = defaultTemplateName(ctx.folder);
    const std::string path = templateFilePath(ctx.folder, o.templateName);
    Template t;
    if (path.empty() || !readTemplateFile(path, t)) {
        std::cerr << "no template " << o.templateName << "\n";
        return 1;
    }
    const std::string dbPath = ctx.folder.databasePath();
    DbConnection db;
    if ((!ctx.folder.isSharedDatabase() && !fileExists(dbPath)) || !db.open(dbPath)) {
        std::cerr << "cannot open the database: " << db.lastError() << "\n";
        return 1;
    }

    // A new waybill on the template, as the panels start one. On a shared
    // database the order number is the shop's: a waybill printed now takes
    // it from the counter, as the window's single print does (should the
    // print fail, the number is a gap, never one printed twice); one stored
    // in the print list takes its numbers below; --json only shows it.
    OrderLocks locks = readOrderLocks(config);
    const OrderCounter counter(ctx.folder);
    if (counter.shared() && locks.autoOrderNum && !o.orderNo) {
        std::string error;
        const auto number =
            o.output == ComposeOptions::Output::Print ? counter.take(1, &error) : counter.peek(&error);
        if (!number) {
            std::cerr << "cannot take an order number: " << error << "\n";
            return 1;
        }
        locks.orderNum = *number;
    }
    const std::string now = nowText();
    WaybillDraft draft;
    draft.takeTemplate(t);
    draft.reset(locks, locks.orderNum, locks.expressNum);
    draft.setTradeTime(o.tradeTime.value_or(now));
    draft.setPrintTime(o.printTime.value_or(now));
    draft.setInsuredAmount(o.insured.value_or(locks.protectMoneyLock ? locks.protectMoney : std::string()));

    // A look-up that failed (the database busy) is no missing entry: its
    // message is the database's.
    const auto dbFailed = [&db] {
        std::cerr << db.lastError() << "\n";
        return 1;
    };
    // The receiver and sender given, else the defaults the panels keep.
    BookEntry receiver, sender;
    // A default whose row is gone leaves the fields empty; a given id must exist.
    bool failed = false;
    const auto party = [&](Party p, std::int64_t id, BookEntry &out) {
        const bool given = id != 0;
        if (!given) {
            const PartyDefault d = readPartyDefault(config, p);
            if (!d.locked)
                return true;
            id = d.id;
        }
        auto entry = findParty(db, p, id, &failed);
        if (entry)
            out = std::move(*entry);
        else if (given && !failed)
            std::cerr << "no " << (p == Party::Receiver ? "receiver " : "sender ") << id << "\n";
        return !failed && (entry || !given);
    };
    if (!party(Party::Receiver, o.receiver, receiver) || !party(Party::Sender, o.sender, sender))
        return failed ? dbFailed() : 1;
    if (!receiver.empty())
        draft.fillReceiver(receiver);
    if (!sender.empty())
        draft.fillSender(sender);

    std::vector<GoodsUnit> goods;
    for (const std::string &name : o.goods) {
        auto unit = catalogueGoods(db, name, &failed);
        if (failed)
            return dbFailed();
        if (!unit) {
            std::cerr << "no goods " << name << "\n";
            return 1;
        }
        goods.push_back(*unit);
    }
    fillGoodsAndFreight(draft, db, o.templateName, receiver["rprovince"], goods);
    // The freight of a rate that could not be read would be wrong.
    if (db.busy())
        return dbFailed();
    db.close();

    const bool countedOrder = !o.orderNo && locks.autoOrderNum;
    const bool countedExpress = !o.expressNo && locks.autoExpressNum;
    if (o.orderNo)
        draft.setOrderNumber(*o.orderNo);
    if (o.expressNo)
        draft.setExpressNumber(*o.expressNo);
    for (const auto &[index, text] : o.sets)
        draft.setText(index, text);

    if (o.output == ComposeOptions::Output::Json) {
        std::vector<std::pair<std::string, std::string>> members;
        for (int i = 0; i < Template::kSlotCount; ++i)
            if (draft.has(i))
                members.emplace_back(std::to_string(i), draft.text(i));
        std::vector<std::pair<std::string_view, std::string_view>> view(members.begin(), members.end());
        std::cout << jsonObject(view) << "\n";
        return 0;
    }

    std::string error;
    if (o.output == ComposeOptions::Output::Add) {
        // The counted numbers are taken now, as one step with the count-up,
        // so that another process adding at the same time gets the next ones.
        const TakenNumbers taken = takeWaybillNumbers(ctx.folder, 1, countedOrder, countedExpress);
        if (!taken.ok) {
            std::cerr << "cannot take the numbers: " << taken.error << "\n";
            return 1;
        }
        if (!taken.orderNum.empty())
            draft.setOrderNumber(taken.orderNum);
        if (!taken.expressNum.empty())
            draft.setExpressNumber(taken.expressNum);
        for (const auto &[index, text] : o.sets)
            draft.setText(index, text); // an item's text given still wins
        const std::int64_t id =
            storeWaybill(dbPath, WaybillTable::PrintList, draft.printListRow(o.templateName), &error);
        if (id == 0) {
            returnNumbers(config, taken);
            std::cerr << "cannot add the waybill: " << error << "\n";
            return 1;
        }
        std::cout << id << "\n";
        return 0;
    }

    for (int i = 0; i < Template::kSlotCount; ++i)
        if (auto &item = t.items[static_cast<std::size_t>(i)])
            item->text = draft.text(i);
    AppState state;
    readStartupSettings(state, config);
    QString pdfError;
    render::PrintJob job = render::PrintJob::single(t);
    const render::PrintSettings settings = render::PrintSettings::fromState(state);
    if (!o.printer.empty()) {
        const int pages = render::printOnQueue(job, QString::fromStdString(o.printer), settings,
                                               readPrinterOffset(config, o.printer), gui->screen);
        if (pages < 1) {
            std::cerr << "cannot print on " << o.printer << "\n";
            return 1;
        }
    } else if (render::writePdf(job, QString::fromStdString(o.pdf), 600, settings, gui->screen, &pdfError) < 1) {
        std::cerr << "cannot write " << o.pdf << ": " << pdfError.toStdString() << "\n";
        return 1;
    }
    const std::int64_t id =
        storeWaybill(dbPath, WaybillTable::PrintHistory, draft.historyRow(o.templateName, now), &error);
    if (id == 0) {
        std::cerr << "cannot store the printed waybill: " << error << "\n";
        return 1;
    }
    std::cout << id << "\n";
    return 0;
}

int addParties(CliContext &ctx, Party side)
{
    const bool receivers = side == Party::Receiver;
    if (ctx.args.empty()) {
        std::cerr << (receivers ? "请勾选需要添加的收件人" : "请勾选需要添加的发件人") << "\n";
        std::cerr << "usage: zentra-cli print-list " << (receivers ? "add-receivers" : "add-senders") << " ID...\n";
        return 2;
    }
    const ConfigFile config(ctx.folder.configPath());
    BatchAdd batch;
    batch.databasePath = ctx.folder.databasePath();
    batch.templateName = defaultTemplateName(ctx.folder);
    batch.side = side;
    batch.other = readPartyDefault(config, receivers ? Party::Sender : Party::Receiver);
    batch.cargoLock = readCargoLock(config);
    batch.now = nowText();
    {
        DbConnection db;
        if ((!ctx.folder.isSharedDatabase() && !fileExists(batch.databasePath)) || !db.open(batch.databasePath)) {
            std::cerr << "cannot open the database: " << db.lastError() << "\n";
            return 1;
        }
        for (const std::string &arg : ctx.args) {
            std::int64_t id = 0;
            if (!parseId(arg, id)) {
                std::cerr << "usage: zentra-cli print-list " << (receivers ? "add-receivers" : "add-senders")
                          << " ID...\n";
                return 2;
            }
            bool failed = false;
            auto entry = findParty(db, side, id, &failed);
            if (failed) {
                std::cerr << db.lastError() << "\n";
                std::cout << "添加失败！\n";
                return 1;
            }
            if (!entry) {
                std::cerr << "no " << (receivers ? "receiver " : "sender ") << id << "\n";
                return 1;
            }
            batch.entries.push_back(std::move(*entry));
        }
    }
    const BatchAddResult r = addBatchToPrintList(batch, config);
    if (!r.ok) {
        std::cerr << r.error << "\n";
        std::cout << "添加失败！\n";
        return 1;
    }
    for (std::int64_t id : r.printIds)
        std::cout << id << "\n";
    std::cout << "添加成功！\n";
    return 0;
}

const CliRegistration regCompose("compose", kComposeUsage, compose);
const CliRegistration regAddReceivers("print-list add-receivers", "print-list add-receivers ID...",
                                      [](CliContext &ctx) { return addParties(ctx, Party::Receiver); });
const CliRegistration regAddSenders("print-list add-senders", "print-list add-senders ID...",
                                    [](CliContext &ctx) { return addParties(ctx, Party::Sender); });

}
}
