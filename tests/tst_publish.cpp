// SPDX-License-Identifier: MIT
// Publishing to a real mosquitto broker that the test starts on 127.0.0.1, on a
// free port, with a configuration of its own, over plain TCP and TLS, and stops
// again; the retained messages are read back from the broker.
#include "publish/Mqtt.h"
#include "report/ReportCommand.h"
#include "support/Support.h"
#include "support/Table.h"

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <mosquitto.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Certs = CORVALINE_TEST_CERTS;
// Learmonth at 04:00 with 245 to 1415 MHz and 1296 MHz measured.
const QByteArray Learmonth =
    entry("Learmonth", T, "245:14:Good 410:38:Good 610:52:Good 1296:100:Good 1415:66:Good");

struct PublishRun
{
    const char *name, *arguments; // <tcp>, <tls>: the broker's ports; <cred>: a credentials file
    int status;
    QMap<QString, QString> retained; // topic: a text its retained message holds
    const char *message = nullptr;
    bool authenticated = false; // the broker wants a user
    int credentialsMode = 0600;
};

// clang-format off
const PublishRun Runs[] = {
    {"the figures at --mhz, retained", "--publish mqtt://127.0.0.1:<tcp>/ham/flux --mhz 1296,2304", 0, {{"ham/flux", "{\"station\": \"Learmonth\", \"time_utc\": \"2024-10-14T04:00:00Z\", \"figures\": {\"1296\": 100, \"2304\": null}}\n"}}},
    {"all 28 figures by default", "--publish mqtt://127.0.0.1:<tcp>/flux", 0, {{"flux", "\"245\": 14, \"410\": 38, \"610\": 52, \"1415\": 66, \"2695\": null"}}},
    {"Home Assistant discovery, a sensor per figure", "--publish mqtt://127.0.0.1:<tcp>/ham/flux --mhz 1296,144 --home-assistant", 0,
     {{"homeassistant/sensor/corvaline_ham_flux/flux_1296/config", "{\"name\": \"Solar flux 1296 MHz\", \"unique_id\": \"corvaline_ham_flux_1296\", \"state_topic\": \"ham/flux\", \"unit_of_measurement\": \"sfu\", \"state_class\": \"measurement\", \"value_template\": \"{{ value_json.figures['1296'] }}\", \"device\": {\"identifiers\": [\"corvaline_ham_flux\"], \"name\": \"Corvaline\"}}"},
      {"homeassistant/sensor/corvaline_ham_flux/flux_144/config", "\"unique_id\": \"corvaline_ham_flux_144\""},
      {"ham/flux", "\"figures\": {\"1296\": 100, \"144\": 5}"}}},
    {"over TLS with the suite's authority", "--publish mqtts://127.0.0.1:<tls>/flux --mhz 1296 --mqtt-ca <certs>/test-ca.pem", 0, {{"flux", "\"1296\": 100"}}},
    {"TLS without trusting the authority", "--publish mqtts://127.0.0.1:<tls>/flux --mhz 1296", 1, {}, "A TLS error occurred."},
    {"a broker that is down", "--publish mqtt://127.0.0.1:<down>/flux --mhz 1296", 1, {}, "could not publish to 127.0.0.1:<down>: cannot connect: Connection refused"},
    {"a broker that wants a user", "--publish mqtt://127.0.0.1:<tcp>/flux --mhz 1296", 1, {}, "the broker refused the connection: Connection Refused: not authorised.", true},
    {"the user from the credentials", "--publish mqtt://127.0.0.1:<tcp>/flux --mhz 1296 --mqtt-credentials <cred>", 0, {{"flux", "\"1296\": 100"}}, nullptr, true},
    {"credentials others may read are refused", "--publish mqtt://127.0.0.1:<tcp>/flux --mhz 1296 --mqtt-credentials <cred>", 1, {}, "may be read by others: chmod 600 it first", true, 0640},
    {"an observation without a date", "--publish mqtt://127.0.0.1:<tcp>/flux --mhz 1296 --file <undated>", 1, {}, "the chosen observation has no date and cannot be published"},
    {"not an MQTT address", "--publish http://127.0.0.1/flux", 2, {}, "--publish takes mqtt://HOST[:PORT]/TOPIC"},
    {"a wildcard topic", "--publish mqtt://127.0.0.1/flux/#", 2, {}, "without credentials, wildcards or query"},
    {"credentials without --publish", "--mqtt-credentials x", 2, {}, "go with --publish"},
};
// clang-format on

