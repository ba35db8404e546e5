// SPDX-License-Identifier: MIT
#include "data/JsonFluxReader.h"

#include "data/Products.h"

#include <QBuffer>
#include <QCborArray>
#include <QCborMap>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTextStream>
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

// The parsed document is read through its CBOR form, which Qt shares with it
// and looks keys up in faster. Numbers go back through QJsonValue, so that a
// fractional or out-of-range number reads as 0, as QJsonValue::toInt gives it.
int jsonInt(const QCborValue &value)
{
    return value.toJsonValue().toInt(0);
}

void readDetails(const QCborArray &details, ObservationRecord &record)
{
    // Qualities repeat from detail to detail: each new one is converted once. An
    // absent quality is undefined, as the first one here, and reads as empty.
    QCborValue lastQuality;
    QByteArray lastQualityText;
    for (const QCborValue &value : details) {
        const QCborMap detail = value.toMap();
        const int frequency = jsonInt(detail.value(QLatin1String("frequency")));
        const int flux = jsonInt(detail.value(QLatin1String("flux")));
        const QCborValue quality = detail.value(QLatin1String("observed_quality"));
        if (VerboseLogging)
            qDebug() << "Frequency: " << frequency << " Flux: " << flux
                     << " Quality: " << quality.toString();
        const int slot = SlotForJsonFrequency(frequency);
        if (slot < 0)
            continue;
        record.slots[slot].flux = flux;
        if (quality != lastQuality) {
            lastQuality = quality;
            lastQualityText = quality.toString().toUtf8();
        }
        WriteFixedText(record.slots[slot].quality, lastQualityText.constData(),
                       lastQualityText.size());
    }
}

void readEntry(const QCborMap &entry, int m, int &observationCount, ObservationSink &sink)
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

    PublishRecord(sink, observationCount, record.name,
                  DisplayTimeFromTag(record.timeText).constData());

    const QCborArray details = entry.value(QLatin1String("details")).toArray();
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
    // "YYYY Mon DD HHMM UTC" from characters 0-3, 8-9, 11-12 and 14-15 of the tag.
    char text[] = "YYYY Mon DD HHMM UTC";
    std::memcpy(text, timeTag, 4);
    std::memcpy(text + 5, MonthAbbreviations[month - 1], 3);
    std::memcpy(text + 9, timeTag + 8, 2);
    std::memcpy(text + 12, timeTag + 11, 2);
    std::memcpy(text + 14, timeTag + 14, 2);
    return QByteArray(text, sizeof text - 1);
}

int ReadJsonFluxDocument(const QByteArray &json, int &observationCount, ObservationSink &sink,
                         qsizetype *entryCount)
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
    if (entryCount)
        *entryCount = entries.size();
    // As the debug stream spaces "Solar Flux Data array contains ", the count and " items".
    qDebug("Solar Flux Data array contains  %lld  items", static_cast<long long>(entries.size()));
    if (entries.isEmpty()) {
        qDebug("JSON array is empty");
        return -1;
    }
    const QCborArray records = QCborArray::fromJsonArray(entries);
    for (int m = 0; m < ObservationCapacity && m < records.size(); ++m)
        readEntry(records.at(m).toMap(), m, observationCount, sink);
    if (VerboseLogging)
        DumpObservations(observationCount);
    return 0;
}

int ReadJsonFluxFile(const QString &path, int &observationCount, ObservationSink &sink)
{
    QByteArray product;
    if (!ReadProductFile(path, product)) {
        qDebug("Could not open %s", path.toUtf8().constData());
        return -1;
    }
    QBuffer buffer(&product);
    buffer.open(QIODevice::ReadOnly);
    return ReadJsonFluxDevice(buffer, observationCount, sink);
}

QByteArray JsonProductText(const QByteArray &bytes)
{
    // Decoding valid UTF-8 and encoding it again gives the same bytes, but for a
    // byte order mark, which the JSON parser skips anyway: only other input needs
    // the text stream's replacements. The stream decodes UTF-8 by default.
    if (QUtf8StringView(bytes).isValidUtf8())
        return bytes;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return QTextStream(&buffer).readAll().toUtf8();
}

int ReadJsonFluxDevice(QIODevice &in, int &observationCount, ObservationSink &sink,
                       qsizetype *entryCount)
{
    return ReadJsonFluxDocument(JsonProductText(in.readAll()), observationCount, sink, entryCount);
}

bool IsJsonArrayProduct(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(JsonProductText(bytes)).isArray();
}
