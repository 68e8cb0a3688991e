#pragma once

#include "core/templates/Template.h"

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace zentra::render {

// Gives the parsed template of a file for each page of a batch. The file is
// looked at for every request; its parsed form is reused only while the file's
// size, modification time and inode are the ones it was parsed from, so a
// template changed or replaced in the middle of a batch takes effect on the
// next page. The background stays Base64 text: printing never decodes it.
class TemplateCache {
public:
    using Loader = std::function<bool(const std::string &path, Template &out)>;

    explicit TemplateCache(Loader loader) : loader_(std::move(loader)) {}

    // The template in `path`, or nullptr when the file is missing or unreadable.
    // The pointer stays valid until the next call.
    const Template *get(const std::string &path);

    int parses() const { return parses_; }

private:
    struct Entry {
        off_t size = -1;
        long long mtimeNs = -1;
        ino_t inode = 0;
        dev_t device = 0;
        Template parsed;
    };

    Loader loader_;
    std::map<std::string, Entry> entries_;
    int parses_ = 0;
};

}
