#include "app/MainWindow.h"

#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "ui/MainWindowUi.h"

#include <initializer_list>

namespace {
const char WindowTitle[] = "Corvaline (v1.02 Oct 14, 2024)";

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
    setWindowTitle(QString::fromLatin1(WindowTitle));
    connect(ui->UpdateButton, SIGNAL(pressed()), this, SLOT(UpdateButtonPressed()));
    connect(ui->SfuSelections, SIGNAL(currentIndexChanged(int)), this,
            SLOT(SfuSelectionChanged(int)));
    applyStyleSheets();
    bindFluxDisplays();
    ui->DataSourceUrl->setCurrentIndex(TextSource);
    ResetObservationStore(ObservationCount);
    if (ui->DataSourceUrl->currentIndex() == TextSource)
        ReadTextFluxData();
    else if (ui->DataSourceUrl->currentIndex() == JsonSource)
        ReadJsonFluxData();
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
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        fluxDisplays[i] = findChild<QPushButton *>(FluxDisplayName(frequencies[i]));
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
    for (std::size_t i = 0; i < texts.size(); ++i)
        fluxDisplays[i]->setText(texts[i].text);
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
        ObservationCount = 0;
        if (readProduct(source) == 0)
            RefreshFluxDisplays();
    }
    disconnect(&downloader, SIGNAL(done()), this, completionSlot);
}

int MainWindow::readProduct(DataSourceIndex source)
{
    return source == TextSource ? ReadTextFluxData() : ReadJsonFluxData();
}

void MainWindow::SfuSelectionChanged(int index)
{
    Q_UNUSED(index);
    RefreshFluxDisplays();
}
