// SPDX-License-Identifier: MIT
#include "flux/BandFlux.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
struct AnchorInterval
{
    int upperBound; // first frequency no longer in the interval
    int lowerSlot;
    int upperSlot;
    double upperMHz;
    double lowerOverUpper;
};

// Slot 5 (2800 MHz) is never an anchor.
constexpr int Unbounded = std::numeric_limits<int>::max();
constexpr std::array<AnchorInterval, 7> AnchorIntervals = {{
    {410, 0, 1, 410.0, 245.0 / 410.0},
    {610, 1, 2, 610.0, 410.0 / 610.0},
    {1415, 2, 3, 1415.0, 610.0 / 1415.0},
    {2695, 3, 4, 2695.0, 1415.0 / 2695.0},
    {4995, 4, 6, 4995.0, 2695.0 / 4995.0},
    {8800, 6, 7, 8800.0, 4995.0 / 8800.0},
    {Unbounded, 7, 8, 15400.0, 8800.0 / 15400.0},
}};

const AnchorInterval &intervalFor(double frequency)
{
    for (const AnchorInterval &interval : AnchorIntervals)
        if (frequency < interval.upperBound)
            return interval;
    return AnchorIntervals.back();
}

// An estimate is positive: only the upper bound can be exceeded, and a value that
// is not a number fails the comparison too.
bool fitsInt32(double value)
{
    return value <= std::numeric_limits<int>::max();
}
// The estimate from the two anchors' fluxes, which `fluxOfSlot` reads; NaN when
// one is absent or the frequency is not positive.
template <typename FluxOfSlot> double estimateWith(double frequency, FluxOfSlot fluxOfSlot)
{
    if (!(frequency > 0))
        return std::nan("");
    const AnchorInterval &interval = intervalFor(frequency);
    const double lowerFlux = fluxOfSlot(interval.lowerSlot);
    const double upperFlux = fluxOfSlot(interval.upperSlot);
    if (!(lowerFlux > 0 && upperFlux > 0))
        return std::nan("");
    const double t = std::log10(frequency / interval.upperMHz);
    const double r = std::log10(interval.lowerOverUpper);
    return std::pow(lowerFlux / upperFlux, t / r) * upperFlux;
}
} // namespace

double EstimateFlux(double frequency, const std::array<double, StationFrequencyCount> &fluxes)
{
    return estimateWith(frequency, [&fluxes](int slot) { return fluxes[std::size_t(slot)]; });
}

std::array<int, 2> EstimateAnchors(double frequency)
{
    const AnchorInterval &interval = intervalFor(frequency);
    return {StationFrequencies[std::size_t(interval.lowerSlot)],
            StationFrequencies[std::size_t(interval.upperSlot)]};
}

int EstimateBandFlux(int frequency, const ObservationRecord &record)
{
    const double estimate = std::round(
        estimateWith(frequency, [&record](int slot) { return double(record.slots[slot].flux); }));
    return fitsInt32(estimate) ? static_cast<int>(estimate) : MissingValue;
}

std::optional<QList<int>> ParseFrequencyList(const QString &text)
{
    QList<int> mhz;
    for (const QString &item : text.split(',')) {
        bool number = false;
        const int frequency = item.trimmed().toInt(&number);
        if (!number || frequency < LowestEstimateMHz || frequency > HighestEstimateMHz)
            return std::nullopt;
        if (!mhz.contains(frequency))
            mhz << frequency;
    }
    return mhz;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
