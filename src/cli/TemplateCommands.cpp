// template show FILE, template copy IN OUT, and the template folder's
// commands: list, new, delete, import, export (the template list page's
// operations, with its messages).
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "core/templates/TemplateSync.h"
#include "core/data/Schema.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace zentra::cli {
namespace {

std::string itemJson(const TemplateItem &item)
{
    std::string out = "{\"id\":" + std::to_string(item.id);
    out += ",\"text\":" + jsonString(item.text);
    out += ",\"left\":" + std::to_string(item.left);
    out += ",\"top\":" + std::to_string(item.top);
    out += ",\"right\":" + std::to_string(item.right);
    out += ",\"bottom\":" + std::to_string(item.bottom);
    out += ",\"fontName\":" + jsonString(item.fontName);
    out += ",\"fontSize\":" + std::to_string(item.fontSize);
    out += ",\"color\":[" + std::to_string(item.color.r) + "," + std::to_string(item.color.g) + "," +
           std::to_string(item.color.b) + "]";
    out += std::string(",\"italic\":") + (item.italic ? "true" : "false");
    out += std::string(",\"bold\":") + (item.bold ? "true" : "false");
    return out + "}";
}

int show(const std::string &path)
{
    Template t;
    std::string root;
    std::string content, error;
    if (readRegularFile(path, content, kMaxTemplateFileBytes, &error) != ReadStatus::Ok) {
        std::cerr << "zentra-cli: cannot read " << error << "\n";
        return 1;
    }
    if (!parseTemplate(content, t, root)) {
        std::cerr << "zentra-cli: " << path << " holds no template\n";
        return 1;
    }
    std::string out = "{\"root\":" + jsonString(root);
    out += ",\"imgWidth\":" + jsonString(t.imgWidth);
    out += ",\"imgHeight\":" + jsonString(t.imgHeight);
    out += ",\"leftMargin\":" + jsonString(t.leftMargin);
    out += ",\"topMargin\":" + jsonString(t.topMargin);
    out += ",\"imgBytes\":" + std::to_string(decodeBase64(t.imgData).size());
    out += ",\"items\":[";
    bool first = true;
    for (const auto &item : t.items) {
        if (!item)
            continue;
        if (!first)
            out += ",";
        first = false;
        out += itemJson(*item);
    }
    std::cout << out << "]}\n";
    return 0;
}

int copy(const CliContext &ctx, const std::string &in, const std::string &out)
{
    if (!mayWriteOutput(ctx, out))
        return 1;
    // A copy must hold everything: a damaged file is reported, not copied
    // without the items after the damage.
    Template t;
    std::string error;
    if (!readSoundTemplateFile(in, t, error)) {
        std::cerr << "zentra-cli: cannot copy " << in << ": " << error << "\n";
        return 1;
    }
    if (!saveTemplateFile(out, t, &error)) {
        std::cerr << "zentra-cli: " << error << "\n";
        return 1;
    }
    return 0;
}

int list(const CliContext &ctx)
{
    for (const std::string &name : listTemplateFiles(ctx.folder))
        std::cout << name << "\n";
    return 0;
}

// Field indexes "I,J,..."; false on anything but numbers in 0..59.
bool parseFields(const std::string &text, std::vector<int> &out)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        char *end = nullptr;
        const long v = std::strtol(part.c_str(), &end, 10);
        if (part.empty() || *end || v < 0 || v >= Template::kSlotCount)
            return false;
        out.push_back(static_cast<int>(v));
        start = comma + 1;
    }
    return true;
}

constexpr const char *kNewUsage =
    "usage: zentra-cli template new NAME --image FILE --width W --height H [--fields I,J,...] [--force]\n";

