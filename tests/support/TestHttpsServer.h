#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslServer>
#include <QString>

class QSslSocket;

// What the server answers for one path.
struct TestResponse
{
    int status = 200;
    QByteArray body;
    bool closeMidBody = false; // announce the whole length, send half of it, close
    bool omitLength = false;   // no Content-Length: the body ends when the connection closes
    bool hold = false;         // answer only when release() is called for the path

    static TestResponse held(const QByteArray &body)
    {
        TestResponse response{200, body};
        response.hold = true;
        return response;
    }
};

struct SeenRequest
{
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names in lower case
};

// An HTTPS server on 127.0.0.1 with the tests' own certificate; it lives and
// stops with the object.
class TestHttpsServer : public QObject
{
    Q_OBJECT

public:
    explicit TestHttpsServer(QSsl::SslProtocol protocol = QSsl::TlsV1_3OrLater);
    ~TestHttpsServer() override;

    bool start();
    QString endpoint() const;
    void setResponse(const QByteArray &path, const TestResponse &response);
    void release(const QByteArray &path);

    QList<SeenRequest> requests;

    // Makes every TLS configuration created afterwards trust the tests' authority.
    static void trustTestAuthority();

private:
    void accept();
    void readRequest(QSslSocket *socket);
    void answer(QSslSocket *socket, const QByteArray &path);

    QSslServer server;
    QHash<QByteArray, TestResponse> responses;
    QHash<QSslSocket *, QByteArray> pending;
    QList<QPair<QPointer<QSslSocket>, QByteArray>> held;
};
