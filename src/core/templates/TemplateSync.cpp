#include "core/templates/TemplateSync.h"

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

struct Stored {
    std::int64_t modified = 0;
    bool deleted = false;
};

std::int64_t modifiedTime(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

bool setModifiedTime(const std::string &path, std::int64_t seconds)
{
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(seconds);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}

std::string encodeBase64(const std::string &bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool decodeBase64Strict(const std::string &text, std::string &bytes)
{
    bytes.clear();
    if (text.size() % 4 != 0)
        return false;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad || (v[k] = valueOf(c)) < 0)
                return false;
        }
        const unsigned n = (unsigned(v[0]) << 18) | (unsigned(v[1]) << 12) | (unsigned(v[2]) << 6) | unsigned(v[3]);
        bytes += static_cast<char>((n >> 16) & 0xFF);
        if (pad < 2)
            bytes += static_cast<char>((n >> 8) & 0xFF);
        if (pad < 1)
            bytes += static_cast<char>(n & 0xFF);
    }
    return true;
}

bool markTemplateDeleted(DbConnection &db, const std::string &name)
{
    // The station's clock, as the files' times the mark is compared with;
    // and always later than the copy it deletes, so that a station whose
    // file has that copy's time (written in the same second) removes it
    // rather than bringing it back.
    const SqlDialect &d = db.dialect();
    const long long now = static_cast<long long>(std::time(nullptr));
    return db.execute("update templateFile set tmpDeleted = 1, tmpBytes = '', tmpModified = case when tmpModified "
                      ">= ? then tmpModified + 1 else ? end where " +
                          d.folded("tmpName") + " = " + d.folded("?"),
                      {now, now, name}) >= 0;
}

TemplateSyncResult syncTemplates(const DataFolder &folder)
{
    TemplateSyncResult r;
    if (!folder.isSharedDatabase())
        return r;
    auto fail = [&r](std::string why) {
        r.ok = false;
        r.error = std::move(why);
        return r;
    };
    DbConnection db;
    if (!db.open(folder.databasePath()))
        return fail(db.lastError());
    const SqlDialect &d = db.dialect();
    const std::string byName = d.folded("tmpName") + " = " + d.folded("?");

    // What this station has: name -> file modification time.
    std::map<std::string, std::int64_t> local;
    for (const std::string &file : listTemplateFiles(folder))
        local[templateNameOfFile(file)] = modifiedTime(folder.templateDir() + file);

    // The writes to the database run in one writer's transaction, so two
    // stations starting together store each template once; the files are
    // written after it committed.
    std::vector<std::pair<std::string, std::int64_t>> toWrite; // name, time
    std::vector<std::string> toRemove;
    {
        Transaction tx(db);
        if (!tx.active())
            return fail(db.lastError());
        DbRows rows = db.query("select tmpName, tmpModified, tmpDeleted from templateFile");
        if (!rows.ok)
            return fail(db.lastError());
        std::map<std::string, Stored> stored;
        for (const DbRow &row : rows)
            stored[row.text("tmpName")] = {row.integer("tmpModified"), row.integer("tmpDeleted") != 0};

        auto upload = [&](const std::string &name, std::int64_t modified, bool exists) {
            std::string bytes;
            if (!readFile(folder.templateDir() + name + ".ttp", bytes))
                return true; // gone meanwhile: nothing to store
            const std::string text = encodeBase64(bytes);
            const int n = exists ? db.execute("update templateFile set tmpBytes = ?, tmpModified = ?, tmpDeleted = 0 "
                                              "where " + byName,
                                              {text, modified, name})
                                 : db.execute("insert into templateFile(tmpName, tmpBytes, tmpModified, tmpDeleted) "
                                              "values(?, ?, ?, 0)",
                                              {name, text, modified});
            if (n != 1)
                return false;
            ++r.uploaded;
            return true;
        };
        for (const auto &[name, modified] : local) {
            const auto it = stored.find(name);
            if (it == stored.end()) {
                if (!upload(name, modified, false))
                    return fail(db.lastError());
            } else if (modified > it->second.modified || (it->second.deleted && modified == it->second.modified)) {
                // Changed here since the database's copy, or made again
                // after a delete elsewhere (in the same second: kept).
                if (!upload(name, modified, true))
                    return fail(db.lastError());
            } else if (modified < it->second.modified || it->second.deleted) {
                if (it->second.deleted)
                    toRemove.push_back(name);
                else
                    toWrite.emplace_back(name, it->second.modified);
            }
        }
        for (const auto &[name, s] : stored)
            if (!s.deleted && !local.count(name))
                toWrite.emplace_back(name, s.modified);
        if (!tx.commit())
            return fail(db.lastError());
    }

    for (const auto &[name, modified] : toWrite) {
        DbRows rows = db.query("select tmpBytes from templateFile where " + byName, {name});
        std::string bytes;
        if (!rows.ok)
            return fail(db.lastError());
        if (rows.empty() || !decodeBase64Strict(rows[0].at(0), bytes))
            return fail(name + ".ttp: the database's copy cannot be read");
        const std::string path = templateFilePath(folder, name);
        std::string error;
        if (path.empty())
            continue; // a name that cannot be a file here
        if (!writeFileAtomically(path, bytes, 0644, &error))
            return fail(error);
        setModifiedTime(path, modified);
        ++r.written;
    }
    for (const std::string &name : toRemove) {
        const std::string path = templateFilePath(folder, name);
        if (!path.empty() && ::unlink(path.c_str()) != 0 && errno != ENOENT)
            return fail(path + ": " + std::strerror(errno));
        ++r.removed;
    }
    return r;
}

}
