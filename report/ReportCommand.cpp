// SPDX-License-Identifier: MIT
#include "report/ReportCommand.h"

#include "data/JsonFluxReader.h"
#include "flux/BandFlux.h"
#include "publish/Mqtt.h"
#include "report/ReportModes.h"

namespace {
QTextStream *logStream = nullptr; // where the debug log goes, or nowhere

enum class Mode { Report, Import, History, SunNoise, MeasuredY };

const char ModesHelp[] =
    "Reports the solar radio flux observed by NOAA's stations and estimated at the amateur\n"
    "bands, from the product the window caches, for scripts, terminals and dashboards, and\n"
    "keeps an archive of every observation.\n\n"
    "Modes and their options:\n"
    "  (default)   the report: --json, --file, --fetch, --observation, --archive [--database,\n"
    "              --quiet], --alert-above | --alert-rise [--database] with --mhz,\n"
    "              --publish [--mqtt-ca, --mqtt-credentials, --home-assistant, --mhz], --format\n"
    "  --import    FILE...: --database, --quiet\n"
    "  --history   --database, --from, --to, --station, --mhz, --series, --daily, --format\n"
    "  --sun-noise --mhz, --gain-dbi | --dish-m [--efficiency], --tsys-k | --nf-db [--tant-k],\n"
    "              --beamwidth-deg, --sun-diameter-deg, --observation | --station | --combine,\n"
    "              --json, --file, --fetch, --format\n"
    "  --measured-y-db Y  --mhz (one), as --sun-noise but --combine; --tsys-k or --gain-dbi\n"
    "              gives the other\n"
    "--verbose goes with every mode.\n\n"
    "Exit status: 0 done; 1 failed (nothing on standard output); 2 a usage error; 3 an alert\n"
    "(the report is printed whole, and one line on standard error says why).";

int usageError(const QCommandLineParser &parser, const QString &error, QTextStream &err)
{
    err << "corvaline-report: " << error << "\n\n" << parser.helpText();
    return 2;
}

// The options each mode accepts beside --verbose.
QList<const QCommandLineOption *> modeOptions(Mode mode, const ReportOptions &o)
{
    switch (mode) {
    case Mode::Import:
        return {&o.import, &o.database, &o.quiet};
    case Mode::History:
        return {&o.history, &o.database, &o.from,  &o.to,    &o.station,
                &o.mhz,     &o.series,   &o.daily, &o.format};
    case Mode::SunNoise:
    case Mode::MeasuredY:
        return {mode == Mode::SunNoise ? &o.sunNoise : &o.measuredY,
                &o.mhz,
                &o.gainDbi,
                &o.dishM,
                &o.efficiency,
                &o.tsysK,
                &o.nfDb,
                &o.tantK,
                &o.beamwidthDeg,
                &o.sunDiameterDeg,
                &o.observation,
                &o.station,
                &o.json,
                &o.file,
                &o.fetch,
                &o.format,
                mode == Mode::SunNoise ? &o.combine : &o.measuredY};
    case Mode::Report:
        break;
    }
    return {&o.json,     &o.file,   &o.fetch,           &o.observation,   &o.archive,
            &o.database, &o.quiet,  &o.alertAbove,      &o.alertRise,     &o.mhz,
            &o.publish,  &o.mqttCa, &o.mqttCredentials, &o.homeAssistant, &o.format};
}

const char *modeName(Mode mode)
{
    switch (mode) {
    case Mode::Import:
        return "--import";
    case Mode::History:
        return "--history";
    case Mode::SunNoise:
        return "--sun-noise";
    case Mode::MeasuredY:
        return "--measured-y-db";
    case Mode::Report:
        break;
    }
    return "the report";
}

// The mode that the options choose, or nothing when they name two.
std::optional<Mode> chosenMode(const QCommandLineParser &parser, const ReportOptions &o)
{
    QList<Mode> modes;
    for (const auto &[option, mode] :
         {std::pair{&o.import, Mode::Import}, std::pair{&o.history, Mode::History},
          std::pair{&o.sunNoise, Mode::SunNoise}, std::pair{&o.measuredY, Mode::MeasuredY}})
        if (parser.isSet(*option))
            modes << mode;
    if (modes.size() > 1)
        return std::nullopt;
    return modes.value(0, Mode::Report);
}

// The first option set that the mode does not take, or an empty text.
QString foreignOption(const QCommandLineParser &parser, const ReportOptions &o, Mode mode)
{
    const QList<const QCommandLineOption *> allowed = modeOptions(mode, o);
    for (const QCommandLineOption *option :
         modeOptions(Mode::Report, o) + modeOptions(Mode::Import, o) +
             modeOptions(Mode::History, o) + modeOptions(Mode::SunNoise, o))
        if (parser.isSet(*option) && !allowed.contains(option))
            return "--" + option->names().first();
    return QString();
}

// A usage error in the options of the chosen mode, or an empty text.
QString usageProblem(const QCommandLineParser &parser, const ReportOptions &o, Mode mode)
{
    const QString foreign = foreignOption(parser, o, mode);
    if (!foreign.isEmpty())
        return foreign + " does not go with " + modeName(mode);
    if (mode == Mode::Import && parser.positionalArguments().isEmpty())
        return "--import needs the files to store";
    if (mode != Mode::Import && !parser.positionalArguments().isEmpty())
        return "unexpected argument " + parser.positionalArguments().first();
    bool numeric = true;
    const int wanted = parser.value(o.observation).toInt(&numeric);
    if (parser.isSet(o.observation) && (!numeric || wanted < 0))
        return "the observation is a number from 0: " + parser.value(o.observation);
    if (parser.isSet(o.file) && (parser.isSet(o.json) || parser.isSet(o.fetch)))
        return "--file reads a file of its own: no --json or --fetch with it";
    if (mode == Mode::Report && !parser.isSet(o.archive) &&
        ((parser.isSet(o.database) && !parser.isSet(o.alertRise)) || parser.isSet(o.quiet)))
        return "--database goes with --archive or --alert-rise, --quiet with --archive";
    const bool alert = parser.isSet(o.alertAbove) || parser.isSet(o.alertRise);
    if (mode == Mode::Report && alert && !parser.isSet(o.mhz))
        return "--alert-above and --alert-rise take the one frequency in --mhz";
    if (mode == Mode::Report && parser.isSet(o.mhz) && !alert && !parser.isSet(o.publish))
        return "--mhz goes with an alert or --publish";
    if (!parser.isSet(o.publish) && (parser.isSet(o.mqttCa) || parser.isSet(o.mqttCredentials) ||
                                     parser.isSet(o.homeAssistant)))
        return "--mqtt-ca, --mqtt-credentials and --home-assistant go with --publish";
    for (const QCommandLineOption *limit : {&o.alertAbove, &o.alertRise}) {
        bool number = false;
        const double value = parser.value(*limit).toDouble(&number);
        if (parser.isSet(*limit) && (!number || !(value > 0) || value >= 1e12))
            return "--" + limit->names().first() + " is a number above 0: " + parser.value(*limit);
    }
    QString urlProblem;
    if (parser.isSet(o.publish) && !ParseMqttUrl(parser.value(o.publish), urlProblem))
        return urlProblem;
    const std::optional<QList<int>> mhz = ParseFrequencyList(parser.value(o.mhz));
    if (mode == Mode::Report && parser.isSet(o.mhz) && !mhz)
        return "--mhz gives whole MHz from 30 to 30000, comma-separated: " + parser.value(o.mhz);
    if (mode == Mode::Report && alert && (!mhz || mhz->size() != 1))
        return "--mhz gives one frequency for an alert, in whole MHz from 30 to 30000: " +
               parser.value(o.mhz);
    return QString();
}
} // namespace

