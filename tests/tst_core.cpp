// SPDX-License-Identifier: MIT
// The core: both readers, the estimates and the display texts, without a window.
#include "data/JsonFluxReader.h"
#include "data/Observations.h"
#include "data/TextFluxReader.h"
#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"
#include "support/Support.h"
#include "support/Table.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {
// Observations of record 0: nine fluxes, then nine qualities (see ObservationOf).
const QString WorkedRecord = "14 38 52 66 95 101 142 262 568|||||||||";
const QString None = "-1 -1 -1 -1 -1 -1 -1 -1 -1|||||||||";
const QString Stale = "999 999 999 999 999 999 999 999 999|s|s|s|s|s|s|s|s|s";

// The nine fluxes, then the nine qualities: "14 38 ... 568|Good|Good||...".
QString ObservationOf(const ObservationRecord &record)
{
    QStringList fluxes, qualities;
    for (const FrequencySlot &slot : record.slots) {
        fluxes << QString::number(slot.flux);
        qualities << QString::fromUtf8(slot.quality);
    }
    return fluxes.join(' ') + '|' + qualities.join('|');
}

// The six stations of the seed product with the date, and the station's time
// unless the date is cut short.
QString sixStations(const QString &date, bool stationTime = true)
{
    QStringList items;
    for (const char *station :
         {"Learmonth   %1 0400 UTC", "San Vito    %1 1000 UTC", "Pentiction  %1 1700 UTC",
          "Pentiction  %1 2000 UTC", "Palehua     %1 2300 UTC", "Pentiction  %1 2300 UTC"})
        items << QString(station).arg(date).left(stationTime ? -1 : 12 + date.size()).trimmed();
    return items.join('|');
}

const QString All = sixStations("2024 Oct 14"), DateOnly = sixStations("2024 Oct 14", false);

struct FluxRow
{
    const char *name, *fluxes, *expected; // the 28 display texts, or "target:estimate ..."
};
struct ReadRow
{
    const char *name;
    QByteArray product;         // null: no file
    QString items, observation; // of record 0
    QString log;                // null: the listing, ten lines a record
    bool json = false, verbose = false;
};
const QByteArray a27(27, 'a');
const QString Count1 = "Solar Flux Data array contains  1  items",
              Failed = "Failed to create JSON document";

