#pragma once

#include "data/ObservationStore.h"

#include <QFile>
#include <QStringList>

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The fuzzers' seed products: the text product, whose Learmonth column is the
// worked example, and a JSON product of Palehua (all nine) and Penticton (245 MHz).
inline QByteArray SeedProduct(const char *name)
{
    return ReadFile(QStringLiteral(CORVALINE_SOURCE_DIR "/fuzz/corpus/") + name);
}
inline QByteArray IndicesProduct(const QByteArray &issued = "2024 Oct 14 0530 UTC")
{
    return SeedProduct("text_reader/product.txt").replace("2024 Oct 14 0530 UTC", issued);
}

// Collects every debug message while it lives.
struct MessageCapture
{
    static inline QStringList lines;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &line) { lines << line; });
    MessageCapture() { lines.clear(); }
    ~MessageCapture() { qInstallMessageHandler(previous); }
};

// The item texts a reader announces; item i must come while the count is still i.
struct RecordingSink : ObservationSink
{
    explicit RecordingSink(const int *count) : count(count) {}
    void appendObservationItem(int index, const char *text) override
    {
        inOrder = inOrder && index == items.size() && *count == index;
        items << QString::fromUtf8(text);
    }
    const int *count;
    QStringList items;
    bool inOrder = true;
};

// Fluxes as text, "14 38 52 66 95 101 142 262 568", slot 0 first.
inline ObservationRecord RecordWith(const QString &fluxes)
{
    ObservationRecord record{};
    const QStringList values = fluxes.split(' ');
    for (int k = 0; k < StationFrequencyCount; ++k)
        record.slots[k] = {StationFrequencies[k], values.value(k, "-1").toInt(), {}};
    return record;
}

// The fluxes, then the qualities: "14 38 ... 568|Good|Good||...".
inline QString ObservationOf(const ObservationRecord &record)
{
    QStringList fluxes, qualities;
    for (const FrequencySlot &slot : record.slots) {
        fluxes << QString::number(slot.flux);
        qualities << QString::fromUtf8(slot.quality);
    }
    return fluxes.join(' ') + '|' + qualities.join('|');
}
