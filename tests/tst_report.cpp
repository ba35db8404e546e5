// SPDX-License-Identifier: MIT
// corvaline-report: options, input, output, exit status, and fetches that fail.
#include "report/ReportCommand.h"
#include "support/CacheFixture.h"
#include "support/Table.h"

#include <QProcess>
#include <csignal>
#include <fcntl.h>

namespace {
struct ReportRun
{
    const char *name, *arguments; // <cache>: the cached text product; <file>: the row's file
    int status;
    QString out;         // what standard output starts with, or with "..." what it holds
    const char *message; // in standard error, or nullptr for nothing there
    QByteArray file = {};
    // clang-format off
    enum Setup { Plain, LinkedCache, MissingCache, JsonOnly, Unwritable, Program, FullDisk,
                 ClosedPipe } setup = Plain;
    // clang-format on
    TestResponse response = {200, New}; // to a fetch
};

const QString Header =
    "station,time,observed_245,observed_410,observed_610,observed_1415,observed_2695,observed_4995,"
    "observed_8800,observed_15400,estimated_50,estimated_70,estimated_144,estimated_222,estimated_"
    "432,estimated_900,estimated_1296,estimated_2304,estimated_2320,estimated_2424,estimated_3400,"
    "estimated_3456,estimated_5760,estimated_10368,estimated_24048,estimated_406,estimated_1420,"
    "estimated_2295,estimated_2800,estimated_8840,time_utc,kind,observed_2800,quality_245,quality_"
    "410,quality_610,quality_1415,quality_2695,quality_2800,quality_4995,quality_8800,quality_"
    "15400\r\n";
// A real text product; a burst at Learmonth; quality flags as the service spells them.
const QByteArray
    Real = ReadFile(CORVALINE_SOURCE_DIR
                    "/tests/data/noaa-current-space-weather-indices-2025-12-19.txt"),
    Burst = changed("      14     15", " 2656308     15"),
    Flags =
        entry("Palehua", T,
              "{\"frequency\":245,\"flux\":14,\"observed_quality\":\"Uncertain \u2013  "
              "interference\"},{\"frequency\":410,\"flux\":38,\"observed_quality\":\"Good "
              "quality\"},{\"frequency\":610,\"flux\":52,\"observed_quality\":\"Uncertain \u2013 "
              "burst progress\"},{\"frequency\":1415,\"flux\":66,\"observed_quality\":\"Uncertain "
              "due to weather\"},{\"frequency\":2695,\"flux\":95,\"observed_quality\":\"Uncertain "
              "\u2013 unknown cause\"}");
const QString Measured = "Penticton,2025 Dec 19 1700 UTC" + QString(28, ',') +
                         ",2025-12-19T17:00:00Z,10.7 cm,118" + QString(9, ',') + "\r\n";

// clang-format off
const ReportRun Runs[] = {
    {"empty body, fetched", "--fetch", 1, "", "the answer was empty", {}, ReportRun::Plain, {200, ""}},
    {"redirect to another host, fetched", "--fetch", 1, "", "redirect to https://127.0.0.1:1/x%1B refused", {}, ReportRun::Plain, Elsewhere},
    {"JSON maintenance page, fetched", "--fetch --json", 1, "", "not a JSON array", {}, ReportRun::Plain, Maintenance},
    {"no end in sight, fetched", "--fetch", 1, "", "not done 1000 ms after it started; stopped", {}, ReportRun::Plain, Held},
    {"cached product is a link", "", 1, "", "cannot read", {}, ReportRun::LinkedCache},
    {"--file through a link", "--file <cache>", 0, "", nullptr, {}, ReportRun::LinkedCache},
    {"a file that never ends", "--file /proc/self/pagemap", 1, "", "cannot read /proc/self/pagemap"},
    {"a fetch into a cache of others", "--fetch", 1, "", "(only members of the group corvaline may update the cache", {}, ReportRun::Unwritable},
    {"a column with 410 but no 245 MHz value is a 10.7 cm measurement", "--file <file>", 0, "...\nSagamore Hill 2024 Oct 14 1700 UTC   10.7 cm   99 sfu\n", nullptr, changed("39     -1     41", "39     28     41").replace("102     -1", "102     99")},
    {"an issue date in no month gives no ISO time", "--format csv --observation 0 --file <file>", 0, "...,2024 Xyz 14 0400 UTC,", nullptr, IndicesProduct("2024 Xyz 14 0530 UTC")},
    {"an issue date without its time gives no ISO time", "--format csv --observation 0 --file <file>", 0, "...,264,,observation,", nullptr, IndicesProduct("2024 Oct 14")},
    {"as a program", "--file <cache> --observation 0", 0, "Learmonth   2024 Oct 14 0400 UTC\n", nullptr, {}, ReportRun::Program},
    {"report to a full disk", "--file <cache>", 1, "", "could not write the report to standard output: No space left on device", {}, ReportRun::FullDisk},
    {"report to a closed pipe, SIGPIPE ignored", "--file <cache>", 1, "", "could not write the report to standard output: Broken pipe", {}, ReportRun::ClosedPipe},
    {"table of the cached text product", "", 0, "Learmonth   2024 Oct 14 0400 UTC\n  observed      245   410   610  1415  2695  2800  4995  8800 15400 MHz\n                 14    38    52    66    95   101   142   262   568 sfu\n  estimated      50    70   144   222   432   900  1296  2304  2320  2424 MHz\n                  1     1     5    12    40    58    64    87    87    89 sfu\n               3400  3456  5760 10368 24048   406  1420  2295  2800  8840 MHz\n                111   112   166   329  1052    37    66    87    97   264 sfu\n\nSan Vito    2024 Oct 14 1000 UTC\n", nullptr},
    {"CSV of one observation", "--format csv --observation 5", 0, Header + "Penticton,2024 Oct 14 2300 UTC,20,44,58,72,101,148,268,574,2,3,9,17,46,64,70,93,93,96,117,118,172,335,1053,43,72,93,103,270,2024-10-13T23:00:00Z,observation,107,,,,,,,,,\r\n", nullptr},
    {"JSON of a JSON file, missing values null", "--format json --observation 1 --file <file>", 0, "[\n  {\"station\": \"Penticton\", \"time\": \"2024 Oct 14 2000 UTC\", \"observed\": {\"245\": 20, \"410\": null, \"610\": null", nullptr, Products[1]},
    {"CSV quotes a field", "--format csv --file <file>", 0, Header + "\"Sag \"\"Hill\"\", Penticton\",2024 Oct 14 0400 UTC,-1,", nullptr, entry("Sag \\\"Hill\\\", Penticton", T)},
    {"control characters are not printed", "--file <file>", 0, "A\ufffdB\ufffdC\ufffd\ufffd     2024 Oct 14 0400 UTC\n", nullptr, entry("A\\u001bB\\u2029C\\u202e\xf3\xa0\x81\x81", T)},
    {"the log escapes control characters", "--verbose --file <file>", 0, "A\ufffd[2JB\ufffd", "Common Name: A\\u001B[2JB\\U000E0041 Time: 2024-10-14T04:00:00", entry("A\\u001b[2JB\xf3\xa0\x81\x81", T)},
    {"a name that is a negative number is no formula", "--format csv --file <file>", 0, Header + "-12,2024 Oct 14 0400 UTC,-1,", nullptr, entry("-12", T)},
    {"CSV cells are no formulas", "--format csv --file <file>", 0, Header + "'=HYPERLINK(1),2024 Oct 14 0400 UTC,-1,", nullptr, entry("=HYPERLINK(1)", T)},
    {"measured 10.7 cm flux in JSON, dated by the table", "--format json --file <file>", 0, "...}},\n  {\"station\": \"Penticton\", \"time\": \"2025 Dec 19 1700 UTC\", \"time_utc\": \"2025-12-19T17:00:00Z\", \"kind\": \"10.7 cm\", \"observed\": {\"2800\": 118}}\n]\n", nullptr, Real},
    {"measured 10.7 cm flux in CSV", "--format csv --file <file>", 0, "..." + Measured, nullptr, Real},
    {"a January column before the issue time, a record without 410 MHz", "--format csv --observation 0 --file <file>", 0, "...,2024-01-14T04:00:00Z,observation,101,", nullptr, IndicesProduct("2024 Jan 14 0530 UTC").replace("  410      38", "  410      -1")},
    {"an empty JSON array after a byte order mark", "--file <file>", 1, "", "is not a JSON array", "\xef\xbb\xbf[]"},
    {"a column at the issue time is that day", "--format csv --observation 1 --file <file>", 0, "...,2024-10-14T10:00:00Z,observation,102,", nullptr, IndicesProduct("2024 Oct 14 1000 UTC")},
    {"quality flags by their words", "--format json --file <file>", 0, "...\"time_utc\": \"2024-10-14T04:00:00Z\", \"kind\": \"observation\", \"quality\": {\"245\": \"interference\", \"410\": \"good\", \"610\": \"burst\", \"1415\": \"weather\", \"2695\": \"unknown cause\", \"2800\": null, \"4995\": null, \"8800\": null, \"15400\": null}}\n]\n", nullptr, Flags},
    {"quality flags in CSV", "--format csv --file <file>", 0, "...,2024-10-14T04:00:00Z,observation,,interference,good,burst,weather,unknown cause,,,,\r\n", nullptr, Flags},
    {"a JSON product of 100 entries", "--file <file>", 0, "S ", "holds 100 observations, the newest 90 are read", Hundred},
    {"only the JSON product cached", "", 1, "", "; the JSON product is cached: use --json", {}, ReportRun::JsonOnly},
    {"verbose lists the frequencies", "--verbose --observation 0", 0, "Learmonth", "freq:   245 flux:   14 quality: "},
    {"a burst keeps its columns apart", "--observation 0 --file <file>", 0, "Learmonth   2024 Oct 14 0400 UTC\n  observed         245      410      610     1415     2695     2800     4995     8800    15400 MHz\n               2656308       38       52", nullptr, Burst},
    {"fetch", "--fetch --format csv --observation 0", 0, Header + "Learmonth,2024 Oct 15 0400 UTC,30,38,", nullptr},
    {"fetch without a cache directory: no hint about the group", "--fetch", 1, "", "could not open the file for writing: No such file or directory\n", {}, ReportRun::MissingCache},
    {"empty file", "--file <file>", 1, "", "holds no observations", ""},
    {"JSON of the wrong shape", "--file <file>", 1, "", "is not a JSON array", "{\"common_name\": \"Palehua\"}"},
    {"no observation 6", "--observation 6", 1, "", "there is no observation 6;"},
    {"help", "--help", 0, "Usage: ", nullptr},
    {"observation not a number", "--observation x", 2, "", "the observation is a number"},
    {"unknown format", "--format xml", 2, "", "unknown format xml"},
    {"unknown option", "--colour", 2, "", "Unknown option 'colour'"},
    {"file and fetch", "--fetch --file <file>", 2, "", "no --json or --fetch with it"},
    {"version", "--version", 0, "corvaline-report 1.02\n", nullptr},
};
// clang-format on
} // namespace

