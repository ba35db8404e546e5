// SPDX-License-Identifier: MIT
// Updates through a loopback TLS server as the network fails, the disk fills or
// another local user plants things in the cache.
#include "support/CacheFixture.h"
#include "support/Table.h"

#include <QRegularExpression>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

namespace {
// A fault of the network or a move of another local user, met by a press of Update.
struct Fault
{
    const char *name;
    TestResponse response;
    bool stored;        // the cache then holds the new product, else what it held
    const char *reason; // in the one log line, or nullptr for none
    // clang-format off
    enum Kind { Plain, RefuseWrites, DiskFull, Stall, Deadline, PlantedLink, PlantedFifo,
                PlantedDirectory, LeftOvers, NoObservations } kind = Plain;
    // clang-format on
    int product = 0; // 0 text, 1 JSON
    const char *certificate = "server.pem";
    QSsl::SslProtocol protocol = QSsl::TlsV1_3OrLater;
    int size = 0; // the new product, filled up with a comment line to this many bytes
};
const auto TLS13 = QSsl::TlsV1_3OrLater;

// clang-format off
const Fault Faults[] = {
    {"empty body", {200, ""}, false, "the answer was empty"},
    {"301 to another path", {301, "", TestResponse::Whole, false, "/moved"}, true, nullptr},
    {"redirect to another host", Elsewhere, false, "redirect to https://127.0.0.1:1/x%1B refused"},
    {"reset mid-body", {200, New, TestResponse::ResetMidBody}, false, "closed"},
    {"closed after the headers", {200, New, TestResponse::AfterHeaders}, false, "closed"},
    {"500 with a body", {500, "<html>maintenance</html>"}, false, "HTTP status 500"},
    {"299 is a success", {299, New}, true, nullptr},
    {"300 with a body", {300, "<html>choices</html>"}, false, "HTTP status 300"},
    {"an endless body", {200, "", TestResponse::Whole, false, "", true, true}, false, "larger than 16777216 bytes"},
    {"a product without observations", {200, changed("14     15     -1     17     18     19     20", "-1 -1 -1 -1 -1 -1 -1")}, true, nullptr, Fault::NoObservations},
    {"JSON maintenance page", Maintenance, false, "not a JSON array", Fault::Plain, 1},
    {"body of 16 MiB", {}, true, nullptr, Fault::Plain, 0, "server.pem", TLS13, 16 * 1024 * 1024},
    {"body over 16 MiB", {}, false, "larger than 16777216 bytes", Fault::Plain, 0, "server.pem", TLS13, 16 * 1024 * 1024 + 1},
    {"disk full", {}, false, "could not write: 1024 of 65536 bytes written", Fault::DiskFull, 0, "server.pem", TLS13, 65536},
    {"TLS 1.2 only", {200, New}, false, "handshake failed", Fault::Plain, 0, "server.pem", QSsl::TlsV1_2},
    {"certificate for another host", {200, New}, false, "host name", Fault::Plain, 0, "other-host.pem"},
    {"expired certificate", {200, New}, false, "expired", Fault::Plain, 0, "expired.pem"},
    {"link planted at the target", {200, New}, true, "Replaced the link at", Fault::PlantedLink},
    {"FIFO planted at the target", {200, New}, true, "Replaced the FIFO at", Fault::PlantedFifo},
    {"directory planted at the target", {200, New}, false, "current-space-weather-indices.txt is not a regular file", Fault::PlantedDirectory},
    {"left-over temporary files", {200, New}, true, nullptr, Fault::LeftOvers},
    {"unwritable target", {200, New}, false, "Permission denied (only members of the group corvaline may update the cache: ask an administrator for 'sudo adduser USER corvaline'", Fault::RefuseWrites},
    {"stalled server", {200, New, TestResponse::Whole, true}, false, "timed out after 300 ms", Fault::Stall},
    {"no end in sight", Held, false, "not done 1000 ms after it started; stopped", Fault::Deadline},
};
// clang-format on
} // namespace

