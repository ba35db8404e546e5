// SPDX-License-Identifier: MIT
// Alerts of the report: the chosen observation's flux at one frequency above a
// level, or risen above the median of the 30 days before it in the archive.
#include "archive/History.h"
#include "flux/BandFlux.h"
#include "report/ReportModes.h"
#include "sun/SunFigures.h"

#include <algorithm>

namespace {
constexpr int RiseDays = 30;

std::optional<double> medianBefore(const ModeContext &c, const Observation &observation, int mhz,
                                   QString &error)
{
    const QDateTime time = QDateTime::fromString(observation.timeUtc, Qt::ISODate);
    HistoryOptions options;
    options.database = c.parser.value(c.options.database);
    HistoryRequest request;
    request.mhz = {mhz};
    request.selection = {time.addDays(-RiseDays), time.addSecs(-1), observation.station,
                         Series::Observed, FrequenciesNeeded({mhz})};
    QList<HistoryRow> rows;
    if (!time.isValid() || !ReadHistory(options, request, rows, error) || rows.isEmpty()) {
        if (error.isEmpty())
            error = QString("the archive holds no value of %1 at %2 MHz in the %3 days before %4")
                        .arg(observation.station)
                        .arg(mhz)
                        .arg(RiseDays)
                        .arg(observation.timeUtc.isEmpty() ? "an undated observation"
                                                           : observation.timeUtc);
        return std::nullopt;
    }
    QList<double> values;
    for (const HistoryRow &row : rows)
        values << row.sfu;
    return Median(values);
}

// A limit as the option check accepted it: a number above 0.
double limitOf(const ModeContext &c, const QCommandLineOption &option)
{
    return c.parser.value(option).toDouble();
}
} // namespace

int CheckAlerts(const ModeContext &c, const LoadedProduct &loaded)
{
    const ReportOptions &o = c.options;
    const QList<Observation> &observations = loaded.read.observations;
    const qsizetype chosen = ChosenObservation(c, loaded, observations);
    const int mhz = c.parser.value(o.mhz).toInt();
    const FluxAt flux = chosen < 0 ? FluxAt() : FluxAtFrequency(observations[chosen], mhz);
    if (!flux.sfu) {
        c.err << "corvaline-report: no flux at " << mhz
              << " MHz in the chosen observation: no alert can be judged\n";
        return 1;
    }
    const Observation &observation = observations[chosen];
    const QString what = QString("corvaline-report: alert: %1 %2: %3 MHz flux %4 sfu")
                             .arg(observation.station, observation.timeUtc)
                             .arg(mhz)
                             .arg(*flux.sfu, 0, 'f', 1);
    const double above = limitOf(c, o.alertAbove);
    if (c.parser.isSet(o.alertAbove) && *flux.sfu > above) {
        c.err << what << " is above " << above << " sfu\n";
        return 3;
    }
    if (!c.parser.isSet(o.alertRise))
        return 0;
    QString error;
    const std::optional<double> median = medianBefore(c, observation, mhz, error);
    if (!median) {
        c.err << "corvaline-report: " << error << ": no rise can be judged\n";
        return 1;
    }
    const double rise = (*flux.sfu / *median - 1) * 100;
    if (rise <= limitOf(c, o.alertRise))
        return 0;
    c.err << what << " is " << QString::number(rise, 'f', 0) << " % above its median of "
          << QString::number(*median, 'f', 1) << " sfu over the " << RiseDays << " days before\n";
    return 3;
}
