#include "core/templates/TemplateFile.h"

#include "core/config/DataFolder.h"
#include "core/text/Gbk.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <tinyxml.h>

namespace zentra {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kBase64LineLength = 76;

// TinyXML parses and frees nested elements recursively (a few hundred bytes of
// stack per level, and time growing with the square of the depth) and checks
// each new attribute against all earlier ones of its element. Every level of
// nesting needs a "<" and every attribute an "=", so capping their numbers
// keeps a hostile file from overflowing the stack or hanging the program. A
// real template holds about 1,500 "<" (two per element) and almost no "=".
constexpr std::size_t kMaxMarkupSigns = 4096;

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal integer as atoi reads it (white space, sign, digits),
// saturated to the int range instead of overflowing.
int leadingInt(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A floating-point number as atof reads it in the C locale, truncated toward
// zero and clamped to the int range (NaN reads as 0).
int truncatedNumber(const std::string &s)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    double d = strtod_l(s.c_str(), nullptr, cLocale);
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return INT_MAX;
    if (d <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(d);
}

bool isBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), isSpace);
}

// Our texts are UTF-8. A file edited by hand in the Windows code page holds GBK
// bytes instead; those are read as GBK rather than kept as broken UTF-8.
// TinyXML drops a text of white space only (unless it comes in a CDATA
// section), so such a text cannot be stored: it reads and writes as empty.
std::string utf8Text(std::string_view s)
{
    if (isBlank(s))
        return {};
    return isValidUtf8(s) ? std::string(s) : gbkToUtf8(s);
}

std::string utf8Text(const char *s)
{
    return s ? utf8Text(std::string_view(s)) : std::string();
}

// TinyXML's printer escapes & < > " ' and characters below 32, so everything
// but the space survives its reader. The reader condenses white space: a
// leading or trailing space, or one after another space, would be lost. Such
// spaces are written as the character reference "&#x20;", which both readers
// turn back into a space. The printer would escape a reference given to it, so
// they are marked with the byte 0xFF (never part of UTF-8) and replaced after
// printing. Texts without such spaces come out exactly as the Windows program
// wrote them.
constexpr char kSpaceMark = '\xFF';

std::string markSpacesToKeep(std::string_view s)
{
    std::string out = utf8Text(s);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i] == ' ' && (i == 0 || i + 1 == out.size() || out[i - 1] == ' ' || out[i - 1] == kSpaceMark))
            out[i] = kSpaceMark;
    return out;
}

void addTextElement(TiXmlElement &parent, const char *name, std::string_view value)
{
    auto *element = new TiXmlElement(name);
    // Always a text node, even an empty one, so that the element prints as an
    // opening and a closing tag rather than "<name />".
    element->LinkEndChild(new TiXmlText(markSpacesToKeep(value)));
    parent.LinkEndChild(element);
}

void readImageInfo(const TiXmlElement &info, Template &t)
{
    for (const TiXmlElement *e = info.FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string &name = e->ValueStr();
        if (name == "ImgData")
            t.imgData = utf8Text(e->GetText());
        else if (name == "ImgWidth")
            t.imgWidth = utf8Text(e->GetText());
        else if (name == "ImgHeight")
            t.imgHeight = utf8Text(e->GetText());
        else if (name == "LeftMargin")
            t.leftMargin = utf8Text(e->GetText());
        else if (name == "TopMargin")
            t.topMargin = utf8Text(e->GetText());
    }
}

