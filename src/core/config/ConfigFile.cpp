#include "core/config/ConfigFile.h"

#include "core/config/DataFolder.h"
#include "core/text/Gbk.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A value that a profile reader would change (trim its ends, drop its quotes)
// is written inside double quotes, which the reader drops again.
std::string protectValue(const std::string &value)
{
    if (value.empty())
        return value;
    const char first = value.front(), last = value.back();
    const bool spaced = trim(value).size() != value.size();
    const bool quoted = value.size() >= 2 && (first == '"' || first == '\'') && last == first;
    return spaced || quoted ? '"' + value + '"' : value;
}

// Why a section, key or value cannot be stored; empty when it can.
std::string invalidInput(const std::string &section, const std::string &key, const std::string &value)
{
    for (const std::string *s : {&section, &key, &value}) {
        if (s->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            return "line breaks and NUL characters cannot be stored in config.ini";
        if (!isValidUtf8(*s))
            return "not UTF-8 text: " + *s;
    }
    if (trim(section).empty() || section.find(']') != std::string::npos)
        return "invalid section name: " + section;
    if (trim(key).empty() || key.find('=') != std::string::npos || trim(key).front() == '[')
        return "invalid key: " + key;
    for (const std::string *s : {&section, &key, &value}) {
        const std::string gbk = utf8ToGbk(*s);
        for (std::size_t i = 0; i < gbk.size(); i += gbkCharLength(gbk, i))
            if (gbkCharLength(gbk, i) == 4)
                return "not a GBK character in: " + *s;
    }
    return {};
}

// An exclusive flock on a lock file, released when destroyed.
class WriteLock {
public:
    explicit WriteLock(const std::string &lockPath)
    {
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            error_ = lockPath + ": " + std::strerror(errno);
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = lockPath + ": " + std::strerror(errno);
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~WriteLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

    bool held() const { return fd_ >= 0; }
    const std::string &error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

}

bool ConfigFile::resolve(std::string &file, std::string *error) const
{
    file = path_;
    struct stat st;
    if (::lstat(path_.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return true;
    char folder[PATH_MAX], target[PATH_MAX];
    if (!::realpath(folderOf(path_).c_str(), folder) || !::realpath(path_.c_str(), target)) {
        if (error)
            *error = path_ + ": a link to a missing file";
        return false;
    }
    const std::string inside = std::string(folder) + (std::strcmp(folder, "/") == 0 ? "" : "/");
    if (std::strncmp(target, inside.c_str(), inside.size()) != 0) {
        if (error)
            *error = path_ + ": a link to a file outside the data folder";
        return false;
    }
    file = target;
    return true;
}

namespace {

// The raw GBK value of a key among the file's lines; false when missing.
bool findValue(const std::vector<std::string> &lines, const std::string &section, const std::string &key,
               std::string &value)
{
    const std::string gbkSection = utf8ToGbk(section), gbkKey = utf8ToGbk(key);
    bool inSection = false;
    for (const std::string &line : lines) {
        std::string_view name, k, v;
        if (sectionName(line, name)) {
            inSection = equalsIgnoreCase(name, gbkSection);
            continue;
        }
        if (inSection && keyValue(line, k, v) && equalsIgnoreCase(k, gbkKey)) {
            value = std::string(unquote(v));
            return true;
        }
    }
    return false;
}

// Replaces the key's line, or adds it at the end of its section (the section
// at the end of the file when there is none).
void setValue(std::vector<std::string> &lines, const std::string &section, const std::string &key,
              const std::string &value)
{
    const std::string gbkSection = utf8ToGbk(trim(section)), gbkKey = utf8ToGbk(trim(key));
    const std::string newLine = gbkKey + "=" + utf8ToGbk(protectValue(value));
    bool inSection = false;
    bool sectionSeen = false;
    std::size_t insertAt = 0; // after the last non-blank line of the section
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break; // the section ended without the key
            inSection = equalsIgnoreCase(name, gbkSection);
            if (inSection) {
                sectionSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (keyValue(lines[i], k, v) && equalsIgnoreCase(k, gbkKey)) {
            lines[i] = newLine;
            return;
        }
        if (!trim(lines[i]).empty())
            insertAt = i + 1;
    }
    if (sectionSeen) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    } else {
        lines.push_back("[" + gbkSection + "]");
        lines.push_back(newLine);
    }
}

int leadingInt(const std::string &value)
{
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

}

bool ConfigFile::lookup(const std::string &section, const std::string &key, std::string &value) const
{
    std::string file, content;
    if (!resolve(file, nullptr) || readRegularFile(file, content, kMaxFileBytes) != ReadStatus::Ok)
        return false;
    return findValue(splitLines(content), section, key, value);
}

int ConfigFile::readInt(const std::string &section, const std::string &key, int def) const
{
    std::string value;
    if (!lookup(section, key, value))
        return def;
    return leadingInt(value);
}

std::string ConfigFile::readText(const std::string &section, const std::string &key) const
{
    std::string value;
    if (!lookup(section, key, value))
        return {};
    return gbkToUtf8(gbkTruncate(value, kMaxTextBytes));
}

bool ConfigFile::writeText(const std::string &section, const std::string &key, const std::string &value,
                           std::string *error) const
{
    return edit([&](Edit &e) { return e.writeText(section, key, value, error); }, error);
}

std::string ConfigFile::Edit::readText(const std::string &section, const std::string &key) const
{
    std::string value;
    if (!findValue(lines_, section, key, value))
        return {};
    return gbkToUtf8(gbkTruncate(value, kMaxTextBytes));
}

bool ConfigFile::Edit::readFlag(const std::string &section, const std::string &key) const
{
    std::string value;
    return findValue(lines_, section, key, value) && leadingInt(value) == 1;
}

bool ConfigFile::Edit::writeText(const std::string &section, const std::string &key, const std::string &value,
                                 std::string *error)
{
    if (std::string why = invalidInput(section, key, value); !why.empty()) {
        if (error)
            *error = why;
        return false;
    }
    setValue(lines_, section, key, value);
    changed_ = true;
    return true;
}

bool ConfigFile::edit(const std::function<bool(Edit &)> &change, std::string *error) const
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    WriteLock lock(path_ + ".lock");
    if (!lock.held())
        return fail(lock.error());
    std::string file, content, readError;
    if (!resolve(file, error))
        return false;
    const ReadStatus read = readRegularFile(file, content, kMaxFileBytes, &readError);
    if (read == ReadStatus::Failed)
        return fail(readError);
    if (read == ReadStatus::Missing)
        content.clear();
    Edit e;
    e.lines_ = splitLines(content);
    if (!change(e))
        return false;
    if (!e.changed_)
        return true;
    std::string out;
    for (const std::string &l : e.lines_)
        out += l + "\r\n";
    return writeFileAtomically(file, out, 0600, error);
}

}
