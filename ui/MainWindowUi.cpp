// SPDX-License-Identifier: MIT
#include "ui/MainWindowUi.h"

#include "data/Products.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRect>
#include <array>

namespace {
struct CellRow
{
    QPushButton *MainWindowUi::*field;
    const char *objectName;
    QRect geometry;
    const char *text; // nullptr for a value cell, whose text starts empty
};

// Fields 2 to 61: the header, label and value cells between DataSource and DataSourceUrl.
const std::array<CellRow, 60> CellRows = {{
    {&MainWindowUi::IpsFlux, "IpsFlux", {110, 90, 41, 31}, QT_TRANSLATE_NOOP("MainWindow", "Flux")},
    {&MainWindowUi::Button_245,
     "Button_245",
     {10, 130, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "245 MHz")},
    {&MainWindowUi::Button_410,
     "Button_410",
     {10, 170, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "410 MHz")},
    {&MainWindowUi::Button_610,
     "Button_610",
     {10, 210, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "610 MHz")},
    {&MainWindowUi::Button_1415,
     "Button_1415",
     {10, 250, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "1415 MHz")},
    {&MainWindowUi::Button_2695,
     "Button_2695",
     {10, 290, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2695 MHz")},
    {&MainWindowUi::Button_4995,
     "Button_4995",
     {10, 330, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "4995 MHz")},
    {&MainWindowUi::Button_8800,
     "Button_8800",
     {10, 370, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "8800 MHz")},
    {&MainWindowUi::Button_15400,
     "Button_15400",
     {10, 410, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "15400 MHz")},
    {&MainWindowUi::AmateurBands,
     "AmateurBands",
     {160, 90, 291, 31},
     QT_TRANSLATE_NOOP("MainWindow", "Amateur Bands")},
    {&MainWindowUi::MiscBands,
     "MiscBands",
     {460, 90, 141, 31},
     QT_TRANSLATE_NOOP("MainWindow", "Misc")},
    {&MainWindowUi::IpsFrequency,
     "IpsFrequency",
     {10, 90, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "Freq")},
    {&MainWindowUi::Flux_245, "Flux_245", {110, 130, 41, 31}, nullptr},
    {&MainWindowUi::Flux_410, "Flux_410", {110, 170, 41, 31}, nullptr},
    {&MainWindowUi::Flux_610, "Flux_610", {110, 210, 41, 31}, nullptr},
    {&MainWindowUi::Flux_1415, "Flux_1415", {110, 250, 41, 31}, nullptr},
    {&MainWindowUi::Flux_15400, "Flux_15400", {110, 410, 41, 31}, nullptr},
    {&MainWindowUi::Flux_8800, "Flux_8800", {110, 370, 41, 31}, nullptr},
    {&MainWindowUi::Flux_4995, "Flux_4995", {110, 330, 41, 31}, nullptr},
    {&MainWindowUi::Flux_2695, "Flux_2695", {110, 290, 41, 31}, nullptr},
    {&MainWindowUi::Button_50,
     "Button_50",
     {160, 130, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "50 MHz")},
    {&MainWindowUi::Button_70,
     "Button_70",
     {160, 170, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "70 MHz")},
    {&MainWindowUi::Button_144,
     "Button_144",
     {160, 210, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "144 MHz")},
    {&MainWindowUi::Button_222,
     "Button_222",
     {160, 250, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "222 MHz")},
    {&MainWindowUi::Button_432,
     "Button_432",
     {160, 290, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "432 MHz")},
    {&MainWindowUi::Button_900,
     "Button_900",
     {160, 330, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "900 MHz")},
    {&MainWindowUi::Button_1296,
     "Button_1296",
     {160, 370, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "1296 MHz")},
    {&MainWindowUi::Button_2304,
     "Button_2304",
     {160, 410, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2304 MHz")},
    {&MainWindowUi::Flux_50, "Flux_50", {260, 130, 41, 31}, nullptr},
    {&MainWindowUi::Flux_70, "Flux_70", {260, 170, 41, 31}, nullptr},
    {&MainWindowUi::Flux_144, "Flux_144", {260, 210, 41, 31}, nullptr},
    {&MainWindowUi::Flux_222, "Flux_222", {260, 250, 41, 31}, nullptr},
    {&MainWindowUi::Flux_432, "Flux_432", {260, 290, 41, 31}, nullptr},
    {&MainWindowUi::Flux_900, "Flux_900", {260, 330, 41, 31}, nullptr},
    {&MainWindowUi::Flux_1296, "Flux_1296", {260, 370, 41, 31}, nullptr},
    {&MainWindowUi::Flux_2304, "Flux_2304", {260, 410, 41, 31}, nullptr},
    {&MainWindowUi::Button_2320,
     "Button_2320",
     {310, 130, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2320 MHz")},
    {&MainWindowUi::Flux_2320, "Flux_2320", {410, 130, 41, 31}, nullptr},
    {&MainWindowUi::Button_3400,
     "Button_3400",
     {310, 210, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "3400MHz")},
    {&MainWindowUi::Flux_2424, "Flux_2424", {410, 170, 41, 31}, nullptr},
    {&MainWindowUi::Flux_3400, "Flux_3400", {410, 210, 41, 31}, nullptr},
    {&MainWindowUi::Button_2424,
     "Button_2424",
     {310, 170, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2424 MHz")},
    {&MainWindowUi::Flux_3456, "Flux_3456", {410, 250, 41, 31}, nullptr},
    {&MainWindowUi::Button_5760,
     "Button_5760",
     {310, 290, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "5760 MHz")},
    {&MainWindowUi::Button_3456,
     "Button_3456",
     {310, 250, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "3456 MHz")},
    {&MainWindowUi::Flux_5760, "Flux_5760", {410, 290, 41, 31}, nullptr},
    {&MainWindowUi::Button_10368,
     "Button_10368",
     {310, 330, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "10368 MHz")},
    {&MainWindowUi::Flux_10368, "Flux_10368", {410, 330, 41, 31}, nullptr},
    {&MainWindowUi::Flux_406, "Flux_406", {560, 130, 41, 31}, nullptr},
    {&MainWindowUi::Button_406,
     "Button_406",
     {460, 130, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "406 MHz")},
    {&MainWindowUi::Flux_1420, "Flux_1420", {560, 170, 41, 31}, nullptr},
    {&MainWindowUi::Button_1420,
     "Button_1420",
     {460, 170, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "1420 MHz")},
    {&MainWindowUi::Button_2800,
     "Button_2800",
     {460, 250, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2800 MHz")},
    {&MainWindowUi::Flux_8840, "Flux_8840", {560, 290, 41, 31}, nullptr},
    {&MainWindowUi::Button_8840,
     "Button_8840",
     {460, 290, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "8840 MHz")},
    {&MainWindowUi::Flux_2295, "Flux_2295", {560, 210, 41, 31}, nullptr},
    {&MainWindowUi::Button_2295,
     "Button_2295",
     {460, 210, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "2295 MHz")},
    {&MainWindowUi::Flux_2800, "Flux_2800", {560, 250, 41, 31}, nullptr},
    {&MainWindowUi::Button_24048,
     "Button_24048",
     {310, 370, 91, 31},
     QT_TRANSLATE_NOOP("MainWindow", "24048 MHz")},
    {&MainWindowUi::Flux_24048, "Flux_24048", {410, 370, 41, 31}, nullptr},
}};

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QFont pointSizeFont(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    return font;
}

QBrush brushOf(int r, int g, int b, int a, Qt::BrushStyle style = Qt::SolidPattern)
{
    QBrush brush(QColor(r, g, b, a));
    brush.setStyle(style);
    return brush;
}

QPalette dataSourcePalette()
{
    struct GroupColours
    {
        QPalette::ColorGroup group;
        QBrush text;
        QBrush base;
    };
    const std::array<GroupColours, 3> groups = {{
        {QPalette::Active, brushOf(0, 128, 0, 255), brushOf(0, 0, 0, 255)},
        {QPalette::Inactive, brushOf(0, 128, 0, 255), brushOf(0, 0, 0, 255)},
        {QPalette::Disabled, brushOf(127, 85, 0, 255), brushOf(0, 0, 127, 255)},
    }};
    const QBrush button = brushOf(0, 0, 0, 255);
    const QBrush placeholder = brushOf(0, 128, 0, 128, Qt::NoBrush);
    QPalette palette;
    for (const GroupColours &colours : groups) {
        palette.setBrush(colours.group, QPalette::WindowText, colours.text);
        palette.setBrush(colours.group, QPalette::Button, button);
        palette.setBrush(colours.group, QPalette::Text, colours.text);
        palette.setBrush(colours.group, QPalette::ButtonText, colours.text);
        palette.setBrush(colours.group, QPalette::Base, colours.base);
        palette.setBrush(colours.group, QPalette::PlaceholderText, placeholder);
    }
    return palette;
}

QPushButton *createButton(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(geometry);
    return button;
}
} // namespace

void MainWindowUi::setupUi(QMainWindow *MainWindow)
{
    if (MainWindow->objectName().isEmpty())
        MainWindow->setObjectName("MainWindow");
    MainWindow->resize(610, 506);
    centralwidget = new QWidget(MainWindow);
    centralwidget->setObjectName("centralwidget");

    const QFont font12 = pointSizeFont(12);
    const QFont font10 = pointSizeFont(10);

    DataSource = createButton(centralwidget, "DataSource", QRect(10, 10, 591, 31));
    DataSource->setPalette(dataSourcePalette());
    DataSource->setFont(font12);

    for (const CellRow &row : CellRows) {
        QPushButton *button = createButton(centralwidget, row.objectName, row.geometry);
        button->setFont(font10);
        this->*row.field = button;
    }

    DataSourceUrl = new QComboBox(centralwidget);
    DataSourceUrl->addItem(QString());
    DataSourceUrl->addItem(QString());
    DataSourceUrl->setObjectName("DataSourceUrl");
    DataSourceUrl->setGeometry(QRect(10, 450, 591, 31));
    DataSourceUrl->setFont(font12);

    UpdateButton = createButton(centralwidget, "UpdateButton", QRect(500, 50, 101, 31));
    UpdateButton->setFont(font10);

    SfuSelections = new QComboBox(centralwidget);
    SfuSelections->setObjectName("SfuSelections");
    SfuSelections->setGeometry(QRect(10, 50, 481, 31));
    QSizePolicy sizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    sizePolicy.setHorizontalStretch(0);
    sizePolicy.setVerticalStretch(0);
    sizePolicy.setHeightForWidth(SfuSelections->sizePolicy().hasHeightForWidth());
    SfuSelections->setSizePolicy(sizePolicy);
    QFont consolas;
    consolas.setFamilies({QString::fromLatin1("Consolas")});
    consolas.setPointSize(12);
    SfuSelections->setFont(consolas);

    MainWindow->setCentralWidget(centralwidget);
    menubar = new QMenuBar(MainWindow);
    menubar->setObjectName("menubar");
    menubar->setGeometry(QRect(0, 0, 610, 22));
    MainWindow->setMenuBar(menubar);

    retranslateUi(MainWindow);

    SfuSelections->setCurrentIndex(-1);

    QMetaObject::connectSlotsByName(MainWindow);
}

void MainWindowUi::retranslateUi(QMainWindow *MainWindow)
{
    MainWindow->setWindowTitle(QCoreApplication::translate("MainWindow", "Corvaline"));
    DataSource->setText(
        QCoreApplication::translate("MainWindow", "NOAA Space Weather Prediction Center"));
    for (const CellRow &row : CellRows)
        (this->*row.field)->setText(row.text ? translated(row.text) : QString());
    // The items show the real service whatever endpoint the window downloads from;
    // addresses are data, not texts to translate.
    const ServiceLocations service = ServiceLocations::standard();
    DataSourceUrl->setItemText(0, service.urlOf(TextProduct));
    DataSourceUrl->setItemText(1, service.urlOf(JsonProduct));
    UpdateButton->setText(QCoreApplication::translate("MainWindow", "Update"));
}
