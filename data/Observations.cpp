// SPDX-License-Identifier: MIT
#include "data/Observations.h"

#include "data/JsonFluxReader.h"
#include "data/PrintableText.h"
#include "data/Stations.h"
#include "data/TextFluxReader.h"

#include <QBuffer>
#include <QCborArray>
#include <QCborMap>
#include <QDateTime>
#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

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

// "2024-10-14T04:00:00Z", or empty for an invalid time.
QString isoUtc(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid() || date.year() < 0 || date.year() > 9999)
        return QString();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year(), date.month(),
                  date.day(), time.hour(), time.minute(), time.second());
    return QString::fromLatin1(text);
}

// The dates a text product gives its columns, read once for all of them.
struct ProductDates
{
    ProductDates(const QByteArray &issued, const QByteArray &tableDate)
        : table(productDateTime(tableDate, false)), issue(productDateTime(issued, true))
    {
    }
    QDateTime table;
    QDateTime issue;
};

QString columnTimeUtc(const ProductDates &dates, const QByteArray &columnTime)
{
    const QTime time(columnTime.left(2).toInt(), columnTime.mid(2, 2).toInt());
    if (dates.table.isValid())
        return isoUtc(dates.table.date(), time);
    if (!dates.issue.isValid())
        return QString();
    const int daysBack = time > dates.issue.time() ? 1 : 0;
    return isoUtc(dates.issue.date().addDays(-daysBack), time);
}

