#include "support/PrivateCups.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zentra::test {

namespace {

constexpr const char *kCupsd = "/usr/sbin/cupsd";
constexpr const char *kServerBin = "/usr/lib/cups";
constexpr const char *kCupsPdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char *kCupsPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

// Runs a program with its output (standard output and error) collected;
// returns the exit code, -1 when it could not run.
int run(const std::vector<std::string> &args, std::string *output = nullptr)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[1], 1);
        ::dup2(pipeFd[1], 2);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (output)
        *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void write(const std::string &path, const std::string &text)
{
    spit(path, text);
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

}

std::string PrivateCups::Job::option(const std::string &key) const
{
    std::istringstream in(options);
    for (std::string word; in >> word;)
        if (word.size() > key.size() && word.compare(0, key.size(), key) == 0 && word[key.size()] == '=')
            return word.substr(key.size() + 1);
    return {};
}

PrivateCups::PrivateCups()
{
    if (::access(kCupsd, X_OK) != 0) {
        why_ = std::string(kCupsd) + " is not installed";
        return;
    }
    const bool root = ::geteuid() == 0;
    const std::string d = dir_.path();
    // Filters run as user lp under a root scheduler: they must reach the spool.
    if (root)
        ::chmod(d.c_str(), 0755);
    for (const char *sub :
         {"conf", "conf/ppd", "spool", "spool/tmp", "cache", "state", "log", "bin", "bin/backend", "out", "tmp"})
        fs::create_directories(d + "/" + sub);
    ::chmod((d + "/tmp").c_str(), 01777);
    for (const char *sub : {"filter", "daemon", "cgi-bin", "driver", "monitor", "notifier"}) {
        const std::string from = std::string(kServerBin) + "/" + sub;
        if (fs::exists(from))
            fs::create_symlink(from, d + "/bin/" + sub);
    }
    // A backend owned by root and readable by root alone runs as root, so it
    // can write into this folder whoever the filters run as.
    const std::string backend = d + "/bin/backend/zentrafile";
    fs::copy_file(std::string(ZENTRA_SOURCE_DIR) + "/tests/support/cups/zentra-file", backend);
    ::chmod(backend.c_str(), root ? 0700 : 0755);

    socket_ = d + "/cups.sock";
    write(d + "/conf/cupsd.conf", "Listen " + socket_ +
                                      "\n"
                                      "LogLevel debug\n"
                                      "MaxLogSize 0\n"
                                      "WebInterface No\n"
                                      "Browsing No\n"
                                      "BrowseLocalProtocols none\n"
                                      "DefaultShared No\n"
                                      "ErrorPolicy abort-job\n"
                                      "DefaultAuthType None\n"
                                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    std::string files = "ServerRoot " + d + "/conf\nRequestRoot " + d + "/spool\nTempDir " + d +
                        "/spool/tmp\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nServerBin " + d +
                        "/bin\nDataDir /usr/share/cups\nErrorLog " + d + "/log/error_log\nAccessLog " + d +
                        "/log/access_log\nPageLog " + d + "/log/page_log\nPrintcap " + d +
                        "/state/printcap\nFileDevice No\nSandboxing Relaxed\n";
    if (root) {
        files += "User lp\nGroup lp\nSystemGroup root\n";
    } else if (const group *g = ::getgrgid(::getegid())) {
        files += std::string("SystemGroup ") + g->gr_name + "\n";
    }
    write(d + "/conf/cups-files.conf", files);

    // This process and all it starts talk to this scheduler only.
    if (const char *old = std::getenv("CUPS_SERVER")) {
        hadServer_ = true;
        savedServer_ = old;
    }
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");

    const std::string out = d + "/log/cupsd.out";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        ::execl(kCupsd, kCupsd, "-f", "-c", (d + "/conf/cupsd.conf").c_str(), "-s",
                (d + "/conf/cups-files.conf").c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    if (pid < 0) {
        why_ = "cannot start cupsd";
        return;
    }
    pid_ = pid;
    for (int i = 0; i < 150; ++i) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            why_ = "cupsd stopped at once: " + slurp(out) + log();
            return;
        }
        std::string said;
        if (fs::exists(socket_) && run({"lpstat", "-r"}, &said) == 0 && said.find("is running") != std::string::npos)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why_ = "cupsd did not answer: " + slurp(out) + log();
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

PrivateCups::~PrivateCups()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    if (!cupsPdfConf_.empty())
        ::unlink(cupsPdfConf_.c_str());
    if (hadServer_)
        ::setenv("CUPS_SERVER", savedServer_.c_str(), 1);
    else
        ::unsetenv("CUPS_SERVER");
}

std::string PrivateCups::log() const
{
    return slurp(dir_.file("log/error_log"));
}

bool PrivateCups::lpadmin(const std::vector<std::string> &args)
{
    if (!available())
        return false;
    std::vector<std::string> all{"lpadmin"};
    all.insert(all.end(), args.begin(), args.end());
    std::string out;
    if (run(all, &out) == 0)
        return true;
    why_ = "lpadmin failed: " + out;
    return false;
}

std::string PrivateCups::queueFolder(const std::string &queue)
{
    const std::string folder = dir_.file("out/" + queue);
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0777);
    return folder;
}

