// SPDX-License-Identifier: MIT
#include "publish/Mqtt.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QUrl>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mosquitto.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int PlainPort = 1883, TlsPort = 8883;
constexpr int KeepAliveS = 30;
constexpr int LoopStepMs = 50;
const char SystemCertificates[] = "/etc/ssl/certs";

// What the callbacks learn, handed to them as the client's user data.
struct Session
{
    int connack = -1; // the broker's answer to CONNECT, once it came
    QSet<int> unacknowledged;
};

QString mosquittoError(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

// libmosquitto's global state, set up once for the process.
void initialiseLibrary()
{
    static const int once = mosquitto_lib_init();
    Q_UNUSED(once);
}

bool configure(mosquitto *client, const MqttTarget &target,
               const std::optional<MqttCredentials> &credentials, const QString &caFile,
               QString &error)
{
    int rc = mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (rc == MOSQ_ERR_SUCCESS && credentials)
        rc = mosquitto_username_pw_set(client, credentials->user.toUtf8().constData(),
                                       credentials->password.toUtf8().constData());
    if (rc == MOSQ_ERR_SUCCESS && target.tls) {
        const QByteArray ca = QFile::encodeName(caFile);
        rc = mosquitto_tls_set(client, caFile.isEmpty() ? nullptr : ca.constData(),
                               caFile.isEmpty() ? SystemCertificates : nullptr, nullptr, nullptr,
                               nullptr);
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mosquitto_tls_opts_set(client, 1, "tlsv1.2", nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS)
        error = "cannot set up the connection: " + mosquittoError(rc);
    return rc == MOSQ_ERR_SUCCESS;
}

// Runs the client's network loop until `done` or the deadline; false, with the
// reason, when the connection failed or time ran out.
template <typename Done>
bool loopUntil(mosquitto *client, const QElapsedTimer &clock, int timeoutMs, Done done,
               const char *waitingFor, QString &error)
{
    while (!done()) {
        if (clock.elapsed() >= timeoutMs) {
            error = QString("no %1 within %2 ms").arg(waitingFor).arg(timeoutMs);
            return false;
        }
        const int rc = mosquitto_loop(client, LoopStepMs, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "the connection failed: " + mosquittoError(rc);
            return false;
        }
    }
    return true;
}

bool publishAll(mosquitto *client, Session &session, const MqttTarget &target,
                const QList<QPair<QString, QByteArray>> &messages, int timeoutMs,
                const QElapsedTimer &clock, QString &error)
{
    int rc =
        mosquitto_connect_async(client, target.host.toUtf8().constData(), target.port, KeepAliveS);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "cannot connect: " + mosquittoError(rc);
        return false;
    }
    const bool answered = loopUntil(
        client, clock, timeoutMs, [&] { return session.connack >= 0; }, "answer to connect", error);
    if (!answered && session.connack <= 0)
        return false;
    if (session.connack != 0) {
        error = "the broker refused the connection: " +
                QString::fromUtf8(mosquitto_connack_string(session.connack));
        return false;
    }
    for (const auto &[topic, payload] : messages) {
        int mid = 0;
        rc = mosquitto_publish(client, &mid, topic.toUtf8().constData(), int(payload.size()),
                               payload.constData(), 1, true);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "cannot publish to " + topic + ": " + mosquittoError(rc);
            return false;
        }
        session.unacknowledged << mid;
    }
    return loopUntil(
        client, clock, timeoutMs, [&] { return session.unacknowledged.isEmpty(); },
        "acknowledgement of every message", error);
}
} // namespace

std::optional<MqttTarget> ParseMqttUrl(const QString &url, QString &problem)
{
    const QUrl parsed(url, QUrl::StrictMode);
    MqttTarget target;
    target.tls = parsed.scheme() == "mqtts";
    target.host = parsed.host();
    target.port = parsed.port(target.tls ? TlsPort : PlainPort);
    target.topic = parsed.path().mid(1);
    const bool known = parsed.scheme() == "mqtt" || target.tls;
    if (!parsed.isValid() || !known || target.host.isEmpty() || target.topic.isEmpty() ||
        target.topic.contains('+') || target.topic.contains('#') || !parsed.userInfo().isEmpty() ||
        parsed.hasQuery() || parsed.hasFragment()) {
        problem = "--publish takes mqtt://HOST[:PORT]/TOPIC or mqtts://HOST[:PORT]/TOPIC, "
                  "without credentials, wildcards or query: " +
                  url;
        return std::nullopt;
    }
    return target;
}

std::optional<MqttCredentials> ReadMqttCredentials(const QString &path, QString &problem)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status = {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "cannot read the credentials " + path +
                  (fd < 0 ? ": " + QString::fromLocal8Bit(std::strerror(errno))
                          : QString(": not a regular file"));
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    if (status.st_mode & (S_IRWXG | S_IRWXO)) {
        ::close(fd);
        problem = "the credentials " + path + " may be read by others: chmod 600 it first";
        return std::nullopt;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    if (lines.size() < 2 || lines[0].trimmed().isEmpty() || lines[1].trimmed().isEmpty()) {
        problem = "the credentials " + path +
                  " hold no user on the first line and password on "
                  "the second";
        return std::nullopt;
    }
    return MqttCredentials{QString::fromUtf8(lines[0]).trimmed(),
                           QString::fromUtf8(lines[1]).remove('\r')};
}

bool PublishRetained(const MqttTarget &target, const std::optional<MqttCredentials> &credentials,
                     const QString &caFile, const QList<QPair<QString, QByteArray>> &messages,
                     int timeoutMs, QString &error)
{
    initialiseLibrary();
    QElapsedTimer clock;
    clock.start();
    Session session;
    const QByteArray clientId =
        "corvaline-" + QUuid::createUuid().toByteArray(QUuid::Id128).left(12);
    mosquitto *client = mosquitto_new(clientId.constData(), true, &session);
    if (!client) {
        error = "cannot create an MQTT client";
        return false;
    }
    mosquitto_connect_callback_set(client, [](mosquitto *, void *data, int rc) {
        static_cast<Session *>(data)->connack = rc;
    });
    mosquitto_publish_callback_set(client, [](mosquitto *, void *data, int mid) {
        static_cast<Session *>(data)->unacknowledged.remove(mid);
    });
    const bool ok = configure(client, target, credentials, caFile, error) &&
                    publishAll(client, session, target, messages, timeoutMs, clock, error);
    mosquitto_disconnect(client);
    mosquitto_loop(client, LoopStepMs, 1);
    mosquitto_destroy(client);
    return ok;
}
