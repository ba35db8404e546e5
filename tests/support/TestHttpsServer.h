// SPDX-License-Identifier: MIT
#pragma once

#include <QFile>
#include <QPointer>
#include <QSslKey>
#include <QSslServer>
#include <QTimer>
#include <sys/socket.h>

// What the server answers for one path.
struct TestResponse
{
    int status = 200;
    QByteArray body;
    enum Cut { Whole, AfterHeaders, ResetMidBody } cut = Whole;
    bool hold = false;       // answered only when release() is called for the path
    QByteArray location;     // a Location header, for redirects
    bool omitLength = false; // the body ends when the connection closes
    bool endless = false;    // the body goes on until the client closes
};

inline QByteArray TestCertificate(const char *name)
{
    QFile file(QStringLiteral(CORVALINE_TEST_CERTS "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An HTTPS server on 127.0.0.1 with a certificate of the tests' own authority,
// which every TLS configuration made afterwards trusts.
class TestHttpsServer
{
public:
    explicit TestHttpsServer(const char *certificate = "server.pem",
                             QSsl::SslProtocol protocol = QSsl::TlsV1_3OrLater)
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates({QSslCertificate(TestCertificate("test-ca.pem"))});
        QSslConfiguration::setDefaultConfiguration(tls);
        tls.setLocalCertificate(QSslCertificate(TestCertificate(certificate)));
        tls.setPrivateKey(QSslKey(TestCertificate("server.key"), QSsl::Ec));
        tls.setProtocol(protocol);
        server.setSslConfiguration(tls);
        QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!(heads[socket] += socket->readAll()).contains("\r\n\r\n"))
                        return;
                    requests << heads.take(socket);
                    const QByteArray path = requests.last().split(' ').value(1);
                    if (responses.value(path).hold)
                        held.insert(path, socket);
                    else
                        answer(socket, path);
                });
        });
        if (!server.listen(QHostAddress::LocalHost, 0))
            qFatal("the test server cannot listen on 127.0.0.1");
    }

    QString endpoint() const { return QString("https://127.0.0.1:%1").arg(server.serverPort()); }

    void release(const QByteArray &path)
    {
        for (const QPointer<QTcpSocket> &socket : held.values(path))
            if (socket)
                answer(socket, path);
        held.remove(path);
    }

    QHash<QByteArray, TestResponse> responses;
    QList<QByteArray> requests; // each request's head, as received

private:
    void answer(QTcpSocket *socket, const QByteArray &path)
    {
        const TestResponse r = responses.value(path, {404, "no such product"});
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(r.status) + " S\r\nConnection: close\r\n";
        if (!r.omitLength)
            head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        if (!r.location.isEmpty())
            head += "Location: " + r.location + "\r\n";
        socket->write(head + "\r\n");
        auto *more = new QTimer(socket); // for an endless body, until the client goes
        QObject::connect(more, &QTimer::timeout, socket, [socket] {
            if (socket->bytesToWrite() < 256 * 1024)
                socket->write(QByteArray(64 * 1024, '#'));
        });
        if (r.endless)
            return more->start(1);
        if (r.cut != TestResponse::AfterHeaders)
            socket->write(r.cut == TestResponse::Whole ? r.body : r.body.left(r.body.size() / 2));
        if (r.cut != TestResponse::ResetMidBody)
            return socket->disconnectFromHost();
        QTimer::singleShot(100, socket, [socket] { // a TCP reset once the half is out
            const linger now{1, 0};
            setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
            socket->abort();
        });
    }

    QSslServer server;
    QHash<QTcpSocket *, QByteArray> heads;
    QMultiHash<QByteArray, QPointer<QTcpSocket>> held;
};