// clang-format off
const FluxRow FluxRows[] = {
    {"worked example", "14 38 52 66 95 101 142 262 568", "14 38 52 66 95 142 262 568 1 1 5 12 40 58 64 87 87 89 111 112 166 329 1052 37 66 87 97 264"},
    {"245 at 0 is absent", "0 38 52 66 95 101 142 262 568", "0 38 52 66 95 142 262 568 -1 -1 -1 -1 40 58 64 87 87 89 111 112 166 329 1052 -1 66 87 97 264"},
    {"estimates of 0 are shown", "1 38 52 66 95 101 142 262 568", "1 38 52 66 95 142 262 568 0 0 0 0 40 58 64 87 87 89 111 112 166 329 1052 35 66 87 97 264"},
    {"2800 flux changes nothing", "14 38 52 66 95 500 142 262 568", "14 38 52 66 95 142 262 568 1 1 5 12 40 58 64 87 87 89 111 112 166 329 1052 37 66 87 97 264"},
    {"2695 absent", "14 38 52 66 -1 500 142 262 568", "14 38 52 66 -1 142 262 568 1 1 5 12 40 58 64 -1 -1 -1 -1 -1 166 329 1052 37 -1 -1 -1 264"},
    {"only 8800 and 15400", "-1 -1 -1 -1 -1 -1 -1 262 568", "-1 -1 -1 -1 -1 -1 262 568 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 329 1052 -1 -1 -1 -1 264"},
    // A target on an observing frequency takes it as the lower anchor.
    {"410 and 2695 with the anchor below absent", "-1 38 52 -1 95 101 142", "410:38 2695:95"},
    {"610 and 4995 with the anchor below absent", "14 -1 52 66 -1 101 142 262", "610:52 4995:142"},
    {"1415 and 8800 with the anchor below absent", "14 38 -1 66 95 101 -1 262 568", "1415:66 8800:262"},
    {"32-bit limit", "-1 -1 -1 -1 -1 -1 -1 5 2147483647", "15400:2147483647 24048:-1"},
    {"beyond 32 bits below", "2147483647 1", "50:-1"},
    {"anchors of 1 are present", "2 1", "300:2"},
    {"an upper anchor of 0 is absent", "-1 -1 -1 -1 -1 -1 -1 262 0", "24048:-1"},
    {"targets of 1 MHz and below", "14 38", "1:0 0:-1 -2147483648:-1"},
};
const ReadRow ReadRows[] = {
    {"seed product", Seed, All, WorkedRecord},
    {"no file", QByteArray(), "", Stale, "Could not open SFU datafile"},
    {"empty file", "", "", Stale},
    {"a FIFO is not read", "<fifo>", "", Stale, "Could not open SFU datafile"},
    {"a link is not read", "<link>", "", Stale, "Could not open SFU datafile"},
    {"245 of -1 skips a station, 0 does not", changed("  245      14     15     -1     17     18     19     20", "245 -1 0 -1 -1 -1 -1 -1"), "San Vito    2024 Oct 14 1000 UTC", "0 39 53 67 96 102 143 263 569|||||||||"},
    {"extra values, word, short row, blank line", changed("  245      14     15     -1     17     18     19     20\n  410      38     39     -1     41     42     43     44\n  610      52     53     -1     55     56     57     58", "245 14 15 -1 17 18 19 20 9 9\n410 abc\n"), All, "14 0 -1 66 95 101 142 262 568|||||||||"},
    {"second table, later issue date", Seed + changed("14     15     -1     17     18     19     20", "-1 77 -1 -1 -1 -1 -1").replace("Oct 14", "Oct 15"), "San Vito    2024 Oct 15 1000 UTC", "77 39 53 67 96 102 143 263 569|||||||||"},
    {"product line hides markers", ":Product: :Issued: 2099 :Solar_Radio_Flux:\n" + Seed, All, WorkedRecord},
    {"long lines are read whole", "#" + QByteArray(300, '-') + "\n" + changed("  245 ", "  245" + QByteArray(200, ' ')), All, WorkedRecord},
    {"CRLF line ends", changed(" 0530 UTC", "").replace("\n", "\r\n"), DateOnly, WorkedRecord},
    {"a tab or CR before a value is skipped, as atoi does", changed(" 2695      95", " 2695 \t95").replace(" 4995     142", " 4995 \r142"), All, WorkedRecord},
    {"only blanks separate: lone CR, tab", changed("  245 ", "  245\r1 ").replace(" 2695      95", " 2695 \t 95"), All, "14 38 52 66 0 101 142 262 568|||||||||"},
    {"8-bit issue date keeps the time", changed("0530", "\xb0" "605"), All, WorkedRecord},
    {"8-bit bytes like a lead at the date cut", changed(" 0530", "\xe9\xb0x"), sixStations("2024 Oct 14\ufffd").replace("\ufffd ", "\ufffd"), WorkedRecord},
    {"invalid lead byte at the date cut", changed(" 0530", "\xc0\x80\x80\x80"), sixStations("2024 Oct 14\ufffd").replace("\ufffd ", "\ufffd"), WorkedRecord},
    {"character ending at the date cut", changed("14 0530", "\xe0\xa4\x85\x80"), sixStations("2024 Oct \u0905").replace("\u0905 ", "\u0905"), WorkedRecord},
    {"UTF-8 character across the date cut keeps the time", changed(" 0530", "\xc3\xa9 0530"), All, WorkedRecord},
    {"short issue date ends the time", ":Issued: 2024 Oct\n" + changed(":Issued: 2024 Oct 14 0530 UTC\n", ""), sixStations("2024 Oct", false), WorkedRecord},
    {"issue line ends before column 9", changed(": 2024 Oct 14 0530 UTC", ":"), sixStations("", false), WorkedRecord},
    {"last line without line end", changed(":Issued: 2024 Oct 14 0530 UTC\n", "") + ":Issued: 2024 Oct 14", DateOnly, WorkedRecord},
    {"32-bit limits", changed("     95 ", " 2147483647 ").replace("    142 ", " -2147483648 "), All, "14 38 52 66 2147483647 101 -2147483648 262 568|||||||||"},
    {"just beyond the 32-bit limits", changed("     95 ", " 2147483648 ").replace("    142 ", " -2147483649 "), All, "14 38 52 66 -1 101 -1 262 568|||||||||"},
    {"sign, 60 zeros", changed("     95 ", " +" + QByteArray(60, '0') + "95 "), All, WorkedRecord},
    {"JSON: no file", QByteArray(), "", Stale, "Could not open <path>", true},
    {"a file over 16 MiB is not read", QByteArray(16 * 1024 * 1024 + 1, ' '), "", Stale, "Could not open <path>", true},
    {"not JSON", "[{\"common_name\": ", "", Stale, Failed, true},
    {"an object", "{\"a\": 1}", "", Stale, "JSON document is not an array", true},
    {"empty array", "[]", "", Stale, "Solar Flux Data array contains  0  items|JSON array is empty", true},
    {"all nine frequencies", entry("Learmonth", T, "245:14:G 410:38:G 610:52:G 1415:66:G 2695:95:G 2800:101:G 4995:142:G 8800:262:G 15400:568:F"), "Learmonth   2024 Oct 14 0400 UTC", "14 38 52 66 95 -1 142 262 568|G|G|G|G|G||G|G|F", Count1, true},
    {"partial details: the rest -1", entry("Palehua", T, "245:14:Good 8800:262:Good"), "Palehua     2024 Oct 14 0400 UTC", "14 -1 -1 -1 -1 -1 -1 262 -1|Good|||||||Good|", Count1, true},
    {"odd details", entry("Sag Hill", T, R"({"frequency":245,"flux":14.5,"observed_quality":"G"},{"frequency":410},{"frequency":610,"flux":null},{"frequency":"1415","flux":6},{"frequency":2695,"flux":90,"observed_quality":"Early"},{"frequency":2695,"flux":95,"observed_quality":"Late"},{"frequency":4995,"flux":"142"},17,{"frequency":8800,"flux":1e12})"), "Sag Hill    2024 Oct 14 0400 UTC", "0 0 0 -1 95 -1 0 0 -1|G||||Late||||", Count1, true},
    {"32-bit fluxes", entry("Palehua", T, "245:2147483647:G 410:-2147483648:G"), "Palehua     2024 Oct 14 0400 UTC", "2147483647 -2147483648 -1 -1 -1 -1 -1 -1 -1|G|G|||||||", Count1, true},
    {"element not an object", "[7]", "", None, Count1, true},
    {"100 entries give the first 90", Hundred, QStringList(90, "S").join('|'), None, "Solar Flux Data array contains  100  items", true},
    {"long name shown whole", entry("Learmonth Solar Observatory", "2024-09-30T19:59:00"), "Learmonth Solar Observatory 2024 Sep 30 1959 UTC", None, Count1, true},
    {"name cut before a character", entry(QByteArray(30, 'N') + "\xdf\xbf", T), QString(30, 'N') + " 2024 Oct 14 0400 UTC", None, Count1, true},
    {"quality cut before a 3-byte character", entry("Palehua", T, "245:1:" + a27 + "aa\xef\xbf\xbd"), "Palehua     2024 Oct 14 0400 UTC", "1 -1 -1 -1 -1 -1 -1 -1 -1|" + QString(29, 'a') + "||||||||", Count1, true},
    {"quality cut at the end of a 4-byte character", entry("Palehua", T, "245:1:" + a27 + "a\xf4\x8f\xbf\xbf"), "Palehua     2024 Oct 14 0400 UTC", "1 -1 -1 -1 -1 -1 -1 -1 -1|" + QString(28, 'a') + "||||||||", Count1, true},
    {"long quality cut", entry("Palehua", T, "15400:568:Uncertain\xe2\x80\x93unknown_cause_and_more"), "Palehua     2024 Oct 14 0400 UTC", "-1 -1 -1 -1 -1 -1 -1 -1 568|||||||||Uncertain\u2013unknown_cause_and_m", Count1, true},
    {"byte order mark", "\xef\xbb\xbf" + entry("Palehua", T), "Palehua     2024 Oct 14 0400 UTC", None, Count1, true},
    {"bytes that are not UTF-8", entry("Sag\xffHill", "2023-12-31 23:59"), "Sag\ufffdHill  2023 Dec 31 2359 UTC", None, Count1, true},
    {"short tag", entry("Sag Hill", "2024-10"), "Sag Hill    2024-10", None, Count1, true},
    {"month 13, tag cut to 20", entry("Sag Hill", "2024-13-14T04:00:00.000Z"), "Sag Hill    2024-13-14T04:00:00.", None, Count1, true},
    {"month 00", entry("Sag Hill", "2024-00-14T04:00"), "Sag Hill    2024-00-14T04:00", None, Count1, true},
    {"month 0:", entry("Sag Hill", "2024-0:-14T04:00"), "Sag Hill    2024-0:-14T04:00", None, Count1, true},
    {"non-ASCII after the minutes", entry("Sag Hill", "2024-10-14T04:00\xc3\xa9"), "Sag Hill    2024 Oct 14 0400 UTC", None, Count1, true},
    {"non-ASCII hour", entry("Sag Hill", "2024-10-14T\xc3\xa9:00"), "Sag Hill    2024-10-14T\u00e9:00", None, Count1, true},
    {"no half character at the cut", entry("Sag Hill", "2024-13-14T04:00:00\xf0\x9f\x93\xa1"), "Sag Hill    2024-13-14T04:00:00", None, Count1, true},
    {"whole character at the cut", entry("Sag Hill", "2024-13-14T04:00:0\xf0\x9f\x93\xa1Z"), "Sag Hill    2024-13-14T04:00:0\U0001F4E1", None, Count1, true},
    {"verbose log and listing", entry("Palehua", "2025-01-14T23:00", "410:38:Good 15400:568:Fair"), "Palehua     2025 Jan 14 2300 UTC", "-1 38 -1 -1 -1 -1 -1 -1 568||Good|||||||Fair",
     Count1 + "|Common Name:  \"Palehua\"  Time:  \"2025-01-14T23:00\"|Details array contains  2  items|Frequency:  410  Flux:  38  Quality:  \"Good\"|Frequency:  15400  Flux:  568  Quality:  \"Fair\"|"
     "Common Name: Palehua Time: 2025-01-14T23:00|freq:   245 flux:   -1 quality: |freq:   410 flux:   38 quality: Good|freq:   610 flux:   -1 quality: |freq:  1415 flux:   -1 quality: |"
     "freq:  2695 flux:   -1 quality: |freq:  2800 flux:   -1 quality: |freq:  4995 flux:   -1 quality: |freq:  8800 flux:   -1 quality: |freq: 15400 flux:  568 quality: Fair", true, true},
};
// clang-format on
} // namespace

class CoreTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void fluxes_data() { AddRows(FluxRows); }
    void fluxes()
    {
        const FluxRow &row = CurrentRow(FluxRows);
        const ObservationRecord record = RecordWith(row.fluxes);
        QStringList shown;
        if (QString(row.expected).contains(':'))
            for (const QString &pair : QString(row.expected).split(' ')) {
                const int target = pair.section(':', 0, 0).toInt();
                shown << QString("%1:%2").arg(target).arg(EstimateBandFlux(target, record));
            }
        else
            for (const FluxDisplayText &display : FluxDisplayTexts(record))
                shown << display.text;
        QCOMPARE(shown.join(' '), row.expected);
    }

    void reset()
    {
        int count = 12;
        for (ObservationRecord &record : ObservationRecords) { // as an earlier read left them
            WriteFixedText(record.name, "stale");
            WriteFixedText(record.timeText, "stale");
        }
        ResetObservationStore(count);
        QCOMPARE(count, 0);
        for (int r = 0; r < StationFrequencyCount; ++r)
            QCOMPARE(QList<int>(IndicesGrid[r], IndicesGrid[r] + IndicesGridColumns),
                     QList<int>({StationFrequencies[r], -1, -1, -1, -1, -1, -1, -1}));
        for (const ObservationRecord &record : ObservationRecords) // names and times empty
            QCOMPARE(ObservationOf(record) + record.name + record.timeText, None);
        // Whatever count the text reader is handed, it writes no record past the store.
        count = ObservationCapacity - 1;
        RecordingSink sink(&count);
        BuildStationRecords(ReadTextObservations(IndicesProduct()), count, sink);
        QCOMPARE(count, ObservationCapacity);
    }

    // JSON time tags as UTC: the service's shape field by field, other ISO forms as
    // Qt reads them, anything else undated.
    void tagTimes()
    {
        const std::pair<const char *, const char *> tags[] = {
            {"2024-10-14T04:00:00", "2024-10-14T04:00:00Z"},
            {"2024-10-14T04:00:00.250Z", "2024-10-14T04:00:00Z"},
            {"2024-10-14T04:00", "2024-10-14T04:00:00Z"},
            {"2024/10/14T04:00:00", "2024-10-14T04:00:00Z"},
            {"2024-10-14T04:00:0x", ""},
            {"2024-02-30T04:00:00", ""},
            {"2024-10-14T04:60:00", ""},
            {"9999-12-31T23:59", "9999-12-31T23:59:00Z"},
        };
        for (const auto &[tag, utc] : tags)
            QCOMPARE(TagTimeUtc(tag), QString(utc));
    }

    // Each read starts from the store as an earlier read of other data left it.
    void readers_data() { AddRows(ReadRows); }
    void readers()
    {
        const ReadRow &row = CurrentRow(ReadRows);
        const QString path = dir.filePath(QTest::currentDataTag());
        QVERIFY(row.product == "<fifo>"   ? mkfifo(QFile::encodeName(path), 0600) == 0
                : row.product == "<link>" ? WriteFile(dir.filePath("linked"), Seed) &&
                                                QFile::link(dir.filePath("linked"), path)
                                          : row.product.isNull() || WriteFile(path, row.product));
        int count = 0;
        ResetObservationStore(count);
        std::fill(&IndicesGrid[0][0], &IndicesGrid[0][0] + sizeof IndicesGrid / sizeof(int), 999);
        for (ObservationRecord &record : ObservationRecords) {
            WriteFixedText(record.timeText, "a stale time text, 31 bytes lon");
            for (FrequencySlot &slot : record.slots) {
                slot.flux = 999;
                WriteFixedText(slot.quality, "s");
            }
        }
        VerboseLogging = row.verbose;
        RecordingSink sink(&count);
        MessageCapture log;
        const int result =
            row.json ? ReadJsonFluxFile(path, count, sink) : ReadTextFluxFile(path, count, sink);
        const bool unread = row.log.startsWith("Could not open");
        QCOMPARE(result, unread || (row.json && row.observation == Stale) ? -1 : 0);
        QCOMPARE(sink.items.join('|'), row.items);
        QVERIFY(count == sink.items.size() && sink.inOrder);
        QCOMPARE(ObservationOf(ObservationRecords[0]), row.observation);
        QCOMPARE(row.log.isNull() ? QString::number(log.lines.size()) : log.lines.join('|'),
                 row.log.isNull() ? QString::number(10 * count)
                                  : QString(row.log).replace("<path>", path));
        QVERIFY(!(row.json || unread) || IndicesGrid[0][1] == 999); // the grid as it was
    }
};

QTEST_MAIN(CoreTest)
#include "tst_core.moc"
