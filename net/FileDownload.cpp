#include "net/FileDownload.h"

#include <QDebug>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QSslSocket>

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
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return QStringLiteral("HTTP status %1").arg(status.toInt());
    if (reply->bytesAvailable() > FileDownload::MaxBodyBytes)
        return QStringLiteral("body larger than %1 bytes").arg(FileDownload::MaxBodyBytes);
    return QString();
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
    request.setTransferTimeout(TransferTimeoutMs);
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

    const QString refusal = refusalOf(reply);
    if (!refusal.isEmpty()) {
        qDebug("Download of %s failed: %s; %s kept as it was", addressOf(reply).constData(),
               qUtf8Printable(refusal), qUtf8Printable(target));
        Q_EMIT done();
        return;
    }

    const QByteArray body = reply->readAll();
    if (body.isEmpty()) {
        Q_EMIT done();
        return;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug("Could not open %s for writing: %s", qUtf8Printable(target),
               qUtf8Printable(file.errorString()));
        return;
    }
    // QSaveFile would commit a short write: check the count before committing.
    const qint64 written = file.write(body);
    if (written != body.size())
        qDebug("Could not write %s: %lld of %lld bytes written; the file was kept as it was",
               qUtf8Printable(target), static_cast<long long>(written),
               static_cast<long long>(body.size()));
    else if (!file.commit())
        qDebug("Could not write %s: %s; the file was kept as it was", qUtf8Printable(target),
               qUtf8Printable(file.errorString()));
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
