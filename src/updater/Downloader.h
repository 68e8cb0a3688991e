#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkReply;

namespace zentra::updater {

// Fetches one file at a time over HTTP or HTTPS into memory, always from the
// server (no cache). A download that gets no byte for `timeoutMs` (connecting
// included) is dropped; one that fails before the server answered is tried
// once more. Anything but status 200, or fewer bytes than the server
// announced, is a failure.
class Downloader : public QObject {
    Q_OBJECT
public:
    explicit Downloader(int timeoutMs, QObject *parent = nullptr);

    // Ignored for an empty URL and while a download is running.
    void start(const QUrl &url);
    bool busy() const { return !reply_.isNull(); }

signals:
    void started(const QUrl &url);
    // `expected` is 0 when the server sent no length.
    void progress(const QUrl &url, qint64 received, qint64 expected);
    void finished(const QUrl &url, const QByteArray &content);
    void failed(const QUrl &url);

private:
    void send();
    void onFinished();

    QNetworkAccessManager network_;
    int timeoutMs_;
    QUrl url_;
    int attempt_ = 0;
    QPointer<QNetworkReply> reply_;
};

}
