#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

namespace {
QJsonObject detail(const QJsonValue &frequency, const QJsonValue &flux, const QString &quality)
{
    return {{"frequency", frequency}, {"flux", flux}, {"observed_quality", quality}};
}

QJsonObject entry(const QString &name, const QString &timeTag, const QJsonArray &details)
{
    return {{"common_name", name}, {"time_tag", timeTag}, {"details", details}};
}

QByteArray documentOf(const QJsonArray &entries)
{
    return QJsonDocument(entries).toJson(QJsonDocument::Compact);
}
} // namespace

class JsonReaderTest : public QObject
{
    Q_OBJECT

private:
    int count = 0;
    RecordingSink sink;

    int read(const QByteArray &json)
    {
        count = 0;
        sink = RecordingSink();
        sink.countToWatch = &count;
        return ReadJsonFluxDocument(json, count, sink);
    }

private Q_SLOTS:
    void init();
    void failures_data();
    void failures();
    void missingFile();
    void oneEntryAsRead();
    void atMostNinetyEntries();
    void unusualDetails();
    void entryWithoutDetailsKeepsOldFluxes();
    void textsAreCutOnUtf8Boundaries();
    void displayTimes_data();
    void displayTimes();
    void quietWhenVerboseLoggingIsOff();
    void randomDocumentsKeepTheStoreSound();
};

void JsonReaderTest::init()
{
    ResetObservationStore(count);
    VerboseLogging = 1;
}

void JsonReaderTest::failures_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("invalid") << QByteArray("[{\"common_name\": ")
                             << QStringList{"Failed to create JSON document"};
    QTest::newRow("empty text") << QByteArray() << QStringList{"Failed to create JSON document"};
    QTest::newRow("not an array") << QByteArray("{\"common_name\": \"Learmonth\"}")
                                  << QStringList{"JSON document is not an array"};
    QTest::newRow("empty array") << QByteArray("[]")
                                 << QStringList{"Solar Flux Data array contains  0  items",
                                                "JSON array is empty"};
}

void JsonReaderTest::failures()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, log);
    MessageCapture capture;
    QCOMPARE(read(json), -1);
    QCOMPARE(capture.lines(), log);
    QCOMPARE(count, 0);
    QVERIFY(sink.itemTexts.isEmpty());
    QCOMPARE(ObservationRecords[0].name[0], '\0');
}

void JsonReaderTest::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("solar-radio-flux.json");
    MessageCapture capture;
    QCOMPARE(ReadJsonFluxFile(path, count, sink), -1);
    QCOMPARE(capture.lines(), QStringList{"Could not open " + path});

    QVERIFY(WriteFile(path, documentOf({entry("Learmonth", "2024-10-14T04:00:00", {})})));
    QCOMPARE(ReadJsonFluxFile(path, count, sink), 0);
    QCOMPARE(count, 1);
}

void JsonReaderTest::oneEntryAsRead()
{
    const QJsonArray details = {
        detail(245, 14, "Good"),   detail(410, 38, "Good"),   detail(610, 52, "Good"),
        detail(1415, 66, "Good"),  detail(2695, 95, "Good"),  detail(2800, 101, "Good"),
        detail(4995, 142, "Good"), detail(8800, 262, "Good"), detail(15400, 568, "Fair")};
    MessageCapture capture;
    QCOMPARE(read(documentOf({entry("Learmonth", "2024-10-14T04:00:00", details)})), 0);
    QCOMPARE(count, 1);
    QCOMPARE(sink.itemTexts, QStringList{"Learmonth   2024 Oct 14 0400 UTC"});
    QCOMPARE(sink.countsSeen, QList<int>{0});

    const ObservationRecord &record = ObservationRecords[0];
    QCOMPARE(QByteArray(record.name), QByteArray("Learmonth"));
    QCOMPARE(QByteArray(record.timeText), QByteArray("2024-10-14T04:00:00"));
    const QList<int> expected = {14, 38, 52, 66, 95, -1, 142, 262, 568};
    for (int k = 0; k < StationFrequencyCount; ++k)
        QCOMPARE(record.slots[k].flux, expected[k]);
    QCOMPARE(QByteArray(record.slots[8].quality), QByteArray("Fair"));
    QCOMPARE(record.slots[5].quality[0], '\0');

    const QStringList lines = capture.lines();
    QCOMPARE(lines.value(0), QStringLiteral("Solar Flux Data array contains  1  items"));
    QCOMPARE(lines.value(1),
             QStringLiteral("Common Name:  \"Learmonth\"  Time:  \"2024-10-14T04:00:00\""));
    QCOMPARE(lines.value(2), QStringLiteral("Details array contains  9  items"));
    QCOMPARE(lines.value(3), QStringLiteral("Frequency:  245  Flux:  14  Quality:  \"Good\""));
    QCOMPARE(lines.value(12), QStringLiteral("Common Name: Learmonth Time: 2024-10-14T04:00:00"));
    QCOMPARE(lines.value(21), QStringLiteral("freq: 15400 flux:  568 quality: Fair"));
    QCOMPARE(lines.size(), 22);
}

