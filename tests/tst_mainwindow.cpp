#include "app/MainWindow.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dataDirectory;
    ServiceLocations locations() const
    {
        // Nothing listens there: a transfer would fail at once, never reach out.
        return {dataDirectory.path() + "/", "https://127.0.0.1:1"};
    }
    void cacheTextProduct(const QList<QByteArray> &rows)
    {
        QVERIFY(WriteFile(dataDirectory.filePath("current-space-weather-indices.txt"),
                          IndicesProduct("2024 Oct 14 0530 UTC", rows)));
    }
    static QComboBox *selections(MainWindow &window) { return comboBox(window, "SfuSelections"); }

private Q_SLOTS:
    void init();
    void startWithoutCachedProduct();
    void startWithCachedProduct();
    void startWithOnlyJsonCached();
    void choosingAnObservation();
    void indexesOutsideTheRecordsChangeNothing();
    void choosingTheJsonProductAloneFetchesNothing();
};

void MainWindowTest::init()
{
    QVERIFY(dataDirectory.isValid());
    QFile::remove(dataDirectory.filePath("current-space-weather-indices.txt"));
    QFile::remove(dataDirectory.filePath("solar-radio-flux.json"));
}

void MainWindowTest::startWithoutCachedProduct()
{
    MessageCapture log;
    MainWindow window(locations());
    QVERIFY(log.contains("Could not open SFU datafile"));
    QCOMPARE(window.observationCount(), 0);
    QCOMPARE(selections(window)->count(), 0);
    for (const QString &text : fluxDisplayTexts(window))
        QCOMPARE(text, QString());
}

void MainWindowTest::startWithCachedProduct()
{
    cacheTextProduct(StandardFluxRows());
    MainWindow window(locations());
    QCOMPARE(window.observationCount(), 6);
    QCOMPARE(selections(window)->count(), 6);
    QCOMPARE(selections(window)->currentIndex(), 0);
    QCOMPARE(selections(window)->itemText(0), QStringLiteral("Learmonth   2024 Oct 14 0400 UTC"));
    QCOMPARE(selections(window)->itemText(5), QStringLiteral("Pentiction  2024 Oct 14 2300 UTC"));
    const QStringList expected = {
        "14", "38", "52", "66", "95",  "142", "262", "568", "1",    "1",  "5",  "12", "40", "58",
        "64", "87", "87", "89", "111", "112", "166", "329", "1052", "37", "66", "87", "97", "264"};
    QCOMPARE(fluxDisplayTexts(window), expected);
}

void MainWindowTest::startWithOnlyJsonCached()
{
    QVERIFY(WriteFile(
        dataDirectory.filePath("solar-radio-flux.json"),
        R"([{"common_name":"Learmonth","time_tag":"2024-10-14T04:00:00","details":[]}])"));
    MessageCapture log;
    MainWindow window(locations());
    QVERIFY(log.contains("Could not open SFU datafile"));
    QCOMPARE(selections(window)->count(), 0);
}

void MainWindowTest::choosingAnObservation()
{
    cacheTextProduct(StandardFluxRows());
    MainWindow window(locations());
    selections(window)->setCurrentIndex(1);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("15"));
    QCOMPARE(fluxDisplayText(window, 15400), QStringLiteral("569"));
    selections(window)->setCurrentIndex(5);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("20"));
    QCOMPARE(fluxDisplayText(window, 8800), QStringLiteral("268"));
    selections(window)->setCurrentIndex(0);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("14"));
    QCOMPARE(fluxDisplayText(window, 2800), QStringLiteral("97"));
}

void MainWindowTest::indexesOutsideTheRecordsChangeNothing()
{
    cacheTextProduct(StandardFluxRows());
    MainWindow window(locations());
    selections(window)->setCurrentIndex(2);
    const QStringList shown = fluxDisplayTexts(window);

    selections(window)->setCurrentIndex(-1);
    window.RefreshFluxDisplays();
    QCOMPARE(fluxDisplayTexts(window), shown);

    // An item beyond the records in use.
    selections(window)->addItem("stray");
    selections(window)->setCurrentIndex(6);
    window.RefreshFluxDisplays();
    QCOMPARE(fluxDisplayTexts(window), shown);

    selections(window)->setCurrentIndex(2);
    window.RefreshFluxDisplays();
    QCOMPARE(fluxDisplayTexts(window), shown);
}

void MainWindowTest::choosingTheJsonProductAloneFetchesNothing()
{
    cacheTextProduct(StandardFluxRows());
    MainWindow window(locations());
    comboBox(window, "DataSourceUrl")->setCurrentIndex(1);
    QCOMPARE(window.fileDownload()->transfersInFlight(), 0);
    QCOMPARE(selections(window)->count(), 6);
    QCOMPARE(fluxDisplayText(window, 245), QStringLiteral("14"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
