// SPDX-License-Identifier: MIT
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <functional>

// One HTTPS GET per download() call; the body is stored in the file named with
// that call, and done() follows once the file holds what is to be read.
class FileDownload : public QObject
{
    Q_OBJECT

public:
    FileDownload();
    ~FileDownload() override;

    // Transfers started and not yet handled by downloadFinished().
    int transfersInFlight() const { return inFlight; }

    // Replies in flight are its children.
    const QNetworkAccessManager &networkAccess() const { return manager; }

    // Why the transfer handled last left its file as it was, or an empty text.
    QString lastFailure() const { return failure; }

    static constexpr qint64 MaxBodyBytes = 16 * 1024 * 1024;
    static constexpr int TransferTimeoutMs = 120 * 1000;
    static constexpr int TransferDeadlineMs = 300 * 1000;

    // A transfer that receives nothing for this long ends as failed; applies to
    // transfers started afterwards.
    void setTransferTimeout(int milliseconds) { transferTimeoutMs = milliseconds; }

    // A transfer that has not ended this long after it started is stopped, however
    // steadily data comes; applies to transfers started afterwards. Temporary files
    // of this downloader older than this are left-overs and removed.
    void setTransferDeadline(int milliseconds) { transferDeadlineMs = milliseconds; }

    // Gives a reason to keep the target as it is rather than store the body, or
    // an empty text: a maintenance page is not a product.
    using BodyCheck = std::function<QString(const QString &target, const QByteArray &body)>;
    void setBodyCheck(BodyCheck check) { bodyCheck = std::move(check); }

    // Added to the failure line when the target's directory refuses this user.
    void setWriteRefusalHint(const QString &hint) { writeRefusalHint = hint; }

Q_SIGNALS:
    void done();

public Q_SLOTS:
    void download(QString site, QString filename);
    void downloadFinished(QNetworkReply *reply);
    void downloadProgress(qint64 recieved, qint64 total);

private:
    QNetworkAccessManager manager;
    QString site;
    QString filename;
    int inFlight = 0;
    QString failure;
    int transferTimeoutMs = TransferTimeoutMs;
    int transferDeadlineMs = TransferDeadlineMs;
    BodyCheck bodyCheck;
    QString writeRefusalHint;
    // done() was emitted while other transfers were in flight, so a receiver may
    // be waiting for the last of them to end.
    bool doneOwed = false;
};
