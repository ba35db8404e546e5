#pragma once

#include "app/MainWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QStringList>

// What the window shows, read through the widgets' objectNames.
inline QComboBox *comboBox(MainWindow &window, const char *objectName)
{
    return window.findChild<QComboBox *>(objectName);
}

inline QString fluxDisplayText(MainWindow &window, int frequencyMHz)
{
    return window.findChild<QPushButton *>(FluxDisplayName(frequencyMHz))->text();
}

// All 28 flux displays in their order of update.
inline QStringList fluxDisplayTexts(MainWindow &window)
{
    QStringList texts;
    for (int frequencyMHz : FluxDisplayFrequencies())
        texts.append(fluxDisplayText(window, frequencyMHz));
    return texts;
}
