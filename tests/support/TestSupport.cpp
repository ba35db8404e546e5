#include "support/TestSupport.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex capturedMutex;
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&capturedMutex);
        captured.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&capturedMutex);
    captured.clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previousHandler);
}

QStringList MessageCapture::lines() const
{
    QMutexLocker lock(&capturedMutex);
    return captured;
}

void RecordingSink::appendObservationItem(int index, const char *itemText)
{
    indexes.append(index);
    itemTexts.append(QString::fromUtf8(itemText));
    if (countToWatch)
        countsSeen.append(*countToWatch);
}

ObservationRecord RecordWithFluxes(const QList<int> &fluxes)
{
    ObservationRecord record{};
    for (int k = 0; k < StationFrequencyCount; ++k) {
        record.slots[k].frequency = StationFrequencies[k];
        record.slots[k].flux = k < fluxes.size() ? fluxes[k] : MissingValue;
    }
    return record;
}

ObservationRecord WorkedExampleRecord()
{
    return RecordWithFluxes({14, 38, 52, 66, 95, 101, 142, 262, 568});
}

QByteArray IndicesProduct(const QByteArray &issued, const QList<QByteArray> &rows)
{
    QByteArray text;
    text += ":Product: Current Space Weather Indices    current-space-weather-indices.txt\n";
    text += ":Issued: " + issued + "\n";
    text += "# Prepared by the U.S. Dept. of Commerce, NOAA, Space Weather Prediction Center\n";
    text += "#\n";
    text += ":Solar_Radio_Flux: 10.7 and other frequencies, sfu\n";
    text += "# Freq  Learmonth San_Vito Sag_Hill Penticton Penticton Palehua Penticton\n";
    text += "#  MHz      0400     1000     1700      1700      2000    2300      2300\n";
    for (const QByteArray &row : rows)
        text += row + "\n";
    text += "#\n:Geomagnetic_Indices:\n# Planetary  A   K-indices\n   6  2 1 1 2 2 1 1 2\n";
    return text;
}

QList<QByteArray> StandardFluxRows()
{
    return {
        "  245      14     15     -1     17     18     19     20",
        "  410      38     39     -1     41     42     43     44",
        "  610      52     53     -1     55     56     57     58",
        " 1415      66     67     -1     69     70     71     72",
        " 2695      95     96     -1     98     99    100    101",
        " 2800     101    102     -1    104    105    106    107",
        " 4995     142    143     -1    145    146    147    148",
        " 8800     262    263     -1    265    266    267    268",
        "15400     568    569     -1    571    572    573    574",
    };
}

bool WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
