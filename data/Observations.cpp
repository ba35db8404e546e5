// SPDX-License-Identifier: MIT
#include "data/Observations.h"

#include "data/JsonFluxReader.h"
#include "data/PrintableText.h"
#include "data/Stations.h"
#include "data/TextFluxReader.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace {
constexpr qsizetype IssueDatePartBytes = 12;
constexpr double HighestFrequencyMHz = 1e6;

// "2025 Dec 24" and, when `withTime`, "0530" after it.
QDateTime productDateTime(const QByteArray &text, bool withTime)
{
    static const QRegularExpression pattern(
        "^(\\d{4}) ([A-Z][a-z]{2}) (\\d{1,2})(?: (\\d\\d)(\\d\\d))?");
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    int month = 0;
    while (match.hasMatch() && month < 12 && match.captured(2) != MonthAbbreviations[month])
        ++month;
    const QDate date(match.captured(1).toInt(), month + 1, match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt());
    // An unknown month gives month 13: no valid date.
    if (!match.hasMatch() || (withTime && match.captured(4).isEmpty()))
        return QDateTime();
    return QDateTime(date, withTime ? time : QTime(0, 0), Qt::UTC);
}

QString isoUtc(const QDateTime &time)
{
    return time.isValid() ? time.toString("yyyy-MM-ddTHH:mm:ss") + 'Z' : QString();
}

QString printable(const QString &text)
{
    return ReplacedControls(text.trimmed());
}

// A figure of the text grid; a value below 0 is the table's mark of a missing one.
std::optional<ObservedFlux> gridFlux(int row, int column)
{
    const int value = IndicesGrid[row][column];
    if (value < 0)
        return std::nullopt;
    return ObservedFlux{StationFrequencies[row], double(value), QString()};
}

// A whole positive frequency in MHz, or 0.
int detailFrequency(const QJsonValue &value)
{
    const double mhz = value.toDouble(0);
    return mhz >= 1 && mhz <= HighestFrequencyMHz && mhz == std::floor(mhz) ? int(mhz) : 0;
}

std::optional<double> detailFlux(const QJsonValue &value)
{
    const double sfu = value.toDouble(-1);
    if (!value.isDouble() || !std::isfinite(sfu) || sfu < 0)
        return std::nullopt;
    return sfu;
}

// The entry's figures, the last one of a frequency given twice standing.
QList<ObservedFlux> entryFluxes(const QJsonArray &details)
{
    QList<ObservedFlux> fluxes;
    for (const QJsonValue &value : details) {
        const QJsonObject detail = value.toObject();
        const int mhz = detailFrequency(detail.value("frequency"));
        if (mhz == 0)
            continue;
        const ObservedFlux flux{mhz, detailFlux(detail.value("flux")),
                                printable(detail.value("observed_quality").toString())};
        auto same = std::find_if(fluxes.begin(), fluxes.end(),
                                 [mhz](const ObservedFlux &f) { return f.mhz == mhz; });
        if (same != fluxes.end())
            *same = flux;
        else
            fluxes << flux;
    }
    return fluxes;
}
} // namespace

const char *OriginName(Origin origin)
{
    switch (origin) {
    case Origin::Text:
        return "text";
    case Origin::Json:
        return "json";
    case Origin::FluxTable:
        return "fluxtable";
    }
    return "";
}

const char *SeriesName(Series series)
{
    switch (series) {
    case Series::Observed:
        return "observed";
    case Series::Adjusted:
        return "adjusted";
    case Series::Ursi:
        return "ursi";
    }
    return "";
}

QList<Observation> ReadTextObservations(const QByteArray &product)
{
    QByteArray bytes = product;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray tableDate;
    const QByteArray issued = ReadIndicesTable(buffer, &tableDate);
    const QByteArray date = issued.left(
        qsizetype(Utf8PrefixLength(issued.constData(), std::size_t(issued.size()), 12)));
    QList<Observation> observations;
    for (int column = 1; column < IndicesGridColumns; ++column) {
        const StationColumn &station = StationColumns[column - 1];
        Observation observation;
        observation.station = CanonicalStationName(QString::fromLatin1(station.name));
        observation.timeUtc = ColumnTimeUtc(issued, tableDate, station.time);
        observation.timeText = printable(date.leftJustified(IssueDatePartBytes) + station.time);
        for (int row = 0; row < StationFrequencyCount; ++row)
            if (const std::optional<ObservedFlux> flux = gridFlux(row, column))
                observation.fluxes << *flux;
        if (!observation.fluxes.isEmpty())
            observations << observation;
    }
    return observations;
}

std::optional<QList<Observation>> ReadJsonObservations(const QByteArray &product)
{
    const QJsonDocument document = QJsonDocument::fromJson(JsonProductText(product));
    if (!document.isArray())
        return std::nullopt;
    QList<Observation> observations;
    for (const QJsonValue &value : document.array()) {
        const QJsonObject entry = value.toObject();
        const QString tag = entry.value("time_tag").toString();
        Observation observation;
        observation.station =
            CanonicalStationName(printable(entry.value("common_name").toString()));
        observation.timeUtc = TagTimeUtc(tag.toUtf8());
        observation.timeText = printable(tag);
        observation.origin = Origin::Json;
        observation.fluxes = entryFluxes(entry.value("details").toArray());
        observations << observation;
    }
    return observations;
}

QString ColumnTimeUtc(const QByteArray &issued, const QByteArray &tableDate,
                      const QByteArray &columnTime)
{
    const QTime time(columnTime.left(2).toInt(), columnTime.mid(2, 2).toInt());
    const QDateTime table = productDateTime(tableDate, false);
    if (table.isValid())
        return isoUtc(QDateTime(table.date(), time, Qt::UTC));
    const QDateTime issue = productDateTime(issued, true);
    if (!issue.isValid())
        return QString();
    const int daysBack = time > issue.time() ? 1 : 0;
    return isoUtc(QDateTime(issue.date().addDays(-daysBack), time, Qt::UTC));
}

QString TagTimeUtc(const QByteArray &timeTag)
{
    const QDateTime local =
        QDateTime::fromString(QString::fromLatin1(timeTag.left(19)), Qt::ISODate);
    return local.isValid() ? isoUtc(QDateTime(local.date(), local.time(), Qt::UTC)) : QString();
}

QString QualityFlag(const QString &quality)
{
    const QString words = quality.toLower().simplified();
    for (const char *word : {"burst", "interference", "weather", "good"})
        if (words.contains(QLatin1String(word)))
            return QString::fromLatin1(word);
    return words.contains("unknown") ? QString("unknown cause") : quality.simplified();
}
