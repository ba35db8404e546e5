// SPDX-License-Identifier: MIT
// The archive: corvaline-report --import, --archive and --history against an
// archive file of the test's own, refused files, a killed import and two
// archivers at once.
#include "archive/History.h"
#include "report/ReportCommand.h"
#include "support/Support.h"
#include "support/Table.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <csignal>
#include <ctime>
#include <sqlite3.h>

namespace {
const QString DataDir = CORVALINE_SOURCE_DIR "/tests/data/";
const QByteArray Real = ReadFile(DataDir + "noaa-current-space-weather-indices-2025-12-19.txt"),
                 Later = QByteArray(Real).replace("118         -1", "118        120"),
                 Flux = ReadFile(DataDir + "penticton-fluxtable-lines.txt");
// San Vito's JSON entry of the hour the seed product's 1000 UTC column stands for.
const QByteArray SanVito = entry("San Vito", "2024-10-14T10:38:00", "245:15:Good 410:39:Good"),
                 Revised = entry("San Vito", "2024-10-14T10:38:00", "245:16:Good 410:39:Good");

// Lines the flux table's reader leaves out in part or whole: no flux, an
// impossible date or time, a date of seven digits or with a sign.
const QByteArray BadFlux =
    Flux.left(Flux.indexOf("\n20041028") + 1) +
    "20041028    170000      02453307.229  002022.605      000132.7     000130.9     000117.8\n"
    "20041029    170000      02453308.229  002022.642      inf          nan          -000001.0\n"
    "20041030    170000      02453309.229  002022.679      abc          000001.0     000000.0\n"
    "20041332    170000      02453310.229  002022.716      000132.7     000130.9     000117.8\n"
    "20041031    250000      02453311.229  002022.753      000132.7     000130.9     000117.8\n"
    "2004103     170000      02453312.229  002022.790      000132.7     000130.9     000117.8\n"
    "-00041028   170000      02453313.229  002022.827      000132.7     000130.9     000117.8\n";

const QString H = "--history --format csv --database <db> "; // a query of the archive

// Learmonth 29 days ago and San Vito 31 days ago: the default period holds the first only.
const QDateTime Now = QDateTime::currentDateTimeUtc();
const QByteArray Recent =
    "[" +
    entry("Learmonth", Now.addDays(-29).toString("yyyy-MM-ddTHH:mm:00").toLatin1(), "245:11:Good")
        .mid(1)
        .chopped(1) +
    "," +
    entry("San Vito", Now.addDays(-31).toString("yyyy-MM-ddTHH:mm:00").toLatin1(), "245:22:Good")
        .mid(1)
        .chopped(1) +
    "]";

// Two stations at one time whose names SQLite (by UTF-8 bytes) and Qt (by UTF-16
// units) order apart.
const QByteArray Twins =
    "[" + entry("X\xef\xbf\xbd", T, "610:52:Good 1415:66:Good").mid(1).chopped(1) + "," +
    entry("X\xf0\x9f\x98\x80", T, "610:50:Good 1415:60:Good").mid(1).chopped(1) + "]";

struct ArchiveRun
{
    const char *name;
    QStringList steps; // earlier commands, each of which succeeds
    QString arguments; // <db>: the archive; <a>, <b>: the row's files
    int status;
    QString out;         // what standard output holds
    const char *message; // in standard error, or nullptr for nothing there
    QByteArray a = {}, b = {};
    QByteArray database = {}; // the archive file before the run: null for none
};

const QByteArray Sqlite = "SQLite format 3";

// clang-format off
const ArchiveRun Runs[] = {
    {"a real product and flux table", {}, "--import <db> <a> <b>", 0, "<a>: 20 new, 0 revised, 0 unchanged\n<b>: 21 new, 0 revised, 0 unchanged\n", nullptr, Real, Flux},
    {"the same product twice adds nothing", {"--import <db> <a>"}, "--import <db> <a>", 0, "<a>: 0 new, 0 revised, 20 unchanged\n", nullptr, Real},
    {"a product saved later in the day adds its new column", {"--import <db> <a>"}, "--import <db> <b>", 0, "<b>: 1 new, 0 revised, 20 unchanged\n", nullptr, Real, Later},
    {"a revised value replaces the stored one", {"--import <db> <a>", "--import <db> <b>"}, H + "--from 2024-10-14 --to 2024-10-14 --mhz 245", 0, "...San Vito,2024-10-14T10:38:00Z,245,16,observed,good,json\r\n", nullptr, SanVito, Revised},
    {"columns dated by the table's own date", {"--import <db> <a>"}, H + "--from 2025-12-19 --to 2025-12-19T17:00:00Z --mhz 2800,245", 0, "...San Vito,2025-12-19T10:00:00Z,245,15,observed,,text\r\nPenticton,2025-12-19T17:00:00Z,2800,118,observed,,text\r\nSagamore Hill,2025-12-19T17:00:00Z,245,17,observed,,text\r\n", nullptr, Real},
    {"older layout: a column later than the issue time is the day before", {"--import <db> <a>"}, H + "--from 2024-10-13 --to 2024-10-14 --mhz 245 --station learmonth", 0, "...Learmonth,2024-10-14T04:00:00Z,245,14,", nullptr, IndicesProduct()},
    {"older layout, the day before", {"--import <db> <a>"}, H + "--from 2024-10-13 --to 2024-10-13 --mhz 245 --station PENTICTION", 0, "...Penticton,2024-10-13T17:00:00Z,245,17,", nullptr, IndicesProduct()},
    {"estimates as the window makes them", {"--import <db> <a>"}, H + "--from 2024-10-14 --to 2024-10-14 --mhz 1296,24048,30 --station Learmonth", 0, "...Learmonth,2024-10-14T04:00:00Z,1296,64,estimated,,text\r\nLearmonth,2024-10-14T04:00:00Z,24048,1052,estimated,,text\r\nLearmonth,2024-10-14T04:00:00Z,30,0,estimated,,text\r\n", nullptr, IndicesProduct("2024 Oct 14 2330 UTC")},
    {"a text value within the hour of a JSON one counts once", {"--import <db> <a> <b>"}, H + "--daily --from 2024-10-14 --to 2024-10-14 --mhz 245,610", 0, "...San Vito,2024-10-14,245,15,1,observed\r\nSan Vito,2024-10-14,610,53,1,observed\r\n", nullptr, IndicesProduct("2024 Oct 14 2330 UTC"), SanVito},
    {"daily medians of the flux table, the tenth kept", {"--import <db> <a>"}, H + "--daily --from 2004-10-28 --to 2004-11-12 --mhz 2800", 0, "station,date,mhz,sfu,count,source\r\nPenticton,2004-10-28,2800,134.25,2,observed\r\nPenticton,2004-11-12,2800,96.3,3,observed\r\n", nullptr, Flux},
    {"a JSON and a text observation of one time stay apart", {"--import <db> <a> <b>"}, H + "--from 2024-10-14T10:00:00Z --to 2024-10-14T10:00:00Z --mhz 610,245", 0, "station,time_utc,mhz,sfu,source,quality,origin\r\nSan Vito,2024-10-14T10:00:00Z,245,99,observed,good,json\r\nSan Vito,2024-10-14T10:00:00Z,610,53,observed,,text\r\n", nullptr, IndicesProduct("2024 Oct 14 2330 UTC"), entry("San Vito", "2024-10-14T10:00:00", "245:99:Good")},
    {"the flux table's adjusted series", {"--import <db> <a>"}, H + "--from 2004-11-12T20:00:00Z --to 2004-11-12 --mhz 2800 --series adjusted", 0, "...Penticton,2004-11-12T20:00:00Z,2800,94.0,observed,,fluxtable\r\nPenticton,2004-11-12T22:00:00Z,2800,94.3,", nullptr, Flux},
    {"a missing flux or quality stays missing; 2800 MHz from JSON is observed", {"--import <db> <a>"}, H + "--from 2024-10-14 --to 2024-10-15 --mhz 245,410,1415,2800", 0, "station,time_utc,mhz,sfu,source,quality,origin\r\nPalehua,2024-10-14T04:00:00Z,1415,66,observed,,json\r\nPalehua,2024-10-14T04:00:00Z,2800,120,observed,burst,json\r\n", nullptr, entry("Palehua", T, R"({"frequency":610,"flux":52,"observed_quality":"Good"},{"frequency":1415,"flux":66},{"frequency":245,"flux":null,"observed_quality":"Good"},{"frequency":2800,"flux":120,"observed_quality":"Uncertain \u2013 burst progress"})")},
    {"the last 30 days by default", {"--import <db> <a>"}, "--history --format csv --database <db> --mhz 245", 0, "station,time_utc,mhz,sfu,source,quality,origin\r\nLearmonth," + Now.addDays(-29).toString("yyyy-MM-ddTHH:mm:00Z") + ",245,11,observed,good,json\r\n", nullptr, Recent},
    {"details without a whole frequency are not stored; a flux of 0 is", {}, "--import <db> <a>", 0, "<a>: 2 new, 0 revised, 0 unchanged\n", nullptr, entry("Palehua", T, R"({"frequency":245,"flux":14},{"flux":5},{"frequency":"610","flux":6},{"frequency":410.5,"flux":7},{"frequency":0,"flux":8},{"frequency":610,"flux":0})")},
    {"names ordered apart by SQLite and Qt keep each observation whole", {"--import <db> <a>"}, H + "--from 2024-10-14 --to 2024-10-14 --mhz 1296", 0, "station,time_utc,mhz,sfu,source,quality,origin\r\nX\U0001F600,2024-10-14T04:00:00Z,1296,59,estimated,,json\r\nX\uFFFD,2024-10-14T04:00:00Z,1296,64,estimated,,json\r\n", nullptr, Twins},
    {"whole figures up to 12 digits, then an exponent", {"--import <db> <a>"}, H + "--from 2024-10-14 --to 2024-10-14 --mhz 245,410,610", 0, "...Palehua,2024-10-14T04:00:00Z,245,999999999999,observed,,json\r\nPalehua,2024-10-14T04:00:00Z,410,1e+12,observed,,json\r\nPalehua,2024-10-14T04:00:00Z,610,2.5,observed,,json\r\n", nullptr, entry("Palehua", T, "245:999999999999 410:1000000000000 610:2.5")},
    {"a flux of 0 is a value", {"--import <db> <a>"}, H + "--from 2024-10-14 --to 2024-10-14 --mhz 610", 0, "...Palehua,2024-10-14T04:00:00Z,610,0,observed,,json\r\n", nullptr, entry("Palehua", T, R"({"frequency":245,"flux":14},{"flux":5},{"frequency":"610","flux":6},{"frequency":410.5,"flux":7},{"frequency":0,"flux":8},{"frequency":610,"flux":0})")},
    {"the series as a table", {"--import <db> <a>"}, "--history --database <db> --from 2004-11-12T20:00:00Z --to 2004-11-12T20:00:00Z --mhz 2800", 0, "station        time (UTC)              MHz        sfu  source     quality\nPenticton      2004-11-12T20:00:00Z   2800       96.0  observed\n", nullptr, Flux},
    {"a quality flag in the table", {"--import <db> <a>"}, "--history --database <db> --from 2024-10-14 --to 2024-10-14 --mhz 2800", 0, "station        time (UTC)              MHz        sfu  source     quality\nPalehua        2024-10-14T04:00:00Z   2800        120  observed   burst\n", nullptr, entry("Palehua", T, "2800:120:burst")},
    {"daily medians as a table", {"--import <db> <a>"}, "--history --database <db> --daily --from 2004-11-12 --to 2004-11-12 --mhz 2800", 0, "station        day           MHz     median  count  source\nPenticton      2004-11-12    2800       96.3      3  observed\n", nullptr, Flux},
    {"an entry without a date is not stored", {}, "--import <db> <a>", 0, "<a>: 0 new, 0 revised, 0 unchanged\n", "1 observations without a date were not stored", entry("Palehua", "yesterday", "245:14:Good")},
    {"JSON in the table format", {"--import <db> <a>"}, "--history --database <db> --from 2004-10-28 --to 2004-10-28 --mhz 2800 --format json", 0, "[\n  {\"station\": \"Penticton\", \"time_utc\": \"2004-10-28T17:00:00Z\", \"mhz\": 2800, \"sfu\": 132.7, \"source\": \"observed\", \"quality\": null, \"origin\": \"fluxtable\"},\n", nullptr, Flux},
    {"an empty selection", {"--import <db> <a>"}, "--history --database <db> --from 1990-01-01 --to 1990-01-02 --format json", 0, "[]\n", "holds no values for this selection", Flux},
    {"the report archives its product", {"--file <a> --archive --quiet --database <db>"}, H + "--from 2025-12-19 --to 2025-12-19 --mhz 2800", 0, "...Penticton,2025-12-19T17:00:00Z,2800,118,", nullptr, Real},
    {"quiet", {}, "--file <a> --archive --quiet --database <db>", 0, "", nullptr, Real},
    {"flux-table lines without a flux, a date or a time", {}, "--import <db> <a>", 0, "<a>: 5 new, 0 revised, 0 unchanged\n", nullptr, BadFlux},
    {"an SQLite file without tables becomes an archive", {}, "--import <db> <a>", 0, "<a>: 21 new, 0 revised, 0 unchanged\n", nullptr, Flux, {}, "<no tables>"},
    {"an archive whose table lacks its columns", {}, "--import <db> <a>", 1, "", "<db>: no such column: mhz", Flux, {}, "<no columns>"},
    {"one file of two is no product", {}, "--import <db> <a> <b>", 1, "", "<b> is neither a product of the service nor a Penticton flux table", Real, "<html>maintenance</html>"},
    {"a foreign SQLite file is left as it was", {}, "--import <db> <a>", 1, "", "not a Corvaline archive", Flux, {}, "<foreign>"},
    {"an archive of a newer Corvaline is left as it was", {}, "--import <db> <a>", 1, "", "written by a newer Corvaline (archive version 9", Flux, {}, "<newer>"},
    {"a file that is no database is left as it was", {}, "--import <db> <a>", 1, "", "not a Corvaline archive (not an SQLite database)", Flux, {}, "not SQLite at all"},
    {"a damaged archive is left as it was", {}, "--import <db> <a>", 1, "", "damaged", Flux, {}, "<damaged>"},
    {"an archive in a folder that is not there", {}, "--import --database <dir>/missing/a.sqlite <a>", 1, "", "<dir>/missing/a.sqlite: unable to open database file", Flux},
    {"a folder where the archive should be", {}, "--import <db> <a>", 1, "", "it is not a regular file", Flux, {}, "<folder>"},
    {"an archive behind a link is refused", {}, "--import <db> <a>", 1, "", "it is a link", Flux, {}, "<link>"},
    {"reading an empty file", {}, "--history --database <db>", 1, "", "<db>: there is no archive yet", {}, {}, ""},
    {"reading through a link", {}, "--history --database <db>", 1, "", "<db>: it is a link", Flux, {}, "<link>"},
    {"reading a folder", {}, "--history --database <db>", 1, "", "<db>: it is not a regular file", {}, {}, "<folder>"},
    {"reading an archive of a newer Corvaline", {}, "--history --database <db>", 1, "", "<db>: it was written by a newer Corvaline", {}, {}, "<newer>"},
    {"reading a foreign SQLite file", {}, "--history --database <db>", 1, "", "<db>: it is not a Corvaline archive", {}, {}, "<foreign>"},
    {"a frequency out of range", {}, "--history --mhz 29", 2, "", "whole MHz from 30 to 30000"},
    {"a date that is none", {}, "--history --from yesterday", 2, "", "a date is YYYY-MM-DD or an ISO 8601 time: yesterday"},
    {"an unknown series", {}, "--history --series smoothed", 2, "", "unknown series smoothed"},
    {"an option of another mode", {}, "--history --json", 2, "", "--json does not go with --history"},
    {"import without files", {}, "--import", 2, "", "--import needs the files to store"},
    {"a database without --archive", {}, "--database x", 2, "", "--database goes with --archive or --alert-rise"},
};
// clang-format on

// The product's own time text, kept beside the UTC time of each value.
struct StoredText
{
    const char *name;
    QByteArray product;
    const char *value; // which value, as SQL
    const char *timeText;
};
// clang-format off
const StoredText StoredTexts[] = {
    {"a text product's column: the table's date and the column's time", Real, "station = 'Penticton' AND mhz = 2800", "2025 Dec 19 1700 UTC"},
    {"a JSON entry: its time tag", SanVito, "station = 'San Vito' AND mhz = 410", "2024-10-14T10:38:00"},
    {"a flux-table line: its date and time fields", Flux, "time_s = 1098982800 AND series = 'observed'", "20041028 170000"},
};
// clang-format on

struct PlotRun
{
    const char *name, *arguments;
    int status;
    const char *picture;        // what the picture file starts with, or nullptr for no file
    const char *text = nullptr; // a text the SVG holds, or on a failure standard error
};
// clang-format off
const PlotRun Plots[] = {
    {"PNG of the flux table", "--mhz 2800 --output <dir>/p.png", 0, "\x89PNG"},
    {"SVG of daily medians, with legend and title", "--mhz 2800 --daily --output <dir>/p.svg", 0, "<?xml", "Penticton 2800 MHz"},
    {"SVG axes: dates, and sfu in powers of 2 for a narrow range", "--mhz 2800 --output <dir>/p.svg", 0, "<?xml", "date (UTC)"},
    {"SVG flux labels", "--mhz 2800 --output <dir>/p.svg", 0, "<?xml", ">128<"},
    {"SVG date labels: the first a fiftieth of the span before the first value", "--mhz 2800 --output <dir>/p.svg", 0, "<?xml", ">2004-05-28<"},
    {"SVG title names the period", "--mhz 2800 --output <dir>/p.svg", 0, "<?xml", "Solar radio flux, 2004-01-01 00:00 to 2026-01-01 23:59 UTC"},
    {"SVG of the plot's size", "--mhz 2800 --output <dir>/p.svg", 0, "<?xml", "width=\"352.778mm\" height=\"211.667mm\"\n viewBox=\"0 0 1000 600\""},
    {"a flux of 1 sfu is drawn", "--mhz 410 --output <dir>/p.png", 0, "\x89PNG"},
    {"SVG flux labels in powers of 10 for a wide range", "--mhz 410,2800 --output <dir>/p.svg", 0, "<?xml", ">100<"},
    {"nothing to draw", "--mhz 245 --output <dir>/p.png", 1, nullptr, "holds no values above 0 for this selection"},
    {"a picture that cannot be written", "--mhz 2800 --output <dir>/missing/p.png", 1, nullptr, "cannot write"},
    {"nothing above 0 to draw, daily", "--mhz 245 --daily --output <dir>/p.png", 1, nullptr, "holds no values above 0 for this selection"},
    {"no picture format", "--mhz 2800 --output <dir>/p.gif", 2, nullptr, "corvaline-plot: --output names a .png or .svg file"},
    {"a bad frequency", "--mhz 20 --output <dir>/p.png", 2, nullptr},
};
// clang-format on

// A connection of the test's own, closed when it goes.
struct Connection
{
    explicit Connection(const QString &path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &db);
    }
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool exec(const char *sql) const
    {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // The first column of the first row, or an empty text.
    QString first(const QByteArray &sql) const
    {
        sqlite3_stmt *statement = nullptr;
        QString value;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    }

    sqlite3 *db = nullptr;
};

// An archive that another program made, one from a newer Corvaline, one whose
// pages were overwritten after its header, or one whose table is not the
// archive's.
bool makeDatabase(const QString &path, const QByteArray &kind, const QString &source)
{
    if (kind == "<link>")
        return QFile::link(source, path);
    if (kind == "<folder>")
        return QDir().mkdir(path);
    if (!kind.startsWith('<'))
        return WriteFile(path, kind);
    if (kind == "<damaged>") {
        QByteArray bytes = ReadFile(source);
        return bytes.size() > 8192 &&
               WriteFile(path, bytes.replace(4096, 4096, QByteArray(4096, 'x')));
    }
    const Connection db(path);
    if (kind == "<no tables>") // as an archiver stopped before its first transaction leaves it
        return db.exec("PRAGMA journal_mode = WAL");
    if (kind == "<no columns>" || kind == "<no key>")
        return db.exec("PRAGMA journal_mode = WAL") &&
               db.exec(kind == "<no key>" ? "CREATE TABLE flux (station, time_s, mhz, series, sfu, "
                                            "quality, origin, time_text)"
                                          : "CREATE TABLE flux (station TEXT)") &&
               db.exec("PRAGMA application_id = 1131377270");
    return db.exec("CREATE TABLE notes (text TEXT)") &&
           (kind == "<foreign>" ||
            (db.exec("PRAGMA application_id = 1131377270") && db.exec("PRAGMA user_version = 9")));
}

// A flux table of `lines` measurements ten minutes apart from 1990 on.
QByteArray largeFluxTable(int lines)
{
    QByteArray table = Flux.left(Flux.indexOf("\n20041028"));
    const QDateTime start(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < lines; ++i)
        table += start.addSecs(600 * i).toString("\nyyyyMMdd    HHmmss").toLatin1() +
                 "      02453307.229  002022.605      000132.7     000130.9     000117.8";
    return table + '\n';
}
} // namespace

class ArchiveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    std::tuple<int, QString, QString> report(const QString &arguments)
    {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int status =
            RunReport(("corvaline-report " + arguments).split(' ', Qt::SkipEmptyParts),
                      {dir.filePath("cache/"), "https://127.0.0.1:1"}, outStream, errStream);
        return {status, out, err};
    }

    QString expand(QString text) const
    {
        return text.replace("--import <db>", "--import --database <db>")
            .replace("<db>", dir.filePath("archive.sqlite"))
            .replace("<a>", dir.filePath("a"))
            .replace("<b>", dir.filePath("b"))
            .replace("<dir>", dir.path());
    }

    static QString archiveCount(const QString &path)
    {
        const Connection db(path);
        QString result = db.first("PRAGMA integrity_check");
        if (const QString rows = db.first("SELECT count(*) FROM flux"); !rows.isEmpty())
            result += ' ' + rows;
        return result;
    }

    QProcess *startImport(const QString &file)
    {
        auto *process = new QProcess(this);
        process->start(CORVALINE_REPORT,
                       {"--import", "--database", dir.filePath("archive.sqlite"), file});
        return process;
    }

private Q_SLOTS:
    void init()
    {
        for (const char *name :
             {"archive.sqlite", "archive.sqlite-wal", "archive.sqlite-shm", "a", "b", "source"})
            QFile::remove(dir.filePath(name));
        QDir().rmdir(dir.filePath("archive.sqlite"));
    }

    void runs_data() { AddRows(Runs); }
    void runs()
    {
        const ArchiveRun &row = CurrentRow(Runs);
        const QString database = dir.filePath("archive.sqlite");
        QVERIFY(row.a.isNull() || WriteFile(dir.filePath("a"), row.a));
        QVERIFY(row.b.isNull() || WriteFile(dir.filePath("b"), row.b));
        if (row.database == "<damaged>" || row.database == "<link>") // a real archive beneath
            QCOMPARE(std::get<0>(
                         report(expand("--import --database " + dir.filePath("source") + " <a>"))),
                     0);
        QVERIFY(row.database.isNull() ||
                makeDatabase(database, row.database, dir.filePath("source")));
        const QByteArray before = ReadFile(database);
        for (const QString &step : row.steps)
            QCOMPARE(std::get<0>(report(expand(step))), 0);
        const auto [status, out, err] = report(expand(row.arguments));
        QCOMPARE(status, row.status);
        if (row.out.startsWith("..."))
            QVERIFY2(out.contains(expand(row.out.mid(3))), qPrintable(out));
        else
            QCOMPARE(out.left(expand(row.out).size()), expand(row.out));
        QVERIFY(status == 0 || out.isEmpty());
        QVERIFY2(row.message ? err.contains(expand(row.message)) : err.isEmpty(), qPrintable(err));
        if (!row.database.isNull() && status != 0) // refused as it was
            QCOMPARE(ReadFile(database), before);
    }

    // Reading never writes: no archive is made where there is none, and an
    // archive read stays byte for byte as it was.
    void readingWritesNothing()
    {
        const QString database = dir.filePath("archive.sqlite");
        const auto [missing, none, why] = report("--history --database " + database);
        QCOMPARE(missing, 1);
        QVERIFY2(why.contains(database + ": there is no archive yet; corvaline-report --archive "
                                         "or --import fills it"),
                 qPrintable(why));
        QVERIFY(!QFileInfo::exists(database));
        QVERIFY(WriteFile(dir.filePath("a"), Flux));
        QCOMPARE(std::get<0>(report(expand("--import <db> <a>"))), 0);
        const QByteArray before = ReadFile(database);
        const auto [status, out, err] =
            report(expand("--history --daily --mhz 2800 --from 2004-01-01 --database <db>"));
        QCOMPARE(status, 0);
        QVERIFY(out.contains("Penticton      2004-11-12    2800       96.3      3  observed"));
        QCOMPARE(ReadFile(database), before);
    }

    void storedTexts_data() { AddRows(StoredTexts); }
    void storedTexts()
    {
        const StoredText &row = CurrentRow(StoredTexts);
        const QString database = dir.filePath("archive.sqlite");
        QVERIFY(WriteFile(dir.filePath("a"), row.product));
        QCOMPARE(std::get<0>(report("--import --database " + database + ' ' + dir.filePath("a"))),
                 0);
        const Connection db(database);
        QCOMPARE(db.first("SELECT time_text FROM flux WHERE " + QByteArray(row.value)),
                 row.timeText);
    }

    // A time without an offset is UTC, whatever the local zone: also a time that
    // the local clock skips when daylight saving starts.
    void timesWithoutOffset()
    {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QVERIFY(WriteFile(dir.filePath("a"), Real));
        QVERIFY(WriteFile(dir.filePath("b"), R"([{"common_name": "Learmonth", "time_tag":
            "2024-03-31T02:30:00", "details": [{"frequency": 245, "flux": 14}]}])"));
        const int imported = std::get<0>(report(expand("--import <db> <a> <b>")));
        const auto [status, out, err] = report(expand(H + "--from 2024-03-31 --mhz 2800,245"));
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
        QCOMPARE(imported, 0);
        QVERIFY2(out.contains("Learmonth,2024-03-31T02:30:00Z,245,14,"), qPrintable(out));
        QVERIFY2(out.contains("Penticton,2025-12-19T17:00:00Z,2800,118,"), qPrintable(out));
    }

    // An archive whose table has no key for a value is refused as it is written.
    void tableWithoutKey()
    {
        QVERIFY(makeDatabase(dir.filePath("archive.sqlite"), "<no key>", {}));
        QVERIFY(WriteFile(dir.filePath("a"), Flux));
        const auto [status, out, err] = report(expand("--import <db> <a>"));
        QCOMPARE(status, 1);
        QVERIFY2(err.contains("ON CONFLICT clause does not match"), qPrintable(err));
    }

    // Times and days written as Qt writes them: either side of 1970, over
    // centuries, at every time of day, and past the year 9999.
    void isoTimes()
    {
        QList<qint64> times = {0,          -1,           -86400,       -86401,
                               1766163600, 253402300799, 253402300800, -62135596800};
        for (qint64 t = -6'000'000'000; t < 7'000'000'000; t += 86'399'937)
            times << t;
        for (const qint64 t : times) {
            const QDateTime time = QDateTime::fromSecsSinceEpoch(t, Qt::UTC);
            QCOMPARE(IsoUtc(t), time.toString("yyyy-MM-ddTHH:mm:ss") + 'Z');
            QCOMPARE(IsoDay(time.date()), time.date().toString("yyyy-MM-dd"));
        }
        QCOMPARE(IsoUtc(1766163600), "2025-12-19T17:00:00Z");
    }

    // One median per station and UTC day, days in order whatever order the rows
    // come in, before 1970 too.
    void dailyMedians()
    {
        const auto row = [](const char *station, qint64 timeS, double sfu) {
            return HistoryRow{station, timeS, 2800, sfu, true, QString(), Origin::Json};
        };
        const QList<HistoryRow> rows = {
            row("B", 86410, 5), row("A", 86420, 7), row("A", 86399, 3),  row("A", -1, 1),
            row("A", 86430, 9), row("A", 0, 5),     row("A", -86400, 2), row("C", 1766106000, 6)};
        QStringList days;
        for (const DailyRow &day : DailyMedians(rows))
            days << QString("%1 %2 %3 %4")
                        .arg(day.station, IsoDay(day.day))
                        .arg(day.sfu)
                        .arg(day.count);
        QCOMPARE(days, QStringList({"A 1969-12-31 1.5 2", "A 1970-01-01 4 2", "A 1970-01-02 8 2",
                                    "B 1970-01-02 5 1", "C 2025-12-19 6 1"}));
    }

    // Without --database the archive is $XDG_DATA_HOME/corvaline/archive.sqlite, in a
    // folder that only its owner may enter, for writing and reading.
    void defaultArchive()
    {
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        QVERIFY(WriteFile(dir.filePath("a"), Flux));
        const int status = std::get<0>(report("--import " + dir.filePath("a")));
        const auto [read, out, err] = report("--history --daily --mhz 2800 --from 2004-11-12 "
                                             "--to 2004-11-12 --format csv");
        qputenv("XDG_DATA_HOME", previous);
        QCOMPARE(status, 0);
        QCOMPARE(read, 0);
        QVERIFY2(out.contains("Penticton,2004-11-12,2800,96.3,3,observed"), qPrintable(out));
        QCOMPARE(QFileInfo(dir.filePath("data/corvaline")).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(archiveCount(dir.filePath("data/corvaline/archive.sqlite")), "ok 21");
    }

    // corvaline-plot over the flux table's lines, 2004 to 2025.
    void plots_data() { AddRows(Plots); }
    void plots()
    {
        const PlotRun &row = CurrentRow(Plots);
        QVERIFY(WriteFile(dir.filePath("a"), Flux) &&
                WriteFile(dir.filePath("b"), entry("Palehua", T, "410:1:Good 245:0:Good")));
        QCOMPARE(std::get<0>(report(expand("--import <db> <a> <b>"))), 0);
        QProcess plot;
        plot.start(
            CORVALINE_PLOT,
            expand(QString("--database <db> --from 2004-01-01 --to 2026-01-01 ") + row.arguments)
                .replace("<dir>", dir.path())
                .split(' '));
        QVERIFY(plot.waitForFinished(30000));
        QCOMPARE(plot.exitCode(), row.status);
        const QString picture =
            dir.filePath(QString(row.arguments).endsWith(".svg") ? "p.svg" : "p.png");
        QCOMPARE(QFile::exists(picture), row.picture != nullptr);
        QVERIFY(!row.picture || ReadFile(picture).startsWith(row.picture));
        QVERIFY(!picture.endsWith(".png") || !row.picture ||
                QImage(picture).pixel(0, 0) == qRgb(255, 255, 255)); // on white
        QVERIFY(!row.text ||
                (row.status ? plot.readAllStandardError() : ReadFile(picture)).contains(row.text));
        QFile::remove(picture);
    }

    // A process killed in the middle of a product leaves the archive as it was.
    void killedImport()
    {
        const QString database = dir.filePath("archive.sqlite");
        QVERIFY(WriteFile(dir.filePath("a"), Flux) &&
                WriteFile(dir.filePath("b"), largeFluxTable(150000)));
        QCOMPARE(std::get<0>(report(expand("--import <db> <a>"))), 0);
        QProcess *import = startImport(dir.filePath("b"));
        QFile wal(database + "-wal");
        for (int i = 0;
             i < 2000 && wal.size() < 4 * 1024 * 1024 && import->state() != QProcess::NotRunning;
             ++i)
            QThread::msleep(5);
        ::kill(pid_t(import->processId()), SIGKILL);
        QVERIFY(import->waitForFinished(10000));
        QCOMPARE(import->exitStatus(), QProcess::CrashExit);
        QCOMPARE(archiveCount(database), "ok 21");
    }

    // An archiver that finds the new file being written by another waits for it: SQLite
    // answers "busy" at once there, since waiting for the lock could deadlock.
    void lockedByAnother()
    {
        const QString database = dir.filePath("archive.sqlite");
        QVERIFY(WriteFile(dir.filePath("a"), Flux) && WriteFile(database, ""));
        QProcess *import = nullptr;
        {
            const Connection db(database);
            QVERIFY(db.exec("BEGIN IMMEDIATE"));
            import = startImport(dir.filePath("a"));
            QThread::msleep(500);
            QVERIFY(import->state() != QProcess::NotRunning && db.exec("ROLLBACK"));
        }
        QVERIFY(import->waitForFinished(30000));
        QCOMPARE(import->readAllStandardError(), "");
        QCOMPARE(archiveCount(database), "ok 21");
    }

    // Two archivers at once both store their product.
    void twoArchivers()
    {
        QVERIFY(WriteFile(dir.filePath("a"), Flux) &&
                WriteFile(dir.filePath("b"), largeFluxTable(5000)));
        QProcess *first = startImport(dir.filePath("b")), *second = startImport(dir.filePath("a"));
        for (QProcess *process : {first, second}) {
            QVERIFY(process->waitForFinished(60000));
            QCOMPARE(process->readAllStandardError(), "");
        }
        QCOMPARE(archiveCount(dir.filePath("archive.sqlite")), "ok 15021");
    }
};

QTEST_MAIN(ArchiveTest)
#include "tst_archive.moc"