int freePort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

// The retained messages of the broker under `#`, read until none came for 300 ms.
QMap<QString, QString> retainedMessages(int port)
{
    QMap<QString, QString> messages;
    mosquitto *client = mosquitto_new(nullptr, true, &messages);
    mosquitto_message_callback_set(client, [](mosquitto *, void *data, const mosquitto_message *m) {
        if (m->retain)
            (*static_cast<QMap<QString, QString> *>(data))[m->topic] =
                QString::fromUtf8(static_cast<const char *>(m->payload), m->payloadlen);
    });
    mosquitto_username_pw_set(client, "reader", "secret");
    if (mosquitto_connect(client, "127.0.0.1", port, 5) == MOSQ_ERR_SUCCESS &&
        mosquitto_subscribe(client, nullptr, "#", 1) == MOSQ_ERR_SUCCESS) {
        QElapsedTimer quiet;
        quiet.start();
        qsizetype seen = -1;
        for (int i = 0; i < 100 && quiet.elapsed() < 300; ++i) {
            mosquitto_loop(client, 20, 1);
            if (messages.size() != seen)
                quiet.restart(), seen = messages.size();
        }
    }
    mosquitto_disconnect(client);
    mosquitto_destroy(client);
    return messages;
}
} // namespace

struct UrlRow
{
    const char *name, *url, *target; // "tls host port topic", or "" for none
};
// clang-format off
const UrlRow Urls[] = {
    {"plain, default port", "mqtt://broker.home.arpa/ham/flux", "0 broker.home.arpa 1883 ham/flux"},
    {"TLS, default port", "mqtts://broker/flux", "1 broker 8883 flux"},
    {"a port of its own", "mqtt://127.0.0.1:1884/a/b/c", "0 127.0.0.1 1884 a/b/c"},
    {"no topic", "mqtt://broker/", ""},
    {"a user in the address", "mqtt://user:pw@broker/flux", ""},
    {"a query", "mqtt://broker/flux?x=1", ""},
    {"another scheme", "ws://broker/flux", ""},
};
// clang-format on

class PublishTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QProcess broker;
    int tcp = 0, tls = 0;

    // A fresh broker: plain and TLS listeners, anonymous or with the user "reader".
    bool startBroker(bool authenticated)
    {
        tcp = freePort();
        tls = freePort();
        const QString conf = dir.filePath("mosquitto.conf");
        QString text = QString("per_listener_settings false\npersistence false\nuser %1\n"
                               "allow_anonymous %2\nlog_dest stderr\nlog_type notice\n")
                           .arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name),
                                authenticated ? "false" : "true");
        if (authenticated)
            text += "password_file " + dir.filePath("passwords") + "\n";
        text += QString("listener %1 127.0.0.1\nlistener %2 127.0.0.1\ncafile %3/test-ca.pem\n"
                        "certfile %3/server.pem\nkeyfile %3/server.key\n")
                    .arg(tcp)
                    .arg(tls)
                    .arg(Certs);
        if (!WriteFile(conf, text.toUtf8()) ||
            (authenticated &&
             QProcess::execute("mosquitto_passwd",
                               {"-c", "-b", dir.filePath("passwords"), "reader", "secret"}) != 0))
            return false;
        broker.start("mosquitto", {"-c", conf});
        for (int i = 0; i < 100; ++i) { // listening within 5 s
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(tcp));
            if (probe.waitForConnected(50))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase() { mosquitto_lib_init(); }
    void cleanup()
    {
        broker.terminate();
        if (!broker.waitForFinished(5000))
            broker.kill();
        broker.waitForFinished(5000);
    }

    void urls_data() { AddRows(Urls); }
    void urls()
    {
        const UrlRow &row = CurrentRow(Urls);
        QString problem;
        const std::optional<MqttTarget> target = ParseMqttUrl(row.url, problem);
        QCOMPARE(target ? QString("%1 %2 %3 %4")
                              .arg(target->tls)
                              .arg(target->host)
                              .arg(target->port)
                              .arg(target->topic)
                        : QString(),
                 row.target);
        QCOMPARE(problem.isEmpty(), target.has_value());
    }

    // The user on the first line, the password on the second, whatever ends the lines.
    void credentials()
    {
        const QString path = dir.filePath("credentials");
        for (const auto &[content, expected] : {std::pair{"ham\r\nse cret\r\n", "ham|se cret"},
                                                {"ham\npw", "ham|pw"},
                                                {"ham\n", ""},
                                                {"\npw\n", ""}}) {
            QFile::remove(path);
            QVERIFY(WriteFile(path, content) &&
                    ::chmod(QFile::encodeName(path).constData(), 0600) == 0);
            QString problem;
            const std::optional<MqttCredentials> read = ReadMqttCredentials(path, problem);
            QCOMPARE(read ? read->user + '|' + read->password : QString(), QString(expected));
            QCOMPARE(problem.isEmpty(), read.has_value());
        }
        QString problem;
        QVERIFY(!ReadMqttCredentials(dir.filePath("missing"), problem) &&
                problem.contains("No such file"));
    }

    void runs_data() { AddRows(Runs); }
    void runs()
    {
        const PublishRun &row = CurrentRow(Runs);
        QVERIFY(startBroker(row.authenticated));
        const QString credentials = dir.filePath("credentials");
        QFile::remove(credentials);
        QVERIFY(WriteFile(dir.filePath("product.json"), Learmonth) &&
                WriteFile(dir.filePath("undated.json"), entry("Learmonth", "later", "1296:9")) &&
                WriteFile(credentials, "reader\nsecret\n") &&
                ::chmod(QFile::encodeName(credentials).constData(), mode_t(row.credentialsMode)) ==
                    0);
        const int down = freePort();
        const auto expand = [&](QString text) {
            return text.replace("<tcp>", QString::number(tcp))
                .replace("<tls>", QString::number(tls))
                .replace("<down>", QString::number(down))
                .replace("<certs>", Certs)
                .replace("<cred>", credentials)
                .replace("<undated>", dir.filePath("undated.json"));
        };
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QElapsedTimer clock;
        clock.start();
        const int status =
            RunReport(("corvaline-report --file " + dir.filePath("product.json") + ' ' +
                       expand(row.arguments))
                          .split(' '),
                      {dir.filePath("cache/"), "https://127.0.0.1:1"}, outStream, errStream);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(status, row.status);
        QVERIFY2(row.message ? err.contains(expand(row.message)) : err.isEmpty(), qPrintable(err));
        QCOMPARE(out.isEmpty(), status != 0);
        const QMap<QString, QString> retained = retainedMessages(tcp);
        QCOMPARE(retained.keys(), row.retained.keys());
        for (auto it = row.retained.cbegin(); it != row.retained.cend(); ++it)
            QVERIFY2(retained[it.key()].contains(it.value()), qPrintable(retained[it.key()]));
        // The broker names each client's keep-alive as it connects, and whether it
        // said goodbye.
        broker.waitForReadyRead(1000);
        const QString log = QString::fromUtf8(broker.readAllStandardError());
        QVERIFY2(row.retained.isEmpty() ||
                     (log.contains(", k30") &&
                      log.contains(QRegularExpression("Client corvaline-\\S+ disconnected\\."))),
                 qPrintable(log));
    }
};

QTEST_MAIN(PublishTest)
#include "tst_publish.moc"
