// SPDX-License-Identifier: MIT
// Sun noise: the physics against hand-worked figures, and corvaline-report's
// --sun-noise and --measured-y-db on products of the test's own.
#include "report/ReportCommand.h"
#include "sun/SunFigures.h"
#include "support/Support.h"
#include "support/Table.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
struct Physics
{
    const char *name;
    double value, expected, tolerance;
};
// 1296 MHz: lambda = 0.231321 m. 30 dBi, S = 100 sfu: T_sun = 1e-20 * 1000 * 0.0535094 /
// (8 pi 1.380649e-23) = 1542.1 K; with T_sys 60 K, Y = 26.70 = 14.27 dB.
// clang-format off
const Physics Figures[] = {
    {"T_sun of the worked example", SunTemperatureK(100, 1000, 1296, 1), 1542.1, 0.1},
    {"Y of the worked example", YFactorDb(SunTemperatureK(100, 1000, 1296, 1), 60), 14.27, 0.05},
    {"a 3 m dish at 10368 MHz, 55 %", ToDb(DishGain(3, 0.55, 10368)), 47.67, 0.01},
    {"its beamwidth, 70 lambda / D", DishBeamwidthDeg(3, 10368), 0.6747, 0.0005},
    {"its beam factor for a 0.53 degree Sun", BeamFactor(DishBeamwidthDeg(3, 10368), 0.53), 1.2345, 0.0005},
    {"NF 0.5 dB and T_ant 20 K", SystemTemperatureK(0.5, 20), 55.39, 0.01},
    {"G/T of the worked example", GOverTDbK(YFactorDb(1542.2, 60), 100, 1296, 1), 12.22, 0.01},
    {"the beam factor divides the flux", SunTemperatureK(100, 1000, 1296, 2), 771.1, 0.1},
};
// clang-format on

struct SunRun
{
    const char *name, *arguments;
    int status;
    QString out; // what standard output holds ("..." a part of it)
    const char *message = nullptr;
    const char *before = nullptr; // a command run first, which succeeds
};

// Learmonth at 04:00 with 100 sfu measured at 1296 MHz and a burst at 1415 MHz;
// San Vito two hours and Palehua nine hours earlier, good.
const QByteArray Stations =
    "[" +
    entry("Learmonth", T,
          "1296:100:Good~quality 245:14:Good~quality 410:38:Good~quality 610:52:Good~quality "
          "1415:66:Uncertain~\xe2\x80\x93~burst~progress")
        .mid(1)
        .chopped(1) +
    "," +
    entry("San Vito", "2024-10-14T02:00:00", "610:60:Good~quality 1415:80:Good~quality")
        .mid(1)
        .chopped(1) +
    "," +
    entry("Sag Hill", "2024-10-14T03:00:00", "610:40:Good~quality 1415:50:Good~quality")
        .mid(1)
        .chopped(1) +
    "," +
    entry("Palehua", "2024-10-13T19:00:00", "610:90:Good~quality 1415:120:Good~quality")
        .mid(1)
        .chopped(1) +
    "]";
const char Station[] = "--gain-dbi 30 --tsys-k 60 --file <file> ";

