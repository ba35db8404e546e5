// SPDX-License-Identifier: MIT
#include "net/FileDownload.h"

#include "data/Products.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Each reply carries the path given with its own download() call, so that
// overlapping transfers never write into each other's files.
constexpr char TargetFileProperty[] = "corvalineTargetFile";
constexpr char OversizeProperty[] = "corvalineOversize";
constexpr char DeadlineProperty[] = "corvalineDeadline";
constexpr char TemporarySuffix[] = ".XXXXXX"; // mkstemp's pattern

QByteArray addressOf(const QNetworkReply *reply)
{
    return reply->url().toDisplayString().toUtf8();
}

// A server's text in a log line: printable ASCII, everything else as %XX.
QByteArray printableAscii(const QByteArray &text)
{
    return text.toPercentEncoding(QByteArray(":/?#[]@!$&'()*+,;=~"));
}

QString refusedRedirect(QNetworkReply *reply)
{
    const QByteArray location = reply->rawHeader("Location");
    if (location.isEmpty())
        return QString();
    return QStringLiteral("redirect to %1 refused: only redirects on the same host are followed")
        .arg(QString::fromLatin1(printableAscii(location)));
}

// A reason not to store the reply's body, or an empty text when it is sound.
QString refusalOf(QNetworkReply *reply)
{
    if (reply->property(OversizeProperty).toBool())
        return QStringLiteral("body larger than %1 bytes").arg(FileDownload::MaxBodyBytes);
    if (reply->property(DeadlineProperty).isValid())
        return QStringLiteral("not done %1 ms after it started; stopped")
            .arg(reply->property(DeadlineProperty).toInt());
    if (reply->error() == QNetworkReply::InsecureRedirectError ||
        reply->error() == QNetworkReply::TooManyRedirectsError) {
        const QString redirect = refusedRedirect(reply);
        return redirect.isEmpty() ? reply->errorString() : redirect;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return QStringLiteral("HTTP status %1").arg(status.toInt());
    // The only aborts made here are the oversize and deadline ones, marked
    // above: any other cancel is the transfer timeout.
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("timed out after %1 ms without data")
            .arg(reply->request().transferTimeout());
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    if (reply->bytesAvailable() > FileDownload::MaxBodyBytes)
        return QStringLiteral("body larger than %1 bytes").arg(FileDownload::MaxBodyBytes);
    return QString();
}

struct StoreOutcome
{
    QString failure; // empty when the target holds what is to be read
    bool targetOpened = true;
};

const char *kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return "link";
    if (S_ISFIFO(mode))
        return "FIFO";
    if (S_ISSOCK(mode))
        return "socket";
    return "device";
}

// Temporary files that a download stopped before its rename left beside the
// target; only names of this downloader's own pattern, never a directory.
void removeLeftOvers(const QFileInfo &target, int olderThanMs)
{
    const QDir directory = target.absoluteDir();
    const QString pattern = '.' + target.fileName() + QString(TemporarySuffix).replace('X', '?');
    const qint64 before = QDateTime::currentSecsSinceEpoch() - olderThanMs / 1000;
    const auto filters = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString &name : directory.entryList({pattern}, filters)) {
        const QByteArray path = QFile::encodeName(directory.filePath(name));
        struct stat info;
        if (::lstat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode) &&
            info.st_mtime < before)
            ::unlink(path.constData());
    }
}

QString writeFailure(qint64 written, qint64 size)
{
    return QStringLiteral("could not write: %1 of %2 bytes written").arg(written).arg(size);
}

