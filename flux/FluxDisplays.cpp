// SPDX-License-Identifier: MIT
#include "flux/FluxDisplays.h"

#include "flux/BandFlux.h"

QString FluxDisplayName(int frequencyMHz)
{
    return QStringLiteral("Flux_%1").arg(frequencyMHz);
}

std::array<FluxFigure, FluxDisplayCount> FluxFigures(const ObservationRecord &record)
{
    std::array<FluxFigure, FluxDisplayCount> figures;
    std::size_t i = 0;
    for (const ObservedDisplay &display : ObservedDisplays)
        figures[i++] = {display.frequencyMHz, record.slots[display.slot].flux, true};
    for (int target : EstimatedDisplays)
        figures[i++] = {target, EstimateBandFlux(target, record), false};
    return figures;
}

std::array<FluxDisplayText, FluxDisplayCount> FluxDisplayTexts(const ObservationRecord &record)
{
    std::array<FluxDisplayText, FluxDisplayCount> texts;
    const auto figures = FluxFigures(record);
    for (std::size_t i = 0; i < figures.size(); ++i)
        texts[i] = {figures[i].frequencyMHz, QString::number(figures[i].value)};
    return texts;
}

std::array<int, FluxDisplayCount> FluxDisplayFrequencies()
{
    std::array<int, FluxDisplayCount> frequencies;
    std::size_t i = 0;
    for (const ObservedDisplay &display : ObservedDisplays)
        frequencies[i++] = display.frequencyMHz;
    for (int target : EstimatedDisplays)
        frequencies[i++] = target;
    return frequencies;
}
