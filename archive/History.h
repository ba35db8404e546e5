// SPDX-License-Identifier: MIT
#pragma once

#include "archive/Archive.h"

#include <QDate>
#include <QList>
#include <QString>

// One figure of the series: a station's value at a chosen frequency at one time,
// observed there or estimated from the same observation's anchors.
struct HistoryRow
{
    QString station;
    qint64 timeS = 0;
    int mhz = 0;
    double sfu = 0;
    bool observed = false;
    QString quality;
    Origin origin = Origin::Text;
};
Q_DECLARE_TYPEINFO(HistoryRow, Q_RELOCATABLE_TYPE);

// One station's figures of a UTC day at a frequency: their median and how many.
struct DailyRow
{
    QString station;
    QDate day;
    int mhz = 0;
    double sfu = 0;
    qsizetype count = 0;
    QString source; // "observed", "estimated", or "mixed"
};
Q_DECLARE_TYPEINFO(DailyRow, Q_RELOCATABLE_TYPE);

// The frequencies whose values the series at `mhz` need: the chosen ones and the
// anchors of those no station observes.
QList<int> FrequenciesNeeded(const QList<int> &mhz);

// The series at the chosen frequencies from stored values in time order: per
// observation (station, time and origin), the value observed at a chosen
// frequency, or else the window's log-log estimate rounded to a whole sfu; a
// frequency with neither gives no row.
QList<HistoryRow> HistorySeries(const QList<StoredValue> &values, const QList<int> &mhz);

// The series as one median per station, UTC day and frequency.
QList<DailyRow> DailyMedians(const QList<HistoryRow> &rows);

// The selection options as corvaline-report and corvaline-plot take them, as
// given on the command line: an empty text for an option not given.
struct HistoryOptions
{
    QString database, from, to, station, mhz, series = "observed";
};

// What the options ask for: the selection and the chosen frequencies (the 20
// targets of the window by default, the last 30 days up to `now`); or, in
// `problem`, why they cannot be read.
struct HistoryRequest
{
    Selection selection;
    QList<int> mhz;
    QString problem;
};
HistoryRequest ParseHistoryOptions(const HistoryOptions &options, const QDateTime &now);

// Opens the archive that the options name and reads the series the request
// selects; false with the reason in `error`.
bool ReadHistory(const HistoryOptions &options, const HistoryRequest &request,
                 QList<HistoryRow> &rows, QString &error);

// ISO 8601 UTC of seconds since 1970: "2024-10-14T04:00:00Z".
QString IsoUtc(qint64 timeS);
// ISO 8601 of a date: "2024-10-14".
QString IsoDay(QDate day);
