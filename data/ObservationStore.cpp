// SPDX-License-Identifier: MIT
#include "data/ObservationStore.h"

#include "data/PrintableText.h"

#include <QtGlobal>
#include <cstdio>
#include <cstring>

std::int32_t IndicesGrid[StationFrequencyCount][IndicesGridColumns];
ObservationRecord ObservationRecords[ObservationCapacity];

void ResetIndicesGrid()
{
    for (int r = 0; r < StationFrequencyCount; ++r) {
        IndicesGrid[r][0] = StationFrequencies[r];
        for (int c = 1; c < IndicesGridColumns; ++c)
            IndicesGrid[r][c] = MissingValue;
    }
}

void ClearObservation(ObservationRecord &record)
{
    for (FrequencySlot &slot : record.slots) {
        slot.flux = MissingValue;
        std::memset(slot.quality, 0, FixedTextSize);
    }
}

void ResetObservationStore(int &observationCount)
{
    ResetIndicesGrid();
    std::memset(ObservationRecords, 0, sizeof ObservationRecords);
    observationCount = 0;
    for (auto &record : ObservationRecords) {
        for (int k = 0; k < StationFrequencyCount; ++k)
            record.slots[k].frequency = StationFrequencies[k];
        ClearObservation(record);
    }
}

// Names, times and qualities come from a product: no control character of theirs
// reaches the log.
void DumpObservations(int observationCount)
{
    const auto shown = [](const char *text) {
        return EscapedForLog(QString::fromUtf8(text)).toUtf8();
    };
    for (int i = 0; i < observationCount && i < ObservationCapacity; ++i) {
        const ObservationRecord &record = ObservationRecords[i];
        qDebug("Common Name: %s Time: %s", shown(record.name).constData(),
               shown(record.timeText).constData());
        for (const FrequencySlot &slot : record.slots)
            qDebug("freq: %5d flux: %4d quality: %s", slot.frequency, slot.flux,
                   shown(slot.quality).constData());
    }
}

const ObservationRecord *RecordInUse(int index, int observationCount)
{
    if (index < 0 || index >= observationCount || index >= ObservationCapacity)
        return nullptr;
    return &ObservationRecords[index];
}

void PublishRecord(ObservationSink &sink, int &observationCount, const char *name,
                   const char *shownTime)
{
    constexpr std::size_t NameColumns = 11;
    char itemText[FixedTextSize + 1 + FixedTextSize];
    std::size_t length = strnlen(name, FixedTextSize - 1);
    std::memcpy(itemText, name, length);
    for (; length < NameColumns; ++length)
        itemText[length] = ' ';
    itemText[length++] = ' ';
    const std::size_t timeLength = strnlen(shownTime, FixedTextSize - 1);
    std::memcpy(itemText + length, shownTime, timeLength);
    itemText[length + timeLength] = '\0';
    sink.appendObservationItem(observationCount, itemText);
    ++observationCount;
}
