// SPDX-License-Identifier: MIT
#include "app/MainWindow.h"
#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "flux/BandFlux.h"
#include "report/ReportCommand.h"
#include "support/Support.h"
#include "support/TestHttpsServer.h"

#include <QBuffer>
#include <QComboBox>
#include <QFontMetrics>
#include <QMetaMethod>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {
// A test table is an array of rows whose first field is the name: one data row each.
template <class Row, std::size_t N> void AddRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(N); ++i)
        QTest::newRow(rows[i].name) << i;
}
template <class Row, std::size_t N> const Row &CurrentRow(const Row (&rows)[N])
{
    return rows[*static_cast<int *>(QTest::qData("row", QMetaType::Int))];
}

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

const QByteArray Seed = IndicesProduct();
const QString All = sixStations("2024 Oct 14"), DateOnly = sixStations("2024 Oct 14", false);
QByteArray changed(const QByteArray &from, const QByteArray &to)
{
    return QByteArray(Seed).replace(from, to);
}

// An array of one entry; details as "frequency:flux:quality ..." or as raw JSON.
QByteArray entry(const QByteArray &name, const QByteArray &tag, const QByteArray &details = "")
{
    QByteArrayList objects;
    for (const QByteArray &detail :
         details.startsWith('{') ? QByteArrayList() : details.split(' ')) {
        const QByteArrayList f = detail.split(':');
        if (f.size() > 1)
            objects << "{\"frequency\":" + f[0] + ",\"flux\":" + f[1] + ",\"observed_quality\":\"" +
                           f.value(2) + "\"}";
    }
    return "[{\"common_name\":\"" + name + "\",\"time_tag\":\"" + tag + "\",\"details\":[" +
           (objects.isEmpty() ? details : objects.join(',')) + "]}]";
}

// Start-up rows: the name, then the placeholder of the empty list or the figures shown.
const QString Placeholders[][2] = {
    {"text product cached", ""},
    {"only the JSON product cached", "No product cached yet: press Update"},
    {"a directory at the text product", "The cached product could not be read (see the log)"},
    {"an empty text product", "The cached product holds no observations"},
    {"a burst of 2656308 sfu", "2656308 38 52 66 95 142 262 568 -1 -1 -1 22479632 40 58 64 87 87 "
                               "89 111 112 166 329 1052 47 66 87 97 264"},
    {"", "Update failed and no readable product is cached (see the log)"}};
const QByteArray StartProducts[] = {
    IndicesProduct(), {}, {}, "", changed("      14     15", " 2656308     15")};

const QByteArray Paths[] = {"/text/current-space-weather-indices.txt",
                            "/json/solar-radio-flux.json"};
// Learmonth at 30 and San Vito at 31 sfu at 245 MHz, no other stations; and
// the JSON seed: Palehua with all nine frequencies, Penticton with 245 MHz.
const QByteArray Products[] = {IndicesProduct("2024 Oct 15 0530 UTC")
                                   .replace("14     15     -1     17     18     19     20",
                                            "30     31     -1     -1     -1     -1     -1"),
                               SeedProduct("json_reader/product.json")};
const QByteArray New = Products[0];
const QString Learmonth = "Learmonth   2024 Oct 14 0400 UTC";
// The first two items of each product, the second with its 245 and 410 MHz displays.
const QString Items[][2] = {
    {"Learmonth   2024 Oct 15 0400 UTC", "San Vito    2024 Oct 15 1000 UTC 31 39"},
    {"Palehua     2024 Oct 14 2300 UTC", "Penticton   2024 Oct 14 2000 UTC 20 -1"}};

// The 28 display texts, after choosing `item` when one is given.
QString shown(MainWindow &window, int item = -2)
{
    if (item > -2)
        window.findChild<QComboBox *>("SfuSelections")->setCurrentIndex(item);
    QStringList texts;
    for (int frequency : FluxDisplayFrequencies())
        texts << window.findChild<QPushButton *>(FluxDisplayName(frequency))->text();
    return texts.join(' ');
}

QString item(MainWindow &window, int index)
{
    return window.findChild<QComboBox *>("SfuSelections")->itemText(index);
}

// A press of Update with the product chosen; true when the press alone started a transfer.
bool press(MainWindow &window, int product)
{
    window.findChild<QComboBox *>("DataSourceUrl")->setCurrentIndex(product);
    auto *button = window.findChild<QPushButton *>("UpdateButton");
    const int before = window.fileDownload()->transfersInFlight();
    QTest::mousePress(button, Qt::LeftButton);
    const bool started = window.fileDownload()->transfersInFlight() == before + 1;
    QTest::mouseRelease(button, Qt::LeftButton);
    return started;
}

bool settle(MainWindow &window)
{
    const bool idle =
        QTest::qWaitFor([&] { return !window.fileDownload()->transfersInFlight(); }, 15000);
    QTest::qWait(20);
    return idle;
}

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
struct PressRow
{
    const char *name, *presses, *finishing; // products in order: 0 text, 1 JSON
    int direct = -1;  // the product whose completion slot is then called directly
    int refused = -1; // the product whose file cannot be opened when its transfer ends
};
// A fault of the network or a move of another local user, met by a press of
// Update or by a run of corvaline-report.
struct Fault
{
    const char *name;
    TestResponse response;
    bool stored;        // the cache then holds the new product, else what it held
    const char *reason; // in the one log line or the report's message, or nullptr for none
    // clang-format off
    enum Kind { Plain, RefuseWrites, DiskFull, Stall, Deadline, PlantedLink, PlantedFifo,
                PlantedDirectory, LeftOvers, FullDisk, ClosedPipe, MissingCache, JsonOnly } kind = Plain;
    // clang-format on
    const char *report = nullptr; // its arguments (<cache>: the cached product), or a press
    int status = 0;               // the report's exit status
    QString out;                  // what the report's output starts with
    QByteArray file;              // for <file> in the arguments; null: none
    int product = 0;              // 0 text, 1 JSON
    const char *certificate = "server.pem";
    QSsl::SslProtocol protocol = QSsl::TlsV1_3OrLater;
    int size = 0; // the new product, filled up with a comment line to this many bytes
};

