// SPDX-License-Identifier: MIT
// The archive's modes: storing products (--archive, --import) and reading the
// series back (--history).
#include "archive/Archive.h"
#include "archive/FluxTable.h"
#include "archive/History.h"
#include "report/ReportModes.h"

#include <QDateTime>
#include <cmath>

namespace {
bool openArchive(const ModeContext &c, Archive &archive)
{
    QString error;
    if (archive.openChosen(c.parser.value(c.options.database), error))
        return true;
    c.err << "corvaline-report: cannot open the archive " << error << "\n";
    return false;
}

// A product's or flux table's observations, known by content; nothing when the
// bytes are none of them.
std::optional<QList<Observation>> observationsOf(const QByteArray &bytes, ProductFormat format)
{
    if (IsFluxTable(bytes))
        return ReadFluxTable(bytes);
    if (format == ProductFormat::Json)
        return ReadJsonObservations(bytes);
    if (!bytes.contains(":Solar_Radio_Flux:"))
        return std::nullopt;
    return ReadTextObservations(bytes);
}

// `stored` receives a line of counts for --import.
bool storeAll(const ModeContext &c, Archive &archive, const QList<Observation> &observations,
              const QString &path, QStringList &stored)
{
    StoreCounts counts;
    QString error;
    if (!archive.store(observations, counts, error)) {
        c.err << "corvaline-report: could not store " << path
              << " in the archive, which is kept as it was: " << error << "\n";
        return false;
    }
    if (counts.undated > 0)
        c.err << "corvaline-report: " << path << ": " << counts.undated
              << " observations without a date were not stored\n";
    if (c.parser.isSet(c.options.import) && !c.parser.isSet(c.options.quiet))
        stored << QString("%1: %2 new, %3 revised, %4 unchanged\n")
                      .arg(path)
                      .arg(counts.added)
                      .arg(counts.revised)
                      .arg(counts.unchanged);
    return true;
}

QString figure(double sfu)
{
    // Whole figures, nearly all of them, the short way; from 10^12 on, 12 digits
    // take an exponent.
    if (sfu == std::trunc(sfu) && std::abs(sfu) < 1e12)
        return QString::number(qint64(sfu));
    return QString::number(sfu, 'g', 12);
}

// A value with the precision its source gives: the flux table writes tenths.
QString figure(const HistoryRow &row)
{
    return row.origin == Origin::FluxTable && row.observed ? QString::number(row.sfu, 'f', 1)
                                                           : figure(row.sfu);
}

// Lines of a table, CSV records or the items of a JSON array.
QString joined(const QStringList &lines, ReportFormat format)
{
    return lines.join(format == ReportFormat::Json  ? ",\n"
                      : format == ReportFormat::Csv ? "\r\n"
                                                    : "\n");
}

QString seriesText(const QList<HistoryRow> &rows, ReportFormat format)
{
    QStringList lines;
    if (format == ReportFormat::Table)
        lines << "station        time (UTC)              MHz        sfu  source     quality";
    if (format == ReportFormat::Csv)
        lines << "station,time_utc,mhz,sfu,source,quality,origin";
    for (const HistoryRow &row : rows) {
        const QString source = row.observed ? "observed" : "estimated";
        const QString flag = QualityFlag(row.quality);
        if (format == ReportFormat::Table)
            lines << QString("%1 %2 %3 %4  %5  %6")
                         .arg(row.station.leftJustified(14), IsoUtc(row.timeS).leftJustified(21))
                         .arg(row.mhz, 5)
                         .arg(figure(row), 10)
                         .arg(source.leftJustified(9), flag)
                         .trimmed();
        else if (format == ReportFormat::Csv)
            lines << QStringList{CsvField(row.station),
                                 IsoUtc(row.timeS),
                                 QString::number(row.mhz),
                                 figure(row),
                                 source,
                                 CsvField(flag),
                                 OriginName(row.origin)}
                         .join(',');
        else
            lines << "  {\"station\": " + JsonString(row.station) + ", \"time_utc\": \"" +
                         IsoUtc(row.timeS) + "\", \"mhz\": " + QString::number(row.mhz) +
                         ", \"sfu\": " + figure(row) + ", \"source\": \"" + source +
                         "\", \"quality\": " + (flag.isEmpty() ? "null" : JsonString(flag)) +
                         ", \"origin\": \"" + OriginName(row.origin) + "\"}";
    }
    return joined(lines, format);
}

QString dailyText(const QList<DailyRow> &rows, ReportFormat format)
{
    QStringList lines;
    if (format == ReportFormat::Table)
        lines << "station        day           MHz     median  count  source";
    if (format == ReportFormat::Csv)
        lines << "station,date,mhz,sfu,count,source";
    for (const DailyRow &row : rows) {
        const QString day = IsoDay(row.day);
        if (format == ReportFormat::Table)
            lines << QString("%1 %2 %3 %4 %5  %6")
                         .arg(row.station.leftJustified(14), day.leftJustified(10))
                         .arg(row.mhz, 7)
                         .arg(figure(row.sfu), 10)
                         .arg(row.count, 6)
                         .arg(row.source);
        else if (format == ReportFormat::Csv)
            lines << QStringList{CsvField(row.station),      day,
                                 QString::number(row.mhz),   figure(row.sfu),
                                 QString::number(row.count), row.source}
                         .join(',');
        else
            lines << "  {\"station\": " + JsonString(row.station) + ", \"date\": \"" + day +
                         "\", \"mhz\": " + QString::number(row.mhz) +
                         ", \"sfu\": " + figure(row.sfu) +
                         ", \"count\": " + QString::number(row.count) + ", \"source\": \"" +
                         row.source + "\"}";
    }
    return joined(lines, format);
}

QString framed(const QString &body, bool empty, ReportFormat format)
{
    if (format == ReportFormat::Json)
        return empty ? "[]\n" : "[\n" + body + "\n]\n";
    return body + (format == ReportFormat::Csv ? "\r\n" : "\n");
}
} // namespace

