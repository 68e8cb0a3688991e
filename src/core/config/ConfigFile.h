#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zentra {

// config.ini: a Windows profile file (bracketed sections, key=value lines, GBK
// bytes, CR LF line ends) that a Windows profile reader can still read.
//
// Every call reads (and a write rewrites) the file anew; no handle stays open.
// Sections and keys match case-insensitively, as the profile functions do.
// Texts go in and out as UTF-8; the file holds GBK.
//
// Only a regular file of at most 1 MiB is read. A symbolic link is followed
// only when it points inside the folder that holds the file (the data folder).
// Writers of every process serialise on an advisory lock (flock) on
// "config.ini.lock" beside the file, across read, change and rename, so no
// concurrent write loses another's key.
class ConfigFile {
public:
    explicit ConfigFile(std::string path) : path_(std::move(path)) {}

    const std::string &path() const { return path_; }

    // The value's leading decimal number (an optional sign and digits; 0 when
    // there is none); `def` only when the key or the file is missing.
    int readInt(const std::string &section, const std::string &key, int def) const;

    // At most 259 GBK bytes of the value, cut on a character boundary; empty
    // when missing.
    std::string readText(const std::string &section, const std::string &key) const;

    // A flag is on only when its integer value is exactly 1.
    bool readFlag(const std::string &section, const std::string &key) const
    {
        return readInt(section, key, 0) == 1;
    }

    // Adds or replaces the key, creating the file and the section when missing.
    // Every other line keeps its place. The file is replaced atomically and
    // keeps its permissions; a read-only file is not replaced. Refused, with
    // the reason in `error`: a file that exists but cannot be read (writing
    // would lose its other keys), a line break or NUL anywhere, "=" in the key,
    // "]" in the section, a character that GBK lacks, text that is not UTF-8.
    // A value reads back exactly as written: one with spaces at its ends or in
    // quotes of its own is written inside a pair of quotes, which every profile
    // reader drops.
    bool writeText(const std::string &section, const std::string &key, const std::string &value,
                   std::string *error = nullptr) const;

    bool writeFlag(const std::string &section, const std::string &key, bool on) const
    {
        return writeText(section, key, on ? "1" : "0");
    }

    // The file's keys inside edit(): reads see the file as it was when the
    // write lock was taken, plus the writes made since. The rules of
    // readText(), readFlag() and writeText() hold.
    class Edit {
    public:
        std::string readText(const std::string &section, const std::string &key) const;
        bool readFlag(const std::string &section, const std::string &key) const;
        bool writeText(const std::string &section, const std::string &key, const std::string &value,
                       std::string *error = nullptr);

    private:
        friend class ConfigFile;
        std::vector<std::string> lines_; // GBK, without line ends
        bool changed_ = false;
    };

    // Reads and changes keys as one step under the write lock, so that no
    // other writer, in this process or another, comes between the read and
    // the write (a counter read and advanced is never read twice). The file
    // is rewritten only when `change` wrote something and returned true.
    // False, with the reason, when the file could not be read or written or
    // `change` returned false.
    bool edit(const std::function<bool(Edit &)> &change, std::string *error = nullptr) const;

    static constexpr std::size_t kMaxFileBytes = 1u << 20;

private:
    // Raw GBK value of the key, or false when the key is missing.
    bool lookup(const std::string &section, const std::string &key, std::string &value) const;

    // The file to read and write: the path itself, or the target of a link
    // that stays inside the file's folder. False, with the reason, otherwise.
    bool resolve(std::string &file, std::string *error) const;

    std::string path_;
};

}