// A tag of the shape "2024-10-14T04:00:00" (more may follow) as UTC, when its
// date and time are valid.
std::optional<QString> plainTagTimeUtc(const QByteArray &tag)
{
    static constexpr char Shape[] = "dddd-dd-ddTdd:dd:dd";
    if (tag.size() < qsizetype(sizeof Shape - 1))
        return std::nullopt;
    for (std::size_t i = 0; i + 1 < sizeof Shape; ++i)
        if (Shape[i] == 'd' ? (tag[i] < '0' || tag[i] > '9') : tag[i] != Shape[i])
            return std::nullopt;
    const auto field = [&tag](int at, int digits) {
        int value = 0;
        for (int i = at; i < at + digits; ++i)
            value = value * 10 + (tag[i] - '0');
        return value;
    };
    const QDate date(field(0, 4), field(5, 2), field(8, 2));
    const QTime time(field(11, 2), field(14, 2), field(17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return isoUtc(date, time);
}

QString printable(const QString &text)
{
    return ReplacedControls(text.trimmed());
}

// What the window's list shows as a column's time: the issue date's first 12
// bytes (blanks in place of a character the cut would split) and the column's
// time; a shorter issue date ends the text, as the list's zero bytes end it.
QByteArray listedColumnTime(const QByteArray &issued, const char *columnTime)
{
    const qsizetype cut = std::min(issued.size(), IssueDatePartBytes);
    const auto kept = qsizetype(
        Utf8PrefixLength(issued.constData(), std::size_t(issued.size()), IssueDatePartBytes));
    const QByteArray date = issued.left(kept) + QByteArray(cut - kept, ' ');
    return cut < IssueDatePartBytes ? date : date + columnTime;
}

WrittenFigure writtenCell(int row, int column)
{
    const int cell = IndicesGrid[row][column];
    if (cell == MissingValue)
        return {StationFrequencies[row], std::nullopt, QString()};
    return {StationFrequencies[row], double(cell), QString()};
}

// A number written as a flux is one when it is finite and not below 0.
std::optional<double> detailFlux(const std::optional<double> &number)
{
    if (!number || !std::isfinite(*number) || *number < 0)
        return std::nullopt;
    return number;
}

QList<ObservedFlux> cellFluxes(const QList<WrittenFigure> &cells)
{
    QList<ObservedFlux> fluxes;
    for (const WrittenFigure &cell : cells)
        if (const std::optional<double> sfu = detailFlux(cell.number))
            fluxes << ObservedFlux{cell.mhz, sfu, QString()};
    return fluxes;
}

// The number at a key as written, read in place: a JSON number, or absent.
std::optional<double> writtenNumber(const QCborMap &map, QLatin1String key)
{
    const QCborMap::ConstIterator found = map.constFind(key);
    if (found == map.constEnd())
        return std::nullopt;
    const QCborValueConstRef value = found.value();
    if (value.isInteger())
        return double(value.toInteger());
    if (value.isDouble())
        return value.toDouble();
    return std::nullopt;
}

// Quality texts repeat from detail to detail and from entry to entry ("Good"):
// each new one is converted once, and the details share its text.
class QualityTexts
{
public:
    const QString &of(const QCborValue &quality)
    {
        if (quality != last) {
            last = quality;
            text = quality.toString();
        }
        return text;
    }

private:
    QCborValue last;
    QString text;
};

// The entry's details as written.
QList<WrittenFigure> writtenDetails(const QCborArray &details, QualityTexts &qualities)
{
    QList<WrittenFigure> figures;
    figures.reserve(details.size());
    for (const QCborValue &value : details) {
        const QCborMap detail = value.toMap();
        figures << WrittenFigure{WholeNumber(writtenNumber(detail, QLatin1String("frequency"))),
                                 writtenNumber(detail, QLatin1String("flux")),
                                 qualities.of(detail.value(QLatin1String("observed_quality")))};
    }
    return figures;
}

// The entry's figures at whole positive frequencies, the last one of a frequency
// given twice standing in the place of the first.
QList<ObservedFlux> entryFluxes(const QList<WrittenFigure> &details)
{
    QList<ObservedFlux> fluxes;
    fluxes.reserve(details.size());
    for (const WrittenFigure &detail : details) {
        if (detail.mhz < 1 || detail.mhz > HighestFrequencyMHz)
            continue;
        const ObservedFlux flux{detail.mhz, detailFlux(detail.number), printable(detail.quality)};
        auto same = std::find_if(fluxes.begin(), fluxes.end(),
                                 [&flux](const ObservedFlux &f) { return f.mhz == flux.mhz; });
        if (same != fluxes.end())
            *same = flux;
        else
            fluxes << flux;
    }
    return fluxes;
}

WrittenObservation writtenEntry(const QCborMap &entry, QualityTexts &qualities)
{
    return {entry.value(QLatin1String("common_name")).toString(),
            entry.value(QLatin1String("time_tag")).toString(),
            writtenDetails(entry.value(QLatin1String("details")).toArray(), qualities)};
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

QList<Observation> ReadTextObservations(const QByteArray &product, QByteArray *issuedText,
                                        QByteArray *tableDateText)
{
    QByteArray bytes = product;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray tableDate;
    const QByteArray issued = ReadIndicesTable(buffer, &tableDate);
    const QByteArray date = issued.left(qsizetype(
        Utf8PrefixLength(issued.constData(), std::size_t(issued.size()), IssueDatePartBytes)));
    const ProductDates dates(issued, tableDate);
    QList<Observation> observations;
    for (int column = 1; column < IndicesGridColumns; ++column) {
        const StationColumn &station = StationColumns[column - 1];
        Observation observation;
        observation.written = {QString::fromLatin1(station.name),
                               QString::fromLatin1(listedColumnTime(issued, station.time)),
                               {}};
        for (int row = 0; row < StationFrequencyCount; ++row)
            observation.written.figures << writtenCell(row, column);
        const QList<WrittenFigure> &cells = observation.written.figures;
        if (std::none_of(cells.begin(), cells.end(),
                         [](const WrittenFigure &f) { return f.number; }))
            continue;
        observation.station = CanonicalStationName(QString::fromLatin1(station.name));
        observation.timeUtc = columnTimeUtc(dates, station.time);
        observation.timeText = printable(date.leftJustified(IssueDatePartBytes) + station.time);
        observation.fluxes = cellFluxes(cells);
        observations << observation;
    }
    if (issuedText)
        *issuedText = issued;
    if (tableDateText)
        *tableDateText = tableDate;
    return observations;
}

std::optional<QList<WrittenObservation>> ReadJsonEntries(const QJsonDocument &document,
                                                         qsizetype count)
{
    if (!document.isArray())
        return std::nullopt;
    // The parsed document is walked in its CBOR form, which Qt shares with it and
    // looks keys up in faster.
    const QCborArray entries = QCborArray::fromJsonArray(document.array());
    const qsizetype read = count < 0 ? entries.size() : std::min(count, entries.size());
    QList<WrittenObservation> written;
    written.reserve(read);
    QualityTexts qualities;
    for (qsizetype i = 0; i < read; ++i)
        written << writtenEntry(entries.at(i).toMap(), qualities);
    return written;
}

QList<Observation> JsonObservations(const QList<WrittenObservation> &entries)
{
    QList<Observation> observations;
    observations.reserve(entries.size());
    for (const WrittenObservation &entry : entries) {
        Observation observation;
        observation.station = CanonicalStationName(printable(entry.name));
        observation.timeUtc = TagTimeUtc(entry.timeText.toUtf8());
        observation.timeText = printable(entry.timeText);
        observation.origin = Origin::Json;
        observation.fluxes = entryFluxes(entry.figures);
        observation.written = entry;
        observations << observation;
    }
    return observations;
}

std::optional<QList<Observation>> ReadJsonObservations(const QByteArray &product)
{
    const std::optional<QList<WrittenObservation>> entries =
        ReadJsonEntries(QJsonDocument::fromJson(JsonProductText(product)));
    if (!entries)
        return std::nullopt;
    return JsonObservations(*entries);
}

QString ColumnTimeUtc(const QByteArray &issued, const QByteArray &tableDate,
                      const QByteArray &columnTime)
{
    return columnTimeUtc(ProductDates{issued, tableDate}, columnTime);
}

QString TagTimeUtc(const QByteArray &timeTag)
{
    // The service's own shape is read field by field, as UTC: Qt would take it as
    // local time and move a time in a daylight-saving gap.
    if (const std::optional<QString> time = plainTagTimeUtc(timeTag))
        return *time;
    const QDateTime local =
        QDateTime::fromString(QString::fromLatin1(timeTag.left(19)), Qt::ISODate);
    return local.isValid() ? isoUtc(local.date(), local.time()) : QString();
}

int WholeNumber(const std::optional<double> &number)
{
    const bool whole = number && *number >= std::numeric_limits<int>::min() &&
                       *number <= std::numeric_limits<int>::max() && *number == std::trunc(*number);
    return whole ? int(*number) : 0;
}

QString QualityFlag(const QString &quality)
{
    const QString words = quality.toLower().simplified();
    for (const char *word : {"burst", "interference", "weather", "good"})
        if (words.contains(QLatin1String(word)))
            return QString::fromLatin1(word);
    return words.contains("unknown") ? QString("unknown cause") : quality.simplified();
}
