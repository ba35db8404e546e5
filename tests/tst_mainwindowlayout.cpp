#include "app/MainWindow.h"
#include "ui/MainWindowUi.h"

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const char Green[] = "background-color: green; color:white; border-radius:5px";
const char Top[] = "text-align:top;";
const char Red[] = "background-color: red; color:white; border-radius:5px";
const char Black[] = "background-color: black; color:white; border-radius:5px;";
const char Blue[] = "background-color: blue; color:white; border-radius:5px";
const char None[] = "";

struct WidgetRow
{
    const char *name;
    const char *className;
    QRect geometry;
    int pointSize; // 0: the default font
    const char *text;
    const char *styleSheet;
};

// Every widget of the window in creation order: fields 1 to 64 of the record.
const WidgetRow Rows[] = {
    {"DataSource",
     "QPushButton",
     {10, 10, 591, 31},
     12,
     "NOAA Space Weather Prediction Center",
     Green},
    {"IpsFlux", "QPushButton", {110, 90, 41, 31}, 10, "Flux", Black},
    {"Button_245", "QPushButton", {10, 130, 91, 31}, 10, "245 MHz", Black},
    {"Button_410", "QPushButton", {10, 170, 91, 31}, 10, "410 MHz", Black},
    {"Button_610", "QPushButton", {10, 210, 91, 31}, 10, "610 MHz", Black},
    {"Button_1415", "QPushButton", {10, 250, 91, 31}, 10, "1415 MHz", Black},
    {"Button_2695", "QPushButton", {10, 290, 91, 31}, 10, "2695 MHz", Black},
    {"Button_4995", "QPushButton", {10, 330, 91, 31}, 10, "4995 MHz", Black},
    {"Button_8800", "QPushButton", {10, 370, 91, 31}, 10, "8800 MHz", Black},
    {"Button_15400", "QPushButton", {10, 410, 91, 31}, 10, "15400 MHz", Black},
    {"AmateurBands", "QPushButton", {160, 90, 291, 31}, 10, "Amateur Bands", Green},
    {"MiscBands", "QPushButton", {460, 90, 141, 31}, 10, "Misc", Blue},
    {"IpsFrequency", "QPushButton", {10, 90, 91, 31}, 10, "Freq", Black},
    {"Flux_245", "QPushButton", {110, 130, 41, 31}, 10, "", Black},
    {"Flux_410", "QPushButton", {110, 170, 41, 31}, 10, "", Black},
    {"Flux_610", "QPushButton", {110, 210, 41, 31}, 10, "", Black},
    {"Flux_1415", "QPushButton", {110, 250, 41, 31}, 10, "", Black},
    {"Flux_15400", "QPushButton", {110, 410, 41, 31}, 10, "", Black},
    {"Flux_8800", "QPushButton", {110, 370, 41, 31}, 10, "", Black},
    {"Flux_4995", "QPushButton", {110, 330, 41, 31}, 10, "", Black},
    {"Flux_2695", "QPushButton", {110, 290, 41, 31}, 10, "", Black},
    {"Button_50", "QPushButton", {160, 130, 91, 31}, 10, "50 MHz", Green},
    {"Button_70", "QPushButton", {160, 170, 91, 31}, 10, "70 MHz", Green},
    {"Button_144", "QPushButton", {160, 210, 91, 31}, 10, "144 MHz", Green},
    {"Button_222", "QPushButton", {160, 250, 91, 31}, 10, "222 MHz", Green},
    {"Button_432", "QPushButton", {160, 290, 91, 31}, 10, "432 MHz", Green},
    {"Button_900", "QPushButton", {160, 330, 91, 31}, 10, "900 MHz", Green},
    {"Button_1296", "QPushButton", {160, 370, 91, 31}, 10, "1296 MHz", Green},
    {"Button_2304", "QPushButton", {160, 410, 91, 31}, 10, "2304 MHz", Green},
    {"Flux_50", "QPushButton", {260, 130, 41, 31}, 10, "", None},
    {"Flux_70", "QPushButton", {260, 170, 41, 31}, 10, "", None},
    {"Flux_144", "QPushButton", {260, 210, 41, 31}, 10, "", None},
    {"Flux_222", "QPushButton", {260, 250, 41, 31}, 10, "", None},
    {"Flux_432", "QPushButton", {260, 290, 41, 31}, 10, "", None},
    {"Flux_900", "QPushButton", {260, 330, 41, 31}, 10, "", None},
    {"Flux_1296", "QPushButton", {260, 370, 41, 31}, 10, "", None},
    {"Flux_2304", "QPushButton", {260, 410, 41, 31}, 10, "", None},
    {"Button_2320", "QPushButton", {310, 130, 91, 31}, 10, "2320 MHz", Green},
    {"Flux_2320", "QPushButton", {410, 130, 41, 31}, 10, "", None},
    {"Button_3400", "QPushButton", {310, 210, 91, 31}, 10, "3400MHz", Green},
    {"Flux_2424", "QPushButton", {410, 170, 41, 31}, 10, "", None},
    {"Flux_3400", "QPushButton", {410, 210, 41, 31}, 10, "", None},
    {"Button_2424", "QPushButton", {310, 170, 91, 31}, 10, "2424 MHz", Green},
    {"Flux_3456", "QPushButton", {410, 250, 41, 31}, 10, "", None},
    {"Button_5760", "QPushButton", {310, 290, 91, 31}, 10, "5760 MHz", Green},
    {"Button_3456", "QPushButton", {310, 250, 91, 31}, 10, "3456 MHz", Green},
    {"Flux_5760", "QPushButton", {410, 290, 41, 31}, 10, "", None},
    {"Button_10368", "QPushButton", {310, 330, 91, 31}, 10, "10368 MHz", Green},
    {"Flux_10368", "QPushButton", {410, 330, 41, 31}, 10, "", None},
    {"Flux_406", "QPushButton", {560, 130, 41, 31}, 10, "", None},
    {"Button_406", "QPushButton", {460, 130, 91, 31}, 10, "406 MHz", Blue},
    {"Flux_1420", "QPushButton", {560, 170, 41, 31}, 10, "", None},
    {"Button_1420", "QPushButton", {460, 170, 91, 31}, 10, "1420 MHz", Blue},
    {"Button_2800", "QPushButton", {460, 250, 91, 31}, 10, "2800 MHz", Blue},
    {"Flux_8840", "QPushButton", {560, 290, 41, 31}, 10, "", None},
    {"Button_8840", "QPushButton", {460, 290, 91, 31}, 10, "8840 MHz", Blue},
    {"Flux_2295", "QPushButton", {560, 210, 41, 31}, 10, "", None},
    {"Button_2295", "QPushButton", {460, 210, 91, 31}, 10, "2295 MHz", Blue},
    {"Flux_2800", "QPushButton", {560, 250, 41, 31}, 10, "", None},
    {"Button_24048", "QPushButton", {310, 370, 91, 31}, 10, "24048 MHz", Green},
    {"Flux_24048", "QPushButton", {410, 370, 41, 31}, 10, "", None},
    {"DataSourceUrl", "QComboBox", {10, 450, 591, 31}, 12, nullptr, Green},
    {"UpdateButton", "QPushButton", {500, 50, 101, 31}, 10, "Update", Red},
    {"SfuSelections", "QComboBox", {10, 50, 481, 31}, 12, nullptr, Top},
};
constexpr int RowCount = int(sizeof Rows / sizeof Rows[0]);
} // namespace

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir emptyDataDirectory;
    ServiceLocations locations() const
    {
        return {emptyDataDirectory.path() + "/", "https://127.0.0.1:1"};
    }