// One item element. Each item starts from the defaults of a new item, so a
// missing child never inherits the previous item's value. An element without
// text gives an empty text; for a number it leaves the default.
void readItem(const TiXmlElement &element, Template &t)
{
    TemplateItem item;
    int id = 0;
    for (const TiXmlElement *e = element.FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string &name = e->ValueStr();
        const char *text = e->GetText();
        if (name == "editName") {
            item.text = utf8Text(text);
        } else if (name == "fontName") {
            item.fontName = limitFaceName(utf8Text(text));
        } else if (name == "Italic") {
            item.italic = text && std::string_view(text) == "1";
        } else if (name == "Bold") {
            item.bold = text && std::string_view(text) == "1";
        } else if (!text) {
            continue;
        } else if (name == "editID") {
            id = leadingInt(text);
        } else if (name == "left") {
            item.left = truncatedNumber(text);
        } else if (name == "top") {
            item.top = truncatedNumber(text);
        } else if (name == "right") {
            item.right = truncatedNumber(text);
        } else if (name == "bottom") {
            item.bottom = truncatedNumber(text);
        } else if (name == "fontSize") {
            item.fontSize = leadingInt(text);
        } else if (name == "FontColor") {
            item.color = parseColorText(text);
        }
    }
    // Ids outside the 60 slots are ignored; a later item with the same id
    // replaces the earlier one.
    if (id < Template::kFirstItemId || id >= Template::kFirstItemId + Template::kSlotCount)
        return;
    int slot = id - Template::kFirstItemId;
    item.id = id;
    t.items[static_cast<std::size_t>(slot)] = std::move(item);
}

}

bool readTemplateFile(const std::string &path, Template &out)
{
    std::string content;
    if (!readFile(path, content))
        return false;
    return parseTemplate(content, out);
}

bool readSoundTemplateFile(const std::string &path, Template &out, std::string &error)
{
    std::string content;
    if (readRegularFile(path, content, kMaxTemplateFileBytes, &error) != ReadStatus::Ok)
        return false;
    std::string rootName, damage;
    Template t;
    if (!parseTemplate(content, t, rootName, &damage)) {
        error = path + ": holds no template";
        return false;
    }
    if (!damage.empty()) {
        error = path + ": " + damage;
        return false;
    }
    out = std::move(t);
    return true;
}

bool parseTemplate(std::string_view xml, Template &out)
{
    std::string rootName;
    return parseTemplate(xml, out, rootName);
}

bool parseTemplate(std::string_view xml, Template &out, std::string &rootName, std::string *damage)
{
    // TinyXML reads up to the first NUL; a UTF-8 byte-order mark is skipped
    // as TinyXML itself would. The text is parsed byte by byte (its "legacy"
    // encoding), as the Windows program did: multi-byte characters are copied
    // unchanged.
    if (xml.substr(0, 3) == "\xEF\xBB\xBF")
        xml.remove_prefix(3);
    const std::size_t nul = xml.find('\0');
    std::string text(xml.substr(0, nul));
    if (damage) {
        damage->clear();
        // Trailing NULs (padding some tools leave) lose nothing.
        if (nul != std::string_view::npos && xml.find_first_not_of('\0', nul) != std::string_view::npos)
            *damage = "a NUL byte at offset " + std::to_string(nul) + " cuts the template short";
    }
    auto signs = [&](char c) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), c)); };
    if (signs('<') > kMaxMarkupSigns || signs('=') > kMaxMarkupSigns)
        return false;

    TiXmlDocument doc;
    // Errors are not fatal: whatever was read before one is used.
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    const TiXmlElement *root = doc.FirstChildElement();
    if (!root)
        return false;
    if (damage && damage->empty() && doc.Error())
        *damage = "line " + std::to_string(doc.ErrorRow()) + ", column " + std::to_string(doc.ErrorCol()) + ": " +
                  doc.ErrorDesc();

    Template t;
    for (const TiXmlElement *e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (e->ValueStr() == "imageInfo")
            readImageInfo(*e, t);
        else
            readItem(*e, t);
    }
    rootName = utf8Text(root->Value());
    out = std::move(t);
    return true;
}

