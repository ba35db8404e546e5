// SPDX-License-Identifier: MIT
// The Sun-noise modes: the Y a station may expect (--sun-noise) and its G/T from
// a measured Y (--measured-y-db), from the flux of the chosen observation or of
// several combined.
#include "flux/BandFlux.h"
#include "report/ReportModes.h"
#include "sun/SunFigures.h"

#include <cmath>

namespace {
// A number option that must lie in (low, high]; an empty text when it is fine.
QString checkNumber(const ModeContext &c, const QCommandLineOption &option, double low, double high,
                    std::optional<double> &value)
{
    if (!c.parser.isSet(option))
        return QString();
    bool number = false;
    const double parsed = c.parser.value(option).toDouble(&number);
    if (!number || !std::isfinite(parsed) || parsed <= low || parsed > high)
        return QString("--%1 is a number above %2%3: %4")
            .arg(option.names().first())
            .arg(low)
            .arg(std::isinf(high) ? QString() : QString(" up to %1").arg(high))
            .arg(c.parser.value(option));
    value = parsed;
    return QString();
}

// The station and the frequencies from the options; a usage problem, or empty.
QString readSetup(const ModeContext &c, StationSetup &setup, QList<int> &mhz)
{
    const ReportOptions &o = c.options;
    const QCommandLineParser &p = c.parser;
    const double any = std::numeric_limits<double>::infinity();
    std::optional<double> efficiency, sunDiameter;
    const std::optional<QList<int>> frequencies = ParseFrequencyList(p.value(o.mhz));
    QStringList problems = {
        checkNumber(c, o.gainDbi, -any, any, setup.gainDbi),
        checkNumber(c, o.dishM, 0, any, setup.dishM),
        checkNumber(c, o.efficiency, 0, 1, efficiency),
        checkNumber(c, o.tsysK, 0, any, setup.tSysK),
        checkNumber(c, o.nfDb, -1e-300, any, setup.noiseFigureDb),
        checkNumber(c, o.tantK, -1e-300, any, setup.tAntK),
        checkNumber(c, o.beamwidthDeg, 0, 360, setup.beamwidthDeg),
        checkNumber(c, o.sunDiameterDeg, 0, 180, sunDiameter),
    };
    problems.removeAll(QString());
    if (!problems.isEmpty())
        return problems.first();
    setup.efficiency = efficiency.value_or(DefaultEfficiency);
    setup.sunDiameterDeg = sunDiameter.value_or(SunDiameterDeg);
    if (!p.isSet(o.mhz) || !frequencies)
        return QString("--mhz gives whole MHz from %1 to %2, comma-separated: %3")
            .arg(LowestEstimateMHz)
            .arg(HighestEstimateMHz)
            .arg(p.value(o.mhz));
    mhz = *frequencies;
    if (p.isSet(o.efficiency) && !p.isSet(o.dishM))
        return "--efficiency goes with --dish-m";
    if (p.isSet(o.tantK) && !p.isSet(o.nfDb))
        return "--tant-k goes with --nf-db";
    if (int(p.isSet(o.observation)) + int(p.isSet(o.station)) + int(p.isSet(o.combine)) > 1)
        return "choose the flux by one of --observation, --station and --combine";
    return QString();
}

QString checkSunNoiseSetup(const ModeContext &c)
{
    const ReportOptions &o = c.options;
    if (c.parser.isSet(o.gainDbi) == c.parser.isSet(o.dishM))
        return "give the antenna by --gain-dbi or by --dish-m";
    if (c.parser.isSet(o.tsysK) == c.parser.isSet(o.nfDb))
        return "give the system by --tsys-k or by --nf-db";
    return QString();
}

int usage(const ModeContext &c, const QString &problem)
{
    c.err << "corvaline-report: " << problem << "\n";
    return 2;
}

QString number(const std::optional<double> &value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString("null");
}

// The store's record of an observation, as the report prints it, or null.
QString observationJson(const LoadedProduct &loaded, const Observation &observation)
{
    for (int i = 0; i < loaded.read.count; ++i)
        if (RecordIdentity(loaded.format, loaded.read, i) ==
            std::make_pair(observation.station, observation.timeUtc))
            return RecordJson(loaded.format, loaded.read, i);
    return "null";
}

QString sourceOf(const SunFigure &figure, bool combined)
{
    return !figure.sfu       ? QString()
           : combined        ? "combined"
           : figure.observed ? "observed"
                             : "estimated";
}

QStringList csvColumns(bool combined)
{
    QStringList columns = {"mhz",           "sfu",         "source",     "gain_dbi",
                           "beamwidth_deg", "beam_factor", "t_ant_k",    "t_sys_k",
                           "t_sun_k",       "y_db",        "calibration"};
    if (combined)
        columns << "sfu_low"
                << "sfu_high"
                << "y_db_low"
                << "y_db_high"
                << "observations";
    return columns;
}

QStringList figureValues(const SunFigure &f, bool combined)
{
    QStringList values = {QString::number(f.mhz),
                          number(f.sfu, 1),
                          sourceOf(f, combined),
                          number(f.station.gainDbi, 2),
                          number(f.station.beamwidthDeg, 3),
                          number(f.station.beamFactor, 3),
                          number(f.station.tAntK, 1),
                          number(f.station.tSysK, 1),
                          number(f.tSunK, 1),
                          number(f.yDb, 2),
                          f.calibration};
    if (combined)
        values << number(f.sfuLow, 1) << number(f.sfuHigh, 1) << number(f.yDbLow, 2)
               << number(f.yDbHigh, 2) << QString::number(f.observations);
    return values;
}

QString jsonFigure(const SunFigure &f, bool combined)
{
    const QStringList columns = csvColumns(combined);
    QStringList values = figureValues(f, combined);
    QStringList pairs;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const bool text = columns[i] == "source" || columns[i] == "calibration";
        pairs << JsonString(columns[i]) + ": " +
                     (text ? (values[i].isEmpty() ? "null" : JsonString(values[i])) : values[i]);
    }
    return "{" + pairs.join(", ") + "}";
}