class ReportTest : public QObject, protected CacheFixture
{
    Q_OBJECT

    // corvaline-report in the process, or as a program whose standard output fails.
    std::tuple<int, QString, QString> run(const TestHttpsServer &server, const ReportRun &row)
    {
        const QString arguments = QString(row.arguments)
                                      .replace("<cache>", cached(0))
                                      .replace("<file>", dir.filePath("file"));
        if (row.setup < ReportRun::Program) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            ServiceLocations locations = at(server);
            locations.dataDirectory += row.setup == ReportRun::MissingCache ? "missing/" : "";
            const int status =
                RunReport(("corvaline-report " + arguments).split(' ', Qt::SkipEmptyParts),
                          locations, outStream, errStream,
                          row.setup == ReportRun::MissingCache ? 600000 : 1000); // never waited out
            return {status, out, err}; // a text stream writes through to its string
        }
        int pipe[2] = {-1, -1}; // its reading end closed before the report writes
        const bool closed = ::pipe(pipe) == 0 && ::close(pipe[0]) == 0;
        const int out = row.setup == ReportRun::FullDisk ? ::open("/dev/full", O_WRONLY) : pipe[1];
        QProcess report;
        if (row.setup != ReportRun::Program)
            report.setChildProcessModifier([out] {
                std::signal(SIGPIPE, SIG_IGN);
                ::dup2(out, STDOUT_FILENO);
            });
        report.start(CORVALINE_REPORT, arguments.split(' '));
        const bool exited = closed && report.waitForFinished(10000) &&
                            report.exitStatus() == QProcess::NormalExit && ::close(out) == 0;
        ::close(pipe[1]);
        return {exited ? report.exitCode() : -1, report.readAllStandardOutput(),
                report.readAllStandardError()};
    }

