#include "net/FileDownload.h"
#include "support/TestHttpsServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
constexpr int TransferTimeoutMs = 15000;
const QByteArray OldContent = "the cached product, longer than what replaces it\n";
} // namespace

class FileDownloadTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString target() const { return dir.filePath("product.txt"); }

    // Downloads `path` into `file` and waits until the transfer has been handled.
    void fetch(TestHttpsServer &server, FileDownload &downloader, const QByteArray &path,
               const QString &file)
    {
        downloader.download(server.endpoint() + path, file);
        QTRY_COMPARE_WITH_TIMEOUT(downloader.transfersInFlight(), 0, TransferTimeoutMs);
    }

    // One transfer that must end without touching the cached file: done() once and
    // one log line naming the address and the reason.
    void expectCacheKept(TestHttpsServer &server, const QByteArray &path, const QString &reason)
    {
        FileDownload downloader;
        QSignalSpy done(&downloader, &FileDownload::done);
        MessageCapture log;
        fetch(server, downloader, path, target());
        QCOMPARE(done.count(), 1);
        QCOMPARE(ReadFile(target()), OldContent);
        const QStringList failures = log.lines().filter("failed");
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures.first().contains(server.endpoint() + path), qPrintable(failures.first()));
        QVERIFY2(failures.first().contains(reason, Qt::CaseInsensitive),
                 qPrintable(failures.first()));
    }

private Q_SLOTS:
    void initTestCase();
    void init();
    void constructionWritesTheTlsLines();
    void bodyIsStoredByteForByte();
    void requestAsTheServerSeesIt();
    void emptyBodyKeepsTheFile();
    void failedTransfersKeepTheFile_data();
    void failedTransfersKeepTheFile();
    void serverWithoutTls13();
    void oversizedBodyIsRefused_data();
    void oversizedBodyIsRefused();
    void targetThatCannotBeOpened();
    void failedWriteKeepsTheFile();
    void overlappingDownloadsKeepTheirOwnPaths();
};

void FileDownloadTest::initTestCase()
{
    QVERIFY(dir.isValid());
    TestHttpsServer::trustTestAuthority();
}

void FileDownloadTest::init()
{
    QVERIFY(WriteFile(target(), OldContent));
}

void FileDownloadTest::constructionWritesTheTlsLines()
{
    MessageCapture log;
    FileDownload downloader;
    const QStringList lines = log.lines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith("SSL Library Build Version:  \""));
    QCOMPARE(lines[1], QStringLiteral("Supports SSL:  true"));
    QVERIFY(lines[2].startsWith("SSL Library Version:  \"OpenSSL 3"));
    QCOMPARE(downloader.transfersInFlight(), 0);
}

void FileDownloadTest::bodyIsStoredByteForByte()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    QByteArray body("short\r\nproduct\0with a zero byte\xff", 32);
    server.setResponse("/text/product.txt", {200, body});
    FileDownload downloader;
    QSignalSpy done(&downloader, &FileDownload::done);
    MessageCapture log;
    fetch(server, downloader, "/text/product.txt", target());
    QCOMPARE(done.count(), 1);
    QCOMPARE(ReadFile(target()), body);

    // Each progress signal gives one line with the received and total counts.
    static const QRegularExpression progress("^(\\d+) (-?\\d+)$");
    QStringList progressLines = log.lines().filter(progress);
    QVERIFY(!progressLines.isEmpty());
    QCOMPARE(progressLines.last(), QStringLiteral("32 32"));
}

void FileDownloadTest::requestAsTheServerSeesIt()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse("/json/solar-radio-flux.json", {200, "[]"});
    FileDownload downloader;
    fetch(server, downloader, "/json/solar-radio-flux.json", target());
    QCOMPARE(server.requests.size(), 1);
    const SeenRequest &request = server.requests.first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, QByteArray("/json/solar-radio-flux.json"));
    QCOMPARE(request.headers.value("server"), QByteArray("application/text/plain"));
    QVERIFY(!request.headers.contains("content-type"));
}

void FileDownloadTest::emptyBodyKeepsTheFile()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse("/empty", {200, QByteArray()});
    FileDownload downloader;
    QSignalSpy done(&downloader, &FileDownload::done);
    fetch(server, downloader, "/empty", target());
    QCOMPARE(done.count(), 1);
    QCOMPARE(ReadFile(target()), OldContent);

    const QString missing = dir.filePath("never-written.txt");
    fetch(server, downloader, "/empty", missing);
    QCOMPARE(done.count(), 2);
    QVERIFY(!QFile::exists(missing));
}