bool ArchiveProduct(const ModeContext &c, const LoadedProduct &loaded)
{
    Archive archive;
    QStringList stored;
    return openArchive(c, archive) &&
           storeAll(c, archive, loaded.read.observations, loaded.path, stored);
}

int RunImport(const ModeContext &c)
{
    Archive archive;
    if (!openArchive(c, archive))
        return 1;
    int status = 0;
    QStringList stored;
    for (const QString &path : c.parser.positionalArguments()) {
        QByteArray bytes;
        std::optional<QList<Observation>> observations;
        if (!ReadProductFile(path, bytes, ProductLinks::Follow))
            c.err << "corvaline-report: cannot read " << path
                  << ": no such file, or not a regular file of at most 16 MiB\n";
        else if (!(observations = observationsOf(bytes, DetectProductFormat(bytes))))
            c.err << "corvaline-report: " << path
                  << " is neither a product of the service nor a Penticton flux table\n";
        if (!observations || !storeAll(c, archive, *observations, path, stored))
            status = 1;
    }
    // Standard output holds a result only: when a file failed, what was stored
    // goes to standard error beside the failure.
    (status == 0 ? c.out : c.err) << stored.join("");
    return status;
}

int RunHistory(const ModeContext &c)
{
    const ReportOptions &o = c.options;
    const QCommandLineParser &p = c.parser;
    const HistoryOptions options{p.value(o.database), p.value(o.from), p.value(o.to),
                                 p.value(o.station),  p.value(o.mhz),  p.value(o.series)};
    const HistoryRequest request = ParseHistoryOptions(options, QDateTime::currentDateTimeUtc());
    if (!request.problem.isEmpty()) {
        c.err << "corvaline-report: " << request.problem << "\n";
        return 2;
    }
    QList<HistoryRow> rows;
    QString error;
    if (!ReadHistory(options, request, rows, error)) {
        c.err << "corvaline-report: " << error << "\n";
        return 1;
    }
    if (rows.isEmpty())
        c.err << "corvaline-report: the archive holds no values for this selection\n";
    if (p.isSet(o.daily)) {
        const QList<DailyRow> daily = DailyMedians(rows);
        c.out << framed(dailyText(daily, c.format), daily.isEmpty(), c.format);
    } else
        c.out << framed(seriesText(rows, c.format), rows.isEmpty(), c.format);
    return 0;
}
