// SPDX-License-Identifier: MIT
// corvaline-plot: the archived series drawn with Qt Charts into a PNG or SVG
// file, without a display.
#include "plot/Plot.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {
int usageError(const QCommandLineParser &parser, const QString &error)
{
    QTextStream(stderr) << "corvaline-plot: " << error << "\n\n" << parser.helpText();
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    // The plot goes to a file: it needs no display, wherever it runs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws the solar radio flux kept in Corvaline's archive: one "
                                     "line per station and frequency.");
    parser.addHelpOption();
    const QCommandLineOption database("database", "The archive file.", "PATH");
    const QCommandLineOption from("from",
                                  "First day (YYYY-MM-DD) or ISO 8601 time, UTC; default: "
                                  "30 days ago.",
                                  "DATE");
    const QCommandLineOption to("to", "Last day or time, included; default: now.", "DATE");
    const QCommandLineOption station("station", "One station only.", "NAME");
    const QCommandLineOption mhz("mhz", "Frequencies in MHz, comma-separated, 30 to 30000.",
                                 "LIST");
    const QCommandLineOption series("series", "observed, adjusted or ursi.", "SERIES", "observed");
    const QCommandLineOption daily("daily", "Daily medians.");
    const QCommandLineOption output("output", "The picture: FILE.png or FILE.svg.", "FILE");
    parser.addOptions({database, from, to, station, mhz, series, daily, output});
    if (!parser.parse(QApplication::arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet("help")) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QString path = parser.value(output);
    if (!path.endsWith(".png", Qt::CaseInsensitive) && !path.endsWith(".svg", Qt::CaseInsensitive))
        return usageError(parser, "--output names a .png or .svg file");
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, "unexpected argument " + parser.positionalArguments().first());
    const HistoryOptions options{parser.value(database), parser.value(from), parser.value(to),
                                 parser.value(station),  parser.value(mhz),  parser.value(series)};
    const HistoryRequest request = ParseHistoryOptions(options, QDateTime::currentDateTimeUtc());
    if (!request.problem.isEmpty())
        return usageError(parser, request.problem);
    QList<HistoryRow> rows;
    QString error;
    if (!ReadHistory(options, request, rows, error)) {
        QTextStream(stderr) << "corvaline-plot: " << error << "\n";
        return 1;
    }
    const QList<PlotLine> lines =
        parser.isSet(daily) ? LinesOfDays(DailyMedians(rows)) : LinesOfSeries(rows);
    if (lines.isEmpty()) {
        QTextStream(stderr) << "corvaline-plot: the archive holds no values above 0 for this "
                               "selection; nothing drawn\n";
        return 1;
    }
    const QString title =
        PlotTitle(request.selection.from, request.selection.to, parser.isSet(daily));
    if (!RenderPlot(lines, title, path, error)) {
        QTextStream(stderr) << "corvaline-plot: " << error << "\n";
        return 1;
    }
    return 0;
}
