#include "net/FileDownload.h"

#include <QDebug>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// Each reply carries the path given with its own download() call, so that
// overlapping transfers never write into each other's files.
constexpr char TargetFileProperty[] = "corvalineTargetFile";
constexpr char OversizeProperty[] = "corvalineOversize";

QByteArray addressOf(const QNetworkReply *reply)
{
    return reply->url().toDisplayString().toUtf8();
}

// A reason not to store the reply's body, or an empty text when it is sound.
QString refusalOf(QNetworkReply *reply)
{
    if (reply->property(OversizeProperty).toBool())
        return QStringLiteral("body larger than %1 bytes").arg(FileDownload::MaxBodyBytes);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return QStringLiteral("HTTP status %1").arg(status.toInt());
    // The only abort made here is the oversize one, marked above: any other
    // cancel is the transfer timeout.
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

// Writes a sound reply's body into a new file beside `target`, then renames it
// over the target: readers see the old product or the new one, never a part,
// and a link planted at the target is replaced, not written through, since the
// data directory may be shared by several users. An empty body leaves the
// target as it was.
StoreOutcome storeBody(QNetworkReply *reply, const QString &target)
{
    const QString refusal = refusalOf(reply);
    if (!refusal.isEmpty())
        return {refusal};
    const QByteArray body = reply->readAll();
    if (body.isEmpty())
        return {};
    const QFileInfo info(target);
    QTemporaryFile file(info.absolutePath() + "/." + info.fileName() + ".XXXXXX");
    if (!file.open())
        return {QStringLiteral("could not open the file for writing: ") + file.errorString(),
                false};
    const qint64 written = file.write(body);
    if (written != body.size() || !file.flush())
        return {QStringLiteral("could not write: %1 of %2 bytes written")
                    .arg(written)
                    .arg(body.size())};
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return {QStringLiteral("could not write: ") + QString::fromLocal8Bit(std::strerror(errno))};
    file.setAutoRemove(false);
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
    request.setTransferTimeout(transferTimeoutMs);
    QNetworkReply *reply = manager.get(request);
    reply->setProperty(TargetFileProperty, this->filename);
    ++inFlight;
    connect(reply, SIGNAL(downloadProgress(qint64, qint64)), this,
            SLOT(downloadProgress(qint64, qint64)));
}

void FileDownload::downloadFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (inFlight > 0)
        --inFlight;
    const QString target = reply->property(TargetFileProperty).toString();
    const StoreOutcome outcome = storeBody(reply, target);
    failure = outcome.failure;
    if (!outcome.failure.isEmpty())
        qDebug("Download of %s failed: %s; %s kept as it was", addressOf(reply).constData(),
               qUtf8Printable(outcome.failure), qUtf8Printable(target));
    // A target that cannot be opened ends without done(): the caller's slot stays armed.
    if (outcome.targetOpened)
        Q_EMIT done();
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
