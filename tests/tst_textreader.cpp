#include "data/TextFluxReader.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

class TextReaderTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int count = 0;
    RecordingSink sink;

    QString productPath() const { return dir.filePath("current-space-weather-indices.txt"); }
    int readProduct(const QByteArray &content);
    int rereadProduct(const QByteArray &content);

private Q_SLOTS:
    void init();
    void storeReset();
    void dumpFormat();
    void fixedTextsAreCutOnUtf8Boundaries();
    void recordsAndItemsOfAProduct();
    void stationsWithout245AreSkipped();
    void irregularRows();
    void secondTableAndLaterIssueDate();
    void productWithoutTableRereadsTheGrid();
    void missingAndEmptyFiles();
    void issueDateVariants_data();
    void issueDateVariants();
    void productMarkerHidesOtherMarkers();
    void longLinesAreReadWhole();
    void windowsLineEnds();
    void tokensOfAnyLength_data();
    void tokensOfAnyLength();
    void randomInputKeepsTheStoreSound();
};

int TextReaderTest::readProduct(const QByteArray &content)
{
    ResetObservationStore(count);
    return rereadProduct(content);
}

int TextReaderTest::rereadProduct(const QByteArray &content)
{
    count = 0;
    sink = RecordingSink();
    sink.countToWatch = &count;
    if (!WriteFile(productPath(), content))
        qFatal("cannot write the product file");
    return ReadTextFluxFile(productPath(), count, sink);
}

void TextReaderTest::init()
{
    QVERIFY(dir.isValid());
    ResetObservationStore(count);
    sink = RecordingSink();
}

void TextReaderTest::storeReset()
{
    IndicesGrid[3][4] = 77;
    ObservationRecords[89].slots[8].flux = 5;
    std::strcpy(ObservationRecords[2].slots[1].quality, "Good");
    count = 12;
    ResetObservationStore(count);
    QCOMPARE(count, 0);
    for (int r = 0; r < StationFrequencyCount; ++r) {
        QCOMPARE(IndicesGrid[r][0], StationFrequencies[r]);
        for (int c = 1; c < IndicesGridColumns; ++c)
            QCOMPARE(IndicesGrid[r][c], -1);
    }
    for (const ObservationRecord &record : ObservationRecords) {
        QCOMPARE(record.name[0], '\0');
        QCOMPARE(record.timeText[0], '\0');
        for (int k = 0; k < StationFrequencyCount; ++k) {
            QCOMPARE(record.slots[k].frequency, StationFrequencies[k]);
            QCOMPARE(record.slots[k].flux, -1);
            QCOMPARE(record.slots[k].quality[0], '\0');
        }
    }
}

void TextReaderTest::dumpFormat()
{
    {
        MessageCapture log;
        DumpObservations(0);
        QVERIFY(log.lines().isEmpty());
    }
    WriteFixedText(ObservationRecords[0].name, "Palehua");
    WriteFixedText(ObservationRecords[0].timeText, "2024-10-14T23:00:00");
    ObservationRecords[0].slots[8].flux = 568;
    WriteFixedText(ObservationRecords[0].slots[8].quality, "Good");
    MessageCapture log;
    DumpObservations(1);
    const QStringList lines = log.lines();
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines[0], QStringLiteral("Common Name: Palehua Time: 2024-10-14T23:00:00"));
    QCOMPARE(lines[1], QStringLiteral("freq:   245 flux:   -1 quality: "));
    QCOMPARE(lines[9], QStringLiteral("freq: 15400 flux:  568 quality: Good"));
}

