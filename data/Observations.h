// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonDocument>
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

// A figure as its product writes it: the frequency as a whole number (0 where
// the product gives none), the flux as the number written (absent where there is
// none: a -1 cell of the text table, a JSON value that is no number) and the
// quality text unchanged.
struct WrittenFigure
{
    int mhz = 0;
    std::optional<double> number;
    QString quality;
};

// An observation in its product's own words, as the window's list keeps it: the
// name and time text as written (the text product's bytes as Latin-1, so that
// every byte comes back), and the figures in the product's order (a text
// column's nine cells; every detail of a JSON entry, a frequency given twice or
// one the list has no slot for included).
struct WrittenObservation
{
    QString name;
    QString timeText;
    QList<WrittenFigure> figures;
};

// An observation as a product gives it: the station by its canonical name, its
// time in ISO 8601 UTC (empty when the product gives no date), the product's own
// time text made printable, every figure it holds in the product's order, and
// the same observation as the product writes it.
struct Observation
{
    QString station;
    QString timeUtc;
    QString timeText;
    Origin origin = Origin::Text;
    Series series = Series::Observed;
    QList<ObservedFlux> fluxes;
    WrittenObservation written;
};

const char *OriginName(Origin origin);
const char *SeriesName(Series series);

// Every column of the text product that holds a value other than -1, in column
// order, dated as ColumnTimeUtc dates it; the reader's grid is left as a read of
// it leaves it. `issued` and `tableDate`, when given, receive the product's issue
// date text and its table's date as ReadIndicesTable gives them.
QList<Observation> ReadTextObservations(const QByteArray &product, QByteArray *issued = nullptr,
                                        QByteArray *tableDate = nullptr);

// The entries of a JSON product in its own words, in the product's order (the
// service lists the newest first), or the first `count` of them; nothing when
// the document is not an array.
std::optional<QList<WrittenObservation>> ReadJsonEntries(const QJsonDocument &document,
                                                         qsizetype count = -1);

// The observations that entries of a JSON product give, in their order.
QList<Observation> JsonObservations(const QList<WrittenObservation> &entries);

// Every entry of a JSON product as an observation; nothing when the product is
// not a JSON array.
std::optional<QList<Observation>> ReadJsonObservations(const QByteArray &product);

// A text product's column time ("1700 UTC") as ISO 8601 UTC, dated by the table's
// own date, or in the older layout without one by the issue date, a column later
// in the day than the issue time belonging to the day before; empty when the
// product gives no date.
QString ColumnTimeUtc(const QByteArray &issued, const QByteArray &tableDate,
                      const QByteArray &columnTime);

// A JSON time tag ("2024-10-14T04:00:00") as ISO 8601 UTC, or empty.
QString TagTimeUtc(const QByteArray &timeTag);

// A number as the window's list reads a JSON number, as QJsonValue::toInt(0)
// does: a whole number in the 32-bit range, else 0.
int WholeNumber(const std::optional<double> &number);

// A quality text by its words: "good", "burst", "interference", "weather",
// "unknown cause", or the text itself when it names none of them.
QString QualityFlag(const QString &quality);
