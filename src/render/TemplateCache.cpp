#include "render/TemplateCache.h"

#include <sys/stat.h>

namespace zentra::render {

const Template *TemplateCache::get(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        entries_.erase(path);
        return nullptr;
    }
    const long long mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    auto it = entries_.find(path);
    if (it != entries_.end() && it->second.size == st.st_size && it->second.mtimeNs == mtimeNs &&
        it->second.inode == st.st_ino && it->second.device == st.st_dev)
        return &it->second.parsed;

    Entry entry;
    ++parses_;
    if (!loader_(path, entry.parsed)) {
        entries_.erase(path);
        return nullptr;
    }
    entry.size = st.st_size;
    entry.mtimeNs = mtimeNs;
    entry.inode = st.st_ino;
    entry.device = st.st_dev;
    auto &slot = entries_[path];
    slot = std::move(entry);
    return &slot.parsed;
}

}
