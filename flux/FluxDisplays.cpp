#include "flux/FluxDisplays.h"

#include "flux/BandFlux.h"

QString FluxDisplayName(int frequencyMHz)
{
    return QStringLiteral("Flux_%1").arg(frequencyMHz);
}

std::array<FluxDisplayText, FluxDisplayCount> FluxDisplayTexts(const ObservationRecord &record)
{
    std::array<FluxDisplayText, FluxDisplayCount> texts;
    std::size_t i = 0;
    for (const ObservedDisplay &display : ObservedDisplays)
        texts[i++] = {display.frequencyMHz, QString::number(record.slots[display.slot].flux)};
    for (int target : EstimatedDisplays)
        texts[i++] = {target, QString::number(EstimateBandFlux(target, record))};
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
