// SPDX-License-Identifier: MIT
#include "archive/History.h"

#include "data/ObservationStore.h"
#include "flux/BandFlux.h"

#include <QDateTime>
#include <QMap>
#include <algorithm>
#include <cmath>

namespace {
bool isStationFrequency(int mhz)
{
    return std::find(StationFrequencies.begin(), StationFrequencies.end(), mhz) !=
           StationFrequencies.end();
}

// The values of one observation: the same station, time and origin in a row.
struct Group
{
    const StoredValue *first;
    QList<const StoredValue *> values;
};

void appendGroupRows(const Group &group, const QList<int> &mhz, QList<HistoryRow> &rows)
{
    std::array<double, StationFrequencyCount> anchors;
    anchors.fill(std::nan(""));
    for (const StoredValue *value : group.values)
        for (std::size_t k = 0; k < anchors.size(); ++k)
            if (StationFrequencies[k] == value->mhz && value->sfu)
                anchors[k] = *value->sfu;
    for (const int target : mhz) {
        HistoryRow row{group.first->station, group.first->timeS, target, 0, true, QString(),
                       group.first->origin};
        auto observed = std::find_if(group.values.begin(), group.values.end(),
                                     [target](const StoredValue *v) { return v->mhz == target; });
        if (observed != group.values.end() && (*observed)->sfu) {
            row.sfu = *(*observed)->sfu;
            row.quality = (*observed)->quality;
        } else {
            row.sfu = std::round(EstimateFlux(target, anchors));
            row.observed = false;
        }
        if (std::isfinite(row.sfu))
            rows << row;
    }
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
} // namespace

QList<int> FrequenciesNeeded(const QList<int> &mhz)
{
    QList<int> needed;
    for (const int target : mhz) {
        QList<int> wanted = {target};
        if (!isStationFrequency(target))
            for (const int anchor : EstimateAnchors(target))
                wanted << anchor;
        for (const int frequency : wanted)
            if (!needed.contains(frequency))
                needed << frequency;
    }
    return needed;
}

QList<HistoryRow> HistorySeries(const QList<StoredValue> &values, const QList<int> &mhz)
{
    QList<HistoryRow> rows;
    for (qsizetype i = 0; i < values.size();) {
        Group group{&values[i], {}};
        // Values of one time come ordered by station, then frequency; origins may interleave.
        qsizetype end = i;
        while (end < values.size() && values[end].timeS == values[i].timeS &&
               values[end].station == values[i].station)
            ++end;
        QList<Origin> origins;
        for (qsizetype j = i; j < end; ++j)
            if (!origins.contains(values[j].origin))
                origins << values[j].origin;
        for (const Origin origin : origins) {
            group.values.clear();
            for (qsizetype j = i; j < end; ++j)
                if (values[j].origin == origin) {
                    group.first = group.values.isEmpty() ? &values[j] : group.first;
                    group.values << &values[j];
                }
            appendGroupRows(group, mhz, rows);
        }
        i = end;
    }
    return rows;
}

QList<DailyRow> DailyMedians(const QList<HistoryRow> &rows)
{
    struct Day
    {
        QList<double> values;
        bool observed = false, estimated = false;
    };
    QMap<std::tuple<QString, qint64, int>, Day> days;
    for (const HistoryRow &row : rows) {
        Day &day = days[{row.station, row.timeS / 86400 - (row.timeS % 86400 < 0), row.mhz}];
        day.values << row.sfu;
        (row.observed ? day.observed : day.estimated) = true;
    }
    QList<DailyRow> daily;
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        const auto &[station, dayNumber, mhz] = it.key();
        const Day &day = it.value();
        daily << DailyRow{station,
                          QDate(1970, 1, 1).addDays(dayNumber),
                          mhz,
                          median(day.values),
                          day.values.size(),
                          day.observed && day.estimated ? "mixed"
                          : day.observed                ? "observed"
                                                        : "estimated"};
    }
    std::stable_sort(daily.begin(), daily.end(), [](const DailyRow &a, const DailyRow &b) {
        return std::tie(a.day, a.station, a.mhz) < std::tie(b.day, b.station, b.mhz);
    });
    return daily;
}

QString IsoUtc(qint64 timeS)
{
    return QDateTime::fromSecsSinceEpoch(timeS, Qt::UTC).toString("yyyy-MM-ddTHH:mm:ss") + 'Z';
}
