#include "core/config/ConfigFile.h"

#include "core/config/DataFolder.h"
#include "core/text/Gbk.h"

#include <cstdlib>
#include <vector>

namespace zentra {
namespace {

constexpr std::size_t kMaxTextBytes = 259;

std::string_view trim(std::string_view s)
{
    const char *ws = " \t\r\n";
    std::size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos)
        return {};
    std::size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> splitLines(const std::string &content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t nl = content.find('\n', start);
        std::size_t end = nl == std::string::npos ? content.size() : nl;
        std::size_t len = end - start;
        if (len > 0 && content[start + len - 1] == '\r')
            --len;
        lines.emplace_back(content, start, len);
        start = nl == std::string::npos ? content.size() : nl + 1;
    }
    return lines;
}

// "[name]" -> name; false for any other line.
bool sectionName(std::string_view line, std::string_view &name)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    std::size_t close = line.find(']');
    name = trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
    return true;
}

// "key=value" -> key, value (both trimmed); false when there is no '='.
bool keyValue(std::string_view line, std::string_view &key, std::string_view &value)
{
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

// The profile reader drops one pair of matching quotes around a value.
std::string_view unquote(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

}

bool ConfigFile::lookup(const std::string &section, const std::string &key, std::string &value) const
{
    std::string content;
    if (!readFile(path_, content))
        return false;
    bool inSection = false;
    for (const std::string &line : splitLines(content)) {
        std::string_view name, k, v;
        if (sectionName(line, name)) {
            inSection = equalsIgnoreCase(name, section);
            continue;
        }
        if (inSection && keyValue(line, k, v) && equalsIgnoreCase(k, key)) {
            value = std::string(unquote(v));
            return true;
        }
    }
    return false;
}

int ConfigFile::readInt(const std::string &section, const std::string &key, int def) const
{
    std::string value;
    if (!lookup(section, key, value))
        return def;
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

std::string ConfigFile::readText(const std::string &section, const std::string &key) const
{
    std::string value;
    if (!lookup(section, key, value))
        return {};
    return gbkToUtf8(gbkTruncate(value, kMaxTextBytes));
}

bool ConfigFile::writeText(const std::string &section, const std::string &key, const std::string &value) const
{
    std::string content;
    readFile(path_, content);
    std::vector<std::string> lines = splitLines(content);
    const std::string newLine = key + "=" + utf8ToGbk(value);

    bool inSection = false;
    bool sectionSeen = false;
    std::size_t insertAt = 0; // after the last non-blank line of the section
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string_view name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break; // the section ended without the key
            inSection = equalsIgnoreCase(name, section);
            if (inSection) {
                sectionSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (keyValue(lines[i], k, v) && equalsIgnoreCase(k, key)) {
            lines[i] = newLine;
            done = true;
        } else if (!trim(lines[i]).empty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionSeen) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }
    std::string out;
    for (const std::string &l : lines)
        out += l + "\r\n";
    return writeFileAtomically(path_, out, 0600);
}

}
