// SPDX-License-Identifier: MIT
#include "archive/FluxTable.h"

#include <QDateTime>
#include <cmath>

namespace {
constexpr int FieldCount = 7;
constexpr int ObservedField = 4; // then adjusted and URSI
constexpr int PentictonMHz = 2800;

std::optional<double> fluxOf(const QByteArray &field)
{
    bool number = false;
    const double sfu = field.toDouble(&number);
    if (!number || !std::isfinite(sfu) || sfu < 0)
        return std::nullopt;
    return sfu;
}

// "20041028" and "170000" as a UTC time, or an invalid one; an impossible time
// of day is not taken for midnight.
QDateTime measurementTime(const QByteArray &date, const QByteArray &time)
{
    const QTime clock = QTime::fromString(QString::fromLatin1(time), "HHmmss");
    if (date.size() != 8 || time.size() != 6 || !clock.isValid())
        return QDateTime();
    return QDateTime(QDate::fromString(QString::fromLatin1(date), "yyyyMMdd"), clock, Qt::UTC);
}

void appendMeasurement(const QList<QByteArray> &fields, QList<Observation> &observations)
{
    const QDateTime time = measurementTime(fields[0], fields[1]);
    if (!time.isValid())
        return;
    for (const Series series : {Series::Observed, Series::Adjusted, Series::Ursi}) {
        Observation observation;
        observation.station = "Penticton";
        observation.timeUtc = time.toString("yyyy-MM-ddTHH:mm:ss") + 'Z';
        observation.timeText = QString::fromLatin1(fields[0] + ' ' + fields[1]);
        observation.origin = Origin::FluxTable;
        observation.series = series;
        const std::optional<double> sfu = fluxOf(fields[ObservedField + int(series)]);
        if (sfu)
            observation.fluxes << ObservedFlux{PentictonMHz, sfu, QString()};
        observations << observation;
    }
}
} // namespace

bool IsFluxTable(const QByteArray &bytes)
{
    return bytes.trimmed().startsWith("fluxdate");
}

std::optional<QList<Observation>> ReadFluxTable(const QByteArray &bytes)
{
    if (!IsFluxTable(bytes))
        return std::nullopt;
    QList<Observation> observations;
    for (const QByteArray &line : bytes.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == FieldCount)
            appendMeasurement(fields, observations);
    }
    return observations;
}
