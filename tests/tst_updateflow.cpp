#include "app/MainWindow.h"
#include "support/TestHttpsServer.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int TransferTimeoutMs = 15000;
const QByteArray TextPath = "/text/current-space-weather-indices.txt";
const QByteArray JsonPath = "/json/solar-radio-flux.json";

QByteArray newerTextProduct()
{
    QList<QByteArray> rows = StandardFluxRows();
    rows[0] = "  245      30     31     -1     -1     -1     -1     -1";
    return IndicesProduct("2024 Oct 15 0530 UTC", rows);
}

QByteArray jsonProduct()
{
    QJsonArray details;
    const QList<QPair<int, int>> fluxes = {{245, 14},   {410, 38},   {610, 52},
                                           {1415, 66},  {2695, 95},  {2800, 101},
                                           {4995, 142}, {8800, 262}, {15400, 568}};
    for (const auto &f : fluxes)
        details.append(
            QJsonObject{{"frequency", f.first}, {"flux", f.second}, {"observed_quality", "Good"}});
    QJsonArray entries = {QJsonObject{{"common_name", "Palehua"},
                                      {"time_tag", "2024-10-14T23:00:00"},
                                      {"details", details}},
                          QJsonObject{{"common_name", "Penticton"},
                                      {"time_tag", "2024-10-14T20:00:00"},
                                      {"details", QJsonArray()}}};
    return QJsonDocument(entries).toJson();
}
} // namespace

class UpdateFlowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString textFile() const { return dir.filePath("current-space-weather-indices.txt"); }
    QString jsonFile() const { return dir.filePath("solar-radio-flux.json"); }

    static void pressUpdate(MainWindow &window)
    {
        QTest::mousePress(window.findChild<QPushButton *>("UpdateButton"), Qt::LeftButton);
    }
    static void releaseUpdate(MainWindow &window)
    {
        QTest::mouseRelease(window.findChild<QPushButton *>("UpdateButton"), Qt::LeftButton);
    }
    static bool allTransfersHandled(MainWindow &window)
    {
        return QTest::qWaitFor([&] { return window.fileDownload()->transfersInFlight() == 0; },
                               TransferTimeoutMs);
    }
    // A press, then everything it set off: the transfer, the re-read and any late event.
    static bool pressAndAwaitUpdate(MainWindow &window)
    {
        pressUpdate(window);
        const bool handled = allTransfersHandled(window);
        releaseUpdate(window);
        QTest::qWait(20);
        return handled;
    }

private Q_SLOTS:
    void initTestCase();
    void init();
    void pressFetchesAndRereadsTheTextProduct();
    void pressFetchesAndReadsTheJsonProduct();
    void twoPressesBeforeTheFirstDoneRereadOnce();
    void overlappingPressesOfBothProducts_data();
    void overlappingPressesOfBothProducts();
    void failedRereadEmptiesTheSelectorOnly();
    void serverErrorKeepsTheCache();
};

void UpdateFlowTest::initTestCase()
{
    QVERIFY(dir.isValid());
    TestHttpsServer::trustTestAuthority();
}

void UpdateFlowTest::init()
{
    QVERIFY(WriteFile(textFile(), IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows())));
    QFile::remove(jsonFile());
}

void UpdateFlowTest::pressFetchesAndRereadsTheTextProduct()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(TextPath, {200, newerTextProduct()});
    MainWindow window({dir.path() + "/", server.endpoint()});
    comboBox(window, "SfuSelections")->setCurrentIndex(3);

    pressUpdate(window);
    QCOMPARE(window.fileDownload()->transfersInFlight(), 1); // on press, before release
    QVERIFY(allTransfersHandled(window));
    releaseUpdate(window);

    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().path, TextPath);
    QCOMPARE(ReadFile(textFile()), newerTextProduct());
    QCOMPARE(window.observationCount(), 2);
    QCOMPARE(comboBox(window, "SfuSelections")->count(), 2);
    QCOMPARE(comboBox(window, "SfuSelections")->currentIndex(), 0);
    QCOMPARE(comboBox(window, "SfuSelections")->itemText(1),
             QStringLiteral("San Vito    2024 Oct 15 1000 UTC"));
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("30"));
    QCOMPARE(fluxDisplayText(window, 15400), QStringLiteral("568"));
}

void UpdateFlowTest::pressFetchesAndReadsTheJsonProduct()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(JsonPath, {200, jsonProduct()});
    MainWindow window({dir.path() + "/", server.endpoint()});
    comboBox(window, "DataSourceUrl")->setCurrentIndex(1);
    QCOMPARE(server.requests.size(), 0);

    QVERIFY(pressAndAwaitUpdate(window));

    QCOMPARE(server.requests.first().path, JsonPath);
    QCOMPARE(ReadFile(jsonFile()), jsonProduct());
    QCOMPARE(ReadFile(textFile()), IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows()));
    QComboBox *selections = comboBox(window, "SfuSelections");
    QCOMPARE(selections->count(), 2);
    QCOMPARE(selections->itemText(0), QStringLiteral("Palehua     2024 Oct 14 2300 UTC"));
    QCOMPARE(selections->itemText(1), QStringLiteral("Penticton   2024 Oct 14 2000 UTC"));
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("14"));
    QCOMPARE(fluxDisplayText(window, 2800), QStringLiteral("97"));
    QCOMPARE(fluxDisplayText(window, 24048), QStringLiteral("1052"));

    // The second record had no details: its fluxes are those left by the text read.
    selections->setCurrentIndex(1);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("15"));
}