// clang-format off
const SunRun Runs[] = {
    {"the worked example, observed", "--sun-noise --mhz 1296 --format csv", 0, "mhz,sfu,source,gain_dbi,beamwidth_deg,beam_factor,t_ant_k,t_sys_k,t_sun_k,y_db,calibration\r\n1296,100.0,observed,30.00,,1.000,,60.0,1542.1,14.27,good\r\n"},
    {"an estimate from anchors with a burst", "--sun-noise --mhz 1000 --format csv", 0, "...1000,59.8,estimated,30.00,,1.000,,60.0,1549.3,14.28,burst\r\n"},
    {"the newest of a station, any spelling", "--sun-noise --mhz 1000 --station SAG_HILL --format csv", 0, "...1000,45.6,estimated,30.00,,1.000,,60.0,1181.2,13.16,good\r\n"},
    {"combined: the median of the good ones within the hours, spread", "--sun-noise --mhz 1000 --combine 3 --format csv", 0, "...,sfu_low,sfu_high,y_db_low,y_db_high,observations\r\n1000,58.3,combined,30.00,,1.000,,60.0,1510.7,14.18,spread,45.6,71.0,13.16,15.01,2\r\n"},
    {"combined over a day", "--sun-noise --mhz 1000 --combine 24 --format csv", 0, "...1000,71.0,combined,30.00,,1.000,,60.0,1840.2,15.01,spread,45.6,106.6,13.16,16.72,3\r\n"},
    {"combined: one good observation", "--sun-noise --mhz 1000 --combine 1.5 --format csv", 0, "...1000,45.6,combined,30.00,,1.000,,60.0,1181.2,13.16,good,45.6,45.6,13.16,13.16,1\r\n"},
    {"JSON with the observation as reported", "--sun-noise --mhz 1296 --format json", 0, "{\n  \"observation\": {\"station\": \"Learmonth\", \"time\": \"2024 Oct 14 0400 UTC\", "},
    {"JSON figures", "--sun-noise --mhz 1296 --format json", 0, "...\"sun_noise\": [\n    {\"mhz\": 1296, \"sfu\": 100.0, \"source\": \"observed\", \"gain_dbi\": 30.00, \"beamwidth_deg\": null, \"beam_factor\": 1.000, \"t_ant_k\": null, \"t_sys_k\": 60.0, \"t_sun_k\": 1542.1, \"y_db\": 14.27, \"calibration\": \"good\"}\n  ]\n}\n"},
    {"a dish: gain, beamwidth and the correction reported", "--sun-noise --mhz 1296 --dish-m 3 --nf-db 0.5 --file <file>", 0, "Sun noise from Learmonth, 2024-10-14T04:00:00 (2024-10-14T04:00:00Z)\nBeam correction applied: S divided by K = 1 + 0.38 (sun / beamwidth)^2\n   MHz       sfu  source      G dBi  beam deg      K  T_ant K  T_sys K   T_sun K   Y dB  calibration\n  1296     100.0  observed    29.60     5.397  1.004     20.0     55.4    1402.8  14.20  good\n"},
    {"no flux at any frequency", "--sun-noise --mhz 8800", 1, "", "no flux at any of the frequencies"},
    {"G/T from the worked example's Y, and the gain", "--measured-y-db 14.27 --mhz 1296 --format json", 0, "{\"mhz\": 1296, \"sfu\": 100.0, \"source\": \"observed\", \"y_db\": 14.27, \"beam_factor\": 1.000, \"g_over_t_db_k\": 12.22, \"gain_dbi\": 30.00, \"t_sys_k\": 60.0}\n"},
    {"the highest frequency is one", "--sun-noise --mhz 30000", 1, "", "no flux at any of the frequencies"},
    {"a frequency out of range", "--sun-noise --mhz 29", 2, "", "--mhz gives whole MHz from 30 to 30000"},
    {"no antenna temperature below 1000 MHz", "--sun-noise --mhz 432 --nf-db 1 --gain-dbi 20 --file <file>", 2, "", "give --tant-k for 432 MHz"},
    {"an option of another mode", "--sun-noise --mhz 1296 --daily", 2, "", "--daily does not go with --sun-noise"},
    {"two modes", "--sun-noise --history", 2, "", "are modes: choose one"},
    {"an alert above a level comes with the whole report", "--file <file> --observation 0 --alert-above 90 --mhz 1296", 3, "Learmonth   2024 Oct 14 0400 UTC\n", "alert: Learmonth 2024-10-14T04:00:00Z: 1296 MHz flux 100.0 sfu is above 90 sfu"},
    {"no alert at the level", "--file <file> --alert-above 100 --mhz 1296", 0, "Learmonth   2024 Oct 14 0400 UTC\n"},
    {"an alert on a rise over the archive's median", "--file <file> --alert-rise 25 --mhz 1000 --database <db>", 3, "Learmonth", "1000 MHz flux 59.8 sfu is 30 % above its median of 46.0 sfu over the 30 days before", "--import --database <db> <older>"},
    {"no rise without an archive", "--file <file> --alert-rise 30 --mhz 1296 --database <db>", 1, "", "there is no archive yet; corvaline-report --archive or --import fills it: no rise can be judged"},
    {"no rise without an archived value", "--file <file> --observation 1 --alert-rise 30 --mhz 1296 --database <db>", 1, "", "the archive holds no value of San Vito at 1296 MHz in the 30 days before 2024-10-14T02:00:00", "--import --database <db> <older>"},
    {"of two newest observations, the first listed", "--sun-noise --mhz 1296 --gain-dbi 30 --tsys-k 60 --file <ties>", 0, "Sun noise from Learmonth, 2024-10-14T04:00:00"},
    {"a level below 1 sfu", "--file <file> --alert-above 0.5 --mhz 1296", 3, "Learmonth", "is above 0.5 sfu"},
    {"a level of 0", "--file <file> --alert-above 0 --mhz 1296", 2, "", "--alert-above is a number above 0: 0"},
    {"an alert needs one frequency", "--file <file> --alert-above 90", 2, "", "take the one frequency in --mhz"},
    {"the default antenna temperature from 1000 MHz on", "--sun-noise --mhz 1000 --nf-db 1 --gain-dbi 20 --file <file> --format csv", 0, "...1000,59.8,estimated,20.00,,1.000,20.0,95.1,154.9,4.20,burst\r\n"},
    {"text figures have no flags: used when combined, and unknown", "--sun-noise --mhz 1296 --combine 0.1 --gain-dbi 30 --tsys-k 60 --file <text> --format csv", 0, "...1296,64.4,combined,30.00,,1.000,,60.0,992.8,12.44,unknown,64.4,64.4,12.44,12.44,1\r\n"},
    {"a beamwidth and a Sun of its own size", "--sun-noise --mhz 1296 --beamwidth-deg 1 --sun-diameter-deg 1.06 --format csv", 0, "...1296,100.0,observed,30.00,1.000,1.427,,60.0,1080.7,12.79,good\r\n"},
    {"a text product's observation by its number", "--sun-noise --mhz 1296 --observation 1 --gain-dbi 30 --tsys-k 60 --file <text>", 0, "Sun noise from San Vito, "},
    {"one way of choosing the flux", "--sun-noise --mhz 1296 --observation 0 --station Palehua", 2, "", "choose the flux by one of --observation, --station and --combine"},
    {"a measured Y beyond 1000 dB", "--measured-y-db 1000.5 --mhz 1296", 2, "", "--measured-y-db is a number above 0 up to 1000: 1000.5"},
    {"G/T with the gain alone gives the system temperature", "--measured-y-db 14.27 --mhz 1296 --gain-dbi 30 --file <file> --format json", 0, "...\"gain_dbi\": 30.00, \"t_sys_k\": 59.9}\n"},
    {"a dish of no size", "--sun-noise --mhz 1296 --dish-m 0 --tsys-k 60 --file <file>", 2, "", "--dish-m is a number above 0: 0"},
    {"an antenna temperature of its own", "--sun-noise --mhz 432 --nf-db 1 --tant-k 150 --gain-dbi 20 --format csv --file <file>", 0, "...\r\n432,"},
    {"combined: an observation exactly the hours before counts", "--sun-noise --mhz 1000 --combine 1 --format csv", 0, "...1000,45.6,combined,30.00,,1.000,,60.0,1181.2,13.16,good,45.6,45.6,13.16,13.16,1\r\n"},
    {"a dish of another efficiency", "--sun-noise --mhz 1296 --dish-m 3 --efficiency 0.7 --tsys-k 60 --format csv --file <file>", 0, "...1296,100.0,observed,30.65,"},
    {"an efficiency above 1", "--sun-noise --mhz 1296 --dish-m 3 --efficiency 1.5 --tsys-k 60 --file <file>", 2, "", "--efficiency is a number above 0 up to 1: 1.5"},
    {"a gain that is no number", "--sun-noise --mhz 1296 --gain-dbi inf --tsys-k 60 --file <file>", 2, "", "--gain-dbi is a number"},
    {"combined, as a table", "--sun-noise --mhz 1000 --combine 3", 0, "...calibration sfu low  sfu high  Y low  Y high  obs\n  1000      58.3  combined    30.00         -  1.000        -     60.0    1510.7  14.18  spread         45.6      71.0  13.16   15.01    2\n"},
    {"Y with two system temperatures", "--measured-y-db 3 --mhz 1296 --tsys-k 60 --nf-db 1", 2, "", "give the system by --tsys-k or by --nf-db, not both"},
    {"Y takes one frequency", "--measured-y-db 3 --mhz 1296,2304", 2, "", "takes one frequency"},
};
// clang-format on
} // namespace

class SunTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    std::tuple<int, QString, QString> report(QString arguments)
    {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QStringList list =
            ("corvaline-report " + arguments.replace("<db>", dir.filePath("archive.sqlite")))
                .split(' ', Qt::SkipEmptyParts);
        list.replaceInStrings("\u00a0", " ");
        const int status =
            RunReport(list, {dir.filePath("cache/"), "https://127.0.0.1:1"}, outStream, errStream);
        return {status, out, err};
    }

private Q_SLOTS:
    // A cron line keeps the report on an alert (3) as on 0, and nothing on a failure.
    void cron()
    {
        QVERIFY(WriteFile(dir.filePath("file"), QByteArray(Stations).replace('~', ' ')));
        for (const auto &[limit, status, kept] :
             {std::tuple{"90", 3, true}, {"100", 0, true}, {"x", 2, false}}) {
            QFile::remove(dir.filePath("flux.json"));
            const QString line =
                QString("%1 --file %2 --format json --alert-above %3 --mhz 1296 > %4.new; s=$?; { "
                        "[ $s = 0 ] || [ $s = 3 ]; } && mv %4.new %4; exit $s")
                    .arg(CORVALINE_REPORT, dir.filePath("file"), limit, dir.filePath("flux.json"));
            QProcess cron;
            cron.start("sh", {"-c", line});
            QVERIFY(cron.waitForFinished(10000));
            QCOMPARE(cron.exitCode(), status);
            QCOMPARE(
                ReadFile(dir.filePath("flux.json")).startsWith("[\n  {\"station\": \"Learmonth\""),
                kept);
        }
    }

    void physics_data() { AddRows(Figures); }
    void physics()
    {
        const Physics &row = CurrentRow(Figures);
        QVERIFY2(std::abs(row.value - row.expected) <= row.tolerance,
                 qPrintable(QString::number(row.value, 'f', 4)));
    }

    // A dish's prediction fed back as a measurement gives the station again.
    void roundTrip()
    {
        StationSetup setup;
        setup.dishM = 3;
        setup.noiseFigureDb = 0.5;
        QString problem;
        const StationAt station = *StationAtFrequency(setup, 10368, problem);
        QVERIFY(station.beamFactor > 1.2);
        const SunFigure figure =
            PredictSunNoise(station, 10368, {FluxAt{250.0, true, {"good"}}}, false);
        const GOverT back = StationFromMeasuredY(*figure.yDb, 250, 10368, station.beamFactor,
                                                 station.gainDbi, std::nullopt);
        QVERIFY(std::abs(*back.tSysK - station.tSysK) < 1e-6);
        QVERIFY(std::abs(back.gOverTDbK - (station.gainDbi - ToDb(station.tSysK))) < 1e-9);
    }

    void runs_data() { AddRows(Runs); }
    void runs()
    {
        const SunRun &row = CurrentRow(Runs);
        QVERIFY(WriteFile(dir.filePath("file"), QByteArray(Stations).replace('~', ' ')));
        // Learmonth a day earlier, 45.6 sfu at 1000 MHz instead of 59.8.
        QVERIFY(WriteFile(dir.filePath("older"), QByteArray(Stations)
                                                     .replace('~', ' ')
                                                     .replace("2024-10-14T04", "2024-10-13T04")
                                                     .replace("\"flux\":52", "\"flux\":40")
                                                     .replace("\"flux\":66", "\"flux\":50")));
        QString arguments = row.arguments;
        // San Vito at Learmonth's time: the newest twice.
        QVERIFY(WriteFile(dir.filePath("ties"), QByteArray(Stations).replace('~', ' ').replace(
                                                    "2024-10-14T02:00", "2024-10-14T04:00")));
        arguments.replace("<ties>", dir.filePath("ties"));
        if (!arguments.contains(dir.path()) && !arguments.contains("<file>") &&
            !arguments.contains("<text>"))
            arguments += ' ' + QString(Station);
        QVERIFY(WriteFile(dir.filePath("text"), IndicesProduct()));
        arguments.replace("<text>", dir.filePath("text"));
        arguments.replace("<file>", dir.filePath("file")).replace("SAG_HILL", "sagamore\u00a0hill");
        QFile::remove(dir.filePath("archive.sqlite"));
        if (row.before)
            QCOMPARE(
                std::get<0>(report(QString(row.before).replace("<older>", dir.filePath("older")))),
                0);
        const auto [status, out, err] = report(arguments);
        QCOMPARE(status, row.status);
        if (row.out.startsWith("..."))
            QVERIFY2(out.contains(row.out.mid(3)), qPrintable(out));
        else
            QCOMPARE(out.left(row.out.size()), row.out);
        QVERIFY2(row.message ? err.contains(row.message) : err.isEmpty(), qPrintable(err));
    }
};

QTEST_MAIN(SunTest)
#include "tst_sun.moc"
