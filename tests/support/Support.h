// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"

#include <QFile>
#include <QRegularExpression>
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

// The fuzzers' seeds: a text product whose Learmonth column is the worked example,
// and a JSON product of Palehua (all nine frequencies) and Penticton (245 MHz).
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

// The item texts a reader announces, without trailing blanks; item i must come
// while the count is still i.
struct RecordingSink : ObservationSink
{
    explicit RecordingSink(const int *count) : count(count) {}
    void appendObservationItem(int index, const char *text) override
    {
        inOrder = inOrder && index == items.size() && *count == index;
        items << QString::fromUtf8(text).remove(QRegularExpression(" +$"));
    }
    const int *count;
    QStringList items;
    bool inOrder = true;
};

// A record from its fluxes, "14 38 52 66 95 101 142 262 568"; missing ones are -1.
inline ObservationRecord RecordWith(const QString &fluxes)
{
    ObservationRecord record{};
    const QStringList values = fluxes.split(' ');
    for (int k = 0; k < StationFrequencyCount; ++k)
        record.slots[k] = {StationFrequencies[k], values.value(k, "-1").toInt(), {}};
    return record;
}