void UpdateFlowTest::twoPressesBeforeTheFirstDoneRereadOnce()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(TextPath, TestResponse::held(newerTextProduct()));
    MainWindow window({dir.path() + "/", server.endpoint()});
    QSignalSpy selectorChanges(comboBox(window, "SfuSelections"), SIGNAL(currentIndexChanged(int)));

    MessageCapture log;
    pressUpdate(window);
    releaseUpdate(window);
    pressUpdate(window);
    releaseUpdate(window);
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 2, TransferTimeoutMs);
    server.release(TextPath);
    QVERIFY(allTransfersHandled(window));
    QTest::qWait(20);

    // One re-read: one clear (-1), one first item (0), one listing of two records.
    QCOMPARE(selectorChanges.count(), 2);
    QCOMPARE(log.lines().filter("Common Name:").size(), 2);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("30"));
}

void UpdateFlowTest::overlappingPressesOfBothProducts_data()
{
    QTest::addColumn<bool>("jsonFinishesFirst");
    QTest::newRow("later press finishes first") << true;
    QTest::newRow("earlier press finishes first") << false;
}

void UpdateFlowTest::overlappingPressesOfBothProducts()
{
    QFETCH(bool, jsonFinishesFirst);
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(TextPath, TestResponse::held(newerTextProduct()));
    server.setResponse(JsonPath, TestResponse::held(jsonProduct()));
    MainWindow window({dir.path() + "/", server.endpoint()});
    QSignalSpy selectorChanges(comboBox(window, "SfuSelections"), SIGNAL(currentIndexChanged(int)));

    pressUpdate(window);
    releaseUpdate(window);
    comboBox(window, "DataSourceUrl")->setCurrentIndex(1);
    pressUpdate(window);
    releaseUpdate(window);
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 2, TransferTimeoutMs);

    server.release(jsonFinishesFirst ? JsonPath : TextPath);
    QTest::qWait(100);
    QCOMPARE(comboBox(window, "SfuSelections")->itemText(0),
             QStringLiteral("Learmonth   2024 Oct 14 0400 UTC")); // nothing re-read yet
    server.release(jsonFinishesFirst ? TextPath : JsonPath);
    QVERIFY(allTransfersHandled(window));
    QTest::qWait(20);

    QCOMPARE(ReadFile(textFile()), newerTextProduct());
    QCOMPARE(ReadFile(jsonFile()), jsonProduct());
    QCOMPARE(comboBox(window, "SfuSelections")->count(), 2);
    QCOMPARE(comboBox(window, "SfuSelections")->itemText(0),
             QStringLiteral("Palehua     2024 Oct 14 2300 UTC"));
    QCOMPARE(selectorChanges.count(), 2);

    // Both completion slots have disarmed themselves: a later press works as usual.
    server.setResponse(JsonPath, {200, jsonProduct()});
    QSignalSpy later(comboBox(window, "SfuSelections"), SIGNAL(currentIndexChanged(int)));
    QVERIFY(pressAndAwaitUpdate(window));
    QCOMPARE(later.count(), 2);
}

void UpdateFlowTest::failedRereadEmptiesTheSelectorOnly()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(JsonPath, {200, "this is not JSON"});
    MainWindow window({dir.path() + "/", server.endpoint()});
    comboBox(window, "DataSourceUrl")->setCurrentIndex(1);
    comboBox(window, "SfuSelections")->setCurrentIndex(1);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("15"));
    const QStringList shown = fluxDisplayTexts(window);

    MessageCapture log;
    QVERIFY(pressAndAwaitUpdate(window));

    QVERIFY(log.contains("Failed to create JSON document"));
    QCOMPARE(comboBox(window, "SfuSelections")->count(), 0);
    QCOMPARE(window.observationCount(), 0);
    QCOMPARE(fluxDisplayTexts(window), shown);
}

void UpdateFlowTest::serverErrorKeepsTheCache()
{
    TestHttpsServer server;
    QVERIFY(server.start());
    server.setResponse(TextPath, {500, "<html>maintenance</html>"});
    MainWindow window({dir.path() + "/", server.endpoint()});
    comboBox(window, "SfuSelections")->setCurrentIndex(2);

    QVERIFY(pressAndAwaitUpdate(window));

    QCOMPARE(ReadFile(textFile()), IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows()));
    QCOMPARE(comboBox(window, "SfuSelections")->count(), 6);
    QCOMPARE(comboBox(window, "SfuSelections")->currentIndex(), 0);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("14"));
}

QTEST_MAIN(UpdateFlowTest)
#include "tst_updateflow.moc"