private Q_SLOTS:
    void init() { resetCache(); }

    // Nothing on standard output but after a success; the cache holds a fetched
    // product or what it held, and a planted link's victim is untouched.
    void runs_data() { AddRows(Runs); }
    void runs()
    {
        const ReportRun &row = CurrentRow(Runs);
        TestHttpsServer server;
        const int product = QString(row.arguments).contains("--json") ? 1 : 0;
        server.responses[Paths[product]] = row.response;
        const QString victim = outside.filePath("victim");
        QVERIFY(WriteFile(cached(1), Products[1]) && WriteFile(victim, IndicesProduct()));
        QVERIFY(row.file.isNull() || WriteFile(dir.filePath("file"), row.file));
        QVERIFY(row.setup != ReportRun::JsonOnly || QFile::remove(cached(0)));
        QVERIFY(row.setup != ReportRun::LinkedCache ||
                (QFile::remove(cached(0)) && QFile::link(victim, cached(0))));
        refuseWrites(row.setup == ReportRun::Unwritable);
        const auto [status, out, err] = run(server, row);
        refuseWrites(false);
        QCOMPARE(status, row.status);
        const bool found = row.out.startsWith("...") ? out.contains(row.out.mid(3))
                                                     : out.left(row.out.size()) == row.out;
        QVERIFY2(found && (status == 0 || out.isEmpty()), qPrintable(out));
        QVERIFY2(row.message ? err.contains(row.message) : err.isEmpty(), qPrintable(err));
        QVERIFY(!out.contains(QChar(0x1b)) && !err.contains(QChar(0x1b)));
        const bool fetched = status == 0 && QString(row.arguments).contains("--fetch");
        const QByteArray old[] = {row.setup == ReportRun::JsonOnly ? "<missing>" : IndicesProduct(),
                                  Products[1]};
        QCOMPARE(ReadFile(cached(product)), fetched ? row.response.body : old[product]);
        QCOMPARE(ReadFile(victim), IndicesProduct());
    }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
