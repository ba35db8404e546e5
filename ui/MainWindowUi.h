// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

// The main window's widgets, in creation order; the widgets belong to the window.
class MainWindowUi
{
public:
    QWidget *centralwidget = nullptr;
    QPushButton *DataSource = nullptr;
    QPushButton *IpsFlux = nullptr;
    QPushButton *Button_245 = nullptr;
    QPushButton *Button_410 = nullptr;
    QPushButton *Button_610 = nullptr;
    QPushButton *Button_1415 = nullptr;
    QPushButton *Button_2695 = nullptr;
    QPushButton *Button_4995 = nullptr;
    QPushButton *Button_8800 = nullptr;
    QPushButton *Button_15400 = nullptr;
    QPushButton *AmateurBands = nullptr;
    QPushButton *MiscBands = nullptr;
    QPushButton *IpsFrequency = nullptr;
    QPushButton *Flux_245 = nullptr;
    QPushButton *Flux_410 = nullptr;
    QPushButton *Flux_610 = nullptr;
    QPushButton *Flux_1415 = nullptr;
    QPushButton *Flux_15400 = nullptr;
    QPushButton *Flux_8800 = nullptr;
    QPushButton *Flux_4995 = nullptr;
    QPushButton *Flux_2695 = nullptr;
    QPushButton *Button_50 = nullptr;
    QPushButton *Button_70 = nullptr;
    QPushButton *Button_144 = nullptr;
    QPushButton *Button_222 = nullptr;
    QPushButton *Button_432 = nullptr;
    QPushButton *Button_900 = nullptr;
    QPushButton *Button_1296 = nullptr;
    QPushButton *Button_2304 = nullptr;
    QPushButton *Flux_50 = nullptr;
    QPushButton *Flux_70 = nullptr;
    QPushButton *Flux_144 = nullptr;
    QPushButton *Flux_222 = nullptr;
    QPushButton *Flux_432 = nullptr;
    QPushButton *Flux_900 = nullptr;
    QPushButton *Flux_1296 = nullptr;
    QPushButton *Flux_2304 = nullptr;
    QPushButton *Button_2320 = nullptr;
    QPushButton *Flux_2320 = nullptr;
    QPushButton *Button_3400 = nullptr;
    QPushButton *Flux_2424 = nullptr;
    QPushButton *Flux_3400 = nullptr;
    QPushButton *Button_2424 = nullptr;
    QPushButton *Flux_3456 = nullptr;
    QPushButton *Button_5760 = nullptr;
    QPushButton *Button_3456 = nullptr;
    QPushButton *Flux_5760 = nullptr;
    QPushButton *Button_10368 = nullptr;
    QPushButton *Flux_10368 = nullptr;
    QPushButton *Flux_406 = nullptr;
    QPushButton *Button_406 = nullptr;
    QPushButton *Flux_1420 = nullptr;
    QPushButton *Button_1420 = nullptr;
    QPushButton *Button_2800 = nullptr;
    QPushButton *Flux_8840 = nullptr;
    QPushButton *Button_8840 = nullptr;
    QPushButton *Flux_2295 = nullptr;
    QPushButton *Button_2295 = nullptr;
    QPushButton *Flux_2800 = nullptr;
    QPushButton *Button_24048 = nullptr;
    QPushButton *Flux_24048 = nullptr;
    QComboBox *DataSourceUrl = nullptr;
    QPushButton *UpdateButton = nullptr;
    QComboBox *SfuSelections = nullptr;
    QMenuBar *menubar = nullptr;

    void setupUi(QMainWindow *MainWindow);
    void retranslateUi(QMainWindow *MainWindow);
};
