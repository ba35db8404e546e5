// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"
#include "data/Products.h"
#include "flux/FluxDisplays.h"
#include "net/FileDownload.h"

#include <QFont>
#include <QMainWindow>
#include <array>

class MainWindowUi;
class QPushButton;

class MainWindow : public QMainWindow, private ObservationSink
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // Reads and downloads through the given locations instead of the standard ones.
    explicit MainWindow(const ServiceLocations &locations, QWidget *parent = nullptr);
    ~MainWindow() override;

    int ReadTextFluxData();
    int ReadJsonFluxData();
    void RefreshFluxDisplays();

    int observationCount() const { return ObservationCount; }
    FileDownload *fileDownload() { return &downloader; }

public Q_SLOTS:
    void UpdateTextFluxData();
    void UpdateJsonFluxData();

private Q_SLOTS:
    void UpdateButtonPressed();
    void SfuSelectionChanged(int index);

private:
    enum DataSourceIndex { TextSource = 0, JsonSource = 1 };

    void applyStyleSheets();
    void bindFluxDisplays();
    void completeUpdate(DataSourceIndex source, const char *completionSlot);
    int readProduct(DataSourceIndex source);
    void explainEmptyList(DataSourceIndex source, int readResult, bool afterUpdate);
    void appendObservationItem(int index, const char *itemText) override;

    int ObservationCount = 0;
    MainWindowUi *ui;
    FileDownload downloader;

    const ServiceLocations locations;
    std::array<QPushButton *, FluxDisplayCount> fluxDisplays{};
    std::array<QFont, FluxDisplayCount> fluxDisplayFonts{};
    DataSourceIndex lastPressedSource = TextSource;
};