QString table(const QList<SunFigure> &figures, bool combined, const QString &heading)
{
    QString text = heading + "\n";
    const bool corrected = !figures.isEmpty() && figures.first().station.beamwidthDeg;
    text += corrected ? "Beam correction applied: S divided by K = 1 + 0.38 (sun / beamwidth)^2\n"
                      : "Beam correction not applied: no beamwidth (give --beamwidth-deg or "
                        "--dish-m)\n";
    text += QString("%1 %2  %3 %4 %5 %6 %7 %8 %9 %10  %11")
                .arg("MHz", 6)
                .arg("sfu", 9)
                .arg("source", -9)
                .arg("G dBi", 7)
                .arg("beam deg", 9)
                .arg("K", 6)
                .arg("T_ant K", 8)
                .arg("T_sys K", 8)
                .arg("T_sun K", 9)
                .arg("Y dB", 6)
                .arg("calibration") +
            (combined ? " sfu low  sfu high  Y low  Y high  obs" : "") + "\n";
    for (const SunFigure &f : figures) {
        QStringList v = figureValues(f, combined);
        for (QString &value : v)
            value.replace("null", "-");
        text += QString("%1 %2  %3 %4 %5 %6 %7 %8 %9 %10  %11")
                    .arg(v[0], 6)
                    .arg(v[1], 9)
                    .arg(v[2], -9)
                    .arg(v[3], 7)
                    .arg(v[4], 9)
                    .arg(v[5], 6)
                    .arg(v[6], 8)
                    .arg(v[7], 8)
                    .arg(v[8], 9)
                    .arg(v[9], 6)
                    .arg(v[10], -11);
        if (combined)
            text += QString("%1 %2 %3 %4 %5")
                        .arg(v[11], 8)
                        .arg(v[12], 9)
                        .arg(v[13], 6)
                        .arg(v[14], 7)
                        .arg(v[15], 4);
        text = text.trimmed() + "\n";
    }
    return text;
}

// The product, its sequence of observations and the one chosen (-1 with --combine).
struct FluxSource
{
    LoadedProduct loaded;
    QList<Observation> observations;
    qsizetype chosen = -1;
};

// The product, its sequence and the chosen observation; false after a message.
bool readFlux(const ModeContext &c, FluxSource &source)
{
    LoadedProduct &loaded = source.loaded;
    QList<Observation> &observations = source.observations;
    qsizetype &chosen = source.chosen;
    if (!LoadProduct(c, loaded))
        return false;
    if (c.parser.isSet(c.options.observation) &&
        !HasObservation(c, loaded, c.parser.value(c.options.observation).toInt()))
        return false;
    observations = loaded.read.observations;
    chosen = ChosenObservation(c, loaded, observations);
    if (chosen >= 0 || c.parser.isSet(c.options.combine))
        return true;
    c.err << "corvaline-report: " << loaded.path << " holds no observation"
          << (c.parser.isSet(c.options.station) ? " of " + c.parser.value(c.options.station)
                                                : QString())
          << "\n";
    return false;
}

QString heading(const ModeContext &c, const QList<Observation> &observations, qsizetype chosen)
{
    if (c.parser.isSet(c.options.combine)) {
        const qsizetype newest = NewestObservation(observations);
        return QString("Sun noise from every good observation within %1 h of %2")
            .arg(c.parser.value(c.options.combine),
                 newest < 0 ? QString("-") : observations[newest].timeUtc);
    }
    const Observation &o = observations[chosen];
    return QString("Sun noise from %1, %2 (%3)").arg(o.station, o.timeText, o.timeUtc);
}
} // namespace