const QByteArray a27(27, 'a'), T = "2024-10-14T04:00:00";
const QString Count1 = "Solar Flux Data array contains  1  items",
              Failed = "Failed to create JSON document";
const QByteArray Hundred = "[" + QByteArray("{\"common_name\":\"S\"},").repeated(90) +
                           QByteArray("{\"common_name\":\"X\"},").repeated(9) + "[]]";
const auto TLS13 = QSsl::TlsV1_3OrLater;

// clang-format off
const FluxRow FluxRows[] = {
    {"worked example", "14 38 52 66 95 101 142 262 568", "14 38 52 66 95 142 262 568 1 1 5 12 40 58 64 87 87 89 111 112 166 329 1052 37 66 87 97 264"},
    {"245 at 0 is absent", "0 38 52 66 95 101 142 262 568", "0 38 52 66 95 142 262 568 -1 -1 -1 -1 40 58 64 87 87 89 111 112 166 329 1052 -1 66 87 97 264"},
    {"estimates of 0 are shown", "1 38 52 66 95 101 142 262 568", "1 38 52 66 95 142 262 568 0 0 0 0 40 58 64 87 87 89 111 112 166 329 1052 35 66 87 97 264"},
    {"2800 flux changes nothing", "14 38 52 66 95 500 142 262 568", "14 38 52 66 95 142 262 568 1 1 5 12 40 58 64 87 87 89 111 112 166 329 1052 37 66 87 97 264"},
    {"2695 absent", "14 38 52 66 -1 500 142 262 568", "14 38 52 66 -1 142 262 568 1 1 5 12 40 58 64 -1 -1 -1 -1 -1 166 329 1052 37 -1 -1 -1 264"},
    {"only 8800 and 15400", "-1 -1 -1 -1 -1 -1 -1 262 568", "-1 -1 -1 -1 -1 -1 262 568 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 329 1052 -1 -1 -1 -1 264"},
    {"only 2800", "-1 -1 -1 -1 -1 101 -1 -1 -1", "-1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1"},
    // A target on an observing frequency takes it as the lower anchor.
    {"410 and 2695 with the anchor below absent", "-1 38 52 -1 95 101 142", "410:38 2695:95"},
    {"610 and 4995 with the anchor below absent", "14 -1 52 66 -1 101 142 262", "610:52 4995:142"},
    {"1415 and 8800 with the anchor below absent", "14 38 -1 66 95 101 -1 262 568", "1415:66 8800:262"},
    {"32-bit limit", "-1 -1 -1 -1 -1 -1 -1 5 2147483647", "15400:2147483647 24048:-1"},
    {"beyond 32 bits below", "2147483647 1", "50:-1"},
    {"anchors of 1 are present", "2 1", "300:2"},
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
    {"invalid lead byte at the date cut", changed(" 0530", "\xc0\x80"), sixStations("2024 Oct 14\ufffd").replace("\ufffd ", "\ufffd"), WorkedRecord},
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
    {"element not an object", "[7]", "", None, Count1, true},
    {"100 entries give the first 90", Hundred, QStringList(90, "S").join('|'), None, "Solar Flux Data array contains  100  items", true},
    {"long name shown whole", entry("Learmonth Solar Observatory", "2024-09-30T19:59:00"), "Learmonth Solar Observatory 2024 Sep 30 1959 UTC", None, Count1, true},
    {"name cut before a character", entry(QByteArray(30, 'N') + "\xdf\xbf", T), QString(30, 'N') + " 2024 Oct 14 0400 UTC", None, Count1, true},
    {"quality cut before a 3-byte character", entry("Palehua", T, "245:1:" + a27 + "aa\xef\xbf\xbd"), "Palehua     2024 Oct 14 0400 UTC", "1 -1 -1 -1 -1 -1 -1 -1 -1|" + QString(29, 'a') + "||||||||", Count1, true},
    {"quality cut before a 4-byte character", entry("Palehua", T, "245:1:" + a27 + "aa\xf0\x9f\x93\xa1"), "Palehua     2024 Oct 14 0400 UTC", "1 -1 -1 -1 -1 -1 -1 -1 -1|" + QString(29, 'a') + "||||||||", Count1, true},
    {"quality cut at the end of a 4-byte character", entry("Palehua", T, "245:1:" + a27 + "a\xf4\x8f\xbf\xbf"), "Palehua     2024 Oct 14 0400 UTC", "1 -1 -1 -1 -1 -1 -1 -1 -1|" + QString(28, 'a') + "||||||||", Count1, true},
    {"long quality cut", entry("Palehua", T, "15400:568:Uncertain\xe2\x80\x93unknown_cause_and_more"), "Palehua     2024 Oct 14 0400 UTC", "-1 -1 -1 -1 -1 -1 -1 -1 568|||||||||Uncertain\u2013unknown_cause_and_m", Count1, true},
    {"byte order mark", "\xef\xbb\xbf" + entry("Palehua", T), "Palehua     2024 Oct 14 0400 UTC", None, Count1, true},
    {"bytes that are not UTF-8", entry("Sag\xffHill", "2023-12-31 23:59"), "Sag\ufffdHill  2023 Dec 31 2359 UTC", None, Count1, true},
    {"short tag", entry("Sag Hill", "2024-10"), "Sag Hill    2024-10", None, Count1, true},
    {"month 13, tag cut to 20", entry("Sag Hill", "2024-13-14T04:00:00.000Z"), "Sag Hill    2024-13-14T04:00:00.", None, Count1, true},
    {"month 00", entry("Sag Hill", "2024-00-14T04:00"), "Sag Hill    2024-00-14T04:00", None, Count1, true},
    {"month 0:", entry("Sag Hill", "2024-0:-14T04:00"), "Sag Hill    2024-0:-14T04:00", None, Count1, true},
    {"non-ASCII hour", entry("Sag Hill", "2024-10-14T\xc3\xa9:00"), "Sag Hill    2024-10-14T\u00e9:00", None, Count1, true},
    {"no half character at the cut", entry("Sag Hill", "2024-13-14T04:00:00\xf0\x9f\x93\xa1"), "Sag Hill    2024-13-14T04:00:00", None, Count1, true},
    {"whole character at the cut", entry("Sag Hill", "2024-13-14T04:00:0\xf0\x9f\x93\xa1Z"), "Sag Hill    2024-13-14T04:00:0\U0001F4E1", None, Count1, true},
    {"verbose log and listing", entry("Palehua", "2025-01-14T23:00", "410:38:Good 15400:568:Fair"), "Palehua     2025 Jan 14 2300 UTC", "-1 38 -1 -1 -1 -1 -1 -1 568||Good|||||||Fair",
     Count1 + "|Common Name:  \"Palehua\"  Time:  \"2025-01-14T23:00\"|Details array contains  2  items|Frequency:  410  Flux:  38  Quality:  \"Good\"|Frequency:  15400  Flux:  568  Quality:  \"Fair\"|"
     "Common Name: Palehua Time: 2025-01-14T23:00|freq:   245 flux:   -1 quality: |freq:   410 flux:   38 quality: Good|freq:   610 flux:   -1 quality: |freq:  1415 flux:   -1 quality: |"
     "freq:  2695 flux:   -1 quality: |freq:  2800 flux:   -1 quality: |freq:  4995 flux:   -1 quality: |freq:  8800 flux:   -1 quality: |freq: 15400 flux:  568 quality: Fair", true, true},
};
const PressRow PressRows[] = {
    {"text", "0", "0"},
    {"JSON, second entry partial", "1", "1"},
    {"text twice", "00", "0"},
    {"text, then JSON finishing first", "01", "10"},
    {"text, then JSON finishing last", "01", "01"},
    {"text refused after JSON finished first", "01", "10", -1, 0},
    {"direct call of the text slot during a JSON transfer", "1", "", 0},
    {"direct call of the JSON slot", "", "", 1},
    {"direct call of the JSON slot during a text transfer", "0", "", 1},
};
const QString Header = "station,time,observed_245,observed_410,observed_610,observed_1415,observed_2695,observed_4995,observed_8800,observed_15400,estimated_50,estimated_70,estimated_144,estimated_222,estimated_432,estimated_900,estimated_1296,estimated_2304,estimated_2320,estimated_2424,estimated_3400,estimated_3456,estimated_5760,estimated_10368,estimated_24048,estimated_406,estimated_1420,estimated_2295,estimated_2800,estimated_8840,time_utc,kind,observed_2800,quality_245,quality_410,quality_610,quality_1415,quality_2695,quality_2800,quality_4995,quality_8800,quality_15400\r\n";
// A real text product; a burst at Learmonth; quality flags as the service spells them.
const QByteArray Real = ReadFile(CORVALINE_SOURCE_DIR "/tests/data/noaa-current-space-weather-indices-2025-12-19.txt"),
                 Burst = changed("      14     15", " 2656308     15"),
                 Flags = entry("Palehua", T, "{\"frequency\":245,\"flux\":14,\"observed_quality\":\"Uncertain \u2013  interference\"},{\"frequency\":410,\"flux\":38,\"observed_quality\":\"Good quality\"},{\"frequency\":610,\"flux\":52,\"observed_quality\":\"Uncertain \u2013 burst progress\"},{\"frequency\":1415,\"flux\":66,\"observed_quality\":\"Uncertain due to weather\"},{\"frequency\":2695,\"flux\":95,\"observed_quality\":\"Uncertain \u2013 unknown cause\"}");