private Q_SLOTS:
    void everyWidgetAsBuilt_data();
    void everyWidgetAsBuilt();
    void creationOrderAndCounts();
    void windowAndMenuBar();
    void dataSourcePalette();
    void selectorsAfterSetup();
    void setupAloneSetsNoStyle();
    void resizingMovesNothing();
};

void MainWindowLayoutTest::everyWidgetAsBuilt_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < RowCount; ++i)
        QTest::newRow(Rows[i].name) << i;
}

void MainWindowLayoutTest::everyWidgetAsBuilt()
{
    QFETCH(int, row);
    const WidgetRow &expected = Rows[row];
    MainWindow window(locations());
    auto *widget = window.findChild<QWidget *>(expected.name);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject()->className(), expected.className);
    QCOMPARE(widget->parentWidget(), window.centralWidget());
    QCOMPARE(widget->geometry(), expected.geometry);
    QCOMPARE(widget->font().pointSize(), expected.pointSize);
    QVERIFY(widget->testAttribute(Qt::WA_SetFont));
    QCOMPARE(widget->styleSheet(), QString::fromLatin1(expected.styleSheet));
    if (expected.text)
        QCOMPARE(qobject_cast<QPushButton *>(widget)->text(), QString::fromUtf8(expected.text));
}

void MainWindowLayoutTest::creationOrderAndCounts()
{
    MainWindow window(locations());
    QStringList created;
    for (QObject *child : window.centralWidget()->children())
        if (child->isWidgetType() && !child->objectName().isEmpty())
            created.append(child->objectName());
    QStringList expected;
    for (const WidgetRow &row : Rows)
        expected.append(row.name);
    QCOMPARE(created, expected);
    QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralwidget"));
    QCOMPARE(window.findChildren<QPushButton *>().size(), 62);

    int styled = 0;
    for (QWidget *widget : window.findChildren<QWidget *>())
        styled += !widget->styleSheet().isEmpty();
    QCOMPARE(styled, 44);
}

