#include "core/update/FileInstaller.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {

namespace {

bool fail(std::string *error, const std::string &what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string realPath(const std::string &path)
{
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return {};
    return resolved;
}

bool inside(const std::string &root, const std::string &folder)
{
    const std::string r = realPath(root), f = realPath(folder);
    if (r.empty() || f.empty())
        return false;
    return f == r || (f.size() > r.size() && f.compare(0, r.size(), r) == 0 && (r == "/" || f[r.size()] == '/'));
}

bool writeAll(int fd, std::string_view content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// `content` needs to hold only the file's first bytes.
int modeFor(const std::string &target, std::string_view content)
{
    struct stat st;
    if (::stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    if (content.starts_with("\x7f"
                            "ELF") ||
        content.starts_with("#!"))
        return 0755;
    return 0644;
}

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Writes content to a new file beside `target`; returns its name or empty.
std::string writeBeside(const std::string &target, std::string_view content, int mode, std::string *error)
{
    std::string name = target + ".new-XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        fail(error, target);
        return {};
    }
    if (!writeAll(fd, content) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        fail(error, target);
        int saved = errno;
        ::close(fd);
        ::unlink(name.c_str());
        errno = saved;
        return {};
    }
    if (::close(fd) != 0) {
        fail(error, target);
        ::unlink(name.c_str());
        return {};
    }
    return name;
}

}

bool makeFoldersFor(const std::string &root, const std::string &relative, std::string *error)
{
    // Each level is checked before the next is made below it, so a link to
    // elsewhere never gets folders created through it.
    auto checkInside = [&](const std::string &folder) {
        if (inside(root, folder))
            return true;
        if (error)
            *error = folder + ": outside " + root;
        return false;
    };
    if (!checkInside(root))
        return false;
    for (std::size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1)) {
        const std::string folder = root + "/" + relative.substr(0, slash);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            return fail(error, folder);
        if (!checkInside(folder))
            return false;
    }
    return true;
}

bool stageFile(const std::string &root, const std::string &relative, std::string_view content, std::string *error)
{
    if (!makeFoldersFor(root, relative, error))
        return false;
    const std::string target = root + "/" + relative;
    // A staged file is only read back by us; a link planted here must not
    // redirect the write.
    ::unlink(target.c_str());
    std::string written = writeBeside(target, content, 0600, error);
    if (written.empty())
        return false;
    if (::rename(written.c_str(), target.c_str()) != 0) {
        fail(error, target);
        ::unlink(written.c_str());
        return false;
    }
    return true;
}

void removeStaged(const std::string &root, const std::string &relative)
{
    ::unlink((root + "/" + relative).c_str());
    std::string rest = relative;
    for (auto slash = rest.rfind('/'); slash != std::string::npos; slash = rest.rfind('/')) {
        rest.resize(slash);
        if (::rmdir((root + "/" + rest).c_str()) != 0)
            break;
    }
}

bool StagedDownload::open(const std::string &root, const std::string &relative, std::uint64_t maxBytes,
                          std::string *error)
{
    discard();
    if (!makeFoldersFor(root, relative, error))
        return false;
    target_ = root + "/" + relative;
    // Nothing of an earlier download of this file stays, and a link planted
    // here must not redirect the rename.
    ::unlink(target_.c_str());
    temporary_ = target_ + ".part-XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail(error, target_);
        temporary_.clear();
        return false;
    }
    maxBytes_ = maxBytes;
    return true;
}

StagedDownload::Append StagedDownload::append(std::string_view bytes, std::string *error)
{
    if (fd_ < 0) {
        if (error)
            *error = target_ + ": not open";
        return Append::Failed;
    }
    if (bytes.size() > maxBytes_ - size_)
        return Append::TooLarge;
    if (!writeAll(fd_, bytes)) {
        fail(error, target_);
        return Append::Failed;
    }
    md5_.add(bytes);
    size_ += bytes.size();
    return Append::Ok;
}

std::string StagedDownload::digest()
{
    if (digest_.empty())
        digest_ = md5_.hexDigest();
    return digest_;
}

bool StagedDownload::keep(std::string *error)
{
    if (fd_ < 0) {
        if (error)
            *error = target_ + ": not open";
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(error, target_);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void StagedDownload::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    size_ = 0;
    md5_ = Md5();
    digest_.clear();
}

bool FileInstaller::prepare(const std::string &relative, std::string_view content, std::string *error)
{
    if (!makeFoldersFor(root_, relative, error))
        return false;
    const std::string target = root_ + "/" + relative;
    std::string written = writeBeside(target, content, modeFor(target, content), error);
    if (written.empty())
        return false;
    prepared_.push_back({std::move(written), target});
    return true;
}

FileInstaller::FromFile FileInstaller::prepareFile(const std::string &relative, const std::string &source,
                                                  const std::string &digest, std::string *error)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        fail(error, source);
        return FromFile::Failed;
    }
    FdCloser inCloser{in};
    if (!makeFoldersFor(root_, relative, error))
        return FromFile::Failed;
    const std::string target = root_ + "/" + relative;
    char head[4] = {};
    const ssize_t headSize = ::pread(in, head, sizeof head, 0);
    const int mode = modeFor(target, std::string_view(head, headSize > 0 ? static_cast<std::size_t>(headSize) : 0));

    std::string name = target + ".new-XXXXXX";
    const int out = ::mkstemp(name.data());
    if (out < 0) {
        fail(error, target);
        return FromFile::Failed;
    }
    FdCloser outCloser{out};
    auto failed = [&](FromFile why) {
        if (why == FromFile::Failed)
            fail(error, target);
        ::unlink(name.c_str());
        return why;
    };
    Md5 md5;
    std::string chunk(1 << 16, '\0');
    for (;;) {
        const ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(error, source);
            ::unlink(name.c_str());
            return FromFile::Failed;
        }
        if (n == 0)
            break;
        const std::string_view piece(chunk.data(), static_cast<std::size_t>(n));
        md5.add(piece);
        if (!writeAll(out, piece))
            return failed(FromFile::Failed);
    }
    if (md5.hexDigest() != digest)
        return failed(FromFile::DigestDiffers);
    if (::fchmod(out, mode) != 0 || ::fsync(out) != 0)
        return failed(FromFile::Failed);
    outCloser.fd = -1;
    if (::close(out) != 0)
        return failed(FromFile::Failed);
    prepared_.push_back({std::move(name), target});
    return FromFile::Ok;
}

bool FileInstaller::commit(std::string *error)
{
    for (std::size_t i = 0; i < prepared_.size(); ++i) {
        if (::rename(prepared_[i].temporary.c_str(), prepared_[i].target.c_str()) != 0) {
            fail(error, prepared_[i].target);
            prepared_.erase(prepared_.begin(), prepared_.begin() + static_cast<std::ptrdiff_t>(i));
            discard();
            return false;
        }
    }
    prepared_.clear();
    return true;
}

void FileInstaller::discard()
{
    for (const Prepared &p : prepared_)
        ::unlink(p.temporary.c_str());
    prepared_.clear();
}

}