// Writes the body to an open descriptor and flushes it to the disk.
QString writeAndSync(int fd, const QByteArray &body)
{
    const qint64 written = WriteWhole(fd, body);
    if (written != body.size())
        return writeFailure(written, body.size());
    if (::fsync(fd) != 0)
        return QStringLiteral("could not write: ") + QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

void syncDirectory(const QString &directory)
{
    const int fd =
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes a sound reply's body into a new file beside `target`, flushes it and
// renames it over the target: readers see the old product or the new one, never
// a part, and a link, FIFO or device planted at the target is replaced, not
// written through or opened, since the data directory may be shared by several
// users. An empty body leaves the target as it was.
StoreOutcome storeBody(QNetworkReply *reply, const QString &target,
                       const FileDownload::BodyCheck &check, const QString &writeRefusalHint,
                       int deadlineMs)
{
    const QString refusal = refusalOf(reply);
    if (!refusal.isEmpty())
        return {refusal};
    const QByteArray body = reply->readAll();
    if (body.isEmpty())
        return {QStringLiteral("the answer was empty")};
    const QString bodyRefusal = check ? check(target, body) : QString();
    if (!bodyRefusal.isEmpty())
        return {bodyRefusal};
    const QFileInfo info(target);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat existing;
    const bool present = ::lstat(targetPath.constData(), &existing) == 0;
    if (present && S_ISDIR(existing.st_mode))
        return {target + QStringLiteral(" is not a regular file")};
    removeLeftOvers(info, deadlineMs);
    QByteArray temporary =
        QFile::encodeName(info.absolutePath() + "/." + info.fileName() + TemporarySuffix);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        QString reason = QStringLiteral("could not open the file for writing: ") +
                         QString::fromLocal8Bit(std::strerror(errno));
        if ((errno == EACCES || errno == EPERM) && !writeRefusalHint.isEmpty())
            reason += " (" + writeRefusalHint + ')';
        return {reason, false};
    }
    QString failure = writeAndSync(fd, body);
    // Readable by the other users of a shared cache; never more.
    if (failure.isEmpty() && ::fchmod(fd, 0644) != 0)
        failure =
            QStringLiteral("could not write: ") + QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    if (failure.isEmpty() && std::rename(temporary.constData(), targetPath.constData()) != 0)
        failure =
            QStringLiteral("could not write: ") + QString::fromLocal8Bit(std::strerror(errno));
    if (!failure.isEmpty()) {
        ::unlink(temporary.constData());
        return {failure};
    }
    syncDirectory(info.absolutePath());
    if (present && !S_ISREG(existing.st_mode))
        qDebug("Replaced the %s at %s by the downloaded product", kindOf(existing.st_mode),
               targetPath.constData());
    return {};
}
} // namespace

FileDownload::FileDownload() : QObject(nullptr), manager(nullptr)
{
    qDebug() << "SSL Library Build Version: " << QSslSocket::sslLibraryBuildVersionString();
    qDebug() << "Supports SSL: " << QSslSocket::supportsSsl();
    qDebug() << "SSL Library Version: " << QSslSocket::sslLibraryVersionString();
    connect(&manager, SIGNAL(finished(QNetworkReply *)), this,
            SLOT(downloadFinished(QNetworkReply *)));
}

FileDownload::~FileDownload() = default;

void FileDownload::download(QString site, QString filename)
{
    this->site = site;
    this->filename = filename;
    const QUrl url = QUrl::fromEncoded(this->site.toLocal8Bit(), QUrl::TolerantMode);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_3);
    QNetworkRequest request(url);
    request.setSslConfiguration(tls);
    request.setHeader(QNetworkRequest::ServerHeader, QStringLiteral("application/text/plain"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    QNetworkReply *reply = manager.get(request);
    reply->setProperty(TargetFileProperty, this->filename);
    ++inFlight;
    connect(reply, SIGNAL(downloadProgress(qint64, qint64)), this,
            SLOT(downloadProgress(qint64, qint64)));
    const int deadline = transferDeadlineMs;
    QTimer::singleShot(deadline, reply, [reply, deadline] {
        if (reply->isRunning()) {
            reply->setProperty(DeadlineProperty, deadline);
            reply->abort();
        }
    });
}

void FileDownload::downloadFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (inFlight > 0)
        --inFlight;
    const QString target = reply->property(TargetFileProperty).toString();
    const StoreOutcome outcome =
        storeBody(reply, target, bodyCheck, writeRefusalHint, transferDeadlineMs);
    failure = outcome.failure;
    if (!outcome.failure.isEmpty())
        qDebug("Download of %s failed: %s; %s kept as it was", addressOf(reply).constData(),
               qUtf8Printable(outcome.failure), qUtf8Printable(target));
    // A target that cannot be opened ends without done(), so the caller's slot
    // stays armed; but when an earlier transfer's done() came while this one was
    // in flight, its receiver waits for the last transfer, so it is told now.
    if (outcome.targetOpened || (inFlight == 0 && doneOwed)) {
        doneOwed = inFlight > 0;
        Q_EMIT done();
    }
}

void FileDownload::downloadProgress(qint64 recieved, qint64 total)
{
    qDebug() << recieved << total;
    if (recieved <= MaxBodyBytes && total <= MaxBodyBytes)
        return;
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (reply && !reply->property(OversizeProperty).toBool()) {
        reply->setProperty(OversizeProperty, true);
        reply->abort();
    }
}
