#pragma once

#include <string>

namespace zentra {

// config.ini: a Windows profile file (bracketed sections, key=value lines, GBK
// bytes, CR LF line ends) that a Windows profile reader can still read.
//
// Every call reads (and a write rewrites) the file anew; no handle stays open.
// Sections and keys match case-insensitively, as the profile functions do.
// Texts go in and out as UTF-8; the file holds GBK.
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
    // Every other line keeps its place. The file is replaced atomically.
    bool writeText(const std::string &section, const std::string &key, const std::string &value) const;

    bool writeFlag(const std::string &section, const std::string &key, bool on) const
    {
        return writeText(section, key, on ? "1" : "0");
    }

private:
    // Raw GBK value of the key, or false when the key is missing.
    bool lookup(const std::string &section, const std::string &key, std::string &value) const;

    std::string path_;
};

}