void JsonReaderTest::atMostNinetyEntries()
{
    QJsonArray entries;
    for (int i = 0; i < 100; ++i)
        entries.append(entry(QStringLiteral("Station %1").arg(i), "2024-10-14T04:00:00",
                             {detail(245, i + 1, "Good")}));
    MessageCapture capture;
    QCOMPARE(read(documentOf(entries)), 0);
    QCOMPARE(count, 90);
    QCOMPARE(sink.itemTexts.size(), 90);
    QCOMPARE(sink.itemTexts.last(), QStringLiteral("Station 89  2024 Oct 14 0400 UTC"));
    QCOMPARE(ObservationRecords[89].slots[0].flux, 90);
    QVERIFY(capture.contains("Solar Flux Data array contains  100  items"));
}

void JsonReaderTest::unusualDetails()
{
    ObservationRecords[0].slots[5].flux = 101; // left by an earlier text read
    const QJsonArray details = {detail(245, 14.5, "Good"),
                                QJsonObject{{"frequency", 410}},
                                detail(610, QJsonValue::Null, "Good"),
                                detail("1415", 66, "Good"),
                                detail(2695, 90, "Early"),
                                detail(2695, 95, "Late"),
                                detail(2800, 500, "Good"),
                                detail(4995, "142", "Good"),
                                QJsonValue(17),
                                detail(8800, 1e12, "Huge")};
    QCOMPARE(read(documentOf({entry("Palehua", "2024-10-14T23:00:00", details)})), 0);
    const ObservationRecord &record = ObservationRecords[0];
    QCOMPARE(record.slots[0].flux, 0);  // fractional
    QCOMPARE(record.slots[1].flux, 0);  // missing
    QCOMPARE(record.slots[2].flux, 0);  // null
    QCOMPARE(record.slots[3].flux, -1); // a string frequency is ignored
    QCOMPARE(record.slots[4].flux, 95); // the later detail wins
    QCOMPARE(QByteArray(record.slots[4].quality), QByteArray("Late"));
    QCOMPARE(record.slots[5].flux, 101); // 2800 MHz is never written
    QCOMPARE(record.slots[6].flux, 0);   // a string flux
    QCOMPARE(record.slots[7].flux, 0);   // not a 32-bit whole number
    QCOMPARE(record.slots[8].flux, -1);
}

void JsonReaderTest::entryWithoutDetailsKeepsOldFluxes()
{
    QJsonArray entries = {
        QJsonObject{{"common_name", "San Vito"}, {"time_tag", "2024-10-14T10:00:00"}},
        QJsonValue("not an object")};
    QCOMPARE(read(documentOf(entries)), 0);
    QCOMPARE(count, 2);
    QCOMPARE(sink.itemTexts.first(), QStringLiteral("San Vito    2024 Oct 14 1000 UTC"));
    for (const FrequencySlot &slot : ObservationRecords[0].slots)
        QCOMPARE(slot.flux, -1);
    QCOMPARE(ObservationRecords[1].name[0], '\0');
}

