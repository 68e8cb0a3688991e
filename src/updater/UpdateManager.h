#pragma once

#include "core/config/DataFolder.h"
#include "core/update/UpdateRules.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <deque>
#include <string>

namespace zentra::updater {

class Downloader;

// The questions and final messages of an update. The dialog shows message
// boxes; the batch mode answers every question with OK and prints messages.
class UpdatePrompts {
public:
    virtual ~UpdatePrompts() = default;
    // OK and Cancel; true for OK.
    virtual bool ask(const QString &text) = 0;
    // OK only; returns once confirmed.
    virtual void tell(const QString &text) = 0;
};

struct UpdateSetup {
    DataFolder home{""};    // where zentra wrote Version.txt; staging in home/tmp
    std::string programDir; // the installed programs, whose files are replaced
    QUrl base;              // the update folder; invalid or not http(s) when unset
    int timeoutMs = 30000;
    bool restart = true; // start zentra at the end
    // The largest release file (Update/maxFileMB of config.ini).
    std::uint64_t maxFileBytes = maxReleaseFileBytes({});
};

// One update run: the release's version file (state 1), its file list
// (state 2), then each changed file (state 3), strictly one after another.
//
// What must stay true: no program file is replaced by a file whose digest is
// not the listed one, nor outside the program folder; nothing is replaced
// before every changed file has arrived and matched its digest; each file is
// replaced by a rename, never written in place. Downloads go straight to
// their staged files under a size cap each, so memory does not grow with
// what the server sends; a download that fails leaves nothing staged.
class UpdateManager : public QObject {
    Q_OBJECT
public:
    // Refused: the programs belong to the system's package manager; nothing
    // was fetched and zentra is not started.
    enum class Outcome { UpToDate, Updated, Cancelled, Failed, Refused };

    UpdateManager(UpdateSetup setup, UpdatePrompts &prompts, QObject *parent = nullptr);
    ~UpdateManager() override;

    void start();
    int state() const { return state_; }

signals:
    // A line for the message list, in order.
    void message(const QString &text);
    // The file being fetched, relative to the update folder.
    void downloadStarted(const QString &relative);
    void currentProgress(int percent);
    void overallProgress(int percent);
    // After the last message was confirmed and zentra was started.
    void finished(Outcome outcome);

private:
    void fetch(const QString &relative, std::uint64_t maxBytes, const std::string &digest = {});
    void onDownloaded();
    void onFailed(const QUrl &url);
    void versionArrived();
    void listArrived();
    void fileArrived();
    void fetchNext();
    void install();
    void fail(const QString &detail, const QString &final);
    void end(Outcome outcome, const QString &final);
    void launchMainProgram();
    std::string stagingDir() const { return setup_.home.path("tmp"); }

    UpdateSetup setup_;
    UpdatePrompts &prompts_;
    Downloader *downloader_;
    int state_ = 0;
    bool updateNeeded_ = false;
    std::deque<PendingFile> queue_;
    std::vector<PendingFile> staged_;
    PendingFile current_;
    QString currentRelative_;
    int total_ = -1;
    int done_ = -1;
    bool ended_ = false;
};

}
