// template show FILE, template copy IN OUT.
#include "cli/CliCommand.h"
#include "core/templates/TemplateFile.h"

#include <cstdio>
#include <iostream>

namespace zentra::cli {
namespace {

// A JSON string literal of UTF-8 text (the reader hands out valid UTF-8).
std::string jsonString(std::string_view s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

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

int copy(const std::string &in, const std::string &out)
{
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

int templateCommand(CliContext &ctx)
{
    const auto &a = ctx.args;
    if (a.size() == 2 && a[0] == "show")
        return show(a[1]);
    if (a.size() == 3 && a[0] == "copy")
        return copy(a[1], a[2]);
    std::cerr << "usage: zentra-cli template show FILE | template copy IN OUT\n";
    return 2;
}

const CliRegistration regTemplate("template", "template show FILE | template copy IN OUT", templateCommand);

}
}
