// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"

#include <QByteArrayList>
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

const QByteArray Seed = IndicesProduct(), T = "2024-10-14T04:00:00";
inline QByteArray changed(const QByteArray &from, const QByteArray &to)
{
    return QByteArray(Seed).replace(from, to);
}

// An array of one entry; details as "frequency:flux:quality ..." or as raw JSON.
inline QByteArray entry(const QByteArray &name, const QByteArray &tag,
                        const QByteArray &details = "")
{
    QByteArrayList objects;
    for (const QByteArray &detail :
         details.startsWith('{') ? QByteArrayList() : details.split(' ')) {
        const QByteArrayList f = detail.split(':');
        if (f.size() > 1)
            objects << "{\"frequency\":" + f[0] + ",\"flux\":" + f[1] + ",\"observed_quality\":\"" +
                           f.value(2) + "\"}";
    }
    return "[{\"common_name\":\"" + name + "\",\"time_tag\":\"" + tag + "\",\"details\":[" +
           (objects.isEmpty() ? details : objects.join(',')) + "]}]";
}

const QByteArray Paths[] = {"/text/current-space-weather-indices.txt",
                            "/json/solar-radio-flux.json"};
// Learmonth at 30 and San Vito at 31 sfu at 245 MHz, no other stations; and
// the JSON seed: Palehua with all nine frequencies, Penticton with 245 MHz.
const QByteArray Products[] = {IndicesProduct("2024 Oct 15 0530 UTC")
                                   .replace("14     15     -1     17     18     19     20",
                                            "30     31     -1     -1     -1     -1     -1"),
                               SeedProduct("json_reader/product.json")};
const QByteArray New = Products[0];
const QByteArray Hundred = "[" + QByteArray("{\"common_name\":\"S\"},").repeated(90) +
                           QByteArray("{\"common_name\":\"X\"},").repeated(9) + "[]]";
