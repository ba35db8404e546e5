// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One figure of an observation: the flux the product gives at a frequency (a
// number, or absent where the product names the frequency without one) and its
// quality text where the product has one.
struct ObservedFlux
{
    int mhz = 0;
    std::optional<double> sfu;
    QString quality;
};

// Where an observation came from: a product of the service, or the Penticton
// flux table with its three series of the one measurement.
enum class Origin { Text, Json, FluxTable };
enum class Series { Observed, Adjusted, Ursi };

// An observation as a product gives it: the station by its canonical name, its
// time in ISO 8601 UTC (empty when the product gives no date), the product's own
// time text, and every figure it holds, in the product's order.
struct Observation
{
    QString station;
    QString timeUtc;
    QString timeText;
    Origin origin = Origin::Text;
    Series series = Series::Observed;
    QList<ObservedFlux> fluxes;
};

const char *OriginName(Origin origin);
const char *SeriesName(Series series);

// Every column of the text product that holds a value, in column order, dated
// as ColumnTimeUtc dates it; the reader's grid is left as a read of it leaves it.
QList<Observation> ReadTextObservations(const QByteArray &product);

// Every entry of a JSON product, in the product's order (the service lists the
// newest first); nothing when the product is not a JSON array.
std::optional<QList<Observation>> ReadJsonObservations(const QByteArray &product);

// A text product's column time ("1700 UTC") as ISO 8601 UTC, dated by the table's
// own date, or in the older layout without one by the issue date, a column later
// in the day than the issue time belonging to the day before; empty when the
// product gives no date.
QString ColumnTimeUtc(const QByteArray &issued, const QByteArray &tableDate,
                      const QByteArray &columnTime);

// A JSON time tag ("2024-10-14T04:00:00") as ISO 8601 UTC, or empty.
QString TagTimeUtc(const QByteArray &timeTag);

// A quality text by its words: "good", "burst", "interference", "weather",
// "unknown cause", or the text itself when it names none of them.
QString QualityFlag(const QString &quality);