int RunReport(const QStringList &arguments, const ServiceLocations &locations, QTextStream &out,
              QTextStream &err, int fetchDeadlineMs)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(ModesHelp);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const ReportOptions o;
    parser.addOptions({o.json,
                       o.file,
                       o.fetch,
                       o.observation,
                       o.archive,
                       o.import,
                       o.history,
                       o.database,
                       o.quiet,
                       o.from,
                       o.to,
                       o.station,
                       o.mhz,
                       o.series,
                       o.daily,
                       o.sunNoise,
                       o.measuredY,
                       o.gainDbi,
                       o.dishM,
                       o.efficiency,
                       o.tsysK,
                       o.nfDb,
                       o.tantK,
                       o.beamwidthDeg,
                       o.sunDiameterDeg,
                       o.combine,
                       o.alertAbove,
                       o.alertRise,
                       o.publish,
                       o.mqttCa,
                       o.mqttCredentials,
                       o.homeAssistant,
                       o.format,
                       o.verbose});
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText(), err);
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << "corvaline-report 1.02\n";
        return 0;
    }
    const QStringList formats = {"table", "csv", "json"};
    const int format = int(formats.indexOf(parser.value(o.format)));
    if (format < 0)
        return usageError(parser, "unknown format " + parser.value(o.format), err);
    const std::optional<Mode> chosen = chosenMode(parser, o);
    if (!chosen)
        return usageError(parser,
                          "--import, --history, --sun-noise and --measured-y-db are "
                          "modes: choose one",
                          err);
    const Mode mode = *chosen;
    const QString problem = usageProblem(parser, o, mode);
    if (!problem.isEmpty())
        return usageError(parser, problem, err);

    logStream = parser.isSet(o.verbose) ? &err : nullptr;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &line) {
            if (logStream)
                *logStream << line << '\n';
        });
    VerboseLogging = parser.isSet(o.verbose);
    const ModeContext context{
        parser, o, locations, out, err, fetchDeadlineMs, ReportFormat(format)};
    int status = 0;
    switch (mode) {
    case Mode::Import:
        status = RunImport(context);
        break;
    case Mode::History:
        status = RunHistory(context);
        break;
    case Mode::SunNoise:
        status = RunSunNoise(context);
        break;
    case Mode::MeasuredY:
        status = RunMeasuredY(context);
        break;
    case Mode::Report:
        status = RunProductReport(context);
        break;
    }
    qInstallMessageHandler(previous);
    logStream = nullptr;
    return status;
}
