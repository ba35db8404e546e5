// SPDX-License-Identifier: MIT
#include "data/JsonFluxReader.h"

#include "data/Products.h"

#include <QBuffer>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
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

void storeDetails(const QList<WrittenFigure> &details, ObservationRecord &record)
{
    // Qualities repeat from detail to detail: each new one is converted once.
    QString lastQuality;
    QByteArray lastQualityText;
    for (const WrittenFigure &detail : details) {
        const int flux = WholeNumber(detail.number);
        if (VerboseLogging)
            qDebug() << "Frequency: " << detail.mhz << " Flux: " << flux
                     << " Quality: " << detail.quality;
        const int slot = SlotForJsonFrequency(detail.mhz);
        if (slot < 0)
            continue;
        record.slots[slot].flux = flux;
        if (detail.quality != lastQuality) {
            lastQuality = detail.quality;
            lastQualityText = detail.quality.toUtf8();
        }
        WriteFixedText(record.slots[slot].quality, lastQualityText.constData(),
                       std::size_t(lastQualityText.size()));
    }
}

void storeEntry(const WrittenObservation &entry, int m, int &observationCount,
                ObservationSink &sink)
{
    if (VerboseLogging)
        qDebug() << "Common Name: " << entry.name << " Time: " << entry.timeText;

    ObservationRecord &record = ObservationRecords[m];
    ClearObservation(record);
    const QByteArray nameText = entry.name.toUtf8();
    const QByteArray tagText = entry.timeText.toUtf8();
    WriteFixedText(record.name, nameText.constData(), std::size_t(nameText.size()));
    WriteFixedText(record.timeText, tagText.constData(), std::size_t(tagText.size()));

    PublishRecord(sink, observationCount, record.name,
                  DisplayTimeFromTag(record.timeText).constData());

    if (VerboseLogging)
        qDebug() << "Details array contains " << entry.figures.size() << " items";
    storeDetails(entry.figures, record);
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
                         QList<Observation> *read)
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
    const qsizetype entries = document.array().size();
    // As the debug stream spaces "Solar Flux Data array contains ", the count and " items".
    qDebug("Solar Flux Data array contains  %lld  items", static_cast<long long>(entries));
    // The store keeps the first entries only: the others are read when asked for.
    const QList<WrittenObservation> written =
        *ReadJsonEntries(document, read ? -1 : ObservationCapacity);
    if (read)
        *read = JsonObservations(written);
    if (entries == 0) {
        qDebug("JSON array is empty");
        return -1;
    }
    for (int m = 0; m < ObservationCapacity && m < written.size(); ++m)
        storeEntry(written[m], m, observationCount, sink);
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
                       QList<Observation> *read)
{
    return ReadJsonFluxDocument(JsonProductText(in.readAll()), observationCount, sink, read);
}

bool IsJsonArrayProduct(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(JsonProductText(bytes)).isArray();
}