void MainWindowLayoutTest::windowAndMenuBar()
{
    MainWindow window(locations());
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvaline (v1.02 Oct 14, 2024)"));
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window.size(), QSize(610, 506));
    QMenuBar *menuBar = window.menuBar();
    QCOMPARE(menuBar->objectName(), QStringLiteral("menubar"));
    QCOMPARE(menuBar->parentWidget(), &window);
    QCOMPARE(menuBar->width(), 610);
    QVERIFY(menuBar->actions().isEmpty());
    QVERIFY(!menuBar->testAttribute(Qt::WA_SetFont));
    QVERIFY(!window.centralWidget()->testAttribute(Qt::WA_SetFont));

    auto *selections = window.findChild<QComboBox *>("SfuSelections");
    QCOMPARE(selections->font().families(), QStringList{"Consolas"});
    const QSizePolicy policy = selections->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);
    QVERIFY(!policy.hasHeightForWidth());
    QCOMPARE(policy.controlType(), QSizePolicy::DefaultType);
}

void MainWindowLayoutTest::dataSourcePalette()
{
    // Read before the window is shown: once polished, the style sheet wins.
    MainWindow window(locations());
    const QPalette palette = window.findChild<QPushButton *>("DataSource")->palette();
    const QColor green(0, 128, 0, 255), black(0, 0, 0, 255), brown(127, 85, 0, 255);
    const QColor navy(0, 0, 127, 255), halfGreen(0, 128, 0, 128);
    struct GroupExpectation
    {
        QPalette::ColorGroup group;
        QColor text;
        QColor base;
    };
    for (const GroupExpectation &g : {GroupExpectation{QPalette::Active, green, black},
                                      GroupExpectation{QPalette::Inactive, green, black},
                                      GroupExpectation{QPalette::Disabled, brown, navy}}) {
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            QCOMPARE(palette.brush(g.group, role).color(), g.text);
            QCOMPARE(palette.brush(g.group, role).style(), Qt::SolidPattern);
        }
        QCOMPARE(palette.brush(g.group, QPalette::Button).color(), black);
        QCOMPARE(palette.brush(g.group, QPalette::Base).color(), g.base);
        QCOMPARE(palette.brush(g.group, QPalette::PlaceholderText).color(), halfGreen);
        QCOMPARE(palette.brush(g.group, QPalette::PlaceholderText).style(), Qt::NoBrush);
    }
    QVERIFY(!window.findChild<QPushButton *>("IpsFlux")->testAttribute(Qt::WA_SetPalette));
}

void MainWindowLayoutTest::selectorsAfterSetup()
{
    MainWindow window(locations());
    auto *source = window.findChild<QComboBox *>("DataSourceUrl");
    QCOMPARE(source->count(), 2);
    QCOMPARE(source->currentIndex(), 0);
    QCOMPARE(
        source->itemText(0),
        QStringLiteral("https://services.swpc.noaa.gov/text/current-space-weather-indices.txt"));
    QCOMPARE(source->itemText(1),
             QStringLiteral("https://services.swpc.noaa.gov/json/solar-radio-flux.json"));
    auto *selections = window.findChild<QComboBox *>("SfuSelections");
    QCOMPARE(selections->count(), 0);
    QCOMPARE(selections->currentIndex(), -1);
}

void MainWindowLayoutTest::setupAloneSetsNoStyle()
{
    QMainWindow unnamed;
    MainWindowUi ui;
    ui.setupUi(&unnamed);
    QCOMPARE(unnamed.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(unnamed.windowTitle(), QStringLiteral("Corvaline"));
    for (QWidget *widget : unnamed.findChildren<QWidget *>())
        QVERIFY2(widget->styleSheet().isEmpty(), qPrintable(widget->objectName()));
    QCOMPARE(ui.SfuSelections->currentIndex(), -1);
    QCOMPARE(ui.Flux_2800->text(), QString());
    QCOMPARE(unnamed.findChild<QPushButton *>("Flux_8840"), ui.Flux_8840);
    QCOMPARE(unnamed.findChild<QMenuBar *>("menubar"), ui.menubar);

    QMainWindow named;
    named.setObjectName("Named");
    MainWindowUi second;
    second.setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("Named"));
}

void MainWindowLayoutTest::resizingMovesNothing()
{
    MainWindow window(locations());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(900, 700);
    QCoreApplication::processEvents();
    QCOMPARE(window.findChild<QPushButton *>("Flux_24048")->geometry(), QRect(410, 370, 41, 31));
    QCOMPARE(window.findChild<QComboBox *>("DataSourceUrl")->geometry(), QRect(10, 450, 591, 31));
}

QTEST_MAIN(MainWindowLayoutTest)
#include "tst_mainwindowlayout.moc"