void TextReaderTest::fixedTextsAreCutOnUtf8Boundaries()
{
    FixedText field;
    const QByteArray ascii(40, 'a');
    WriteFixedText(field, ascii.constData(), ascii.size());
    QCOMPARE(QByteArray(field), QByteArray(31, 'a'));

    // 30 bytes, then a two-byte character that would end at byte 32.
    const QByteArray split = QByteArray(30, 'b') + "\xc3\xa9";
    WriteFixedText(field, split.constData(), split.size());
    QCOMPARE(QByteArray(field), QByteArray(30, 'b'));
    QCOMPARE(field[30], '\0');
    QCOMPARE(field[31], '\0');

    // A dash of three bytes at bytes 29-31 would need 32 bytes: it is dropped whole.
    const QByteArray dash = QByteArray(29, 'c') + "\xe2\x80\x93" + "x";
    WriteFixedText(field, dash.constData(), dash.size());
    QCOMPARE(QByteArray(field), QByteArray(29, 'c'));

    const QByteArray fits = "Uncertain \xe2\x80\x93 unknown cause";
    WriteFixedText(field, fits.constData(), fits.size());
    QCOMPARE(QByteArray(field), fits);
}

void TextReaderTest::recordsAndItemsOfAProduct()
{
    MessageCapture log;
    QCOMPARE(readProduct(IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows())), 0);

    const QStringList expectedItems = {
        "Learmonth   2024 Oct 14 0400 UTC", "San Vito    2024 Oct 14 1000 UTC",
        "Pentiction  2024 Oct 14 1700 UTC", "Pentiction  2024 Oct 14 2000 UTC",
        "Palehua     2024 Oct 14 2300 UTC", "Pentiction  2024 Oct 14 2300 UTC"};
    QCOMPARE(sink.itemTexts, expectedItems);
    QCOMPARE(count, 6);
    // Each item is announced before its record is counted.
    QCOMPARE(sink.indexes, (QList<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(sink.countsSeen, (QList<int>{0, 1, 2, 3, 4, 5}));

    const ObservationRecord &learmonth = ObservationRecords[0];
    QCOMPARE(QByteArray(learmonth.name), QByteArray("Learmonth  "));
    QCOMPARE(QByteArray(learmonth.timeText), QByteArray("2024 Oct 14 0400 UTC"));
    const ObservationRecord example = WorkedExampleRecord();
    for (int k = 0; k < StationFrequencyCount; ++k) {
        QCOMPARE(learmonth.slots[k].flux, example.slots[k].flux);
        QCOMPARE(learmonth.slots[k].frequency, StationFrequencies[k]);
    }
    QCOMPARE(ObservationRecords[5].slots[8].flux, 574);
    QCOMPARE(IndicesGrid[8][0], 15400);
    QCOMPARE(IndicesGrid[0][3], -1);

    const QStringList lines = log.lines();
    QCOMPARE(lines.size(), 6 * 10);
    QCOMPARE(lines[0], QStringLiteral("Common Name: Learmonth   Time: 2024 Oct 14 0400 UTC"));
    QCOMPARE(lines[1], QStringLiteral("freq:   245 flux:   14 quality: "));
    QCOMPARE(lines[59], QStringLiteral("freq: 15400 flux:  574 quality: "));
}

void TextReaderTest::stationsWithout245AreSkipped()
{
    QList<QByteArray> rows = StandardFluxRows();
    rows[0] = "  245      -1      0     -1     -1     -1     -1     -1";
    QCOMPARE(readProduct(IndicesProduct("2024 Oct 14 0530 UTC", rows)), 0);
    QCOMPARE(sink.itemTexts, QStringList{"San Vito    2024 Oct 14 1000 UTC"});
    QCOMPARE(ObservationRecords[0].slots[0].flux, 0);
    QCOMPARE(ObservationRecords[0].slots[1].flux, 39);
}

void TextReaderTest::irregularRows()
{
    QList<QByteArray> rows = StandardFluxRows();
    rows[1] = "  410      38   abc";                              // short row, a word
    rows[2] = "";                                                 // blank row takes row 2
    rows[3] = "  610      52  53  54  55  56  57  58  999  1000"; // now row 3
    QCOMPARE(readProduct(IndicesProduct("2024 Oct 14 0530 UTC", rows)), 0);
    QCOMPARE(IndicesGrid[1][1], 38);
    QCOMPARE(IndicesGrid[1][2], 0);  // a word reads as 0
    QCOMPARE(IndicesGrid[1][3], -1); // beyond the last token: kept from the reset
    QCOMPARE(IndicesGrid[2][0], 610);
    QCOMPARE(IndicesGrid[2][1], -1);  // the blank line left row 2 as it was
    QCOMPARE(IndicesGrid[3][0], 610); // the frequency is taken as the file gives it
    QCOMPARE(IndicesGrid[3][7], 58);  // values after the eighth are ignored
    QCOMPARE(IndicesGrid[4][1], 95);
    QCOMPARE(count, 6);
}

void TextReaderTest::secondTableAndLaterIssueDate()
{
    QList<QByteArray> second = StandardFluxRows();
    second[0] = "  245      -1     77     -1     -1     -1     -1     -1";
    QByteArray product = IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows());
    product += IndicesProduct("2024 Oct 15 0530 UTC", second);
    QCOMPARE(readProduct(product), 0);
    QCOMPARE(sink.itemTexts, QStringList{"San Vito    2024 Oct 15 1000 UTC"});
    QCOMPARE(ObservationRecords[0].slots[0].flux, 77);
}

