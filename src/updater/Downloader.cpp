#include "updater/Downloader.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace zentra::updater {

namespace {

// What Qt may hold of a reply before we read it, and the most we read at once.
constexpr qint64 kReadBufferBytes = 256 * 1024;
constexpr qint64 kReadPieceBytes = 64 * 1024;

}

Downloader::Downloader(int timeoutMs, QObject *parent) : QObject(parent), timeoutMs_(timeoutMs)
{
    rateTimer_.setInterval(timeoutMs_);
    connect(&rateTimer_, &QTimer::timeout, this, &Downloader::checkRate);
}

void Downloader::start(const QUrl &url, DownloadTarget target)
{
    if (url.isEmpty() || busy())
        return;
    url_ = url;
    target_ = std::move(target);
    attempt_ = 0;
    send();
}

void Downloader::send()
{
    ++attempt_;
    std::string error;
    if (!staged_.open(target_.root, target_.relative, target_.maxBytes, &error)) {
        // Told once start() has returned, as every other outcome is.
        QMetaObject::invokeMethod(
            this, [this, error] { emit localFailure(QString::fromStdString(error)); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(timeoutMs_);
    reply_ = network_.get(request);
    reply_->setReadBufferSize(kReadBufferBytes);
    if (attempt_ == 1)
        emit started(url_);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        // Until the server answers, the transfer timeout watches; from then
        // on the rate does too.
        windowStart_ = staged_.size();
        rateTimer_.start();
        // A file announced larger than its cap is not even begun.
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200 && length.isValid() &&
            length.toULongLong() > target_.maxBytes)
            fail();
    });
    connect(reply_, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64 total) { emit progress(url_, received, total > 0 ? total : 0); });
    connect(reply_, &QNetworkReply::readyRead, this, &Downloader::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &Downloader::onFinished);
}

void Downloader::onReadyRead()
{
    if (!reply_)
        return;
    // The body of an error answer is read and dropped.
    const bool wanted = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
    while (reply_ && reply_->bytesAvailable() > 0) {
        const QByteArray piece = reply_->read(kReadPieceBytes);
        if (piece.isEmpty() || !wanted)
            continue;
        std::string error;
        switch (staged_.append(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())), &error)) {
        case StagedDownload::Append::Ok:
            break;
        case StagedDownload::Append::TooLarge:
            fail();
            return;
        case StagedDownload::Append::Failed:
            failLocally(error);
            return;
        }
    }
}

void Downloader::checkRate()
{
    if (!reply_) {
        rateTimer_.stop();
        return;
    }
    const std::uint64_t received = staged_.size();
    const auto needed = static_cast<std::uint64_t>(kMinBytesPerSecond * timeoutMs_ / 1000);
    // Everything announced has arrived: the end is on its way.
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = reply_->isFinished() || (length.isValid() && length.toULongLong() == received);
    if (!complete && received - windowStart_ < needed) {
        fail();
        return;
    }
    windowStart_ = received;
}

void Downloader::abandon()
{
    rateTimer_.stop();
    if (QNetworkReply *reply = reply_) {
        reply_.clear();
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    staged_.discard();
}

void Downloader::fail()
{
    abandon();
    emit failed(url_);
}

void Downloader::failLocally(const std::string &detail)
{
    abandon();
    emit localFailure(QString::fromStdString(detail));
}

void Downloader::onFinished()
{
    // Whatever is still buffered belongs to the file.
    onReadyRead();
    QNetworkReply *reply = reply_;
    if (!reply)
        return;
    rateTimer_.stop();
    reply_.clear();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError) {
        // No answer at all (refused, closed, timed out): one more try.
        if (!status.isValid() && attempt_ < 2) {
            send();
            return;
        }
        staged_.discard();
        emit failed(url_);
        return;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (status.toInt() != 200 || (length.isValid() && length.toULongLong() != staged_.size()) ||
        (!target_.digest.empty() && staged_.digest() != target_.digest)) {
        staged_.discard();
        emit failed(url_);
        return;
    }
    std::string error;
    if (!staged_.keep(&error)) {
        emit localFailure(QString::fromStdString(error));
        return;
    }
    emit finished(url_);
}

}
