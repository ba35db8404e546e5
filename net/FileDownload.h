#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>

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

    // Why the transfer handled last left its file as it was, or an empty text.
    QString lastFailure() const { return failure; }

    static constexpr qint64 MaxBodyBytes = 16 * 1024 * 1024;
    static constexpr int TransferTimeoutMs = 120 * 1000;

    // A transfer that receives nothing for this long ends as failed; applies to
    // transfers started afterwards.
    void setTransferTimeout(int milliseconds) { transferTimeoutMs = milliseconds; }

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
};