void TextReaderTest::productWithoutTableRereadsTheGrid()
{
    QCOMPARE(readProduct(IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows())), 0);
    QCOMPARE(rereadProduct(":Issued: 2024 Oct 16 0530 UTC\nnothing else\n"), 0);
    QCOMPARE(count, 6);
    QCOMPARE(sink.itemTexts.first(), QStringLiteral("Learmonth   2024 Oct 16 0400 UTC"));
    QCOMPARE(ObservationRecords[0].slots[8].flux, 568);
}

void TextReaderTest::missingAndEmptyFiles()
{
    QFile::remove(productPath());
    {
        MessageCapture log;
        QCOMPARE(ReadTextFluxFile(productPath(), count, sink), -1);
        QCOMPARE(log.lines(), QStringList{"Could not open SFU datafile"});
    }
    QCOMPARE(count, 0);
    QVERIFY(sink.itemTexts.isEmpty());
    QCOMPARE(IndicesGrid[0][1], -1);

    for (const QByteArray &content : {QByteArray(), QByteArray(":Issued: 2024 Oct 14\n")}) {
        QCOMPARE(readProduct(content), 0);
        QCOMPARE(count, 0);
        QVERIFY(sink.itemTexts.isEmpty());
    }
}

void TextReaderTest::issueDateVariants_data()
{
    QTest::addColumn<QByteArray>("issuedLine");
    QTest::addColumn<QByteArray>("timeText");
    QTest::newRow("complete") << QByteArray(":Issued: 2024 Oct 14 0530 UTC")
                              << QByteArray("2024 Oct 14 0400 UTC");
    QTest::newRow("short date ends the text")
        << QByteArray(":Issued: 2024 Oct") << QByteArray("2024 Oct");
    QTest::newRow("line ends before column 9") << QByteArray(":Issued:") << QByteArray();
    QTest::newRow("marker inside the line")
        << QByteArray("xx:Issued: 2024 Oct 14 0530") << QByteArray(": 2024 Oct 10400 UTC");
    QTest::newRow("multi-byte character at the cut")
        << QByteArray(":Issued: 2024 Oct 14\xc3\xa9 0530 UTC") << QByteArray("2024 Oct 14");
    QTest::newRow("last line without line end keeps its last character")
        << QByteArray("<last>:Issued: 2024 Oct 14") << QByteArray("2024 Oct 14");
}

void TextReaderTest::issueDateVariants()
{
    QFETCH(QByteArray, issuedLine);
    QFETCH(QByteArray, timeText);
    QByteArray product =
        IndicesProduct("unused", StandardFluxRows()).replace(":Issued: unused\n", "");
    if (issuedLine.startsWith("<last>"))
        product += issuedLine.mid(6);
    else
        product = issuedLine + "\n" + product;
    QCOMPARE(readProduct(product), 0);
    QCOMPARE(QByteArray(ObservationRecords[0].timeText), timeText);
    QCOMPARE(ObservationRecords[0].timeText[31], '\0');
}

