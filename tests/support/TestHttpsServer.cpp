#include "support/TestHttpsServer.h"

#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace {
QByteArray readCertFile(const char *name)
{
    QFile file(QStringLiteral(CORVALINE_TEST_CERTS "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test certificate file %s", name);
    return file.readAll();
}

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

TestHttpsServer::TestHttpsServer(QSsl::SslProtocol protocol)
{
    QSslConfiguration tls;
    tls.setLocalCertificate(QSslCertificate(readCertFile("server.pem")));
    tls.setPrivateKey(QSslKey(readCertFile("server.key"), QSsl::Rsa));
    tls.setProtocol(protocol);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    server.setSslConfiguration(tls);
    connect(&server, &QTcpServer::pendingConnectionAvailable, this, &TestHttpsServer::accept);
}

TestHttpsServer::~TestHttpsServer()
{
    server.close();
}

bool TestHttpsServer::start()
{
    return server.listen(QHostAddress::LocalHost, 0);
}

QString TestHttpsServer::endpoint() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(server.serverPort());
}

void TestHttpsServer::setResponse(const QByteArray &path, const TestResponse &response)
{
    responses.insert(path, response);
}

void TestHttpsServer::release(const QByteArray &path)
{
    for (int i = held.size() - 1; i >= 0; --i) {
        if (held[i].second != path)
            continue;
        const auto entry = held.takeAt(i);
        if (entry.first)
            answer(entry.first, path);
    }
}

void TestHttpsServer::trustTestAuthority()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(QSslCertificate::fromData(readCertFile("test-ca.pem")));
    QSslConfiguration::setDefaultConfiguration(tls);
}

void TestHttpsServer::accept()
{
    while (server.hasPendingConnections()) {
        auto *socket = qobject_cast<QSslSocket *>(server.nextPendingConnection());
        if (!socket)
            continue;
        socket->setParent(this);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        readRequest(socket);
    }
}

void TestHttpsServer::readRequest(QSslSocket *socket)
{
    QByteArray &buffer = pending[socket];
    buffer += socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    pending.remove(socket);
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    SeenRequest request{requestLine.value(0), requestLine.value(1), {}};
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    requests.append(request);
    if (responses.value(request.path).hold)
        held.append({socket, request.path});
    else
        answer(socket, request.path);
}

void TestHttpsServer::answer(QSslSocket *socket, const QByteArray &path)
{
    const TestResponse response =
        responses.value(path, TestResponse{404, "no such product", false, false, false});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " " +
                      reasonOf(response.status) + "\r\nContent-Type: text/plain\r\n";
    if (!response.omitLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(response.closeMidBody ? response.body.left(response.body.size() / 2)
                                        : response.body);
    socket->disconnectFromHost();
}