int RunSunNoise(const ModeContext &c)
{
    StationSetup setup;
    QList<int> mhz;
    QString problem = readSetup(c, setup, mhz);
    std::optional<double> hours;
    if (problem.isEmpty())
        problem = checkSunNoiseSetup(c);
    if (problem.isEmpty())
        problem = checkNumber(c, c.options.combine, 0, 24 * 366, hours);
    QList<StationAt> stations;
    for (const int frequency : mhz)
        if (problem.isEmpty())
            if (const std::optional<StationAt> station =
                    StationAtFrequency(setup, frequency, problem))
                stations << *station;
    if (!problem.isEmpty())
        return usage(c, problem);
    FluxSource source;
    if (!readFlux(c, source))
        return 1;
    const LoadedProduct &loaded = source.loaded;
    const QList<Observation> &observations = source.observations;
    const qsizetype chosen = source.chosen;
    const bool combined = hours.has_value();
    QList<SunFigure> figures;
    for (qsizetype i = 0; i < mhz.size(); ++i) {
        const QList<FluxAt> used =
            combined ? CombinedFluxes(observations, mhz[i], *hours)
                     : QList<FluxAt>{FluxAtFrequency(observations[chosen], mhz[i])};
        figures << PredictSunNoise(stations[i], mhz[i], used, combined);
    }
    if (std::none_of(figures.begin(), figures.end(),
                     [](const SunFigure &f) { return bool(f.yDb); })) {
        c.err << "corvaline-report: no flux at any of the frequencies in " << loaded.path << "\n";
        return 1;
    }
    if (c.format == ReportFormat::Table)
        c.out << table(figures, combined, heading(c, observations, chosen));
    else if (c.format == ReportFormat::Csv) {
        c.out << csvColumns(combined).join(',') << "\r\n";
        for (const SunFigure &f : figures)
            c.out << figureValues(f, combined).join(',').replace("null", "") << "\r\n";
    } else {
        QStringList items;
        for (const SunFigure &f : figures)
            items << "    " + jsonFigure(f, combined);
        c.out << "{\n"
              << (combined ? QString()
                           : "  \"observation\": " + observationJson(loaded, observations[chosen]) +
                                 ",\n")
              << "  \"sun_noise\": [\n"
              << items.join(",\n") << "\n  ]\n}\n";
    }
    return 0;
}

int RunMeasuredY(const ModeContext &c)
{
    const ReportOptions &o = c.options;
    StationSetup setup;
    QList<int> mhz;
    std::optional<double> yDb;
    QString problem = readSetup(c, setup, mhz);
    if (problem.isEmpty())
        problem = checkNumber(c, o.measuredY, 0, 1000, yDb);
    if (problem.isEmpty() && mhz.size() != 1)
        problem = "--measured-y-db takes one frequency in --mhz";
    if (problem.isEmpty() && c.parser.isSet(o.gainDbi) && c.parser.isSet(o.dishM))
        problem = "give the antenna by --gain-dbi or by --dish-m, not both";
    if (problem.isEmpty() && c.parser.isSet(o.tsysK) && c.parser.isSet(o.nfDb))
        problem = "give the system by --tsys-k or by --nf-db, not both";
    std::optional<StationAt> station;
    if (problem.isEmpty())
        station = StationAtFrequency(setup, mhz.value(0), problem);
    if (!problem.isEmpty())
        return usage(c, problem);
    FluxSource read;
    if (!readFlux(c, read))
        return 1;
    const QList<Observation> &observations = read.observations;
    const qsizetype chosen = read.chosen;
    const FluxAt flux = FluxAtFrequency(observations[chosen], mhz[0]);
    if (!flux.sfu) {
        c.err << "corvaline-report: no flux at " << mhz[0] << " MHz in the chosen observation\n";
        return 1;
    }
    const bool gainKnown = setup.gainDbi || setup.dishM;
    const bool systemKnown = setup.tSysK || setup.noiseFigureDb;
    const GOverT result =
        StationFromMeasuredY(*yDb, *flux.sfu, mhz[0], station->beamFactor,
                             gainKnown ? std::optional<double>(station->gainDbi) : std::nullopt,
                             systemKnown ? std::optional<double>(station->tSysK) : std::nullopt);
    const QString source = flux.observed ? "observed" : "estimated";
    const QStringList columns = {"mhz",         "sfu",           "source",   "y_db",
                                 "beam_factor", "g_over_t_db_k", "gain_dbi", "t_sys_k"};
    const QStringList values = {QString::number(mhz[0]),
                                number(flux.sfu, 1),
                                source,
                                number(yDb, 2),
                                number(station->beamFactor, 3),
                                number(result.gOverTDbK, 2),
                                number(result.gainDbi, 2),
                                number(result.tSysK, 1)};
    if (c.format == ReportFormat::Csv)
        c.out << columns.join(',') << "\r\n"
              << QStringList(values).join(',').replace("null", "") << "\r\n";
    else if (c.format == ReportFormat::Json) {
        QStringList pairs;
        for (qsizetype i = 0; i < columns.size(); ++i)
            pairs << JsonString(columns[i]) + ": " + (i == 2 ? JsonString(values[i]) : values[i]);
        c.out << "{" << pairs.join(", ") << "}\n";
    } else {
        c.out << heading(c, observations, chosen) << "\n";
        for (qsizetype i = 0; i < columns.size(); ++i)
            c.out << columns[i].leftJustified(14) << QString(values[i]).replace("null", "-")
                  << "\n";
    }
    return 0;
}
