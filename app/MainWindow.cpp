// SPDX-License-Identifier: MIT
#include "app/MainWindow.h"

#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "ui/MainWindowUi.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <initializer_list>

namespace {
const char WindowTitle[] = QT_TRANSLATE_NOOP("MainWindow", "Corvaline (v1.02 Oct 14, 2024)");

// What the empty observation list says in place of an observation.
const char NoProductText[] = QT_TRANSLATE_NOOP("MainWindow", "No product cached yet: press Update");
const char UnreadableText[] =
    QT_TRANSLATE_NOOP("MainWindow", "The cached product could not be read (see the log)");
const char NoObservationsText[] =
    QT_TRANSLATE_NOOP("MainWindow", "The cached product holds no observations");
const char UpdateFailedText[] = QT_TRANSLATE_NOOP(
    "MainWindow", "Update failed and no readable product is cached (see the log)");

// Room that a figure leaves free in its field, for the button's frame.
constexpr int FigureMargin = 4;
constexpr qreal SmallestFigurePointSize = 5;

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

// A figure wider than its fixed field is shown whole in a smaller font; one that
// fits keeps the field's own font.
void fitFigure(QPushButton *display, const QFont &fieldFont)
{
    QFont font = fieldFont;
    const int room = display->width() - FigureMargin;
    while (font.pointSizeF() > SmallestFigurePointSize &&
           QFontMetrics(font).horizontalAdvance(display->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    display->setFont(font);
}

struct StyleGroup
{
    const char *styleSheet;
    std::initializer_list<const char *> objectNames;
};

const std::initializer_list<StyleGroup> StyleGroups = {
    {"background-color: green; color:white; border-radius:5px",
     {"DataSource", "DataSourceUrl", "AmateurBands", "Button_50", "Button_70", "Button_144",
      "Button_222", "Button_432", "Button_900", "Button_1296", "Button_2304", "Button_2320",
      "Button_2424", "Button_3400", "Button_3456", "Button_5760", "Button_10368", "Button_24048"}},
    {"text-align:top;", {"SfuSelections"}},
    {"background-color: red; color:white; border-radius:5px", {"UpdateButton"}},
    {"background-color: black; color:white; border-radius:5px;",
     {"IpsFlux", "IpsFrequency", "Button_245", "Button_410", "Button_610", "Button_1415",
      "Button_2695", "Button_4995", "Button_8800", "Button_15400", "Flux_245", "Flux_410",
      "Flux_610", "Flux_1415", "Flux_2695", "Flux_4995", "Flux_8800", "Flux_15400"}},
    {"background-color: blue; color:white; border-radius:5px",
     {"MiscBands", "Button_406", "Button_1420", "Button_2295", "Button_2800", "Button_8840"}},
};
} // namespace

MainWindow::MainWindow(QWidget *parent) : MainWindow(ServiceLocations::standard(), parent) {}

MainWindow::MainWindow(const ServiceLocations &locations, QWidget *parent)
    : QMainWindow(parent), ui(new MainWindowUi), locations(locations)
{
    downloader.setBodyCheck(DownloadedProductRefusal);
    downloader.setWriteRefusalHint(QString::fromLatin1(CacheGroupHint));
    ui->setupUi(this);
    setWindowTitle(translated(WindowTitle));
    connect(ui->UpdateButton, SIGNAL(pressed()), this, SLOT(UpdateButtonPressed()));
    connect(ui->SfuSelections, SIGNAL(currentIndexChanged(int)), this,
            SLOT(SfuSelectionChanged(int)));
    applyStyleSheets();
    bindFluxDisplays();
    ui->DataSourceUrl->setCurrentIndex(TextSource);
    ResetObservationStore(ObservationCount);
    int read = -1;
    if (ui->DataSourceUrl->currentIndex() == TextSource)
        read = ReadTextFluxData();
    else if (ui->DataSourceUrl->currentIndex() == JsonSource)
        read = ReadJsonFluxData();
    explainEmptyList(TextSource, read, false);
    RefreshFluxDisplays();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::applyStyleSheets()
{
    for (const StyleGroup &group : StyleGroups)
        for (const char *name : group.objectNames)
            findChild<QWidget *>(QLatin1String(name))
                ->setStyleSheet(QString::fromLatin1(group.styleSheet));
}

void MainWindow::bindFluxDisplays()
{
    const auto frequencies = FluxDisplayFrequencies();
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        fluxDisplays[i] = findChild<QPushButton *>(FluxDisplayName(frequencies[i]));
        fluxDisplayFonts[i] = fluxDisplays[i]->font();
    }
}

int MainWindow::ReadTextFluxData()
{
    return ReadTextFluxFile(locations.localPathOf(TextProduct), ObservationCount, *this);
}

int MainWindow::ReadJsonFluxData()
{
    return ReadJsonFluxFile(locations.localPathOf(JsonProduct), ObservationCount, *this);
}

void MainWindow::appendObservationItem(int index, const char *itemText)
{
    ui->SfuSelections->insertItem(ui->SfuSelections->count(), QString());
    ui->SfuSelections->setItemText(index, QString::fromUtf8(itemText));
}

void MainWindow::RefreshFluxDisplays()
{
    const ObservationRecord *record =
        RecordInUse(ui->SfuSelections->currentIndex(), ObservationCount);
    if (!record)
        return;
    const auto texts = FluxDisplayTexts(*record);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        fluxDisplays[i]->setText(texts[i].text);
        fitFigure(fluxDisplays[i], fluxDisplayFonts[i]);
    }
}

void MainWindow::UpdateButtonPressed()
{
    const DataSourceIndex source =
        ui->DataSourceUrl->currentIndex() == TextSource ? TextSource : JsonSource;
    lastPressedSource = source;
    if (source == TextSource)
        connect(&downloader, SIGNAL(done()), this, SLOT(UpdateTextFluxData()));
    else
        connect(&downloader, SIGNAL(done()), this, SLOT(UpdateJsonFluxData()));
    const Product &product = source == TextSource ? TextProduct : JsonProduct;
    downloader.download(locations.urlOf(product), locations.localPathOf(product));
}

void MainWindow::UpdateTextFluxData()
{
    completeUpdate(TextSource, SLOT(UpdateTextFluxData()));
}

void MainWindow::UpdateJsonFluxData()
{
    completeUpdate(JsonSource, SLOT(UpdateJsonFluxData()));
}

// A delivery of done() while other transfers are in flight waits for the last
// of them; then only the product of the last press is re-read, and a slot armed
// by an earlier press of the other product just disarms itself. A direct call
// re-reads its own product at once.
void MainWindow::completeUpdate(DataSourceIndex source, const char *completionSlot)
{
    const bool delivered = sender() == &downloader;
    if (delivered && downloader.transfersInFlight() > 0)
        return;
    if (!delivered || source == lastPressedSource) {
        ui->SfuSelections->clear();
        // A combo box with a placeholder would not make the first item current.
        ui->SfuSelections->setPlaceholderText(QString());
        ObservationCount = 0;
        const int read = readProduct(source);
        explainEmptyList(source, read, delivered);
        if (read == 0)
            RefreshFluxDisplays();
    }
    disconnect(&downloader, SIGNAL(done()), this, completionSlot);
}

int MainWindow::readProduct(DataSourceIndex source)
{
    return source == TextSource ? ReadTextFluxData() : ReadJsonFluxData();
}

// The empty list says why it is empty: nothing cached yet, a product that could
// not be read or holds nothing, or an Update that failed (its line is in the log).
void MainWindow::explainEmptyList(DataSourceIndex source, int readResult, bool afterUpdate)
{
    if (ObservationCount > 0)
        return;
    const QFileInfo cached(locations.localPathOf(source == TextSource ? TextProduct : JsonProduct));
    const char *reason = afterUpdate && !downloader.lastFailure().isEmpty() ? UpdateFailedText
                         : !cached.exists() && !cached.isSymLink()          ? NoProductText
                         : readResult != 0                                  ? UnreadableText
                                                                            : NoObservationsText;
    ui->SfuSelections->setPlaceholderText(translated(reason));
}

void MainWindow::SfuSelectionChanged(int index)
{
    Q_UNUSED(index);
    RefreshFluxDisplays();
}