bool PrivateCups::addPaperQueue(const std::string &name)
{
    if (!fs::exists(std::string(kServerBin) + "/filter/pdftopdf")) {
        why_ = "CUPS's pdftopdf filter (cups-filters) is not installed";
        return false;
    }
    return lpadmin({"-p", name, "-E", "-v", "zentrafile:" + queueFolder(name), "-P",
                    std::string(ZENTRA_SOURCE_DIR) + "/tests/support/cups/zentra-paper.ppd"});
}

bool PrivateCups::addDotMatrixQueue(const std::string &name)
{
    return lpadmin({"-p", name, "-E", "-v", "zentrafile:" + queueFolder(name), "-m", "drv:///sample.drv/epson24.ppd"});
}

bool PrivateCups::addCupsPdfQueue(const std::string &name)
{
    if (!available())
        return false;
    if (::access(kCupsPdfPpd, R_OK) != 0 || !fs::exists(kCupsPdfBackend)) {
        why_ = "printer-driver-cups-pdf is not installed";
        return false;
    }
    if (::geteuid() != 0 || ::access("/etc/cups", W_OK) != 0) {
        why_ = "cups-pdf runs as root only and reads its settings from /etc/cups alone";
        return false;
    }
    // The device URI's path names the settings file: unique to this folder.
    const std::string instance = fs::path(dir_.path()).filename().string();
    const std::string out = queueFolder(name);
    const std::string spool = dir_.file("cups-pdf-spool");
    fs::create_directories(spool);
    cupsPdfConf_ = "/etc/cups/cups-pdf-" + instance + ".conf";
    write(cupsPdfConf_, "Out " + out + "\nAnonDirName " + out + "\nSpool " + spool + "\nLog " + dir_.file("log") +
                            "\nGSTmp " + dir_.file("tmp") + "\nGrp root\nLogType 3\n");
    const std::string link = dir_.file("bin/backend/cups-pdf");
    if (!fs::exists(link))
        fs::create_symlink(kCupsPdfBackend, link);
    if (!lpadmin({"-p", name, "-E", "-v", "cups-pdf:/" + instance, "-P", kCupsPdfPpd}))
        return false;
    cupsPdfQueue_ = name;
    return true;
}

bool PrivateCups::setDefault(const std::string &name)
{
    return lpadmin({"-d", name});
}

bool PrivateCups::setQueueOption(const std::string &queue, const std::string &option)
{
    return lpadmin({"-p", queue, "-o", option});
}

std::vector<PrivateCups::Job> PrivateCups::jobs(const std::string &queue, int seconds)
{
    std::vector<Job> found;
    if (!available())
        return found;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        std::string pending;
        run({"lpstat", "-o", queue}, &pending);
        if (pending.empty() || std::chrono::steady_clock::now() > until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string folder = dir_.file("out/" + queue);
    if (!fs::exists(folder))
        return found;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        Job job;
        if (queue == cupsPdfQueue_) {
            // "TITLE-job_ID.pdf"
            const auto at = name.rfind("job_");
            if (entry.path().extension() != ".pdf" || at == std::string::npos)
                continue;
            job.id = std::atoi(name.c_str() + at + 4);
            job.data = entry.path().string();
        } else {
            if (name.rfind("job-", 0) != 0 || entry.path().extension() != ".data")
                continue;
            job.id = std::atoi(name.c_str() + 4);
            const std::string base = folder + "/job-" + std::to_string(job.id);
            job.title = trimmed(slurp(base + ".title"));
            job.options = trimmed(slurp(base + ".options"));
            job.data = entry.path().string();
        }
        found.push_back(job);
    }
    std::sort(found.begin(), found.end(), [](const Job &a, const Job &b) { return a.id < b.id; });
    return found;
}

}