std::string writeTemplate(const Template &t)
{
    TiXmlDocument doc;
    auto *root = new TiXmlElement("templateInfo");
    doc.LinkEndChild(root);

    auto *image = new TiXmlElement("imageInfo");
    root->LinkEndChild(image);
    addTextElement(*image, "ImgData", t.imgData);
    addTextElement(*image, "ImgWidth", t.imgWidth);
    addTextElement(*image, "ImgHeight", t.imgHeight);
    addTextElement(*image, "LeftMargin", t.leftMargin);
    addTextElement(*image, "TopMargin", t.topMargin);

    for (std::size_t slot = 0; slot < t.items.size(); ++slot) {
        if (!t.items[slot])
            continue;
        const TemplateItem &item = *t.items[slot];
        auto *e = new TiXmlElement("ceditInfo");
        root->LinkEndChild(e);
        addTextElement(*e, "editID", std::to_string(Template::kFirstItemId + static_cast<int>(slot)));
        addTextElement(*e, "editName", item.text);
        addTextElement(*e, "left", std::to_string(item.left));
        addTextElement(*e, "top", std::to_string(item.top));
        addTextElement(*e, "right", std::to_string(item.right));
        addTextElement(*e, "bottom", std::to_string(item.bottom));
        addTextElement(*e, "fontName", limitFaceName(item.fontName));
        addTextElement(*e, "fontSize", std::to_string(item.fontSize));
        addTextElement(*e, "FontColor", formatColorText(item.color));
        addTextElement(*e, "Italic", item.italic ? "1" : "0");
        addTextElement(*e, "Bold", item.bold ? "1" : "0");
    }

    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\r\n");
    doc.Accept(&printer);
    std::string out;
    out.reserve(printer.Size());
    for (char c : printer.Str()) {
        if (c == kSpaceMark)
            out += "&#x20;";
        else
            out += c;
    }
    return out;
}

bool saveTemplateFile(const std::string &path, const Template &t, std::string *error)
{
    return writeFileAtomically(path, writeTemplate(t), 0644, error);
}

std::string templateFilePath(const DataFolder &folder, std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return {};
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32)
            return {};
    return folder.templateDir() + std::string(name) + ".ttp";
}

std::string encodeBase64Lines(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 3 * 4 + bytes.size() / 57 * 2 + 4);
    std::size_t lineLength = 0;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                     static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kAlphabet[(v >> shift) & 0x3F];
        lineLength += 4;
        if (lineLength == kBase64LineLength) {
            out += "\r\n";
            lineLength = 0;
        }
    }
    std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 0x3F];
        out += kAlphabet[(v >> 12) & 0x3F];
        out += rest == 2 ? kAlphabet[(v >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::string decodeBase64(std::string_view text)
{
    static const std::array<signed char, 256> values = [] {
        std::array<signed char, 256> table;
        table.fill(-1);
        for (std::size_t k = 0; k < kAlphabet.size(); ++k)
            table[static_cast<unsigned char>(kAlphabet[k])] = static_cast<signed char>(k);
        return table;
    }();

    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned group = 0;
    int count = 0;
    auto flush = [&] {
        // 2 characters carry one byte, 3 carry two, 4 carry three.
        group <<= 6 * (4 - count);
        for (int k = 0; k < count - 1; ++k)
            out += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        group = 0;
        count = 0;
    };
    for (char c : text) {
        if (c == '=') {
            flush();
            continue;
        }
        signed char v = values[static_cast<unsigned char>(c)];
        if (v < 0)
            continue;
        group = group << 6 | static_cast<unsigned>(v);
        if (++count == 4)
            flush();
    }
    flush();
    return out;
}

Rgb parseColorText(std::string_view text)
{
    std::array<int, 3> parts{};
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        parts[k] = leadingInt(part.substr(0, 3)) & 0xFF;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return {static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
            static_cast<std::uint8_t>(parts[2])};
}

std::string formatColorText(Rgb c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

std::string limitFaceName(std::string_view utf8)
{
    // ASCII names (most face names) need no conversion to be measured.
    if (utf8.size() <= kMaxFaceNameGbkBytes && std::all_of(utf8.begin(), utf8.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        }))
        return std::string(utf8);
    std::string gbk = utf8ToGbk(utf8);
    if (gbk.size() <= kMaxFaceNameGbkBytes)
        return std::string(utf8);
    return gbkToUtf8(gbkTruncate(gbk, kMaxFaceNameGbkBytes));
}

}
