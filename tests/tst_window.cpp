// SPDX-License-Identifier: MIT
// The window: start-up, what it shows, and presses of Update through a loopback server.
#include "flux/FluxDisplays.h"
#include "support/CacheFixture.h"
#include "support/Table.h"

#include <QFontMetrics>
#include <QMetaMethod>
#include <QSignalSpy>

namespace {
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

const QString Learmonth = "Learmonth   2024 Oct 14 0400 UTC";
// The first two items of each product, the second with its 245 and 410 MHz displays.
const QString Items[][2] = {
    {"Learmonth   2024 Oct 15 0400 UTC", "San Vito    2024 Oct 15 1000 UTC 31 39"},
    {"Palehua     2024 Oct 14 2300 UTC", "Penticton   2024 Oct 14 2000 UTC 20 -1"}};

struct PressRow
{
    const char *name, *presses, *finishing; // products in order: 0 text, 1 JSON
    int direct = -1;  // the product whose completion slot is then called directly
    int refused = -1; // the product whose file cannot be opened when its transfer ends
};
// clang-format off
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
// clang-format on
// The worked example's 28 display texts, as the text product's Learmonth shows them.
const QString WorkedTexts =
    "14 38 52 66 95 142 262 568 1 1 5 12 40 58 64 87 87 89 111 112 166 329 1052 37 66 87 97 264";
} // namespace

class WindowTest : public QObject, protected CacheFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { resetCache(); }

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
        const auto widgets = window.findChildren<QWidget *>();
        QCOMPARE(std::count_if(widgets.begin(), widgets.end(),
                               [](QWidget *w) { return !w->styleSheet().isEmpty(); }),
                 44);
        QCOMPARE(shown(window), cached == 4 ? Placeholders[4][1]
                                : listed    ? WorkedTexts
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
        QStringList texts = {window.windowTitle(), Placeholders[1][1], Placeholders[2][1],
                             Placeholders[3][1], Placeholders[5][1]};
        for (QPushButton *button : window.findChildren<QPushButton *>())
            if (!button->objectName().startsWith("Flux_"))
                texts << button->text();
        for (const QString &shownText : texts)
            QVERIFY2(catalogue.contains("<source>" + shownText.toUtf8() + "</source>"),
                     qPrintable(shownText));
        list->addItem("beyond the records in use");
        const QString fifth = shown(window, 5);
        QCOMPARE(fifth.left(6), QString(listed ? "20 44 " : "      "));
        for (int outside : {-1, 6})
            QCOMPARE(shown(window, outside), fifth);
        QCOMPARE(window.fileDownload()->transfersInFlight(), 0);
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
        const QNetworkAccessManager &access = window.fileDownload()->networkAccess();
        for (const QNetworkReply *reply : access.findChildren<QNetworkReply *>())
            QCOMPARE(reply->request().transferTimeout(), 120000);
        if (row.direct >= 0) { // re-reads its own product at once, whatever was pressed
            QVERIFY(WriteFile(cached(0), Products[0]) && WriteFile(cached(1), Products[1]));
            shown(window, 1);
            row.direct ? window.UpdateJsonFluxData() : window.UpdateTextFluxData();
            QCOMPARE(item(window, 0) + " " + shown(window).left(5),
                     Items[row.direct][0] + (row.direct ? " 14 38" : " 30 38"));
            return;
        }
        int inFlight = int(strlen(row.presses)); // the transfers end in the row's order
        for (const char *p = row.finishing; *p; ++p) {
            QCOMPARE(item(window, 0), Learmonth);
            refuseWrites(*p - '0' == row.refused);
            server.release(Paths[*p - '0']);
            inFlight -= int(QByteArray(row.presses).count(*p));
            QTRY_COMPARE_WITH_TIMEOUT(window.fileDownload()->transfersInFlight(), inFlight, 15000);
        }
        refuseWrites(false);
        QVERIFY(settle(window));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // replies released
        QCOMPARE(access.findChildren<QNetworkReply *>().size(), 0);
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
        // A single press whose file cannot be opened ends without a re-read.
        refuseWrites(true);
        QVERIFY(press(window, 0));
        QTRY_COMPARE_WITH_TIMEOUT(window.fileDownload()->transfersInFlight(), 0, 15000);
        refuseWrites(false);
        QVERIFY(settle(window));
        QCOMPARE(changes.count(), 5);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
