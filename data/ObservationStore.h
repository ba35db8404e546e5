// SPDX-License-Identifier: MIT
#pragma once

#include "data/FixedText.h"

#include <array>
#include <cstdint>

constexpr int StationFrequencyCount = 9;
constexpr std::array<int, StationFrequencyCount> StationFrequencies = {245,  410,  610,  1415, 2695,
                                                                       2800, 4995, 8800, 15400};
constexpr int ObservationCapacity = 90;
constexpr int IndicesGridColumns = 8;
constexpr int MissingValue = -1;

struct FrequencySlot
{
    std::int32_t frequency;
    std::int32_t flux;
    FixedText quality;
};

struct ObservationRecord
{
    FixedText name;
    FixedText timeText;
    FrequencySlot slots[StationFrequencyCount];
};

// One grid, one record table: static storage for the whole run, zero-filled at start.
extern std::int32_t IndicesGrid[StationFrequencyCount][IndicesGridColumns];
extern ObservationRecord ObservationRecords[ObservationCapacity];

void ResetObservationStore(int &observationCount);

// Column 0 holds the nine frequencies, every station cell -1.
void ResetIndicesGrid();

// A record describes its own observation only: before a reader fills it, every
// flux is -1 and every quality empty. The slot frequencies stay as preset.
void ClearObservation(ObservationRecord &record);
void DumpObservations(int observationCount);

// The record behind a selector index, or nullptr when the index is not in use.
const ObservationRecord *RecordInUse(int index, int observationCount);

// Where the readers hand over one item text per record they fill.
class ObservationSink
{
public:
    virtual ~ObservationSink() = default;
    // Appends one item at the end of the selector, then sets the text of item `index`.
    virtual void appendObservationItem(int index, const char *itemText) = 0;
};

// Announces a filled record: its item first, "%-11s %s" of the station name and the
// time as shown (at most 31 bytes of it), the count after it.
void PublishRecord(ObservationSink &sink, int &observationCount, const char *name,
                   const char *shownTime);
