// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

// Log-log estimate of the flux (sfu) at `frequency` MHz from the two observed
// frequencies that bracket it, extended beyond 245 and 15400 MHz.
// -1 when an anchor is absent (flux at or below 0), the target is not
// positive, or the estimate does not fit a 32-bit integer.
int EstimateBandFlux(int frequency, const ObservationRecord &record);

// The same estimate at any `frequency` (MHz) from the nine station fluxes, not
// rounded: NaN when an anchor is absent (at or below 0, or NaN) or the target is
// not positive.
double EstimateFlux(double frequency, const std::array<double, StationFrequencyCount> &fluxes);

// The two station frequencies (MHz) that the estimate at `frequency` is drawn from.
std::array<int, 2> EstimateAnchors(double frequency);

// The frequencies the estimate is offered at, well beyond the stations' 245 to
// 15400 MHz, where the extended line is still a fair guess.
constexpr int LowestEstimateMHz = 30;
constexpr int HighestEstimateMHz = 30000;

// "1296,2304,10368": whole MHz from 30 to 30000, comma-separated, each once in
// the order given; nothing when an item is not one.
std::optional<QList<int>> ParseFrequencyList(const QString &text);

// The median of the values (at least one), the mean of the middle two for an even count.
double Median(QList<double> values);