class NetTest : public QObject, protected CacheFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { resetCache(); }

    // Each fault keeps the cache as it was and says why in one line, naming the
    // address; a planted entry is replaced, never followed, and nothing outside
    // the cache changes. The window goes on answering a selection.
    void faults_data() { AddRows(Faults); }
    void faults()
    {
        const Fault &fault = CurrentRow(Faults);
        TestHttpsServer server(fault.certificate, fault.protocol);
        const QString target = cached(fault.product), victim = outside.filePath("victim");
        const QByteArray old = fault.product ? Products[1] : IndicesProduct();
        QVERIFY(WriteFile(target, old) && WriteFile(victim, old));
        const QFile::Permissions victimMode = QFileInfo(victim).permissions();
        server.responses[Paths[fault.product]] = fault.response;
        const QByteArray sent =
            fault.size ? New + '#' + QByteArray(fault.size - New.size() - 2, '-') + '\n'
            : fault.response.body.isEmpty() ? New
                                            : fault.response.body;
        if (fault.size)
            server.responses[Paths[fault.product]].body = sent;
        server.responses["/moved"] = {200, New};
        const QByteArray planted = QFile::encodeName(target);
        if (fault.kind >= Fault::PlantedLink && fault.kind <= Fault::PlantedDirectory)
            QVERIFY(QFile::remove(target) &&
                    (fault.kind == Fault::PlantedLink   ? QFile::link(victim, target)
                     : fault.kind == Fault::PlantedFifo ? !mkfifo(planted, 0644)
                                                        : !mkdir(planted, 0755)));
        const QString leftOver = dir.filePath(".current-space-weather-indices.txt.Ab12Cd"),
                      fresh = dir.filePath(".current-space-weather-indices.txt.Ef34Gh");
        const timeval beforeDeadline[2] = {{time(nullptr) - 301, 0}, {time(nullptr) - 301, 0}};
        if (fault.kind == Fault::LeftOvers) // only the one older than the deadline goes
            QVERIFY(WriteFile(leftOver, "") && WriteFile(fresh, "") &&
                    !utimes(QFile::encodeName(leftOver), beforeDeadline));
        MainWindow window(at(server));
        window.fileDownload()->setTransferTimeout(fault.kind == Fault::Stall ? 300 : 120000);
        window.fileDownload()->setTransferDeadline(fault.kind == Fault::Deadline ? 1000 : 300000);
        refuseWrites(fault.kind == Fault::RefuseWrites);
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        if (fault.kind == Fault::DiskFull) { // every write beyond 1 KiB fails
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{1024, fileSize.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        MessageCapture log;
        const bool ended = press(window, fault.product) && settle(window);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        refuseWrites(false);
        QVERIFY(ended);
        const QStringList lines = log.lines.filter(QRegularExpression("failed|Replaced"));
        QCOMPARE(lines.size(), fault.reason ? 1 : 0);
        const QString start =
            "Download of " + server.endpoint() + Paths[fault.product] + " failed: ";
        QVERIFY2(!fault.reason || (lines[0].contains(fault.reason) &&
                                   (fault.stored || lines[0].startsWith(start))),
                 qPrintable(lines.value(0)));
        // What the window shows: the new product, the old one, or an empty list that says why.
        const bool readable = fault.kind != Fault::PlantedDirectory,
                   listed = fault.kind != Fault::NoObservations;
        const char *kept[] = {"15 ", "20 "}, *shownNow = fault.stored ? "31 " : kept[fault.product];
        QCOMPARE(shown(window, 1).left(3), !listed ? "14 " : readable ? shownNow : "   ");
        const char *why =
            readable ? "" : "Update failed and no readable product is cached (see the log)";
        QCOMPARE(window.findChild<QComboBox *>("SfuSelections")->placeholderText(),
                 listed ? why : "The cached product holds no observations");
        QCOMPARE(QFileInfo(target).isDir(), fault.kind == Fault::PlantedDirectory);
        QCOMPARE(ReadFile(target), fault.stored                            ? sent
                                   : fault.kind == Fault::PlantedDirectory ? "<missing>"
                                                                           : old);
        QVERIFY(!fault.stored || QFileInfo(target).permissions() & QFile::ReadOther);
        QCOMPARE(ReadFile(victim), old);
        QCOMPARE(QFileInfo(victim).permissions(), victimMode);
        QCOMPARE(QDir(dir.path()).entryList({".*.??????"}, QDir::Files | QDir::Hidden),
                 fault.kind == Fault::LeftOvers ? QStringList{QFileInfo(fresh).fileName()}
                                                : QStringList());
        QFile::remove(fresh);
    }
};

QTEST_MAIN(NetTest)
#include "tst_net.moc"
