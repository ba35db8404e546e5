// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"

#include <QString>
#include <array>

// Every flux display is named "Flux_" followed by its frequency in MHz.
QString FluxDisplayName(int frequencyMHz);

struct ObservedDisplay
{
    int frequencyMHz;
    int slot;
};

// The eight observed displays in their order of update (2800 MHz has none).
constexpr std::array<ObservedDisplay, 8> ObservedDisplays = {
    {{245, 0}, {410, 1}, {610, 2}, {1415, 3}, {2695, 4}, {4995, 6}, {8800, 7}, {15400, 8}}};

// The twenty estimated displays in their order of update, by target frequency.
constexpr std::array<int, 20> EstimatedDisplays = {50,    70,   144,  222,  432,  900,  1296,
                                                   2304,  2320, 2424, 3400, 3456, 5760, 10368,
                                                   24048, 406,  1420, 2295, 2800, 8840};

constexpr int FluxDisplayCount = int(ObservedDisplays.size() + EstimatedDisplays.size());

// One figure of a record: the stored flux of an observed frequency, or the
// estimate at a target frequency; -1 when there is none.
struct FluxFigure
{
    int frequencyMHz;
    int value;
    bool observed;
};

// The 28 figures of one record, observed first, in the order the displays are updated.
std::array<FluxFigure, FluxDisplayCount> FluxFigures(const ObservationRecord &record);

struct FluxDisplayText
{
    int frequencyMHz;
    QString text;
};

// The 28 display texts of one record, observed first, in order of update.
std::array<FluxDisplayText, FluxDisplayCount> FluxDisplayTexts(const ObservationRecord &record);

// The display frequencies in order of update, for binding them to widgets once.
std::array<int, FluxDisplayCount> FluxDisplayFrequencies();