void TextReaderTest::productMarkerHidesOtherMarkers()
{
    QByteArray product = ":Product: :Issued: 2099 Jan 01 :Solar_Radio_Flux:\n" +
                         IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows());
    QCOMPARE(readProduct(product), 0);
    QCOMPARE(sink.itemTexts.first(), QStringLiteral("Learmonth   2024 Oct 14 0400 UTC"));
}

void TextReaderTest::longLinesAreReadWhole()
{
    QList<QByteArray> rows = StandardFluxRows();
    rows[0] = "  245" + QByteArray(200, ' ') + "14     15     -1     17     18     19     20";
    QByteArray product = IndicesProduct("2024 Oct 14 0530 UTC", rows);
    product.prepend("# " + QByteArray(300, '-') + " 245 1 2 3 4 5 6 7\n");
    QCOMPARE(readProduct(product.replace("# Prepared", "#" + QByteArray(150, '=') + "Prepared")),
             0);
    QCOMPARE(count, 6);
    QCOMPARE(IndicesGrid[0][1], 14);
    QCOMPARE(IndicesGrid[0][7], 20);
    QCOMPARE(IndicesGrid[8][7], 574);
}

void TextReaderTest::windowsLineEnds()
{
    QByteArray product = IndicesProduct("2024 Oct 14", StandardFluxRows());
    product.replace("\n", "\r\n");
    QCOMPARE(readProduct(product), 0);
    QCOMPARE(count, 6);
    // The short issue date shows that "\r" is not kept in it.
    QCOMPARE(QByteArray(ObservationRecords[0].timeText), QByteArray("2024 Oct 14"));
    QCOMPARE(IndicesGrid[8][7], 574);
    QCOMPARE(sink.itemTexts.first(), QStringLiteral("Learmonth   2024 Oct 14"));
}

void TextReaderTest::tokensOfAnyLength_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("568") << 568;
    QTest::newRow("leading zeros") << QByteArray(60, '0') + "14" << 14;
    QTest::newRow("long word") << QByteArray(100, 'x') << 0;
    QTest::newRow("digits then word") << QByteArray("12abc") << 12;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("just above") << QByteArray("2147483648") << -1;
    QTest::newRow("just below") << QByteArray("-2147483649") << -1;
    QTest::newRow("huge") << QByteArray(80, '9') << -1;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("tab before") << QByteArray("\t9") << 9;
}

void TextReaderTest::tokensOfAnyLength()
{
    QFETCH(QByteArray, token);
    QFETCH(int, value);
    QCOMPARE(ParseIntToken(token), value);

    QList<QByteArray> rows = StandardFluxRows();
    rows[4] = " 2695  " + token + "  96";
    QCOMPARE(readProduct(IndicesProduct("2024 Oct 14 0530 UTC", rows)), 0);
    QCOMPARE(IndicesGrid[4][1], value);
    QCOMPARE(IndicesGrid[4][2], 96);
}

void TextReaderTest::randomInputKeepsTheStoreSound()
{
    QRandomGenerator random(20241014);
    const QByteArray base = IndicesProduct("2024 Oct 14 0530 UTC", StandardFluxRows());
    MessageCapture quiet;
    for (int round = 0; round < 300; ++round) {
        QByteArray mutated = base;
        const int edits = 1 + int(random.bounded(40));
        for (int e = 0; e < edits; ++e) {
            const int at = int(random.bounded(mutated.size()));
            const char byte = char(random.bounded(256));
            if (random.bounded(2))
                mutated[at] = byte;
            else
                mutated.insert(at, QByteArray(int(random.bounded(200)), byte));
        }
        ResetObservationStore(count);
        RecordingSink randomSink;
        QBuffer buffer(&mutated);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        BuildStationRecords(ReadIndicesTable(buffer), count, randomSink);
        QVERIFY(count <= 7);
        QCOMPARE(randomSink.itemTexts.size(), count);
        for (int i = 0; i < count; ++i) {
            QVERIFY(std::memchr(ObservationRecords[i].timeText, 0, FixedTextSize));
            QVERIFY(std::memchr(ObservationRecords[i].name, 0, FixedTextSize));
        }
    }
}

QTEST_GUILESS_MAIN(TextReaderTest)
#include "tst_textreader.moc"
