#pragma once

#include "core/update/FileInstaller.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <string>

class QNetworkReply;

namespace zentra::updater {

// Where a download goes: root/relative, at most maxBytes of it, and, when a
// digest is given, only if it has that MD5.
struct DownloadTarget {
    std::string root;
    std::string relative;
    std::uint64_t maxBytes = 0;
    std::string digest; // empty: any content
};

// Fetches one file at a time over HTTP or HTTPS straight into its staged
// file, always from the server (no cache); no more than a read buffer of it
// is held in memory. A download that gets no byte for `timeoutMs`
// (connecting included), or, once the server answered, fewer than
// kMinBytesPerSecond on average over each stretch of `timeoutMs`, is dropped, so a server that trickles cannot
// hold the updater for ever; one that fails before the server answered is
// tried once more. Anything but status 200, fewer bytes than the server
// announced, more than the target's cap, or another digest than the
// target's is a failure, and a failed download leaves no file behind.
class Downloader : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMinBytesPerSecond = 1024;

    explicit Downloader(int timeoutMs, QObject *parent = nullptr);

    // Ignored for an empty URL and while a download is running.
    void start(const QUrl &url, DownloadTarget target);
    bool busy() const { return !reply_.isNull(); }

signals:
    void started(const QUrl &url);
    // `expected` is 0 when the server sent no length.
    void progress(const QUrl &url, qint64 received, qint64 expected);
    // The file is in place at root/relative.
    void finished(const QUrl &url);
    // The server's failure (no answer, an error, too slow, too much, not the
    // listed content).
    void failed(const QUrl &url);
    // Ours: the staged file could not be written.
    void localFailure(const QString &detail);

private:
    void send();
    void onReadyRead();
    void onFinished();
    void checkRate();
    // Drops the running reply and its staged bytes.
    void abandon();
    void fail();
    void failLocally(const std::string &detail);

    QNetworkAccessManager network_;
    int timeoutMs_;
    QUrl url_;
    DownloadTarget target_;
    StagedDownload staged_;
    int attempt_ = 0;
    QPointer<QNetworkReply> reply_;
    QTimer rateTimer_;
    std::uint64_t windowStart_ = 0; // bytes received when the current stretch began
};

}
