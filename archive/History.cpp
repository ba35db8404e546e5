// SPDX-License-Identifier: MIT
#include "archive/History.h"

#include "data/ObservationStore.h"
#include "data/Stations.h"
#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"

#include <QDateTime>
#include <QMap>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr qint64 SecondsPerDay = 86400;

// Days since 1970-01-01 of a time in seconds, rounded down before 1970 too.
qint64 dayOf(qint64 timeS)
{
    return timeS / SecondsPerDay - (timeS % SecondsPerDay < 0);
}
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

constexpr int DefaultHistoryDays = 30;

// A day (YYYY-MM-DD: from its start, or to its end) or an ISO 8601 time, UTC
// unless it names its offset.
std::optional<QDateTime> timeOption(const QString &text, bool endOfDay)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (text.size() == 10 && day.isValid())
        return endOfDay ? QDateTime(day, QTime(23, 59, 59), Qt::UTC)
                        : QDateTime(day, QTime(0, 0), Qt::UTC);
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC();
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
    const auto earlier = [](const HistoryRow &a, const HistoryRow &b) { return a.timeS < b.timeS; };
    if (!std::is_sorted(rows.begin(), rows.end(), earlier)) {
        QList<HistoryRow> sorted = rows;
        std::stable_sort(sorted.begin(), sorted.end(), earlier);
        return DailyMedians(sorted);
    }
    struct Day
    {
        QList<double> values;
        bool observed = false, estimated = false;
    };
    // In time order one day's figures come together: a day at a time, its
    // stations and frequencies in order.
    QMap<std::pair<QString, int>, Day> days;
    qint64 current = 0;
    QList<DailyRow> daily;
    const auto takeMedians = [&days, &current, &daily] {
        for (auto it = days.cbegin(); it != days.cend(); ++it) {
            const Day &day = it.value();
            daily << DailyRow{it.key().first,
                              QDate(1970, 1, 1).addDays(current),
                              it.key().second,
                              Median(day.values),
                              day.values.size(),
                              day.observed && day.estimated ? "mixed"
                              : day.observed                ? "observed"
                                                            : "estimated"};
        }
        days.clear();
    };
    for (const HistoryRow &row : rows) {
        const qint64 dayNumber = dayOf(row.timeS);
        if (dayNumber != current)
            takeMedians();
        current = dayNumber;
        Day &day = days[{row.station, row.mhz}];
        day.values << row.sfu;
        (row.observed ? day.observed : day.estimated) = true;
    }
    takeMedians();
    return daily;
}

HistoryRequest ParseHistoryOptions(const HistoryOptions &options, const QDateTime &now)
{
    const std::optional<QDateTime> from =
        options.from.isEmpty() ? now.addDays(-DefaultHistoryDays) : timeOption(options.from, false);
    const std::optional<QDateTime> to = options.to.isEmpty() ? now : timeOption(options.to, true);
    const std::optional<QList<int>> mhz =
        options.mhz.isEmpty() ? QList<int>(EstimatedDisplays.begin(), EstimatedDisplays.end())
                              : ParseFrequencyList(options.mhz);
    const QStringList seriesNames = {"observed", "adjusted", "ursi"};
    const qsizetype series = seriesNames.indexOf(options.series);
    HistoryRequest request;
    if (!from || !to)
        request.problem =
            "a date is YYYY-MM-DD or an ISO 8601 time: " + (from ? options.to : options.from);
    else if (!mhz)
        request.problem =
            QString("the frequencies are whole MHz from %1 to %2, comma-separated: %3")
                .arg(LowestEstimateMHz)
                .arg(HighestEstimateMHz)
                .arg(options.mhz);
    else if (series < 0)
        request.problem = "unknown series " + options.series + ": observed, adjusted or ursi";
    else {
        request.mhz = *mhz;
        request.selection = {*from, *to,
                             options.station.isEmpty() ? QString()
                                                       : CanonicalStationName(options.station),
                             Series(series), FrequenciesNeeded(*mhz)};
    }
    return request;
}

bool ReadHistory(const HistoryOptions &options, const HistoryRequest &request,
                 QList<HistoryRow> &rows, QString &error)
{
    Archive archive;
    QList<StoredValue> values;
    if (!archive.openToRead(options.database, error)) {
        error = "cannot open the archive " + error;
        return false;
    }
    if (!archive.select(request.selection, values, error)) {
        error = "cannot read the archive: " + error;
        return false;
    }
    rows = HistorySeries(values, request.mhz);
    return true;
}

// Dates and times written by hand: Qt's formatting costs more than the rest of a
// long history's output. Years past 9999 take more digits.
QString IsoDay(QDate day)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year(), day.month(), day.day());
    return QString::fromLatin1(text);
}

QString IsoUtc(qint64 timeS)
{
    const qint64 days = dayOf(timeS);
    const qint64 second = timeS - days * SecondsPerDay;
    char time[40];
    std::snprintf(time, sizeof time, "T%02d:%02d:%02dZ", int(second / 3600), int(second / 60 % 60),
                  int(second % 60));
    return IsoDay(QDate(1970, 1, 1).addDays(days)) + QLatin1String(time);
}
