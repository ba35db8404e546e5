// SPDX-License-Identifier: MIT
#pragma once

#include "archive/History.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One line of the plot: a station's values at one frequency, in time order.
struct PlotLine
{
    QString name;                        // "Penticton 2800 MHz"
    QList<QPair<qint64, double>> points; // milliseconds since 1970 UTC, sfu above 0
};

// The lines of a series, one per station and frequency, in the order they first
// appear; values of 0 or less cannot stand on a logarithmic axis and are left out.
QList<PlotLine> LinesOfSeries(const QList<HistoryRow> &rows);
QList<PlotLine> LinesOfDays(const QList<DailyRow> &rows);

// "Solar radio flux, 2025-11-07 to 2025-12-07 UTC", with " (daily medians)".
QString PlotTitle(const QDateTime &from, const QDateTime &to, bool daily);

// Draws the lines with Qt Charts (dates across, sfu up on a logarithmic axis,
// a legend) into FILE.png or FILE.svg; false with the reason in `error`.
bool RenderPlot(const QList<PlotLine> &lines, const QString &title, const QString &path,
                QString &error);
