// SPDX-License-Identifier: MIT
// The archive beside its baselines in the same run: storing one JSON product
// against the same rows inserted with SQLite's C library, and reading ten years
// back (corvaline-report --history --daily, and the plot of it) against a bare
// scan of the same rows. The ratios, times and size are printed at the end.
#include "BenchProducts.h"
#include "archive/Archive.h"
#include "data/ObservationStore.h"
#include "plot/Plot.h"
#include "report/ReportCommand.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <string>

namespace {
constexpr int Days = 3652, ObservationsPerDay = 7;
const char *const Stations[] = {"Learmonth", "San Vito", "Sagamore Hill", "Penticton", "Palehua"};

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QList<Observation> productObservations()
{
    static const QList<Observation> observations = *ReadJsonObservations(ServiceShapedJson(114));
    return observations;
}

qsizetype valueCount(const QList<Observation> &observations)
{
    qsizetype values = 0;
    for (const Observation &observation : observations)
        values += observation.fluxes.size();
    return values;
}

// Ten years of the five stations in turn, seven observations a day, nine
// frequencies each: about 230,000 values.
QString tenYears()
{
    static const QString path = [] {
        const QString file = scratch().filePath("ten-years.sqlite");
        QList<Observation> observations;
        const QDateTime start(QDate(2015, 1, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < Days * ObservationsPerDay; ++i) {
            Observation observation;
            observation.station = Stations[i % 5];
            observation.timeUtc =
                start.addSecs(qint64(i) * 86400 / ObservationsPerDay).toString(Qt::ISODate);
            observation.timeText = observation.timeUtc;
            observation.origin = Origin::Json;
            for (int k = 0; k < StationFrequencyCount; ++k)
                observation.fluxes << ObservedFlux{StationFrequencies[std::size_t(k)],
                                                   40.0 + 60 * k + i % 13, "Good quality"};
            observations << observation;
        }
        Archive archive;
        StoreCounts counts;
        QString error;
        if (!archive.open(file, error) || !archive.store(observations, counts, error))
            std::fprintf(stderr, "ten years: %s\n", qPrintable(error));
        return file;
    }();
    return path;
}

void ArchiveStore(benchmark::State &state)
{
    const QList<Observation> observations = productObservations();
    const QString file = scratch().filePath("store.sqlite");
    // Opening and closing (which checkpoints the journal) stay out of the timing, as
    // they do for the baseline.
    std::optional<Archive> archive;
    for (auto _ : state) {
        state.PauseTiming();
        archive.reset();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(file + suffix);
        QString error;
        archive.emplace().open(file, error);
        state.ResumeTiming();
        StoreCounts counts;
        benchmark::DoNotOptimize(archive->store(observations, counts, error));
    }
    state.counters["values"] = double(valueCount(observations));
}

void exec(sqlite3 *db, const char *sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// The same rows with the C library: one prepared insert, one transaction, the
// archive's table and index, journal and synchronous setting.
void SqliteInsert(benchmark::State &state)
{
    const QList<Observation> observations = productObservations();
    const QByteArray file = QFile::encodeName(scratch().filePath("baseline.sqlite"));
    for (auto _ : state) {
        state.PauseTiming();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(QFile::decodeName(file + suffix));
        sqlite3 *db = nullptr;
        sqlite3_open(file.constData(), &db);
        exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                 "CREATE TABLE flux (station TEXT NOT NULL, time_s INTEGER NOT NULL, mhz INTEGER "
                 "NOT NULL, series TEXT NOT NULL, sfu REAL, quality TEXT, origin TEXT NOT NULL, "
                 "time_text TEXT NOT NULL, PRIMARY KEY (station, mhz, series, time_s)) WITHOUT "
                 "ROWID; CREATE INDEX flux_by_frequency_covering ON flux (mhz, series, time_s, "
                 "station, origin, sfu, quality)");
        state.ResumeTiming();
        exec(db, "BEGIN IMMEDIATE");
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO flux VALUES (?, ?, ?, 'observed', ?, ?, 'json', ?)", -1,
                           &insert, nullptr);
        for (const Observation &observation : observations) {
            const QByteArray station = observation.station.toUtf8();
            const QByteArray text = observation.timeText.toUtf8();
            const qint64 time =
                QDateTime::fromString(observation.timeUtc, Qt::ISODate).toSecsSinceEpoch();
            for (const ObservedFlux &flux : observation.fluxes) {
                const QByteArray quality = flux.quality.toUtf8();
                sqlite3_bind_text(insert, 1, station.constData(), -1, SQLITE_STATIC);
                sqlite3_bind_int64(insert, 2, time);
                sqlite3_bind_int(insert, 3, flux.mhz);
                sqlite3_bind_double(insert, 4, flux.sfu.value_or(0));
                sqlite3_bind_text(insert, 5, quality.constData(), -1, SQLITE_STATIC);
                sqlite3_bind_text(insert, 6, text.constData(), -1, SQLITE_STATIC);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        }
        sqlite3_finalize(insert);
        exec(db, "COMMIT");
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

const QStringList HistoryArguments = {
    "corvaline-report", "--history", "--daily",    "--mhz",    "1296", "--from",
    "2015-01-01",       "--to",      "2025-01-01", "--format", "csv",  "--database"};

void HistoryDaily(benchmark::State &state)
{
    const QStringList arguments = HistoryArguments + QStringList{tenYears()};
    for (auto _ : state) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        benchmark::DoNotOptimize(
            RunReport(arguments, ServiceLocations::standard(), outStream, errStream));
    }
}

// Every value the daily history of 1296 MHz reads (its two anchors), scanned
// with the C library and summed.
void HistoryScan(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(tenYears()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *scan = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT station, time_s, mhz, sfu FROM flux WHERE mhz IN (610, 1415) AND "
                       "series = 'observed' AND time_s BETWEEN ? AND ?",
                       -1, &scan, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int64(scan, 1, 1420070400);
        sqlite3_bind_int64(scan, 2, 1735775999);
        double sum = 0;
        while (sqlite3_step(scan) == SQLITE_ROW)
            sum += sqlite3_column_double(scan, 3) + double(sqlite3_column_bytes(scan, 0));
        sqlite3_reset(scan);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(scan);
    sqlite3_close(db);
}

void PlotDaily(benchmark::State &state)
{
    const HistoryOptions options{tenYears(), "2015-01-01", "2025-01-01", "", "1296"};
    const HistoryRequest request = ParseHistoryOptions(options, QDateTime::currentDateTimeUtc());
    const QString picture = scratch().filePath("plot.png");
    for (auto _ : state) {
        QList<HistoryRow> rows;
        QString error;
        ReadHistory(options, request, rows, error);
        benchmark::DoNotOptimize(
            RenderPlot(LinesOfDays(DailyMedians(rows)), "ten years", picture, error));
    }
}

BENCHMARK(ArchiveStore)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(HistoryDaily)->Unit(benchmark::kMillisecond);
BENCHMARK(HistoryScan)->Unit(benchmark::kMillisecond);
BENCHMARK(PlotDaily)->Unit(benchmark::kMillisecond);

void printTime(const char *name, double ms, double budget)
{
    std::printf("time %s %.2f ms%s\n", name, ms, ms > budget ? " over budget" : "");
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    std::map<std::string, double> ms;
    for (const auto &[name, ns] : recorder.nanoseconds)
        ms[name] = ns / 1e6;
    const double ratio = ms["ArchiveStore"] / ms["SqliteInsert"];
    std::printf("ratio archive_store_114 %.2f%s (%lld values)\n", ratio,
                ratio > 1.5 ? " over budget" : "",
                static_cast<long long>(valueCount(productObservations())));
    printTime("archive_store_114", ms["ArchiveStore"], 5);
    printTime("history_daily_10y", ms["HistoryDaily"], 50);
    printTime("history_scan_10y (baseline)", ms["HistoryScan"], 50);
    printTime("plot_daily_10y", ms["PlotDaily"], 500);
    const double bytes =
        double(QFileInfo(tenYears()).size() + QFileInfo(tenYears() + "-wal").size());
    std::printf("size archive_10y %.0f bytes, %.1f bytes per value (%d values)\n", bytes,
                bytes / (Days * ObservationsPerDay * StationFrequencyCount),
                Days * ObservationsPerDay * StationFrequencyCount);
    benchmark::Shutdown();
}
