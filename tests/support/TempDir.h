#pragma once

#include <string>

namespace zentra::test {

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Reads and writes whole files; helpers for fixtures.
std::string slurp(const std::string &path);
void spit(const std::string &path, const std::string &content);

}