int newTemplate(const CliContext &ctx)
{
    const auto &a = ctx.args;
    NewTemplateInput in;
    std::string image;
    std::vector<int> fields;
    bool force = false;
    bool named = false;
    for (std::size_t i = 1; i < a.size(); ++i) {
        const bool hasValue = i + 1 < a.size();
        if (a[i] == "--image" && hasValue) {
            image = a[++i];
        } else if (a[i] == "--width" && hasValue) {
            in.imgWidth = a[++i];
        } else if (a[i] == "--height" && hasValue) {
            in.imgHeight = a[++i];
        } else if (a[i] == "--fields" && hasValue) {
            if (!parseFields(a[++i], fields)) {
                std::cerr << kNewUsage;
                return 2;
            }
        } else if (a[i] == "--force") {
            force = true;
        } else if (!named && !a[i].starts_with("--")) {
            in.name = a[i];
            named = true;
        } else {
            std::cerr << kNewUsage;
            return 2;
        }
    }
    if (!image.empty()) {
        std::string error;
        if (!readPictureAsBase64(image, in.imgData, error)) {
            std::cerr << "zentra-cli: " << error << "\n";
            return 1;
        }
    }
    if (const std::string problem = newTemplateProblem(in); !problem.empty()) {
        std::cout << problem << "\n";
        return 1;
    }
    const std::string path = templateFilePath(ctx.folder, in.name);
    if (path.empty()) {
        std::cerr << "zentra-cli: " << in.name << " cannot be a template name\n";
        return 1;
    }
    if (!force && templateNameTaken(ctx.folder, in.name)) {
        std::cout << "相同名称的模板已经存在\n";
        return 1;
    }
    AppState settings;
    readStartupSettings(settings, ConfigFile(ctx.folder.configPath()));
    std::string error;
    if (!saveTemplateFile(path, buildNewTemplate(in, fields, settings), &error)) {
        std::cerr << "zentra-cli: " << error << "\n";
        return 1;
    }
    // The shop's other stations get it from a shared database.
    if (const TemplateSyncResult s = syncTemplates(ctx.folder); !s.ok) {
        std::cerr << "zentra-cli: " << s.error << "\n";
        return 1;
    }
    std::cout << path << "\n";
    return 0;
}

int deleteCommand(const CliContext &ctx)
{
    const std::vector<std::string> names(ctx.args.begin() + 1, ctx.args.end());
    const BatchResult r = deleteTemplates(ctx.folder, names);
    for (std::size_t i = 0; i < r.done; ++i)
        std::cout << "已删除模板 " << names[i] << "\n";
    if (!r.ok) {
        std::cout << "模板 " << r.failed << " 无法删除: " << r.error << "\n";
        return 1;
    }
    return 0;
}

int importCommand(const CliContext &ctx)
{
    const BatchResult r = importTemplates(ctx.folder, {ctx.args.begin() + 1, ctx.args.end()});
    if (!r.ok) {
        std::cout << "模板导入失败!\n" << r.error << "\n";
        return 1;
    }
    std::cout << "模板导入成功!\n";
    return 0;
}

int exportCommand(const CliContext &ctx)
{
    const auto &a = ctx.args;
    std::vector<std::string> files;
    std::string dir;
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--to" && i + 1 < a.size())
            dir = a[++i];
        else
            files.push_back(a[i].ends_with(".ttp") ? a[i] : a[i] + ".ttp");
    }
    if (dir.empty() || files.empty()) {
        std::cerr << "usage: zentra-cli template export NAME... --to DIR\n";
        return 2;
    }
    const BatchResult r = exportTemplates(ctx.folder, files, dir);
    if (!r.ok) {
        std::cout << "模板导出失败!\n" << r.error << "\n";
        return 1;
    }
    return 0;
}

constexpr const char *kUsage = "template show FILE | template copy IN OUT | template list\n"
                               "  | template new NAME --image FILE --width W --height H [--fields I,J,...] [--force]\n"
                               "  | template delete NAME... | template import FILE... | template export NAME... --to DIR";

int templateCommand(CliContext &ctx)
{
    const auto &a = ctx.args;
    // With a shared database the folder first gets the shop's templates.
    if (std::string error; ctx.folder.isSharedDatabase() && !a.empty() && a[0] != "show" && a[0] != "copy" &&
                           !initDataFolder(ctx.folder, &error)) {
        std::cerr << "zentra-cli: cannot open the database: " << error << "\n";
        return 1;
    }
    if (a.size() == 2 && a[0] == "show")
        return show(a[1]);
    if (a.size() == 3 && a[0] == "copy")
        return copy(ctx, a[1], a[2]);
    if (a.size() == 1 && a[0] == "list")
        return list(ctx);
    if (a.size() >= 2 && a[0] == "new")
        return newTemplate(ctx);
    if (a.size() >= 2 && a[0] == "delete")
        return deleteCommand(ctx);
    if (a.size() >= 2 && a[0] == "import")
        return importCommand(ctx);
    if (a.size() >= 2 && a[0] == "export")
        return exportCommand(ctx);
    std::cerr << "usage: zentra-cli " << kUsage << "\n";
    return 2;
}

const CliRegistration regTemplate("template", kUsage, templateCommand);

}
}
