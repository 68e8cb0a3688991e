#pragma once

#include "support/TempDir.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace zentra::test {

// A CUPS scheduler of the test's own: cupsd started with its configuration,
// spool, logs and a Unix socket in a temporary folder, stopped (and the folder
// removed) with the object. While it lives, CUPS_SERVER points this process and
// every program it starts at the socket, so the program under test sees its
// queues and nothing else. LPDEST and PRINTER are cleared for the same reason.
//
// Queues:
// - a "paper" queue (tests/support/cups/zentra-paper.ppd): takes PDF through
//   CUPS's pdftopdf onto the paper the job asks for, as a driverless PDF
//   printer does, without hardware margins; the backend writes each job's
//   PDF to a file (tests/support/cups/zentra-file);
// - the 24-pin dot-matrix queue of CUPS's sample driver
//   (drv:///sample.drv/epson24.ppd, Letter, 18 pt margins), its ESC/P caught
//   by the same backend;
// - a cups-pdf queue where printer-driver-cups-pdf is installed and we run as
//   root: its backend reads its settings only from /etc/cups, so the queue
//   gets a settings file of its own there (/etc/cups/cups-pdf-NAME.conf, NAME
//   unique to this scheduler, removed with it) that sends its output, spool
//   and log into the temporary folder.
class PrivateCups {
public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    // False when cupsd cannot run here; why() says why.
    bool available() const { return pid_ > 0; }
    const std::string &why() const { return why_; }
    const std::string &socket() const { return socket_; }
    // The scheduler's folder: conf/, spool/ (the documents of the jobs), log/,
    // out/QUEUE/ (what each queue received).
    const std::string &folder() const { return dir_.path(); }

    bool addPaperQueue(const std::string &name);
    bool addDotMatrixQueue(const std::string &name);
    // False (with why()) when cups-pdf is missing or cannot be kept private.
    bool addCupsPdfQueue(const std::string &name);

    bool setDefault(const std::string &name);
    // lpadmin -p QUEUE -o OPTION (for example "PageSize=Legal").
    bool setQueueOption(const std::string &queue, const std::string &option);

    // One job as a file-backend queue received it.
    struct Job {
        int id = 0;
        std::string title;   // the job's name
        std::string options; // as the filters passed them on, "key=value ..."
        std::string data;    // path of the data the printer got

        // The value of option `key`, empty when the job has none.
        std::string option(const std::string &key) const;
    };

    // Waits until no job of queue `queue` is pending (at most `seconds`), then
    // lists the jobs its backend wrote, oldest first. For the cups-pdf queue,
    // `data` of each job is a PDF it wrote (title and options are empty).
    std::vector<Job> jobs(const std::string &queue, int seconds = 60);

    // The scheduler's error log, for failure messages.
    std::string log() const;

private:
    bool lpadmin(const std::vector<std::string> &args);
    std::string queueFolder(const std::string &queue);

    TempDir dir_;
    std::string socket_;
    pid_t pid_ = -1;
    std::string why_;
    std::string cupsPdfConf_; // our settings file of cups-pdf, removed at the end
    std::string cupsPdfQueue_;
    std::string savedServer_;
    bool hadServer_ = false;
};

}
