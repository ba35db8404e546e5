#include "data/JsonFluxReader.h"

#include "data/Products.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextStream>
#include <cstdio>
#include <cstring>

int VerboseLogging = 1;

const std::array<const char *, 12> MonthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

namespace {
constexpr int DisplayTimeFallbackChars = 20;
constexpr std::size_t TimeTagFieldsEnd = 16;

struct JsonSlot
{
    int frequency;
    int slot;
};
constexpr std::array<JsonSlot, 8> JsonFrequencySlots = {
    {{245, 0}, {410, 1}, {610, 2}, {1415, 3}, {2695, 4}, {4995, 6}, {8800, 7}, {15400, 8}}};

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Month number 1-12 from the tag's characters 5-6, or 0 when they are not 01-12.
int monthOfTag(const char *timeTag)
{
    if (!isAsciiDigit(timeTag[5]) || !isAsciiDigit(timeTag[6]))
        return 0;
    const int month = (timeTag[5] - '0') * 10 + (timeTag[6] - '0');
    return month >= 1 && month <= 12 ? month : 0;
}

bool fieldsAreAscii(const char *timeTag)
{
    for (std::size_t i = 0; i < TimeTagFieldsEnd; ++i)
        if (static_cast<unsigned char>(timeTag[i]) >= 0x80)
            return false;
    return true;
}

QByteArray tagCutToFallbackLength(const char *timeTag)
{
    QString tag = QString::fromUtf8(timeTag);
    int keep = qMin(tag.size(), DisplayTimeFallbackChars);
    if (keep < tag.size() && tag.at(keep - 1).isHighSurrogate())
        --keep;
    return tag.left(keep).toUtf8();
}

QByteArray piece(const char *timeTag, int from, int length)
{
    return QByteArray(timeTag + from, length);
}

void readDetails(const QJsonArray &details, ObservationRecord &record)
{
    for (const QJsonValue &value : details) {
        const QJsonObject detail = value.toObject();
        const int frequency = detail.value(QLatin1String("frequency")).toInt(0);
        const int flux = detail.value(QLatin1String("flux")).toInt(0);
        const QString quality = detail.value(QLatin1String("observed_quality")).toString();
        if (VerboseLogging)
            qDebug() << "Frequency: " << frequency << " Flux: " << flux << " Quality: " << quality;
        const int slot = SlotForJsonFrequency(frequency);
        if (slot < 0)
            continue;
        record.slots[slot].flux = flux;
        const QByteArray qualityText = quality.toUtf8();
        WriteFixedText(record.slots[slot].quality, qualityText.constData(), qualityText.size());
    }
}

void readEntry(const QJsonObject &entry, int m, int &observationCount, ObservationSink &sink)
{
    const QString name = entry.value(QLatin1String("common_name")).toString();
    const QString timeTag = entry.value(QLatin1String("time_tag")).toString();
    if (VerboseLogging)
        qDebug() << "Common Name: " << name << " Time: " << timeTag;

    ObservationRecord &record = ObservationRecords[m];
    ClearObservation(record);
    const QByteArray nameText = name.toUtf8();
    const QByteArray tagText = timeTag.toUtf8();
    WriteFixedText(record.name, nameText.constData(), nameText.size());
    WriteFixedText(record.timeText, tagText.constData(), tagText.size());

    const QByteArray displayTime = DisplayTimeFromTag(record.timeText);
    char itemText[2 * FixedTextSize + 16];
    std::snprintf(itemText, sizeof itemText, "%-11s %s", record.name, displayTime.constData());
    PublishRecord(sink, observationCount, itemText);

    const QJsonArray details = entry.value(QLatin1String("details")).toArray();
    if (VerboseLogging)
        qDebug() << "Details array contains " << details.size() << " items";
    readDetails(details, record);
}
} // namespace

int SlotForJsonFrequency(int frequency)
{
    for (const JsonSlot &entry : JsonFrequencySlots)
        if (entry.frequency == frequency)
            return entry.slot;
    return -1;
}

QByteArray DisplayTimeFromTag(const char *timeTag)
{
    if (std::strlen(timeTag) < TimeTagFieldsEnd || !fieldsAreAscii(timeTag))
        return tagCutToFallbackLength(timeTag);
    const int month = monthOfTag(timeTag);
    if (month == 0)
        return tagCutToFallbackLength(timeTag);
    char text[32];
    std::snprintf(text, sizeof text, "%4s %2s %2s %2s%2s UTC", piece(timeTag, 0, 4).constData(),
                  MonthAbbreviations[month - 1], piece(timeTag, 8, 2).constData(),
                  piece(timeTag, 11, 2).constData(), piece(timeTag, 14, 2).constData());
    return QByteArray(text);
}

int ReadJsonFluxDocument(const QByteArray &json, int &observationCount, ObservationSink &sink)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (document.isNull()) {
        qDebug("Failed to create JSON document");
        return -1;
    }
    if (!document.isArray()) {
        qDebug("JSON document is not an array");
        return -1;
    }
    const QJsonArray entries = document.array();
    qDebug() << "Solar Flux Data array contains " << entries.size() << " items";
    if (entries.isEmpty()) {
        qDebug("JSON array is empty");
        return -1;
    }
    for (int m = 0; m < ObservationCapacity && m < entries.size(); ++m)
        readEntry(entries.at(m).toObject(), m, observationCount, sink);
    if (VerboseLogging)
        DumpObservations(observationCount);
    return 0;
}

int ReadJsonFluxFile(const QString &path, int &observationCount, ObservationSink &sink)
{
    QFile file(path);
    if (!OpenProductFile(file)) {
        qDebug("Could not open %s", path.toUtf8().constData());
        return -1;
    }
    return ReadJsonFluxDevice(file, observationCount, sink);
}

int ReadJsonFluxDevice(QIODevice &in, int &observationCount, ObservationSink &sink)
{
    QTextStream stream(&in);
    stream.setEncoding(QStringConverter::Utf8);
    return ReadJsonFluxDocument(stream.readAll().toUtf8(), observationCount, sink);
}
