#include "updater/UpdateManager.h"

#include "core/update/FileInstaller.h"
#include "core/update/Md5.h"
#include "core/update/PackageOwner.h"
#include "updater/Downloader.h"

#include <QCoreApplication>
#include <QProcess>

#include <sys/stat.h>

namespace zentra::updater {

namespace {

const QString kFailed = QStringLiteral("连接服务器失败！");
// Our own failures (disk full, no permission), not the server's.
const QString kLocalFailure = QStringLiteral("升级失败！");

std::string toStd(const QString &s)
{
    return s.toStdString();
}

}

UpdateManager::UpdateManager(UpdateSetup setup, UpdatePrompts &prompts, QObject *parent)
    : QObject(parent), setup_(std::move(setup)), prompts_(prompts), downloader_(new Downloader(setup_.timeoutMs, this))
{
    connect(downloader_, &Downloader::started, this, [this](const QUrl &) {
        emit downloadStarted(currentRelative_);
        emit currentProgress(0);
    });
    connect(downloader_, &Downloader::progress, this, [this](const QUrl &, qint64 received, qint64 expected) {
        if (expected > 0)
            emit currentProgress(static_cast<int>(received * 100 / expected));
    });
    connect(downloader_, &Downloader::finished, this, &UpdateManager::onDownloaded);
    connect(downloader_, &Downloader::failed, this, &UpdateManager::onFailed);
    connect(downloader_, &Downloader::localFailure, this,
            [this](const QString &detail) { fail(detail, kLocalFailure); });
}

UpdateManager::~UpdateManager() = default;

void UpdateManager::start()
{
    // A packaged install is upgraded by the package manager, never by us.
    if (packageManagedPrograms(setup_.programDir)) {
        ended_ = true;
        prompts_.tell(QString::fromUtf8(kPackageManagedText));
        emit finished(Outcome::Refused);
        return;
    }
    emit message(QStringLiteral("Zentra在线更新系统..."));
    emit message(QStringLiteral("正在获取最新版本信息..."));
    const QString scheme = setup_.base.scheme();
    if (!setup_.base.isValid() || setup_.base.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        end(Outcome::Failed, kFailed);
        return;
    }
    if (!setup_.base.path().endsWith(QLatin1Char('/')))
        setup_.base.setPath(setup_.base.path() + QLatin1Char('/'));
    ::mkdir(setup_.home.root().c_str(), 0700);
    ::mkdir(stagingDir().c_str(), 0700);
    state_ = 1;
    fetch(QStringLiteral("Version.txt"), kMaxVersionFileBytes);
}

void UpdateManager::fetch(const QString &relative, std::uint64_t maxBytes, const std::string &digest)
{
    currentRelative_ = relative;
    QUrl path;
    path.setPath(relative);
    // Only a release file that matches its listed digest stays staged.
    downloader_->start(setup_.base.resolved(path), {stagingDir(), toStd(relative), maxBytes, digest});
}

void UpdateManager::onDownloaded()
{
    if (state_ == 1)
        versionArrived();
    else if (state_ == 2)
        listArrived();
    else if (state_ == 3)
        fileArrived();
}

void UpdateManager::onFailed(const QUrl &url)
{
    fail(QStringLiteral("error:") + url.toString(), kFailed);
}

void UpdateManager::versionArrived()
{
    emit message(QStringLiteral("获取最新版本信息成功！"));
    std::string server, local;
    readFile(setup_.home.path("tmp/Version.txt"), server);
    // Without a local version file the installed release is unknown: update.
    const bool haveLocal = readFile(setup_.home.versionPath(), local);
    updateNeeded_ = !haveLocal || !sameVersion(local, server);
    if (!updateNeeded_) {
        const QString upToDate = QStringLiteral("当前已为最新版本，不需要升级!");
        emit message(upToDate);
        ::unlink(setup_.home.path("tmp/Version.txt").c_str());
        end(Outcome::UpToDate, upToDate);
        return;
    }
    emit message(QStringLiteral("当前版本需要在线升级!"));
    if (!prompts_.ask(QStringLiteral("软件有新版本，是否升级到最新？"))) {
        end(Outcome::Cancelled, QString());
        return;
    }
    state_ = 2;
    fetch(QStringLiteral("FileList.txt"), kMaxFileListBytes);
}

void UpdateManager::listArrived()
{
    emit message(QStringLiteral("获取要更新的列表文件成功！"));
    total_ = 0;
    done_ = 0;
    std::string text;
    readFile(setup_.home.path("tmp/FileList.txt"), text);
    const FetchPlan plan = planFetch(parseFileList(text), [this](const std::string &relative) {
        std::string digest = fileDigest(setup_.programDir + "/" + relative);
        // Large program files take a moment each; keep the window painted.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return digest;
    });
    if (!plan.refusedPath.empty()) {
        fail(QStringLiteral("不安全的文件路径：") + QString::fromStdString(plan.refusedPath), kFailed);
        return;
    }
    if (!plan.conflictingPath.empty()) {
        fail(QStringLiteral("文件列表重复列出：") + QString::fromStdString(plan.conflictingPath), kFailed);
        return;
    }
    queue_.assign(plan.files.begin(), plan.files.end());
    total_ = static_cast<int>(queue_.size());
    emit message(QStringLiteral("本次更新需要下载%1个文件！").arg(total_));
    state_ = 3;
    fetchNext();
}

void UpdateManager::fileArrived()
{
    staged_.push_back(current_);
    emit overallProgress(overallPercent(done_, total_));
    fetchNext();
}

void UpdateManager::fetchNext()
{
    if (queue_.empty()) {
        install();
        return;
    }
    current_ = queue_.front();
    queue_.pop_front();
    ++done_;
    fetch(QString::fromStdString(current_.relative), setup_.maxFileBytes, current_.digest);
}

void UpdateManager::install()
{
    // Every changed file has arrived and matched; what was staged is copied
    // and checked again on the way, so what is installed is what was
    // verified.
    FileInstaller installer(setup_.programDir);
    for (const PendingFile &file : staged_) {
        std::string error;
        switch (installer.prepareFile(file.relative, stagingDir() + "/" + file.relative, file.digest, &error)) {
        case FileInstaller::FromFile::Ok:
            break;
        case FileInstaller::FromFile::DigestDiffers:
            fail(QStringLiteral("error:") + QString::fromStdString(file.relative), kLocalFailure);
            return;
        case FileInstaller::FromFile::Failed:
            fail(QString::fromStdString(error), kLocalFailure);
            return;
        }
    }
    std::string error;
    if (!installer.commit(&error)) {
        fail(QString::fromStdString(error), kLocalFailure);
        return;
    }
    for (const PendingFile &file : staged_)
        removeStaged(stagingDir(), file.relative);
    emit overallProgress(100);
    end(Outcome::Updated, QStringLiteral("你已将软件升级为最新版本!"));
}

void UpdateManager::fail(const QString &detail, const QString &final)
{
    emit message(detail);
    end(Outcome::Failed, final);
}

void UpdateManager::end(Outcome outcome, const QString &final)
{
    if (ended_)
        return;
    ended_ = true;
    if (!final.isEmpty())
        prompts_.tell(final);
    launchMainProgram();
    emit finished(outcome);
}

void UpdateManager::launchMainProgram()
{
    // Only an empty staging folder goes; what a failed run staged stays.
    ::rmdir(stagingDir().c_str());
    if (setup_.restart)
        QProcess::startDetached(QString::fromStdString(setup_.programDir + "/zentra"),
                                {QStringLiteral("--home"), QString::fromStdString(setup_.home.root())});
}

}