void JsonReaderTest::textsAreCutOnUtf8Boundaries()
{
    const QString dash = QString::fromUtf8("Uncertain \xe2\x80\x93 unknown cause");
    const QString longQuality = dash + " and more";                         // 36 bytes
    const QString longName = QStringLiteral("Learmonth Solar Observatory"); // 27 characters
    const QString cutName = QString(30, QLatin1Char('N')) + QString::fromUtf8("\xc3\xa9");
    QJsonArray entries = {entry(longName, "2024-10-14T04:00:00",
                                {detail(245, 14, dash), detail(410, 38, longQuality)}),
                          entry(cutName, "2024-10-14T04:00:00", {})};
    QCOMPARE(read(documentOf(entries)), 0);
    QCOMPARE(QString::fromUtf8(ObservationRecords[0].slots[0].quality), dash);
    const QByteArray cut = ObservationRecords[0].slots[1].quality;
    QVERIFY(cut.size() <= 31);
    QVERIFY(longQuality.toUtf8().startsWith(cut));
    QCOMPARE(QString::fromUtf8(cut).toUtf8(), cut);                  // valid UTF-8 throughout
    QCOMPARE(sink.itemTexts[0], longName + " 2024 Oct 14 0400 UTC"); // shown whole
    QCOMPARE(QByteArray(ObservationRecords[1].name), QByteArray(30, 'N'));
}

void JsonReaderTest::displayTimes_data()
{
    QTest::addColumn<QString>("timeTag");
    QTest::addColumn<QString>("shown");
    QTest::newRow("iso") << "2024-10-14T04:00:00"
                         << "2024 Oct 14 0400 UTC";
    QTest::newRow("december") << "2023-12-31 23:59"
                              << "2023 Dec 31 2359 UTC";
    QTest::newRow("short") << "2024-10"
                           << "2024-10";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("month 13") << "2024-13-14T04:00:00.000000Z"
                              << "2024-13-14T04:00:00.";
    QTest::newRow("month 00") << "2024-00-14T04:00:00"
                              << "2024-00-14T04:00:00";
    QTest::newRow("month not a number") << "2024-xx-14T04:00:00"
                                        << "2024-xx-14T04:00:00";
    QTest::newRow("non-ASCII inside") << QString::fromUtf8("2024-10-14T\xc3\xa9\xc3\xa9:00")
                                      << QString::fromUtf8("2024-10-14T\xc3\xa9\xc3\xa9:00");
}

void JsonReaderTest::displayTimes()
{
    QFETCH(QString, timeTag);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromUtf8(DisplayTimeFromTag(timeTag.toUtf8().constData())), shown);
    QCOMPARE(read(documentOf({entry("Sag Hill", timeTag, {})})), 0);
    QCOMPARE(sink.itemTexts.first(), QStringLiteral("Sag Hill    ") + shown);
    QCOMPARE(QString::fromUtf8(ObservationRecords[0].timeText), timeTag.left(31));
}

void JsonReaderTest::quietWhenVerboseLoggingIsOff()
{
    VerboseLogging = 0;
    MessageCapture capture;
    QCOMPARE(
        read(documentOf({entry("Learmonth", "2024-10-14T04:00:00", {detail(245, 14, "Good")})})),
        0);
    QCOMPARE(capture.lines(), QStringList{"Solar Flux Data array contains  1  items"});
    QCOMPARE(ObservationRecords[0].slots[0].flux, 14);
}

void JsonReaderTest::randomDocumentsKeepTheStoreSound()
{
    QRandomGenerator random(1014);
    const QByteArray base =
        documentOf({entry("Learmonth", "2024-10-14T04:00:00",
                          {detail(245, 14, "Good"), detail(410, 38, "Fair")}),
                    entry("Penticton", "2024-10-14T20:00:00", {detail(2695, 95, "Good")})});
    VerboseLogging = 0;
    MessageCapture quiet;
    for (int round = 0; round < 500; ++round) {
        QByteArray mutated = base;
        for (int e = 0, edits = 1 + int(random.bounded(6)); e < edits; ++e)
            mutated[int(random.bounded(mutated.size()))] = char(random.bounded(256));
        ResetObservationStore(count);
        const int result = read(mutated);
        QVERIFY(result == 0 || result == -1);
        QVERIFY(count <= 2);
        QCOMPARE(sink.itemTexts.size(), count);
        for (int i = 0; i < count; ++i)
            QVERIFY(std::memchr(ObservationRecords[i].timeText, 0, FixedTextSize));
    }
}

QTEST_GUILESS_MAIN(JsonReaderTest)
#include "tst_jsonreader.moc"
