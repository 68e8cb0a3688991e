#include "updater/Downloader.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace zentra::updater {

Downloader::Downloader(int timeoutMs, QObject *parent) : QObject(parent), timeoutMs_(timeoutMs) {}

void Downloader::start(const QUrl &url)
{
    if (url.isEmpty() || busy())
        return;
    url_ = url;
    attempt_ = 0;
    send();
}

void Downloader::send()
{
    ++attempt_;
    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(timeoutMs_);
    reply_ = network_.get(request);
    if (attempt_ == 1)
        emit started(url_);
    connect(reply_, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64 total) { emit progress(url_, received, total > 0 ? total : 0); });
    connect(reply_, &QNetworkReply::finished, this, &Downloader::onFinished);
}

void Downloader::onFinished()
{
    QNetworkReply *reply = reply_;
    reply_.clear();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError) {
        // No answer at all (refused, closed, timed out): one more try.
        if (!status.isValid() && attempt_ < 2) {
            send();
            return;
        }
        emit failed(url_);
        return;
    }
    const QByteArray content = reply->readAll();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (status.toInt() != 200 || (length.isValid() && length.toLongLong() != content.size())) {
        emit failed(url_);
        return;
    }
    emit finished(url_, content);
}

}