const QString Measured = "Penticton,2025 Dec 19 1700 UTC" + QString(28, ',') + ",2025-12-19T17:00:00Z,10.7 cm,118" + QString(9, ',') + "\r\n";
const TestResponse Held = {200, New, TestResponse::Whole, true},
                   Elsewhere = {302, "", TestResponse::Whole, false, "https://127.0.0.1:1/x\x1b"},
                   Maintenance = {200, "<html>maintenance</html>"}, Fetched = {200, New};
const Fault Faults[] = {
    {"empty body", {200, ""}, false, "the answer was empty"},
    {"empty body, fetched", {200, ""}, false, "the answer was empty", Fault::Plain, "--fetch", 1},
    {"301 to another path", {301, "", TestResponse::Whole, false, "/moved"}, true, nullptr},
    {"redirect to another host", Elsewhere, false, "redirect to https://127.0.0.1:1/x%1B refused"},
    {"redirect to another host, fetched", Elsewhere, false, "redirect to https://127.0.0.1:1/x%1B refused", Fault::Plain, "--fetch", 1},
    {"reset mid-body", {200, New, TestResponse::ResetMidBody}, false, "closed"},
    {"closed after the headers", {200, New, TestResponse::AfterHeaders}, false, "closed"},
    {"500 with a body", {500, "<html>maintenance</html>"}, false, "HTTP status 500"},
    {"300 with a body", {300, "<html>choices</html>"}, false, "HTTP status 300"},
    {"JSON maintenance page", Maintenance, false, "not a JSON array", Fault::Plain, nullptr, 0, "", {}, 1},
    {"JSON maintenance page, fetched", Maintenance, false, "not a JSON array", Fault::Plain, "--fetch --json", 1, "", {}, 1},
    {"body of 16 MiB", {}, true, nullptr, Fault::Plain, nullptr, 0, "", {}, 0, "server.pem", TLS13, 16 * 1024 * 1024},
    {"body over 16 MiB", {}, false, "larger than 16777216 bytes", Fault::Plain, nullptr, 0, "", {}, 0, "server.pem", TLS13, 16 * 1024 * 1024 + 1},
    {"body over 16 MiB, not announced", {200, {}, TestResponse::Whole, false, "", true}, false, "larger than 16777216 bytes", Fault::Plain, nullptr, 0, "", {}, 0, "server.pem", TLS13, 16 * 1024 * 1024 + 1},
    {"disk full", {}, false, "could not write: 1024 of 65536 bytes written", Fault::DiskFull, nullptr, 0, "", {}, 0, "server.pem", TLS13, 65536},
    {"TLS 1.2 only", {200, New}, false, "handshake failed", Fault::Plain, nullptr, 0, "", {}, 0, "server.pem", QSsl::TlsV1_2},
    {"certificate for another host", {200, New}, false, "host name", Fault::Plain, nullptr, 0, "", {}, 0, "other-host.pem"},
    {"expired certificate", {200, New}, false, "expired", Fault::Plain, nullptr, 0, "", {}, 0, "expired.pem"},
    {"link planted at the target", {200, New}, true, "Replaced the link at", Fault::PlantedLink},
    {"FIFO planted at the target", {200, New}, true, "Replaced the FIFO at", Fault::PlantedFifo},
    {"directory planted at the target", {200, New}, false, "current-space-weather-indices.txt is not a regular file", Fault::PlantedDirectory},
    {"left-over temporary files", {200, New}, true, nullptr, Fault::LeftOvers},
    {"unwritable target", {200, New}, false, "Permission denied (only members of the group corvaline may update the cache: ask an administrator for 'sudo adduser USER corvaline'", Fault::RefuseWrites},
    {"stalled server", {200, New, TestResponse::Whole, true}, false, "timed out after 300 ms", Fault::Stall},
    {"no end in sight", Held, false, "not done 1000 ms after it started; stopped", Fault::Deadline},
    {"no end in sight, fetched", Held, false, "not done 1000 ms after it started; stopped", Fault::Deadline, "--fetch", 1},
    {"cached product is a link", {}, false, "cannot read", Fault::PlantedLink, "", 1},
    {"--file through a link", {}, false, nullptr, Fault::PlantedLink, "--file <cache>", 0},
    {"a file that never ends", {}, false, "cannot read /proc/self/pagemap", Fault::Plain, "--file /proc/self/pagemap", 1},
    {"report to a full disk", {}, false, "could not write the report to standard output: No space left on device", Fault::FullDisk, "--file <cache>", 1},
    {"report to a closed pipe, SIGPIPE ignored", {}, false, "could not write the report to standard output: Broken pipe", Fault::ClosedPipe, "--file <cache>", 1},
    {"table of the cached text product", {}, false, nullptr, Fault::Plain, "", 0, "Learmonth   2024 Oct 14 0400 UTC\n  observed      245   410   610  1415  2695  2800  4995  8800 15400 MHz\n                 14    38    52    66    95   101   142   262   568 sfu\n  estimated      50    70   144   222   432   900  1296  2304  2320  2424 MHz\n                  1     1     5    12    40    58    64    87    87    89 sfu\n               3400  3456  5760 10368 24048   406  1420  2295  2800  8840 MHz\n                111   112   166   329  1052    37    66    87    97   264 sfu\n\nSan Vito    2024 Oct 14 1000 UTC\n"},
    {"CSV of one observation", {}, false, nullptr, Fault::Plain, "--format csv --observation 5", 0, Header + "Penticton,2024 Oct 14 2300 UTC,20,44,58,72,101,148,268,574,2,3,9,17,46,64,70,93,93,96,117,118,172,335,1053,43,72,93,103,270,2024-10-13T23:00:00Z,observation,107,,,,,,,,,\r\n"},
    {"JSON of a JSON file, missing values null", {}, false, nullptr, Fault::Plain, "--format json --observation 1 --file <file>", 0, "[\n  {\"station\": \"Penticton\", \"time\": \"2024 Oct 14 2000 UTC\", \"observed\": {\"245\": 20, \"410\": null, \"610\": null", Products[1]},
    {"CSV quotes a field", {}, false, nullptr, Fault::Plain, "--format csv --file <file>", 0, Header + "\"Sag \"\"Hill\"\", Penticton\",2024 Oct 14 0400 UTC,-1,", entry("Sag \\\"Hill\\\", Penticton", T)},
    {"control characters are not printed", {}, false, nullptr, Fault::Plain, "--file <file>", 0, "A\ufffdB\ufffdC\ufffd\ufffd     2024 Oct 14 0400 UTC\n", entry("A\\u001bB\\u2029C\\u202e\xf3\xa0\x81\x81", T)},
    {"the log escapes control characters", {}, false, "Common Name: A\\u001B[2JB\\U000E0041 Time: 2024-10-14T04:00:00", Fault::Plain, "--verbose --file <file>", 0, "A\ufffd[2JB\ufffd", entry("A\\u001b[2JB\xf3\xa0\x81\x81", T)},
    {"CSV cells are no formulas", {}, false, nullptr, Fault::Plain, "--format csv --file <file>", 0, Header + "'=HYPERLINK(1),2024 Oct 14 0400 UTC,-1,", entry("=HYPERLINK(1)", T)},
    {"verbose: the log on standard error", {}, false, "Common Name: Learmonth   Time: 2024 Oct 14 0400 UTC", Fault::Plain, "--verbose --observation 0", 0, "Learmonth"},
    {"measured 10.7 cm flux", {}, false, nullptr, Fault::Plain, "--file <file>", 0, "...\n\nSagamore Hill 2025 Dec 19 1700 UTC\n  observed      245", Real},
    {"measured 10.7 cm flux after the observations", {}, false, nullptr, Fault::Plain, "--file <file>", 0, "...sfu\n\nPenticton   2025 Dec 19 1700 UTC   10.7 cm   118 sfu\n", Real},
    {"measured 10.7 cm flux in JSON, dated by the table", {}, false, nullptr, Fault::Plain, "--format json --file <file>", 0, "...}},\n  {\"station\": \"Penticton\", \"time\": \"2025 Dec 19 1700 UTC\", \"time_utc\": \"2025-12-19T17:00:00Z\", \"kind\": \"10.7 cm\", \"observed\": {\"2800\": 118}}\n]\n", Real},
    {"measured 10.7 cm flux in CSV", {}, false, nullptr, Fault::Plain, "--format csv --file <file>", 0, "..." + Measured, Real},
    {"a column before the issue time is that day", {}, false, nullptr, Fault::Plain, "--format csv --observation 0", 0, "...,2024-10-14T04:00:00Z,observation,101,"},
    {"a column at the issue time is that day", {}, false, nullptr, Fault::Plain, "--format csv --observation 1 --file <file>", 0, "...,2024-10-14T10:00:00Z,observation,102,", IndicesProduct("2024 Oct 14 1000 UTC")},
    {"quality flags by their words", {}, false, nullptr, Fault::Plain, "--format json --file <file>", 0, "...\"time_utc\": \"2024-10-14T04:00:00Z\", \"kind\": \"observation\", \"quality\": {\"245\": \"interference\", \"410\": \"good\", \"610\": \"burst\", \"1415\": \"weather\", \"2695\": \"unknown cause\", \"2800\": null, \"4995\": null, \"8800\": null, \"15400\": null}}\n]\n", Flags},
    {"quality flags in CSV", {}, false, nullptr, Fault::Plain, "--format csv --file <file>", 0, "...,2024-10-14T04:00:00Z,observation,,interference,good,burst,weather,unknown cause,,,,\r\n", Flags},
    {"a JSON product of 100 entries", {}, false, "holds 100 observations, the newest 90 are read", Fault::Plain, "--file <file>", 0, "S ", Hundred},
    {"only the JSON product cached", {}, false, "; the JSON product is cached: use --json", Fault::JsonOnly, "", 1, "", {}, 1},
    {"verbose lists the frequencies", {}, false, "freq:   245 flux:   14 quality: ", Fault::Plain, "--verbose --observation 0", 0, "Learmonth"},
    {"a burst keeps its columns apart", {}, false, nullptr, Fault::Plain, "--observation 0 --file <file>", 0, "Learmonth   2024 Oct 14 0400 UTC\n  observed         245      410      610     1415     2695     2800     4995     8800    15400 MHz\n               2656308       38       52", Burst},
    {"fetch", Fetched, true, nullptr, Fault::Plain, "--fetch --format csv --observation 0", 0, Header + "Learmonth,2024 Oct 15 0400 UTC,30,38,"},
    {"fetch without a cache directory", Fetched, false, "could not open the file for writing", Fault::MissingCache, "--fetch", 1, ""},
    {"empty file", {}, false, "holds no observations", Fault::Plain, "--file <file>", 1, "", ""},
    {"binary file", {}, false, "holds no observations", Fault::Plain, "--file <file>", 1, "", QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\n:Issued:\n", 20)},
    {"JSON of the wrong shape", {}, false, "is not a JSON array", Fault::Plain, "--file <file>", 1, "", "{\"common_name\": \"Palehua\"}"},
    {"truncated JSON", {}, false, "is not a JSON array", Fault::Plain, "--file <file>", 1, "", Products[1].left(200)},
    {"no observation 6", {}, false, "there is no observation 6;", Fault::Plain, "--observation 6", 1, ""},
    {"observation not a number", {}, false, "the observation is a number", Fault::Plain, "--observation x", 2, ""},
    {"unknown format", {}, false, "unknown format xml", Fault::Plain, "--format xml", 2, ""},
    {"unknown option", {}, false, "Unknown option 'colour'", Fault::Plain, "--colour", 2, ""},
    {"file and fetch", Fetched, false, "no --json or --fetch with it", Fault::Plain, "--fetch --file <file>", 2, ""},
    {"help", {}, false, nullptr, Fault::Plain, "--help", 0, "Usage: "},
    {"version", {}, false, nullptr, Fault::Plain, "--version", 0, "corvaline-report 1.02\n"},
};
// clang-format on
} // namespace

class CorvalineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir, outside;
    QString cached(int product) const
    {
        return dir.filePath(QString(Paths[product]).section('/', 2));
    }
    ServiceLocations at(const TestHttpsServer &server) const
    {
        return {dir.path() + "/", server.endpoint()};
    }

    // The cache refuses new files but can be read, also by root: this thread's
    // file user is then nobody.
    void refuseWrites(bool refuse)
    {
        const auto access =
            refuse ? QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
                   : QFile::WriteOwner;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | access);
        setfsuid(refuse && !geteuid() ? 65534 : geteuid());
    }

private Q_SLOTS:
    void init()
    {
        QDir(cached(0)).removeRecursively(); // what a row planted there
        QFile::remove(cached(0));
        QFile::remove(cached(1));
        QVERIFY(WriteFile(cached(0), IndicesProduct()));
    }

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
        ResetObservationStore(count);
        QCOMPARE(count, 0);
        for (int r = 0; r < StationFrequencyCount; ++r)
            QCOMPARE(QList<int>(IndicesGrid[r], IndicesGrid[r] + IndicesGridColumns),
                     QList<int>({StationFrequencies[r], -1, -1, -1, -1, -1, -1, -1}));
        for (const ObservationRecord &record : ObservationRecords) // names and times empty
            QCOMPARE(ObservationOf(record) + record.name + record.timeText, None);
        // Whatever count the text reader is handed, it writes no record past the store.
        QByteArray seed = IndicesProduct();
        QBuffer buffer(&seed);
        buffer.open(QIODevice::ReadOnly);
        count = ObservationCapacity - 1;
        RecordingSink sink(&count);
        BuildStationRecords(ReadIndicesTable(buffer), count, sink);
        QCOMPARE(count, ObservationCapacity);
    }

    // Each read starts from the store as an earlier read of other data left it.
    void readers_data() { AddRows(ReadRows); }
    void readers()
    {
        const ReadRow &row = CurrentRow(ReadRows);
        const QString path = dir.filePath(QTest::currentDataTag());
        QVERIFY(row.product == "<fifo>"   ? mkfifo(QFile::encodeName(path), 0600) == 0
                : row.product == "<link>" ? QFile::link(cached(0), path)
                                          : row.product.isNull() || WriteFile(path, row.product));
        int count = 0;
        ResetObservationStore(count);
        std::fill(&IndicesGrid[0][0], &IndicesGrid[0][0] + sizeof IndicesGrid / sizeof(int), 999);
        for (ObservationRecord &record : ObservationRecords)
            for (FrequencySlot &slot : record.slots) {
                slot.flux = 999;
                WriteFixedText(slot.quality, "s");
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

    // Start-up reads the cached text product only, and transfers nothing; the
    // displays follow the selection, and indexes outside the records change nothing.
    void startup_data()
    {
        QTest::addColumn<int>("cached"); // 0 the seed, else a row of Placeholders
        for (int row = 0; row < 5; ++row)
            QTest::newRow(qPrintable(Placeholders[row][0])) << row;
    }
    void startup()
    {
        QFETCH(int, cached);
        const QString text = this->cached(0);
        const bool listed = cached == 0 || cached == 4;
        QVERIFY(QFile::remove(text) && WriteFile(this->cached(1), Products[1]));
        QVERIFY(cached == 1 ||
                (cached == 2 ? QDir().mkdir(text) : WriteFile(text, StartProducts[cached])));
        TestHttpsServer server;
        MessageCapture log;
        MainWindow window(at(server));
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvaline (v1.02 Oct 14, 2024)"));
        QCOMPARE(log.lines.mid(0, 3).join('|').remove(QRegularExpression("OpenSSL 3[^\"]*")),
                 "SSL Library Build Version:  \"\"|Supports SSL:  true|SSL Library Version:  \"\"");
        const QMetaObject &meta = FileDownload::staticMetaObject; // the argument's type is known
        QCOMPARE(
            meta.method(meta.indexOfSlot("downloadFinished(QNetworkReply*)")).parameterMetaType(0),
            QMetaType::fromType<QNetworkReply *>());
        int styled = 0;
        for (QWidget *widget : window.findChildren<QWidget *>())
            styled += !widget->styleSheet().isEmpty();
        QCOMPARE(styled, 44);
        QCOMPARE(shown(window), cached == 4 ? Placeholders[4][1]
                                : listed    ? FluxRows[0].expected
                                            : QString(27, ' '));
        QCOMPARE(window.observationCount(), listed ? 6 : 0);
        QCOMPARE(log.lines.contains("Could not open SFU datafile"), cached == 1 || cached == 2);
        auto *list = window.findChild<QComboBox *>("SfuSelections");
        QCOMPARE(list->placeholderText(), listed ? QString() : Placeholders[cached][1]);
        // Every figure whole in its field; those of up to five digits in the field's own font.
        for (QPushButton *display :
             window.findChildren<QPushButton *>(QRegularExpression("^Flux_"))) {
            const int width = QFontMetrics(display->font()).horizontalAdvance(display->text());
            QVERIFY2(width <= display->width() - 4 &&
                         (display->font().pointSize() == 10) == (display->text().size() <= 5),
                     qPrintable(display->text()));
        }
        // Every text the window shows is in the catalogue for translators.
        const QByteArray catalogue = ReadFile(CORVALINE_SOURCE_DIR "/translations/corvaline.ts");
        QStringList texts = {
            window.windowTitle(), window.findChild<QPushButton *>("UpdateButton")->text(),
            Placeholders[1][1],   Placeholders[2][1],
            Placeholders[3][1],   Placeholders[5][1]};
        for (QPushButton *label : window.findChildren<QPushButton *>(
                 QRegularExpression("^(Button_|Ips|DataSource|AmateurBands|MiscBands)")))
            texts << label->text();
        for (const QString &shownText : texts)
            QVERIFY2(catalogue.contains("<source>" + shownText.toUtf8() + "</source>"),
                     qPrintable(shownText));
        list->addItem("beyond the records in use");
        const QString fifth = shown(window, 5);
        QCOMPARE(fifth.left(6), QString(listed ? "20 44 " : "      "));
        for (int outside : {-1, 6})
            QCOMPARE(shown(window, outside), fifth);
        QTest::qWait(20);
        QVERIFY(server.requests.isEmpty());
    }

    // Presses before any transfer ends make one re-read, of the last press's
    // product, once the last transfer has ended; each file holds its own product.
    void presses_data() { AddRows(PressRows); }
    void presses()
    {
        const PressRow &row = CurrentRow(PressRows);
        TestHttpsServer server;
        for (int product : {0, 1})
            server.responses[Paths[product]] = {200, Products[product], TestResponse::Whole, true};
        MainWindow window(at(server));
        QSignalSpy changes(window.findChild<QComboBox *>("SfuSelections"),
                           SIGNAL(currentIndexChanged(int)));
        MessageCapture log;
        for (const char *p = row.presses; *p; ++p)
            QVERIFY(press(window, *p - '0'));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), int(strlen(row.presses)), 15000);
        if (row.direct >= 0) { // re-reads its own product at once, whatever was pressed
            QVERIFY(WriteFile(cached(0), Products[0]) && WriteFile(cached(1), Products[1]));
            shown(window, 1);
            row.direct ? window.UpdateJsonFluxData() : window.UpdateTextFluxData();
            QCOMPARE(item(window, 0) + " " + shown(window).left(5),
                     Items[row.direct][0] + (row.direct ? " 14 38" : " 30 38"));
            return;
        }
        for (const char *p = row.finishing; *p; ++p) {
            QCOMPARE(item(window, 0), Learmonth);
            refuseWrites(*p - '0' == row.refused);
            server.release(Paths[*p - '0']);
            QTest::qWait(100);
        }
        refuseWrites(false);
        QVERIFY(settle(window));
        const int last = row.presses[strlen(row.presses) - 1] - '0';
        for (const char *p = row.presses; *p; ++p)
            QCOMPARE(ReadFile(cached(*p - '0')),
                     *p - '0' == row.refused ? Seed : Products[*p - '0']);
        QVERIFY(server.requests[0].contains("\r\nServer: application/text/plain\r\n"));
        QVERIFY(log.lines.contains(QString("%1 %1").arg(Products[row.finishing[0] - '0'].size())));
        QCOMPARE(changes.count(), 2); // one clear, one first item
        QCOMPARE(item(window, 0), Items[last][0]);
        QCOMPARE(item(window, 1) + " " + shown(window, 1).left(5), Items[last][1]);

        // The completion slots have disarmed themselves: a later press works as usual.
        server.responses[Paths[0]].hold = false;
        QVERIFY(press(window, 0) && settle(window));
        QCOMPARE(changes.count(), 5);
        QCOMPARE(item(window, 0), Items[0][0]);
    }

    // A press of Update or a run of corvaline-report, as the network fails or
    // another local user plants things in the cache. Each fault keeps the cache as
    // it was and says why in one line, naming the address; a planted entry is
    // replaced, never followed, and nothing outside the cache changes. The window
    // goes on answering a selection; the report exits with its status and prints
    // nothing unless it succeeds.
    void runs_data() { AddRows(Faults); }
    void runs()
    {
        const Fault &fault = CurrentRow(Faults);
        TestHttpsServer server(fault.certificate, fault.protocol);
        const QString target = cached(fault.product), victim = outside.filePath("victim");
        const QByteArray old = fault.product ? Products[1] : IndicesProduct();
        QVERIFY(WriteFile(target, old) && WriteFile(victim, old));
        QVERIFY(fault.file.isNull() || WriteFile(dir.filePath("file"), fault.file));
        QVERIFY(fault.kind != Fault::JsonOnly || QFile::remove(cached(0)));
        const QFile::Permissions victimMode = QFileInfo(victim).permissions();
        server.responses[Paths[fault.product]] = fault.response;
        const QByteArray sent =
            fault.size ? New + '#' + QByteArray(fault.size - New.size() - 2, '-') + '\n'
            : fault.response.body.isEmpty() ? New
                                            : fault.response.body;
        if (fault.size)
            server.responses[Paths[fault.product]].body = sent;
        server.responses["/moved"] = {200, New};
        const QByteArray planted = QFile::encodeName(target);
        if (fault.kind >= Fault::PlantedLink && fault.kind <= Fault::PlantedDirectory)
            QVERIFY(QFile::remove(target) &&
                    (fault.kind == Fault::PlantedLink   ? QFile::link(victim, target)
                     : fault.kind == Fault::PlantedFifo ? !mkfifo(planted, 0644)
                                                        : !mkdir(planted, 0755)));
        const QString leftOver = dir.filePath(".current-space-weather-indices.txt.Ab12Cd"),
                      fresh = dir.filePath(".current-space-weather-indices.txt.Ef34Gh");
        const timeval beforeDeadline[2] = {{time(nullptr) - 301, 0}, {time(nullptr) - 301, 0}};
        if (fault.kind == Fault::LeftOvers) // only the one older than the deadline goes
            QVERIFY(WriteFile(leftOver, "") && WriteFile(fresh, "") &&
                    !utimes(QFile::encodeName(leftOver), beforeDeadline));
        MainWindow window(at(server));
        window.fileDownload()->setTransferTimeout(fault.kind == Fault::Stall ? 300 : 120000);
        window.fileDownload()->setTransferDeadline(fault.kind == Fault::Deadline ? 1000 : 300000);
        refuseWrites(fault.kind == Fault::RefuseWrites);
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        if (fault.kind == Fault::DiskFull) { // every write beyond 1 KiB fails
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{1024, fileSize.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        MessageCapture log;
        const bool ended = fault.report || (press(window, fault.product) && settle(window));
        setrlimit(RLIMIT_FSIZE, &fileSize);
        refuseWrites(false);
        QVERIFY(ended);
        if (fault.report) { // nothing on standard output but after a success
            const auto [status, out, err] = runReport(server, fault);
            QCOMPARE(status, fault.status);
            const bool found = fault.out.startsWith("...")
                                   ? out.contains(fault.out.mid(3))
                                   : out.left(fault.out.size()) == fault.out;
            QVERIFY2(found && (status == 0 || out.isEmpty()), qPrintable(out));
            QVERIFY2(fault.reason ? err.contains(fault.reason) : err.isEmpty(), qPrintable(err));
            QVERIFY(!out.contains(QChar(0x1b)) && !err.contains(QChar(0x1b)));
        } else {
            const QStringList lines = log.lines.filter(QRegularExpression("failed|Replaced"));
            QCOMPARE(lines.size(), fault.reason ? 1 : 0);
            const QString start =
                "Download of " + server.endpoint() + Paths[fault.product] + " failed: ";
            QVERIFY2(!fault.reason || (lines[0].contains(fault.reason) &&
                                       (fault.stored || lines[0].startsWith(start))),
                     qPrintable(lines.value(0)));
            const QString kept[] = {"15 ", "20 "}, unread = "   ";
            const bool readable = fault.kind != Fault::PlantedDirectory;
            QCOMPARE(shown(window, 1).left(3), fault.stored ? "31 "
                                               : readable   ? kept[fault.product]
                                                            : unread);
        }
        QCOMPARE(QFileInfo(target).isDir(), fault.kind == Fault::PlantedDirectory);
        QCOMPARE(ReadFile(target), fault.stored                            ? sent
                                   : fault.kind == Fault::PlantedDirectory ? "<missing>"
                                                                           : old);
        QVERIFY(!fault.stored || QFileInfo(target).permissions() & QFile::ReadOther);
        QCOMPARE(ReadFile(victim), old);
        QCOMPARE(QFileInfo(victim).permissions(), victimMode);
        QCOMPARE(QDir(dir.path()).entryList({".*.??????"}, QDir::Files | QDir::Hidden),
                 fault.kind == Fault::LeftOvers ? QStringList{QFileInfo(fresh).fileName()}
                                                : QStringList());
        QFile::remove(fresh);
    }

    // corvaline-report in the process, or as a program whose standard output fails.
    std::tuple<int, QString, QString> runReport(const TestHttpsServer &server, const Fault &fault)
    {
        const QString arguments = QString(fault.report)
                                      .replace("<cache>", cached(0))
                                      .replace("<file>", dir.filePath("file"));
        if (fault.kind != Fault::FullDisk && fault.kind != Fault::ClosedPipe) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            ServiceLocations locations = at(server);
            locations.dataDirectory += fault.kind == Fault::MissingCache ? "missing/" : "";
            const int status =
                RunReport(("corvaline-report " + arguments).split(' ', Qt::SkipEmptyParts),
                          locations, outStream, errStream, 1000);
            outStream.flush();
            errStream.flush();
            return {status, out, err};
        }
        int pipe[2] = {-1, -1}; // its reading end closed before the report writes
        const bool closed = ::pipe(pipe) == 0 && ::close(pipe[0]) == 0;
        const int out = fault.kind == Fault::FullDisk ? ::open("/dev/full", O_WRONLY) : pipe[1];
        QProcess report;
        report.setChildProcessModifier([out] {
            std::signal(SIGPIPE, SIG_IGN);
            ::dup2(out, STDOUT_FILENO);
        });
        report.start(CORVALINE_REPORT, arguments.split(' '));
        const bool exited = closed && report.waitForFinished(10000) &&
                            report.exitStatus() == QProcess::NormalExit && ::close(out) == 0;
        ::close(pipe[1]);
        return {exited ? report.exitCode() : -1, "", report.readAllStandardError()};
    }
};

QTEST_MAIN(CorvalineTest)
#include "tst_corvaline.moc"
