// Timings of the core: reading both products and computing the 28 display texts.
#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "flux/FluxDisplays.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
class NullSink : public ObservationSink
{
public:
    void appendObservationItem(int, const char *) override {}
};

QByteArray textProduct()
{
    QByteArray text = ":Product: Current Space Weather Indices\n:Issued: 2024 Oct 14 0530 UTC\n";
    for (int i = 0; i < 60; ++i)
        text += "# " + QByteArray(70, '-') + "\n";
    text += ":Solar_Radio_Flux:\n# heading\n# heading\n";
    for (int frequency : StationFrequencies)
        text += QByteArray::number(frequency) + "  14  15  -1  17  18  19  20\n";
    return text;
}

QByteArray jsonProduct()
{
    QJsonArray entries;
    for (int i = 0; i < 90; ++i) {
        QJsonArray details;
        for (int frequency : StationFrequencies)
            details.append(QJsonObject{
                {"frequency", frequency}, {"flux", 50 + i}, {"observed_quality", "Good"}});
        entries.append(QJsonObject{{"common_name", "Learmonth"},
                                   {"time_tag", "2024-10-14T04:00:00"},
                                   {"details", details}});
    }
    return QJsonDocument(entries).toJson();
}
} // namespace

class CoreBenchmark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VerboseLogging = 0;
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    }

    void readTextProduct()
    {
        QByteArray product = textProduct();
        int count = 0;
        NullSink sink;
        QBENCHMARK
        {
            ResetObservationStore(count);
            QBuffer buffer(&product);
            buffer.open(QIODevice::ReadOnly);
            BuildStationRecords(ReadIndicesTable(buffer), count, sink);
        }
        QCOMPARE(count, 6);
    }

    void readJsonProductOf90Entries()
    {
        const QByteArray product = jsonProduct();
        int count = 0;
        NullSink sink;
        QBENCHMARK
        {
            count = 0;
            ReadJsonFluxDocument(product, count, sink);
        }
        QCOMPARE(count, 90);
    }

    void displayTextsOfOneRecord()
    {
        ObservationRecord record{};
        const int fluxes[] = {14, 38, 52, 66, 95, 101, 142, 262, 568};
        for (int k = 0; k < StationFrequencyCount; ++k)
            record.slots[k].flux = fluxes[k];
        QString last;
        QBENCHMARK
        {
            last = FluxDisplayTexts(record).back().text;
        }
        QCOMPARE(last, QStringLiteral("264"));
    }
};

QTEST_APPLESS_MAIN(CoreBenchmark)
#include "bench_core.moc"