void FileDownloadTest::failedTransfersKeepTheFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("closeMidBody");
    QTest::addColumn<QString>("reason");
    QTest::newRow("404 with a page") << 404 << false << "Not Found";
    QTest::newRow("500 with a page") << 500 << false << "Internal Server Error";
    QTest::newRow("closed mid-body") << 200 << true << "closed";
}

void FileDownloadTest::failedTransfersKeepTheFile()
{
    QFETCH(int, status);
    QFETCH(bool, closeMidBody);
    QFETCH(QString, reason);
    TestHttpsServer server;
    QVERIFY(server.start());
    TestResponse response{status, QByteArray(4096, 'e')};
    response.closeMidBody = closeMidBody;
    server.setResponse("/text/product.txt", response);
    expectCacheKept(server, "/text/product.txt", reason);
}

void FileDownloadTest::serverWithoutTls13()
{
    TestHttpsServer server(QSsl::TlsV1_2);
    QVERIFY(server.start());
    server.setResponse("/text/product.txt", {200, "must never arrive"});
    expectCacheKept(server, "/text/product.txt", "handshake");
    QVERIFY(server.requests.isEmpty());
}

void FileDownloadTest::oversizedBodyIsRefused_data()
{
    QTest::addColumn<bool>("omitLength");
    QTest::newRow("announced length") << false;
    QTest::newRow("no length given") << true;
}

void FileDownloadTest::oversizedBodyIsRefused()
{
    QFETCH(bool, omitLength);
    TestHttpsServer server;
    QVERIFY(server.start());
    TestResponse response{200, QByteArray(FileDownload::MaxBodyBytes + 4096, 'x')};
    response.omitLength = omitLength;
    server.setResponse("/huge", response);
    expectCacheKept(server, "/huge", "larger than 16777216 bytes");
}

void FileDownloadTest::targetThatCannotBeOpened()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse("/text/product.txt", {200, "a product"});
    FileDownload downloader;
    QSignalSpy done(&downloader, &FileDownload::done);
    MessageCapture log;
    const QString unreachable = dir.filePath("no-such-directory/product.txt");
    fetch(server, downloader, "/text/product.txt", unreachable);
    QTest::qWait(50);
    QCOMPARE(done.count(), 0);
    QVERIFY(!QFile::exists(unreachable));
    QVERIFY(!QFile::exists(dir.filePath("no-such-directory")));
    const QStringList lines = log.lines().filter("Could not open");
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().contains(unreachable));
}

void FileDownloadTest::failedWriteKeepsTheFile()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse("/text/product.txt", {200, QByteArray(64 * 1024, 'w')});
    FileDownload downloader;
    QSignalSpy done(&downloader, &FileDownload::done);
    MessageCapture log;

    // A file size limit makes every write beyond 1 KiB fail, as a full disk would.
    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    downloader.download(server.endpoint() + "/text/product.txt", target());
    const bool handled =
        QTest::qWaitFor([&] { return downloader.transfersInFlight() == 0; }, TransferTimeoutMs);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(handled);
    QCOMPARE(done.count(), 1);
    QCOMPARE(ReadFile(target()), OldContent);
    QCOMPARE(log.lines().filter("Could not write " + target()).size(), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"product.txt"});
}

void FileDownloadTest::overlappingDownloadsKeepTheirOwnPaths()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse("/first", TestResponse::held("first product"));
    server.setResponse("/second", {200, "second product"});
    FileDownload downloader;
    QSignalSpy done(&downloader, &FileDownload::done);
    const QString firstPath = dir.filePath("first.txt");
    const QString secondPath = dir.filePath("second.txt");

    downloader.download(server.endpoint() + "/first", firstPath);
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 1, TransferTimeoutMs);
    downloader.download(server.endpoint() + "/second", secondPath);
    QCOMPARE(downloader.transfersInFlight(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, TransferTimeoutMs);
    QCOMPARE(ReadFile(secondPath), QByteArray("second product"));
    QVERIFY(!QFile::exists(firstPath));

    // The first transfer ends after the second call: it still goes to its own path.
    server.release("/first");
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, TransferTimeoutMs);
    QCOMPARE(ReadFile(firstPath), QByteArray("first product"));
    QCOMPARE(ReadFile(secondPath), QByteArray("second product"));
    QCOMPARE(downloader.transfersInFlight(), 0);
}

QTEST_GUILESS_MAIN(FileDownloadTest)
#include "tst_filedownload.moc"
